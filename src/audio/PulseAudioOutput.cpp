#include "audio/PulseAudioOutput.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <span>
#include <string_view>
#include <utility>

#include <pulse/pulseaudio.h>
#include <pulse/rtclock.h>

namespace {

// A local server answers within milliseconds; one that does not is as good as none.
constexpr pa_usec_t connectTimeoutUsec = 1500 * PA_USEC_PER_MSEC;
// The server asks for a quarter second at a time, which a stream's decoding ring (half a
// second, refilled at half) holds, so that this program wakes only about four times a second.
constexpr pa_usec_t requestUsec = 250 * PA_USEC_PER_MSEC;
// The latency the server asks of its sink. A change of volume is written a little ahead of what
// the sink has taken, and heard once the sink has played what it holds: on PulseAudio within
// 50 ms with the shorter latency, for which its sink wakes about five times as often, costing
// the server some 0.15 % of a core more. PipeWire runs its whole graph in blocks of the
// shortest latency that any stream asks for, and takes the change a block at a time anyway.
constexpr pa_usec_t sinkLatencyUsec = 20 * PA_USEC_PER_MSEC;
constexpr pa_usec_t graphLatencyUsec = 100 * PA_USEC_PER_MSEC;
// A client that had less than the server asked for (a stream that refills after a seek) is
// asked again this soon: the server does not ask twice for what it asked once.
constexpr pa_usec_t retryUsec = 10 * PA_USEC_PER_MSEC;
// After a flush, or a run dry, the server starts once this much is queued: a decoder that
// refills after a seek is then that far ahead of the sink. Started on its first frames, it
// can fall behind on a busy machine, and the sound is cut off mid-wave until it catches up.
constexpr pa_usec_t startUsec = 100 * PA_USEC_PER_MSEC;
// Once the client has given nothing for this many retries (it has come to its end, or its
// next track still opens) and the server is about to take the last of what it holds, silence
// is written behind it: the server then plays all that it holds, and the next audio is written
// over that silence as far as the server has not taken it. A drain would do the first, but
// PipeWire ends a drain's last block with zeros and moves its read point a whole block on, so
// audio written after it would follow a hole.
constexpr int dryRetriesBeforeSilence = 5;
// What was written is kept this long, more than the server's queue holds, for a fade to rewrite.
constexpr double keptWrittenSeconds = 1.0;
// A fade begins this far beyond the block a sink may have taken since it last told, so that it
// has not taken that yet when the fade arrives. The block is the sink's latency, which it
// tells only roughly at first, and at least what a sink with timer-based scheduling takes.
constexpr double fadeLeadSeconds = 0.005;
constexpr double sinkBlockSeconds = 0.1;
// A change of volume is written this far beyond what the server has just told it has taken:
// time for the write to arrive before the sink takes its next block, which a PipeWire graph may
// take early, a quantum at a time.
constexpr double volumeLeadSeconds = 0.025;
// A word from the server that took longer than this to come tells of a stall, not of how long
// a write takes.
constexpr double maxTransportSeconds = 0.25;

struct ProplistDeleter
{
    void operator()(pa_proplist* list) const { pa_proplist_free(list); }
};
using Proplist = std::unique_ptr<pa_proplist, ProplistDeleter>;

void forget(pa_operation* operation)
{
    if (operation)
        pa_operation_unref(operation);
}

class LoopLock
{
public:
    explicit LoopLock(pa_threaded_mainloop* loop) : m_loop(loop)
    {
        pa_threaded_mainloop_lock(m_loop);
    }
    ~LoopLock() { pa_threaded_mainloop_unlock(m_loop); }
    LoopLock(const LoopLock&) = delete;
    LoopLock& operator=(const LoopLock&) = delete;

private:
    pa_threaded_mainloop* m_loop;
};

} // namespace

PulseAudioOutput::~PulseAudioOutput()
{
    if (!m_mainloop)
        return;
    {
        LoopLock lock(m_mainloop);
        m_closing = true;
        if (m_retry)
            pa_threaded_mainloop_get_api(m_mainloop)->time_free(m_retry);
        if (m_stream)
            pa_stream_disconnect(m_stream);
        if (m_context)
            pa_context_disconnect(m_context);
    }
    pa_threaded_mainloop_stop(m_mainloop);
    if (m_stream)
        pa_stream_unref(m_stream);
    if (m_context)
        pa_context_unref(m_context);
    pa_threaded_mainloop_free(m_mainloop);
}

