#pragma once

#include "analysis/AnalysisGeneration.h"
#include "analysis/SampleSource.h"

#include <span>
#include <vector>

// The reading that the three analyses share: the generation is checked before the track is
// opened and around every buffer, the format gets its defaults, and a sample that is not
// finite is read as 0 (one such value would otherwise ruin a filter for the rest of the track).
class SampleReader
{
public:
    SampleReader(SampleSource& source, AnalysisGeneration generation);

    // False when the generation is no longer current or the track cannot be read.
    bool open();
    // 44100 Hz and 2 channels stand for a rate or channel count the track does not give.
    const AudioFormat& format() const { return m_format; }
    // The track's stated length in seconds; negative or NaN when unknown.
    double duration() const { return m_source.duration(); }
    // Finite samples, valid until the next call; empty at the end of the data and as soon as
    // the generation has changed.
    std::span<const float> nextBuffer();
    // True once a buffer was refused because the generation changed: the data did not end,
    // so an analysis returns what it has without completing a last frame.
    bool wasSuperseded() const { return m_superseded; }

private:
    bool isCurrent();

    SampleSource& m_source;
    AnalysisGeneration m_generation;
    AudioFormat m_format;
    bool m_superseded = false;
    std::vector<float> m_finiteCopy;
};
