#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Files that are hard on an MP3 decoder, made from generated signals: what the tests feed the
// player and the seeds the fuzzer starts from. Nothing of it is stored; the same calls make
// the same bytes.
struct CorpusFile
{
    enum class Verdict
    {
        // Turned away at open, though `mpg123` may make noise of it (a WAV file, say).
        Refused,
        // Played as far as `mpg123` plays it, and turned away where that is nothing.
        AsMpg123,
    };

    std::string name; // a file name ending in .mp3
    std::vector<unsigned char> bytes;
    Verdict verdict = Verdict::AsMpg123;
    // The leading bytes whose sound is what the player plays: all of them, except for a file
    // joined to a part in another format, which ends where that part begins.
    std::size_t heardBytes = 0;
    // The title the player shows, where the file states one that reads well.
    std::string title;
};

// Not MPEG audio at all, or cut before its first frame: empty, text, random bytes, zeros, a
// WAV file and a file cut inside its first frame.
std::vector<CorpusFile> notMpegFiles();
// Damage of real collections, which plays whole: junk, joined files, a cut, an overstated
// length, other tags inside.
std::vector<CorpusFile> damagedFiles();
// Built to break a decoder: sync-word storms, a large stretch of garbage, hostile ID3 tags
// (5 MB, a lying size, a 10000-character title, invalid UTF-8 and UTF-16), the rare formats
// (free format, MPEG-2.5, layer II) and one file cut at many places.
std::vector<CorpusFile> hostileFiles();
// Short well-formed files of the common rates, channel counts and bit rates.
std::vector<CorpusFile> wellFormedFiles();