bool PulseAudioOutput::open(const AudioFormat& format, Client* client)
{
    if (m_mainloop || !client || format.sampleRate <= 0 || format.channelCount <= 0 ||
        format.channelCount > static_cast<int>(PA_CHANNELS_MAX))
        return false;
    m_client = client;
    m_sampleRate = format.sampleRate;
    m_channelCount = format.channelCount;
    m_frameBytes = sizeof(float) * static_cast<std::size_t>(format.channelCount);
    m_writtenRing.assign(static_cast<std::size_t>(keptWrittenSeconds * format.sampleRate) *
                             static_cast<std::size_t>(format.channelCount),
                         0.0f);
    m_mainloop = pa_threaded_mainloop_new();
    if (!m_mainloop)
        return false;
    LoopLock lock(m_mainloop);
    if (!connectContext() || pa_threaded_mainloop_start(m_mainloop) < 0)
        return false;
    m_deadline = pa_context_rttime_new(
        m_context, pa_rtclock_now() + connectTimeoutUsec,
        [](pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
            auto* output = static_cast<PulseAudioOutput*>(self);
            output->m_timedOut = true;
            pa_threaded_mainloop_signal(output->m_mainloop, 0);
        },
        this);
    const bool opened =
        waitFor([this] { return pa_context_get_state(m_context) == PA_CONTEXT_READY; },
                [this] { return !PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context)); }) &&
        askServerName() && connectStream() &&
        waitFor([this] { return pa_stream_get_state(m_stream) == PA_STREAM_READY; },
                [this] { return !PA_STREAM_IS_GOOD(pa_stream_get_state(m_stream)); });
    if (m_deadline)
        pa_threaded_mainloop_get_api(m_mainloop)->time_free(m_deadline);
    m_deadline = nullptr;
    m_ready = opened;
    return opened;
}

bool PulseAudioOutput::connectContext()
{
    Proplist properties(pa_proplist_new());
    pa_proplist_sets(properties.get(), PA_PROP_APPLICATION_NAME, "Kassolin");
    pa_proplist_sets(properties.get(), PA_PROP_APPLICATION_ID, "org.kassolin.Kassolin");
    pa_proplist_sets(properties.get(), PA_PROP_APPLICATION_ICON_NAME, "org.kassolin.Kassolin");
    m_context = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(m_mainloop), "Kassolin",
                                             properties.get());
    if (!m_context)
        return false;
    pa_context_set_state_callback(
        m_context, [](pa_context*, void* self) { stateChanged(self); }, this);
    // No autospawn: a desktop without a server falls back to the sound device at once.
    return pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0;
}

pa_sample_spec PulseAudioOutput::sampleFormat() const
{
    return {PA_SAMPLE_FLOAT32NE, static_cast<std::uint32_t>(m_sampleRate),
            static_cast<std::uint8_t>(m_channelCount)};
}

bool PulseAudioOutput::connectStream()
{
    const pa_sample_spec format = sampleFormat();
    Proplist properties(pa_proplist_new());
    pa_proplist_sets(properties.get(), PA_PROP_MEDIA_ROLE, "music");
    m_mediaName = QStringLiteral("Kassolin");
    m_stream =
        pa_stream_new_with_proplist(m_context, "Kassolin", &format, nullptr, properties.get());
    if (!m_stream)
        return false;
    pa_stream_set_state_callback(
        m_stream, [](pa_stream*, void* self) { stateChanged(self); }, this);
    pa_stream_set_write_callback(
        m_stream,
        [](pa_stream*, std::size_t, void* self) {
            static_cast<PulseAudioOutput*>(self)->writeAvailable();
        },
        this);
    pa_stream_set_latency_update_callback(
        m_stream,
        [](pa_stream*, void* self) { static_cast<PulseAudioOutput*>(self)->keepTiming(); }, this);
    const pa_buffer_attr buffer = bufferFor(m_paused);
    const auto flags =
        static_cast<pa_stream_flags_t>(PA_STREAM_START_CORKED | PA_STREAM_AUTO_TIMING_UPDATE);
    return pa_stream_connect_playback(m_stream, nullptr, &buffer, flags, nullptr, nullptr) >= 0;
}

