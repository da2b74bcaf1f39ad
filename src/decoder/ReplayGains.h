#pragma once

#include "decoder/ReplayGain.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

// Which of a file's gains is heard. Automatic is the album's while the list plays in order and
// the track's while it is shuffled: the controller, which knows the order, decides it.
enum class ReplayGainMode
{
    Off,
    Track,
    Album,
    Automatic
};

// The gains a file's tags hold for the track and for its album.
struct ReplayGains
{
    std::optional<ReplayGain> track;
    std::optional<ReplayGain> album;

    // Fills what is missing from a source of lower rank.
    void complete(const ReplayGains& lower);
    // The factor heard in `mode`: an album's gain falls back to the track's, either to 1.
    // Automatic counts as the track's here.
    double factor(ReplayGainMode mode) const;

    // From tag items, each a name and its text: REPLAYGAIN_TRACK_GAIN, _TRACK_PEAK, _ALBUM_GAIN
    // and _ALBUM_PEAK, in any case; other items are passed over.
    static ReplayGains fromItems(const std::vector<std::pair<std::string, std::string>>& items);
};
