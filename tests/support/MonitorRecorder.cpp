#include "support/MonitorRecorder.h"

#include <algorithm>
#include <chrono>

#include <pulse/pulseaudio.h>

namespace {

void signal(void* loop)
{
    pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0);
}

} // namespace

double steadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

MonitorRecorder::MonitorRecorder()
{
    m_mainloop = pa_threaded_mainloop_new();
    pa_threaded_mainloop_lock(m_mainloop);
    m_context = pa_context_new(pa_threaded_mainloop_get_api(m_mainloop), "Kassolin tests");
    pa_context_set_state_callback(
        m_context, [](pa_context*, void* loop) { signal(loop); }, m_mainloop);
    pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr);
    pa_threaded_mainloop_start(m_mainloop);
    while (PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context)) &&
           pa_context_get_state(m_context) != PA_CONTEXT_READY)
        pa_threaded_mainloop_wait(m_mainloop);
    if (pa_context_get_state(m_context) == PA_CONTEXT_READY) {
        const pa_sample_spec spec{PA_SAMPLE_FLOAT32NE, sampleRate, 2};
        m_stream = pa_stream_new(m_context, "monitor", &spec, nullptr);
        pa_stream_set_state_callback(
            m_stream, [](pa_stream*, void* loop) { signal(loop); }, m_mainloop);
        pa_stream_set_read_callback(
            m_stream,
            [](pa_stream*, std::size_t, void* self) {
                static_cast<MonitorRecorder*>(self)->readAvailable();
            },
            this);
        // Small fragments: each read is placed in time closely.
        const pa_buffer_attr buffer{static_cast<std::uint32_t>(-1), 0, 0, 0,
                                    static_cast<std::uint32_t>(pa_usec_to_bytes(5000, &spec))};
        pa_stream_connect_record(m_stream, "@DEFAULT_MONITOR@", &buffer,
                                 PA_STREAM_AUTO_TIMING_UPDATE);
        while (PA_STREAM_IS_GOOD(pa_stream_get_state(m_stream)) &&
               pa_stream_get_state(m_stream) != PA_STREAM_READY)
            pa_threaded_mainloop_wait(m_mainloop);
        m_recording = pa_stream_get_state(m_stream) == PA_STREAM_READY;
    }
    pa_threaded_mainloop_unlock(m_mainloop);
}

MonitorRecorder::~MonitorRecorder()
{
    stop();
}

void MonitorRecorder::stop()
{
    if (!m_mainloop)
        return;
    pa_threaded_mainloop_stop(m_mainloop);
    if (m_stream)
        pa_stream_unref(m_stream);
    pa_context_disconnect(m_context);
    pa_context_unref(m_context);
    pa_threaded_mainloop_free(m_mainloop);
    m_mainloop = nullptr;
}

void MonitorRecorder::readAvailable()
{
    const void* data = nullptr;
    std::size_t bytes = 0;
    while (pa_stream_peek(m_stream, &data, &bytes) == 0 && bytes > 0) {
        const auto* samples = static_cast<const float*>(data);
        if (samples)
            m_samples.insert(m_samples.end(), samples, samples + bytes / sizeof(float));
        else
            m_samples.resize(m_samples.size() + bytes / sizeof(float)); // a hole
        pa_stream_drop(m_stream);
    }
    // The newest frame the monitor has taken in was rendered when the timing was taken and is
    // heard once the sink's latency has passed.
    const pa_timing_info* timing = pa_stream_get_timing_info(m_stream);
    if (!timing || timing->write_index_corrupt)
        return;
    const double taken =
        steadySeconds() - static_cast<double>(pa_timeval_age(&timing->timestamp)) / 1e6;
    const double heard = taken + static_cast<double>(timing->sink_usec) / 1e6 -
                         static_cast<double>(timing->source_usec) / 1e6;
    m_starts.push_back(heard - static_cast<double>(timing->write_index) / (8.0 * sampleRate));
}

double MonitorRecorder::heardAt(std::size_t frame) const
{
    // The sink runs on the system clock: one start time, the median of what every read implies,
    // places all frames without the jitter of a single read.
    if (m_starts.empty())
        return -1.0;
    std::vector<double> starts = m_starts;
    std::nth_element(starts.begin(), starts.begin() + starts.size() / 2, starts.end());
    return starts[starts.size() / 2] + static_cast<double>(frame) / sampleRate;
}