// The server keeps twice the request queued and the sink's latency beyond: more than the next
// track needs to open, so that it follows without a break. A paused stream still counts among
// the sink's, and asks for the longer latency, so that the sink does not wake more often for it
// while others play.
pa_buffer_attr PulseAudioOutput::bufferFor(bool paused) const
{
    const pa_usec_t sinkUsec =
        paused || m_onPipeWire.value_or(false) ? graphLatencyUsec : sinkLatencyUsec;
    const pa_sample_spec format = sampleFormat();
    const auto bytes = [&format](pa_usec_t usec) {
        return static_cast<std::uint32_t>(pa_usec_to_bytes(usec, &format));
    };
    return {static_cast<std::uint32_t>(-1), bytes(2 * requestUsec + sinkUsec), bytes(startUsec),
            bytes(requestUsec), static_cast<std::uint32_t>(-1)};
}

// Under the loop's lock, while opening: whether PipeWire serves.
bool PulseAudioOutput::askServerName()
{
    pa_operation* asked = pa_context_get_server_info(
        m_context,
        [](pa_context*, const pa_server_info* server, void* self) {
            auto* output = static_cast<PulseAudioOutput*>(self);
            output->m_onPipeWire =
                server && server->server_name &&
                std::string_view(server->server_name).find("PipeWire") != std::string_view::npos;
            pa_threaded_mainloop_signal(output->m_mainloop, 0);
        },
        this);
    if (!asked)
        return false;
    const bool answered =
        waitFor([this] { return m_onPipeWire.has_value(); },
                [this] { return !PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context)); });
    if (!answered)
        pa_operation_cancel(asked);
    pa_operation_unref(asked);
    return answered;
}

template <typename Ready, typename Failed>
bool PulseAudioOutput::waitFor(Ready ready, Failed failed)
{
    while (!ready()) {
        if (failed() || m_timedOut)
            return false;
        pa_threaded_mainloop_wait(m_mainloop);
    }
    return true;
}

void PulseAudioOutput::stateChanged(void* self)
{
    auto* output = static_cast<PulseAudioOutput*>(self);
    pa_threaded_mainloop_signal(output->m_mainloop, 0);
    const bool contextGone = !PA_CONTEXT_IS_GOOD(pa_context_get_state(output->m_context));
    const bool streamGone =
        output->m_stream && !PA_STREAM_IS_GOOD(pa_stream_get_state(output->m_stream));
    if (output->m_ready && (contextGone || streamGone))
        output->reportLost();
}

void PulseAudioOutput::reportLost()
{
    if (m_closing || m_lost)
        return;
    m_lost = true;
    keepTiming();
    m_client->outputLost();
}

void PulseAudioOutput::setPaused(bool paused)
{
    LoopLock lock(m_mainloop);
    if (paused && !m_paused)
        timelineFrame(true); // the frame heard last is the one that holds
    const pa_buffer_attr before = bufferFor(std::exchange(m_paused, paused));
    if (m_ready && !m_lost) {
        // Asked for only where it changes: the output is told its state again and again.
        if (const pa_buffer_attr buffer = bufferFor(paused); buffer.tlength != before.tlength)
            forget(pa_stream_set_buffer_attr(m_stream, &buffer, nullptr, nullptr));
        forget(pa_stream_cork(m_stream, paused ? 1 : 0, nullptr, nullptr));
        // Once all that was played has been heard, the silence behind it would only delay
        // the next start.
        if (paused && holdsOnlySilenceUnheard())
            dropQueued();
        if (!paused)
            writeAvailable();
    }
    keepTiming();
}

// Under the loop's lock: whether the server is about to take the last of what it holds, so
// that audio written after that would be late. Counted from what was written and where the
// server's reading has come to by now: its read index itself is told only now and then. Until
// then audio that comes follows what was written without a break.
bool PulseAudioOutput::isNearlyDry()
{
    const auto retry = static_cast<std::int64_t>(2 * retryUsec * m_sampleRate / PA_USEC_PER_SEC);
    return fadeStart() + retry >= m_written;
}

std::int64_t PulseAudioOutput::requestFrames() const
{
    return static_cast<std::int64_t>(requestUsec * m_sampleRate / PA_USEC_PER_SEC);
}

// A block beyond the last audio, as the sink may play that a block later than it tells.
bool PulseAudioOutput::holdsOnlySilenceUnheard()
{
    return m_silenceFrom >= 0 &&
           timelineFrame(true) >= m_silenceFrom + std::llround(sinkBlockSeconds * m_sampleRate);
}

// The server's queue is written again from a little beyond what its sink may have taken: the
// ramp, then silence to its end. A sink takes audio in blocks, of up to its latency, so the
// ramp begins that much beyond the frame it was last known to have taken.
std::int64_t PulseAudioOutput::fadeOut()
{
    LoopLock lock(m_mainloop);
    if (!m_ready || m_lost || m_paused)
        return -1;
    return rewriteAsFade(fadeStart());
}

