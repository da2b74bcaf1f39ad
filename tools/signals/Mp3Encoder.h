#pragma once

#include "Signals.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

struct Mp3Options
{
    int bitrateKbps = 128;
    int quality = 5;         // LAME's 0 (slowest, best) to 9 (fastest)
    bool freeFormat = false; // a bit rate outside the standard table, unannounced
    // With any of these, LAME's own writer makes the ID3v2 tag (version 2.3), the title in it
    // as Latin-1: ASCII texts read back unchanged.
    std::optional<std::string> artist = {};
    std::optional<std::string> album = {};
    std::vector<unsigned char> frontCover = {}; // a JPEG, PNG or GIF image
    std::optional<std::string> id3v2Title = {}; // UTF-8, written as an ID3v2.4 TIT2 frame
    std::optional<std::string> id3v1Title = {}; // Latin-1 bytes, padded with spaces to 30
    // Descriptions and texts of ID3v2.4 TXXX frames, in the tag of the title.
    std::vector<std::pair<std::string, std::string>> id3v2Extras = {};
    // Keys and texts of an APEv2 tag at the end, before the ID3v1 tag.
    std::vector<std::pair<std::string, std::string>> apeItems = {};
    // LAME measures the track's gain and peak and writes them into its header.
    bool lameReplayGain = false;
};

// The bytes of a whole MP3 file: ID3v2 tag, the LAME stream with its tag frame filled in (so
// the decoded length equals the input's length), ID3v1 tag. Keeps the input's sample rate.
// Empty when LAME refuses the parameters.
std::vector<unsigned char> encodeMp3(const Pcm& pcm, const Mp3Options& options = {});

// encodeMp3 written to a file; false when encoding or writing fails.
bool writeMp3(const Pcm& pcm, const std::string& path, const Mp3Options& options = {});
