#pragma once

#include <cstdint>

// The icon of a transport button. The underlying type is fixed, so any stored number is a
// valid value; one outside this list draws as `Stop`.
enum class TransportIconType : std::int64_t
{
    Stop = 0,
    Play = 1,
    Pause = 2,
    Previous = 3,
    Next = 4,
    Playlist = 5,
    Eject = 6,
    LoopA = 7,
    LoopB = 8,
    LoopClear = 9
};
