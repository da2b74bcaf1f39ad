#include "soundcheck/MonitorRecorder.h"

#include <algorithm>

#include <pulse/pulseaudio.h>

MonitorRecorder::MonitorRecorder()
{
    m_mainloop = pa_threaded_mainloop_new();
    pa_threaded_mainloop_lock(m_mainloop);
    m_context = pa_context_new(pa_threaded_mainloop_get_api(m_mainloop), "monitor");
    const auto signal = [](auto*, void* loop) {
        pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0);
    };
    pa_context_set_state_callback(m_context, signal, m_mainloop);
    pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr);
    pa_threaded_mainloop_start(m_mainloop);
    while (pa_context_get_state(m_context) < PA_CONTEXT_READY)
        pa_threaded_mainloop_wait(m_mainloop);
    if (pa_context_get_state(m_context) != PA_CONTEXT_READY) {
        pa_threaded_mainloop_unlock(m_mainloop);
        return; // nothing is recorded
    }
    const pa_sample_spec sampleFormat{PA_SAMPLE_FLOAT32NE, 44100, 2};
    m_stream = pa_stream_new(m_context, "monitor", &sampleFormat, nullptr);
    pa_stream_set_state_callback(m_stream, signal, m_mainloop);
    pa_stream_set_read_callback(
        m_stream,
        [](pa_stream*, std::size_t, void* self) {
            static_cast<MonitorRecorder*>(self)->readAvailable();
        },
        this);
    // 40 ms: PipeWire runs its graph in the smallest blocks a client asks for, which a busy
    // machine may serve too late, leaving holes in what the sink plays.
    const pa_buffer_attr buffer{~0u, 0, 0, 0,
                                static_cast<std::uint32_t>(pa_usec_to_bytes(40000, &sampleFormat))};
    pa_stream_connect_record(m_stream, "@DEFAULT_MONITOR@", &buffer, PA_STREAM_AUTO_TIMING_UPDATE);
    while (pa_stream_get_state(m_stream) == PA_STREAM_CREATING)
        pa_threaded_mainloop_wait(m_mainloop);
    pa_threaded_mainloop_unlock(m_mainloop);
}

const std::vector<float>& MonitorRecorder::stop()
{
    if (m_mainloop) {
        pa_threaded_mainloop_stop(m_mainloop);
        if (m_stream)
            pa_stream_unref(m_stream);
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
        pa_threaded_mainloop_free(m_mainloop);
        m_mainloop = nullptr;
    }
    return m_samples;
}

std::vector<float> MonitorRecorder::recorded() const
{
    if (!m_mainloop)
        return m_samples;
    pa_threaded_mainloop_lock(m_mainloop);
    std::vector<float> samples = m_samples;
    pa_threaded_mainloop_unlock(m_mainloop);
    return samples;
}

void MonitorRecorder::readAvailable()
{
    const void* data = nullptr;
    std::size_t bytes = 0;
    while (pa_stream_peek(m_stream, &data, &bytes) == 0 && bytes > 0) {
        const auto* samples = static_cast<const float*>(data);
        m_samples.insert(m_samples.end(), samples, samples + (samples ? bytes / 4 : 0));
        pa_stream_drop(m_stream);
    }
    // The newest frame the monitor had taken in when the timing was taken is played by the sink
    // once its latency has passed. Each timing counts once, and only once audio flows.
    const pa_timing_info* timing = pa_stream_get_timing_info(m_stream);
    if (timing && !timing->write_index_corrupt && timing->write_index > 0 &&
        timing->timestamp.tv_usec != m_lastTiming.tv_usec) {
        m_lastTiming = timing->timestamp;
        const double taken = steadySeconds() - pa_timeval_age(&timing->timestamp) / 1e6;
        const double heard =
            taken + (static_cast<double>(timing->sink_usec) - timing->source_usec) / 1e6;
        m_starts.push_back(heard - static_cast<double>(timing->write_index) / (8 * 44100.0));
    }
    pa_operation_unref(pa_stream_update_timing_info(m_stream, nullptr, nullptr));
}

double MonitorRecorder::heardAt(std::size_t frame) const
{
    // The sink runs on the system clock: the median start of all reads places every frame
    // without the jitter of a single read.
    std::vector<double> starts = m_starts;
    if (starts.empty())
        return -1.0;
    std::nth_element(starts.begin(), starts.begin() + starts.size() / 2, starts.end());
    return starts[starts.size() / 2] + static_cast<double>(frame) / 44100.0;
}

bool MonitorRecorder::isSilentFor(std::size_t windows) const
{
    const std::vector<float> peaks = windowPeaks(recorded());
    return peaks.size() > windows &&
           std::all_of(peaks.end() - static_cast<std::ptrdiff_t>(windows), peaks.end(),
                       [](float peak) { return peak < 1e-3f; });
}
