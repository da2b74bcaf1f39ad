#pragma once

class AudioPlayer;

// Told when a player has played its track to the natural end.
class AudioPlayerDelegate
{
public:
    // On the main thread, once per natural end, when its last frame has been heard; never for
    // a player that was stopped since.
    virtual void audioPlayerDidFinishPlaying(AudioPlayer* player, bool successfully) = 0;
    // On the main thread, once the last frame has been handed to the sound output, while the
    // tail still sounds: a next track started now follows without a break.
    virtual void audioPlayerWillFinishPlaying(AudioPlayer* player) { (void)player; }

protected:
    ~AudioPlayerDelegate() = default;
};
