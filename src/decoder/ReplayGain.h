#pragma once

#include <optional>
#include <span>
#include <string_view>

struct ReplayGains;

// A track's ReplayGain: the gain that brings it to the reference loudness, and its peak
// sample (1 is full scale; 0 when unknown).
struct ReplayGain
{
    double gainDB = 0.0;
    double peak = 0.0;

    // The factor for the samples: the gain, held down where the peak would clip.
    double factor() const;

    // From the texts of a REPLAYGAIN_TRACK_GAIN ("-6.50 dB") and a REPLAYGAIN_TRACK_PEAK
    // ("0.988"). Nothing when the gain is no number or lies beyond what a tagger writes; a peak
    // that is no number counts as unknown.
    static std::optional<ReplayGain> fromTexts(std::string_view gain, std::string_view peak);
    // The same for numbers: a peak that is no number or out of range counts as unknown.
    static std::optional<ReplayGain> checked(double gainDB, double peak);
};

// The largest APEv2 tag read for its gain: covers make larger ones, and they are passed over.
constexpr std::size_t apeTagReadLimit = 64 * 1024;
// The bytes at a file's end that hold an APEv2 tag's footer, an ID3v1 tag after it allowed.
constexpr std::size_t apeTagEndLength = 32 + 128;

// From the last apeTagEndLength bytes of a file: how many bytes at its end hold the items and
// the footer of an APEv2 tag, and the ID3v1 tag after it; 0 when there is none, or a larger one
// than apeTagReadLimit.
std::size_t apeTagLength(std::span<const unsigned char> end);

// The track and album gains of the APEv2 tag in the last apeTagLength() bytes of a file; none
// when there is no such tag.
ReplayGains apeReplayGains(std::span<const unsigned char> tail);
