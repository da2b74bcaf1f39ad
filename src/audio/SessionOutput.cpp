#include "audio/SessionOutput.h"

#include "audio/PlaybackStream.h"
#include "audio/PulseAudioOutput.h"
#include "audio/SdlAudioOutput.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// While on the silent clock, how often the sound device is tried again during play: often
// enough that sound is back within two seconds of a server that returns.
constexpr int retryIntervalMs = 1000;
// How long the device stays paused before it may rest: a seek pauses it for a moment only.
constexpr int restAfterMs = 1000;
// After the last track is heard, the device pauses this much later: a sink that takes audio
// in large blocks (PipeWire's, up to 2048 frames) plays the last of it somewhat later than its
// timing tells, and until the pause it plays only the silence written behind the audio.
constexpr int idlePauseDelayMs = 250;

template <typename Output>
std::unique_ptr<AudioOutput> opened(const AudioFormat& format, AudioOutput::Client* client)
{
    auto output = std::make_unique<Output>();
    if (!output->open(format, client))
        return nullptr;
    return output;
}

} // namespace

SessionOutput::SessionOutput(DeviceOpener openDevice)
    : m_opening(
          std::move(openDevice), m_streams,
          [this](SessionDevice device) { takeOpenedDevice(std::move(device)); },
          [this] { stopWaitingForDevice(); }, [this] { handleNotices(); }),
      m_draining([this] { finishDrain(); }), m_ramp([this] { awaitFadeEnd(); }),
      m_streams([this] { m_notice.post(); }), m_notice([this] { handleNotices(); })
{
    m_retryTimer.setInterval(retryIntervalMs);
    m_retryTimer.callOnTimeout([this] {
        if (!m_paused)
            retrySoundDevice();
    });
    m_soundingTimer.setSingleShot(true);
    m_soundingTimer.callOnTimeout([this] { checkSounding(); });
    m_idleTimer.setSingleShot(true);
    m_idleTimer.setInterval(idlePauseDelayMs);
    m_idleTimer.callOnTimeout([this] {
        if (m_device.output && !m_paused && !m_ramp.isRamping() && m_streams.isIdle())
            setDevicePaused(true);
    });
    m_restTimer.setSingleShot(true);
    m_restTimer.setInterval(restAfterMs);
    m_restTimer.callOnTimeout([this] {
        if (m_paused && m_device.output)
            m_device.output->rest();
    });
}

SessionOutput::~SessionOutput()
{
    // The devices go first: once they are gone nothing renders.
    m_draining.stop();
    m_device = {};
}

SessionOutput::DeviceOpener SessionOutput::soundDevice()
{
    return [](const AudioFormat& format, AudioOutput::Client* client) {
        std::unique_ptr<AudioOutput> output = opened<PulseAudioOutput>(format, client);
        return output ? std::move(output) : opened<SdlAudioOutput>(format, client);
    };
}

void SessionOutput::prepare(const PlaybackStream& stream)
{
    if (!m_device.output || !(stream.format() == m_format)) {
        finishCut();
        openDevice(stream.format());
    } else if (m_onSilentClock) {
        retrySoundDevice();
    }
}

void SessionOutput::start(PlaybackStream& stream, const QString& mediaName)
{
    // A stream that was paused is still where it was, on its device, also in its tail.
    if (!m_streams.holds(stream)) {
        prepare(stream);
        // Before it is queued, so that its first sample has the volume, and has it once.
        stream.setVolume(streamVolume());
        m_streams.append(stream);
    }
    m_mediaName = mediaName;
    m_device.output->setMediaName(mediaName);
    if (m_ramp.isRamping()) {
        m_paused = false; // the cut after the ramp resumes the device
        return;
    }
    setDevicePaused(false);
    checkSounding(); // a tail paused resumes
}

void SessionOutput::pause()
{
    if (!m_device.output)
        return;
    if (m_ramp.isRamping()) {
        m_paused = true; // the cut after the ramp leaves the device paused
        return;
    }
    if (!m_paused && beginFade()) {
        m_paused = true; // the cut after the ramp leaves the device paused
        m_restTimer.start();
        return;
    }
    setDevicePaused(true);
}

// Until the ramp has been heard nothing more is rendered.
bool SessionOutput::beginFade()
{
    if (!m_ramp.begin(*m_device.output, m_format))
        return false;
    m_streams.setRenderingRoute(StreamQueue::noRoute);
    awaitFadeEnd();
    return true;
}

void SessionOutput::awaitFadeEnd()
{
    if (m_ramp.isHeard(*m_device.output))
        finishCut();
}

// What the device holds past the ramp is silence: it is dropped, and the streams go on from
// where the ramp began.
void SessionOutput::finishCut()
{
    if (!m_ramp.isRamping())
        return;
    const std::int64_t from = m_ramp.finish();
    m_device.output->setPaused(true);
    restartFrom(from);
    m_device.output->flush();
    m_streams.setRenderingRoute(m_device.route->serial());
    setDevicePaused(m_paused || m_streams.isQueueEmpty()); // nothing is left after a stop
}

