#pragma once

class AudioPlayer;

// Told when a player has played its track to the natural end.
class AudioPlayerDelegate
{
public:
    // On the main thread, once per natural end, never for a player that was stopped since.
    virtual void audioPlayerDidFinishPlaying(AudioPlayer* player, bool successfully) = 0;

protected:
    ~AudioPlayerDelegate() = default;
};