std::int64_t PulseAudioOutput::fadeDelay()
{
    return std::max<std::int64_t>(fadeStart() - playedFrames(), 0);
}

// Where a fade begun now would begin on the timeline.
std::int64_t PulseAudioOutput::fadeStart()
{
    const std::int64_t taken = takenFrames();
    const std::int64_t block = std::max<std::int64_t>(
        taken - playedFrames(), std::llround(sinkBlockSeconds * m_sampleRate));
    return taken + block + std::llround(fadeLeadSeconds * m_sampleRate);
}

// Under the loop's lock. -1 when the queue ends before `from`: nothing is left to fade.
std::int64_t PulseAudioOutput::rewriteAsFade(std::int64_t from)
{
    if (!rewriteRamped(from, m_volume, 0.0f))
        return -1;
    m_fading = true;
    return from;
}

// Under the loop's lock. Writes the queue again from `from` to its end, the gain going from
// `startGain` to `endGain` over a cut's ramp and holding there; false where the queue ends
// before the ramp would, or begins before what was kept.
bool PulseAudioOutput::rewriteRamped(std::int64_t from, float startGain, float endGain)
{
    const auto channels = static_cast<std::size_t>(m_channelCount);
    const auto keptFrames = static_cast<std::int64_t>(m_writtenRing.size() / channels);
    const auto rampFrames = std::max<std::int64_t>(std::llround(cutRampSeconds * m_sampleRate), 1);
    if (from + rampFrames > m_written || m_written - from > keptFrames)
        return false;
    std::vector<float> rewritten(static_cast<std::size_t>(m_written - from) * channels);
    for (std::int64_t frame = 0; frame < m_written - from; ++frame) {
        const float ramped =
            std::min(static_cast<float>(frame + 1) / static_cast<float>(rampFrames), 1.0f);
        const float gain = startGain + (endGain - startGain) * ramped;
        const auto kept = static_cast<std::size_t>((from + frame) % keptFrames) * channels;
        for (std::size_t channel = 0; channel < channels; ++channel)
            rewritten[static_cast<std::size_t>(frame) * channels + channel] =
                m_writtenRing[kept + channel] * gain;
    }
    const std::size_t bytes = rewritten.size() * sizeof(float);
    // Relative to the end of what was written, which is where this ends too.
    if (pa_stream_write(m_stream, rewritten.data(), bytes, nullptr,
                        -static_cast<std::int64_t>(bytes), PA_SEEK_RELATIVE) < 0)
        return false;
    keepTiming();
    return true;
}

// In at most two runs, where the ring wraps; of more than it holds, the last frames.
void PulseAudioOutput::keepWritten(std::int64_t at, const float* samples, std::int64_t frames)
{
    const auto channels = static_cast<std::int64_t>(m_channelCount);
    const auto keptFrames = static_cast<std::int64_t>(m_writtenRing.size()) / channels;
    const std::int64_t skipped = std::max<std::int64_t>(frames - keptFrames, 0);
    samples += skipped * channels;
    for (at += skipped, frames -= skipped; frames > 0;) {
        const std::int64_t kept = at % keptFrames;
        const std::int64_t run = std::min(frames, keptFrames - kept);
        std::copy_n(samples, run * channels, m_writtenRing.begin() + kept * channels);
        samples += run * channels;
        at += run;
        frames -= run;
    }
}

void PulseAudioOutput::flush()
{
    LoopLock lock(m_mainloop);
    if (m_ready && !m_lost)
        dropQueued();
    keepTiming();
}

// Under the loop's lock. The server's write index goes back to its read index, while the
// timeline goes on from what was written: the frames dropped are skipped.
void PulseAudioOutput::dropQueued()
{
    forget(pa_stream_flush(m_stream, nullptr, nullptr));
    m_silenceFrom = -1;
    m_fading = false;
}

std::int64_t PulseAudioOutput::playedFrames()
{
    return timelineFrame(true);
}

std::int64_t PulseAudioOutput::takenFrames()
{
    return timelineFrame(false);
}