void SessionOutput::remove(PlaybackStream& stream)
{
    if (soundsOnDrainingDevice(stream))
        finishDrain(); // its tail goes with the old device
    // The device holds audio of a stream only while it is queued or its tail sounds; one that
    // was cut already (a stop before its player goes) needs no second cut, which would flush
    // whatever else is queued.
    if (!m_device.output || !m_streams.holds(stream)) {
        m_streams.forget(stream);
        return;
    }
    finishCut();
    const bool wasPlaying = !m_paused;
    if (wasPlaying && beginFade()) {
        // It holds the position where the ramp began; the others play on after the cut.
        stream.seek(stream.position(m_ramp.from()));
        m_streams.forget(stream);
        return;
    }
    setDevicePaused(true);
    const std::int64_t heard = stream.position(m_device.output->playedFrames());
    m_streams.forget(stream);
    // It holds the position that was heard; what it had handed over beyond that is dropped.
    stream.seek(heard);
    cutUnheard();
    if (wasPlaying && !m_streams.isQueueEmpty())
        setDevicePaused(false);
}

void SessionOutput::seek(PlaybackStream& stream, std::int64_t frame)
{
    if (soundsOnDrainingDevice(stream))
        bringBackDrainingDevice();
    if (!m_device.output || !m_streams.holds(stream)) {
        stream.seek(frame);
        return;
    }
    finishCut();
    const bool wasPlaying = !m_paused;
    const bool faded = wasPlaying && beginFade();
    if (!faded)
        setDevicePaused(true);
    m_streams.forget(stream);
    stream.seek(frame);
    if (!faded)
        cutUnheard();
    m_streams.prepend(stream); // one whose tail sounded plays on from the frame sought
    if (wasPlaying && !faded)
        setDevicePaused(false);
}

std::int64_t SessionOutput::positionOf(const PlaybackStream& stream)
{
    AudioOutput* device =
        soundsOnDrainingDevice(stream) ? m_draining.device().output.get() : m_device.output.get();
    return stream.position(device ? device->playedFrames() : 0);
}

std::int64_t SessionOutput::cutDelay()
{
    const bool ramps = m_device.output && !m_paused && m_ramp.wouldRamp();
    return ramps ? m_device.output->fadeDelay() : 0;
}

void SessionOutput::setVolume(float volume)
{
    m_volume = volume;
    applyVolume();
}

void SessionOutput::applyVolume()
{
    const bool onDevice = m_device.output && m_device.output->appliesVolume();
    // Sent only when it changes: the device writes its queue again for it.
    if (onDevice && m_volume != m_volumeOnDevice) {
        m_device.output->setVolume(m_volume);
        m_volumeOnDevice = m_volume;
    }
    m_streams.setVolume(streamVolume());
}

float SessionOutput::streamVolume() const
{
    return m_device.output && m_device.output->appliesVolume() ? 1.0f : m_volume;
}

void SessionOutput::handleNotices()
{
    const bool drainingLost = m_draining.device().route && m_draining.device().route->takeLoss();
    const bool deviceLost = m_device.route && m_device.route->takeLoss();
    if (drainingLost || deviceLost)
        finishCut();
    // The tail of the old format is gone with its device: the new format starts at once.
    if (drainingLost)
        finishDrain();
    if (deviceLost)
        switchToSilentClock();
    checkSounding();
}

// On the main thread, the owners of the streams that the render thread has taken whole since
// hear of it; a stream stopped or sought meanwhile is no longer among them.
void SessionOutput::tellHanded()
{
    for (const PlaybackStream* stream : m_streams.takeHanded())
        stream->handedToEnd();
}

// The streams whose last frame has been heard are told so. After the last track its tail plays
// out; then the device rests until the next play.
void SessionOutput::checkSounding()
{
    tellHanded();
    const StreamQueue::Heard heard =
        m_streams.takeHeard([this](std::uint64_t route) -> std::optional<std::int64_t> {
            AudioOutput* device = outputOfRoute(route);
            return device ? std::optional(device->playedFrames()) : std::nullopt;
        });
    if (heard.nextEndMs >= 0 && !m_paused)
        m_soundingTimer.start(heard.nextEndMs);
    if (heard.idle && m_device.output && !m_paused && !m_ramp.isRamping() &&
        !m_idleTimer.isActive())
        m_idleTimer.start();
    for (const PlaybackStream* stream : heard.ended)
        stream->heardToEnd();
}

// Nothing for a route whose device is gone, and its tail with it.
AudioOutput* SessionOutput::outputOfRoute(std::uint64_t route) const
{
    if (m_device.rendersFor(route))
        return m_device.output.get();
    if (m_draining.device().rendersFor(route))
        return m_draining.device().output.get();
    return nullptr;
}

