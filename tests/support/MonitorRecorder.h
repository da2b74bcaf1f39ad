#pragma once

#include <vector>

struct pa_context;
struct pa_stream;
struct pa_threaded_mainloop;

// Records the default sink's monitor of the sound server that PULSE_SERVER names, as 44.1 kHz
// float stereo, and places the recorded frames in time by the record stream's own timing:
// when the sink plays each of them.
class MonitorRecorder
{
public:
    static constexpr int sampleRate = 44100;

    MonitorRecorder();
    ~MonitorRecorder();

    bool isRecording() const { return m_recording; }
    // Ends the recording; what was recorded stays.
    void stop();
    const std::vector<float>& samples() const { return m_samples; }
    // When the sink plays the recorded frame, in seconds of steadySeconds().
    double heardAt(std::size_t frame) const;

private:
    void readAvailable();

    pa_threaded_mainloop* m_mainloop = nullptr;
    pa_context* m_context = nullptr;
    pa_stream* m_stream = nullptr;
    bool m_recording = false;
    std::vector<float> m_samples;
    std::vector<double> m_starts; // per read: when the first recorded frame was heard
};

// Seconds on the steady clock.
double steadySeconds();