// A server that a busy machine held back has taken less than its last word and the clock since
// make out, and a flush would cut the ramp it had not taken yet.
bool PulseAudioOutput::hasTaken(std::int64_t frame)
{
    LoopLock lock(m_mainloop);
    if (!m_ready || m_lost || m_paused)
        return true; // it takes nothing more
    {
        std::lock_guard timingLock(m_timingMutex);
        if (m_timing.moving && m_timing.taken >= static_cast<double>(frame))
            return true;
    }
    if (!m_askedTiming) {
        pa_operation* asked = pa_stream_update_timing_info(
            m_stream,
            [](pa_stream*, int, void* self) {
                auto* output = static_cast<PulseAudioOutput*>(self);
                output->m_askedTiming = false;
                output->keepTiming();
            },
            this);
        m_askedTiming = asked != nullptr;
        forget(asked);
    }
    return false;
}

// The frame heard now, or taken by the server now. The server tells what it had taken from
// the stream and what its sink still held then; from then on both move on with the time,
// but not past what was written when the stream ran dry. The frame heard may lie before the
// first frame while the sink holds more than that; pa_stream_get_time() would report 0 there
// and run ahead from it.
std::int64_t PulseAudioOutput::timelineFrame(bool heard)
{
    std::lock_guard lock(m_timingMutex);
    if (m_timing.moving) {
        const double moved = static_cast<double>(pa_timeval_age(&m_timing.at)) * m_sampleRate / 1e6;
        const double limit = m_timing.playing ? m_timing.written : m_timing.taken;
        const double frame =
            heard ? m_timing.taken + moved - m_timing.sinkFrames : m_timing.taken + moved;
        const auto known = static_cast<std::int64_t>(std::llround(std::min(frame, limit)));
        if (heard)
            m_played = std::max(m_played, known);
        else
            return std::max(known, m_played);
    }
    return m_played;
}

// On the loop's thread, after every timing update, write, cork and flush: the timing as the
// timeline counts it, the frames written.
void PulseAudioOutput::keepTiming()
{
    // Right after a flush the indexes are unknown for a moment; while paused nothing moves.
    const pa_timing_info* timing =
        m_ready && !m_lost && !m_paused ? pa_stream_get_timing_info(m_stream) : nullptr;
    const bool known = timing && !timing->write_index_corrupt && !timing->read_index_corrupt;
    std::lock_guard lock(m_timingMutex);
    m_timing.moving = known;
    if (!known)
        return;
    const double frameBytes = static_cast<double>(m_frameBytes);
    const double unread =
        static_cast<double>(timing->write_index - timing->read_index) / frameBytes;
    m_timing.written = static_cast<double>(m_written);
    m_timing.taken = m_timing.written - unread;
    m_timing.sinkFrames = static_cast<double>(timing->sink_usec) * m_sampleRate / 1e6;
    m_timing.playing = timing->playing != 0;
    m_timing.at = timing->timestamp;
}

// What the server holds and has not taken yet is written again at the new volume, ramped, from
// just beyond what it has taken. It is asked first how far that is: between its timing updates a
// sink takes whole blocks at once, and a rewrite behind what it took would be heard cut.
void PulseAudioOutput::setVolume(float volume)
{
    LoopLock lock(m_mainloop);
    const float previous = std::exchange(m_volume, std::clamp(volume, 0.0f, 1.0f));
    if (!m_ready || m_lost || m_volume == previous || m_queuedVolume)
        return;
    m_queuedVolume = previous;
    pa_operation* asked = pa_stream_update_timing_info(
        m_stream,
        [](pa_stream*, int, void* self) {
            static_cast<PulseAudioOutput*>(self)->rewriteAtVolume();
        },
        this);
    if (asked)
        pa_operation_unref(asked);
    else
        rewriteAtVolume(); // by the timing last told
}

// On the loop's thread, with the timing just told.
void PulseAudioOutput::rewriteAtVolume()
{
    keepTiming();
    const float queued = *std::exchange(m_queuedVolume, std::nullopt);
    if (m_ready && !m_lost && !m_fading && m_volume != queued)
        rewriteRamped(takenFrames() + volumeLeadFrames(), queued, m_volume);
}

// The write takes about as long to reach the server as its word took to come: on a busy
// machine that is more than the lead alone, and the sink would take the old volume past the
// ramp's start.
std::int64_t PulseAudioOutput::volumeLeadFrames()
{
    const pa_timing_info* timing = pa_stream_get_timing_info(m_stream);
    const double transport = timing ? static_cast<double>(timing->transport_usec) / 1e6 : 0.0;
    return std::llround((volumeLeadSeconds + std::min(transport, maxTransportSeconds)) *
                        m_sampleRate);
}