bool SessionOutput::soundsOnDrainingDevice(const PlaybackStream& stream)
{
    // As nearly always: no lock on the way to the position.
    return m_draining.isDraining() &&
           m_streams.soundsOn(stream, m_draining.device().route->serial());
}

// The streams queued and not yet rendered leave the queue, and their owners hear of it.
void SessionOutput::dropQueued()
{
    for (const PlaybackStream* stream : m_streams.takeQueued())
        stream->dropped();
}

// The silent clock stands in at once, held at its start while the device opens, so that
// nothing of the new format is lost to a device that opens within moments.
void SessionOutput::openDevice(const AudioFormat& format)
{
    retireDevice();
    dropQueued(); // what was queued was in the old format
    m_format = format;
    if (m_opening.opensSoundDevices())
        m_opening.request(format, true);
    install(m_opening.silentClock(format), true);
    m_draining.await();
    checkSounding();
}

void SessionOutput::takeOpenedDevice(SessionDevice device)
{
    stopWaitingForDevice();
    if (device.output && m_onSilentClock && m_device.output) {
        carryStreamsOver();
        install(std::move(device), false);
        checkSounding();
    }
}

void SessionOutput::stopWaitingForDevice()
{
    if (m_opening.releaseStart() && m_device.output)
        setDevicePaused(m_paused);
}

// The device of the old format goes. One that is still sounding the end of the last track
// plays it out first, so that nothing of it is lost; the new device waits for it.
void SessionOutput::retireDevice()
{
    m_streams.setRenderingRoute(StreamQueue::noRoute);
    const bool mayDrain = m_device.output && !m_onSilentClock && !m_paused &&
                          m_streams.isQueueEmpty() && !m_draining.isDraining();
    if (const std::int64_t tailEnd = mayDrain
                                         ? m_streams.unheardTailEnd(m_device.route->serial(),
                                                                    m_device.output->playedFrames())
                                         : -1;
        tailEnd >= 0)
        m_draining.start(std::move(m_device), tailEnd, m_format);
    m_device = {};
}

// What the device still held was never heard: the queued streams go on from what was, on the
// device that comes next.
void SessionOutput::carryStreamsOver()
{
    m_device.output->setPaused(true);
    restartFromHeard();
    m_streams.setRenderingRoute(StreamQueue::noRoute);
    m_device = {}; // no two devices may render at once
}

void SessionOutput::restartFromHeard()
{
    restartFrom(m_device.output->playedFrames());
}

// With the device paused.
void SessionOutput::restartFrom(std::int64_t played)
{
    m_streams.restartFrom(m_device.route->serial(), played);
}

// A seek in a track whose tail the old format's device still plays: that device plays on, and
// the new format waits for its own start.
void SessionOutput::bringBackDrainingDevice()
{
    m_streams.setRenderingRoute(StreamQueue::noRoute);
    dropQueued(); // the new format's, which waits for its start again
    m_format = m_draining.format();
    m_device = m_draining.takeBack();
    m_onSilentClock = false;
    m_opening.cancel(); // the new format's device is not wanted now
    m_retryTimer.stop();
    m_streams.setRenderingRoute(m_device.route->serial());
}

void SessionOutput::install(SessionDevice device, bool onSilentClock)
{
    m_device = std::move(device);
    m_onSilentClock = onSilentClock;
    m_volumeOnDevice = 1.0f; // a new device starts at full volume
    m_streams.setRenderingRoute(m_device.route->serial());
    applyVolume();
    if (!m_mediaName.isEmpty())
        m_device.output->setMediaName(m_mediaName);
    if (onSilentClock)
        m_retryTimer.start();
    else
        m_retryTimer.stop();
    setDevicePaused(m_paused);
}

void SessionOutput::switchToSilentClock()
{
    if (m_onSilentClock || !m_device.output)
        return;
    carryStreamsOver();
    install(m_opening.silentClock(m_format), true);
    checkSounding();
}

void SessionOutput::retrySoundDevice()
{
    if (m_onSilentClock && m_device.output && !m_opening.isAwaiting())
        m_opening.request(m_format, false);
}

void SessionOutput::finishDrain()
{
    m_draining.stop();
    if (m_device.output)
        setDevicePaused(m_paused);
    checkSounding();
}

void SessionOutput::setDevicePaused(bool paused)
{
    m_paused = paused;
    if (paused)
        m_restTimer.start();
    else
        m_restTimer.stop();
    // The new format starts once the old one has played out, and once its device has opened
    // or has been waited for long enough.
    m_device.output->setPaused(paused || m_draining.isDraining() || m_opening.holdsStart());
    m_draining.setPaused(paused);
}

// After a cut, with the device paused: what it holds and has not played is dropped, and the
// other streams play again from what was heard of them.
void SessionOutput::cutUnheard()
{
    restartFromHeard();
    m_device.output->flush();
}
