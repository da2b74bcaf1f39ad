#pragma once

#include "audio/AudioOutput.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include <sys/time.h>

struct pa_buffer_attr;
struct pa_sample_spec;
struct pa_context;
struct pa_stream;
struct pa_threaded_mainloop;
struct pa_time_event;

// The desktop's sound server through libpulse (PipeWire serves the same protocol). The server
// holds a large buffer, so that it and this program wake rarely and the next track has time to
// open; the audible point comes from the stream's timing, latency included, so the displays
// stay in step with what is heard through any sink.
//
// Threads: libpulse's threaded main loop runs every callback, the client's render() included,
// under the loop's lock; the members take that lock, except the two that read the time: they
// work from a copy of the stream's timing that the loop's thread keeps, so that the displays'
// clock never waits for the loop.
class PulseAudioOutput final : public AudioOutput
{
public:
    PulseAudioOutput() = default;
    ~PulseAudioOutput() override;

    PulseAudioOutput(const PulseAudioOutput&) = delete;
    PulseAudioOutput& operator=(const PulseAudioOutput&) = delete;

    // False when no server answers in time or it refuses the stream.
    bool open(const AudioFormat& format, Client* client) override;
    void setPaused(bool paused) override;
    // Rewrites the server's queue ahead of its read point: the ramp, then silence.
    std::int64_t fadeOut() override;
    std::int64_t fadeDelay() override;
    void flush() override;
    std::int64_t playedFrames() override;
    std::int64_t takenFrames() override;
    bool hasTaken(std::int64_t frame) override;
    bool appliesVolume() const override { return true; }
    void setVolume(float volume) override;
    void setMediaName(const QString& name) override;

private:
    bool connectContext();
    bool askServerName();
    pa_sample_spec sampleFormat() const;
    bool connectStream();
    pa_buffer_attr bufferFor(bool paused) const;
    template <typename Ready, typename Failed> bool waitFor(Ready ready, Failed failed);
    void writeAvailable();
    void writeRendered();
    std::int64_t landingFrame();
    void writeAt(std::int64_t at, int filled, std::int64_t rendered);
    void writeSilence();
    void dropQueued();
    bool holdsOnlySilenceUnheard();
    void retryWriteSoon();
    bool isNearlyDry();
    std::int64_t requestFrames() const;
    void keepWritten(std::int64_t at, const float* samples, std::int64_t frames);
    std::int64_t fadeStart();
    std::int64_t rewriteAsFade(std::int64_t from);
    bool rewriteRamped(std::int64_t from, float startGain, float endGain);
    void rewriteAtVolume();
    std::int64_t volumeLeadFrames();
    void keepTiming();
    std::int64_t timelineFrame(bool heard);
    void reportLost();
    static void stateChanged(void* self);

    Client* m_client = nullptr;
    pa_threaded_mainloop* m_mainloop = nullptr;
    pa_context* m_context = nullptr;
    pa_stream* m_stream = nullptr;
    pa_time_event* m_deadline = nullptr;
    pa_time_event* m_retry = nullptr;
    int m_sampleRate = 44100;
    int m_channelCount = 2;
    std::size_t m_frameBytes = 8;
    QString m_mediaName;
    // The rest only under the loop's lock.
    bool m_timedOut = false;
    std::optional<bool> m_onPipeWire; // once the server has told its name
    bool m_ready = false;
    bool m_closing = false;
    bool m_lost = false;
    bool m_paused = true;
    // Applied to the samples as they are written: the server's own volume for the stream steps
    // in the middle of a wave, so a change is made by writing its queue again, ramped.
    float m_volume = 1.0f;
    // The volume of what the server holds, while a rewrite at m_volume waits for the timing.
    std::optional<float> m_queuedVolume;
    bool m_fading = false;      // the queue holds a fade's silence until it is flushed
    bool m_askedTiming = false; // a timing update asked for by hasTaken() is on its way
    std::int64_t m_written = 0;
    // Where the silence written while the client had nothing begins, on the timeline; -1 for
    // none. The audio that comes next is written over it, as far as the server has not taken it.
    std::int64_t m_silenceFrom = -1;
    // What the client renders into before it is written; grown, never shrunk.
    std::vector<float> m_rendered;
    // The writes in a row that the client had nothing for.
    int m_dryRetries = 0;
    // The last frames written, before the volume, by their frame on the timeline modulo its
    // size: what a fade or a change of the volume rewrites.
    std::vector<float> m_writtenRing;

    // What the server last told of the stream, on the timeline, and when: kept by the loop's
    // thread under the loop's lock, read under m_timingMutex alone.
    struct Timing
    {
        bool moving = false;  // known, and not corked
        bool playing = false; // not run dry
        double taken = 0.0;   // the frame the server had taken from the stream
        double sinkFrames = 0.0;
        double written = 0.0;
        timeval at{};
    };
    std::mutex m_timingMutex;
    Timing m_timing;
    std::int64_t m_played = 0; // under m_timingMutex
};