void PulseAudioOutput::setMediaName(const QString& name)
{
    LoopLock lock(m_mainloop);
    if (!m_ready || m_lost || name == m_mediaName)
        return;
    m_mediaName = name;
    Proplist properties(pa_proplist_new());
    pa_proplist_sets(properties.get(), PA_PROP_MEDIA_NAME, name.toUtf8().constData());
    forget(
        pa_stream_proplist_update(m_stream, PA_UPDATE_REPLACE, properties.get(), nullptr, nullptr));
}

void PulseAudioOutput::writeAvailable()
{
    if (m_paused || !m_ready || m_lost)
        return;
    writeRendered();
    keepTiming();
}

void PulseAudioOutput::writeRendered()
{
    const auto channels = static_cast<std::size_t>(m_channelCount);
    while (true) {
        const std::size_t writable = pa_stream_writable_size(m_stream);
        if (writable == static_cast<std::size_t>(-1) || writable < m_frameBytes)
            return;
        const std::int64_t at = landingFrame();
        const std::int64_t frames =
            static_cast<std::int64_t>(writable / m_frameBytes) + (m_written - at);
        if (m_rendered.size() < static_cast<std::size_t>(frames) * channels)
            m_rendered.resize(static_cast<std::size_t>(frames) * channels);
        const int filled = m_client->render(
            m_rendered.data(),
            static_cast<int>(std::min<std::int64_t>(frames, std::numeric_limits<int>::max())), at);
        if (filled > 0) {
            writeAt(at, filled, frames);
            m_dryRetries = 0;
        } else if (m_dryRetries < dryRetriesBeforeSilence) {
            ++m_dryRetries;
        }
        if (filled < frames) {
            if (m_dryRetries == dryRetriesBeforeSilence && isNearlyDry())
                writeSilence();
            retryWriteSoon();
            return;
        }
    }
}

// Where audio rendered now lands: behind what was written, or over the silence written while
// the client was dry, as far ahead of the server's reading as a fade would begin, so that the
// server has not taken it yet.
std::int64_t PulseAudioOutput::landingFrame()
{
    if (m_silenceFrom < 0)
        return m_written;
    return std::min(std::max(fadeStart(), m_silenceFrom), m_written);
}

// Writes the `filled` frames rendered to land at `at`; where they end before the silence
// written earlier does, the rest of that silence is written again behind them, so that what
// the server holds ends where it ended.
void PulseAudioOutput::writeAt(std::int64_t at, int filled, std::int64_t rendered)
{
    const auto channels = static_cast<std::size_t>(m_channelCount);
    const std::int64_t end = std::max(at + filled, m_written);
    const std::int64_t frames = std::min(end - at, rendered);
    std::fill(m_rendered.begin() + static_cast<std::ptrdiff_t>(filled * channels),
              m_rendered.begin() + static_cast<std::ptrdiff_t>(frames * channels), 0.0f);
    keepWritten(at, m_rendered.data(), frames);
    if (m_volume != 1.0f)
        for (float& sample :
             std::span(m_rendered).first(static_cast<std::size_t>(frames) * channels))
            sample *= m_volume;
    pa_stream_write(m_stream, m_rendered.data(), static_cast<std::size_t>(frames) * m_frameBytes,
                    nullptr, -(m_written - at) * static_cast<std::int64_t>(m_frameBytes),
                    PA_SEEK_RELATIVE);
    m_silenceFrom = at + filled < end ? at + filled : -1;
    m_written = end;
}

// A request's worth of silence behind what was written.
void PulseAudioOutput::writeSilence()
{
    const auto channels = static_cast<std::size_t>(m_channelCount);
    const std::int64_t frames = requestFrames();
    m_rendered.assign(std::max(m_rendered.size(), static_cast<std::size_t>(frames) * channels),
                      0.0f);
    keepWritten(m_written, m_rendered.data(), frames);
    pa_stream_write(m_stream, m_rendered.data(), static_cast<std::size_t>(frames) * m_frameBytes,
                    nullptr, 0, PA_SEEK_RELATIVE);
    if (m_silenceFrom < 0)
        m_silenceFrom = m_written;
    m_written += frames;
}

// Until the stream is paused: its queue may have more by then.
void PulseAudioOutput::retryWriteSoon()
{
    const pa_usec_t due = pa_rtclock_now() + retryUsec;
    if (m_retry) {
        pa_context_rttime_restart(m_context, m_retry, due);
        return;
    }
    m_retry = pa_context_rttime_new(
        m_context, due,
        [](pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
            static_cast<PulseAudioOutput*>(self)->writeAvailable();
        },
        this);
}
