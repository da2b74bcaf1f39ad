#pragma once

#include "analysis/BassMeterFrames.h"
#include "analysis/SpectrumFrames.h"
#include "analysis/WaveformPeaks.h"

#include <cstdint>

#include <QString>

class Mp3Decoder;

// The four analyses that a load starts, run on a file apart from the player: what the fuzzer
// holds to their ranges and the tests compare the player's displays with.
struct FileAnalyses
{
    // For a track of the given length, as the player would ask for them.
    static FileAnalyses of(const QString& path, double duration);
    // Every level within its display's range, and the title within its line.
    bool areInRange() const;

    std::uint64_t bins = 0;
    WaveformPeaks peaks;
    BassMeterFrames bass;
    SpectrumFrames spectrum;
    QString title;
};

struct DecodedStream
{
    std::int64_t samples = 0;
    float leftPeak = 0.0f; // the largest absolute sample of channel 0
};

// Decodes the rest of the stream.
DecodedStream decodeAll(Mp3Decoder& decoder);
