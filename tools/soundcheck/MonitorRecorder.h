#pragma once

#include "signals/Recordings.h"
#include "signals/Signals.h"

#include <chrono>
#include <utility>
#include <vector>

#include <sys/time.h>

struct pa_context;
struct pa_stream;
struct pa_threaded_mainloop;

// Records the default sink's monitor of the sound server that PULSE_SERVER names, as 44.1 kHz
// float stereo, and places the frames in time by the record stream's own timing.
class MonitorRecorder
{
public:
    MonitorRecorder();
    ~MonitorRecorder() { stop(); }

    // Ends the recording and gives what was recorded.
    const std::vector<float>& stop();
    // What was recorded so far, while the recording goes on.
    std::vector<float> recorded() const;
    // When the sink plays the recorded frame, in steadySeconds().
    double heardAt(std::size_t frame) const;
    // Whether the last `windows` 10 ms of what was recorded so far are silent.
    bool isSilentFor(std::size_t windows) const;

private:
    void readAvailable();

    pa_threaded_mainloop* m_mainloop = nullptr;
    pa_context* m_context = nullptr;
    pa_stream* m_stream = nullptr;
    std::vector<float> m_samples;
    std::vector<double> m_starts; // per timing: when the first recorded frame was heard
    timeval m_lastTiming{};
};

inline double steadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
