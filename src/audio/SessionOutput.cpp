#include "audio/SessionOutput.h"

#include "audio/ClockAudioOutput.h"
#include "audio/PlaybackStream.h"
#include "audio/PulseAudioOutput.h"
#include "audio/SdlAudioOutput.h"
#include "audio/WorkQueue.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {

// While on the silent clock, how often the sound device is tried again during play: often
// enough that sound is back within two seconds of a server that returns.
constexpr int retryIntervalMs = 1000;
// How long a new format's first frames wait for its device before they go on on the silent
// clock: a local server answers well within it, so a track's start is heard whole.
constexpr int deviceWaitMs = 300;
// How long the device stays paused before it may rest: a seek pauses it for a moment only.
constexpr int restAfterMs = 1000;
// Cuts closer together than this are one burst.
constexpr qint64 fadeBurstMs = 150;
// A device that takes nothing of a tail for this long will not play the rest of it.
constexpr int drainStallMs = 1000;
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

int millisecondsOf(std::int64_t frames, int sampleRate)
{
    return static_cast<int>(std::max<std::int64_t>(frames, 0) * 1000 / std::max(sampleRate, 1));
}

} // namespace

// What one device renders through. Only the current device's route takes from the queue, so a
// device that was replaced, or plays out the tail of another format, renders nothing more; and
// a loss it reports is told apart from the loss of the device that replaced it.
class SessionOutput::Route final : public AudioOutput::Client
{
public:
    Route(SessionOutput& session, std::uint64_t serial)
        : m_session(session), m_inbox(session.m_devices.inbox()), m_serial(serial)
    {}

    std::uint64_t serial() const { return m_serial; }
    // On the main thread: whether the device was lost since the last call.
    bool takeLoss() { return m_lost.exchange(false); }

    // Only a device that the session installed renders, and it goes before the session.
    int render(float* out, int frames, std::int64_t at) override
    {
        return m_session.render(*this, out, frames, at);
    }
    void outputLost() override
    {
        // Each route keeps its own loss: two devices lost at once are both heard of. A device
        // lost after the session has gone tells nobody.
        m_lost.store(true);
        m_inbox->post([&session = m_session] { session.handleNotices(); });
    }

private:
    SessionOutput& m_session;
    const std::shared_ptr<ReceiverLink::Inbox> m_inbox;
    const std::uint64_t m_serial;
    std::atomic<bool> m_lost{false};
};

SessionOutput::Device::Device(std::unique_ptr<Route> deviceRoute,
                              std::unique_ptr<AudioOutput> deviceOutput)
    : route(std::move(deviceRoute)), output(std::move(deviceOutput))
{}

SessionOutput::Device& SessionOutput::Device::operator=(Device&& other) noexcept
{
    output.reset(); // before its route, which it may still be rendering through
    route = std::move(other.route);
    output = std::move(other.output);
    return *this;
}

SessionOutput::Device::~Device()
{
    output.reset();
}

SessionOutput::SessionOutput(DeviceOpener openDevice)
    : m_openDevice(std::move(openDevice)), m_notice([this] { handleNotices(); })
{
    m_deviceWait.setSingleShot(true);
    m_deviceWait.setInterval(deviceWaitMs);
    m_deviceWait.callOnTimeout([this] { stopWaitingForDevice(); });
    m_retryTimer.setInterval(retryIntervalMs);
    m_retryTimer.callOnTimeout([this] {
        if (!m_paused)
            retrySoundDevice();
    });
    m_drainTimer.setSingleShot(true);
    m_drainTimer.callOnTimeout([this] { awaitDrain(); });
    m_soundingTimer.setSingleShot(true);
    m_soundingTimer.callOnTimeout([this] { checkSounding(); });
    m_idleTimer.setSingleShot(true);
    m_idleTimer.setInterval(idlePauseDelayMs);
    m_idleTimer.callOnTimeout([this] {
        if (m_device.output && !m_paused && m_fadeFrom < 0 && isIdle())
            setDevicePaused(true);
    });
    m_cutTimer.setSingleShot(true);
    m_cutTimer.callOnTimeout([this] { awaitFadeEnd(); });
    m_restTimer.setSingleShot(true);
    m_restTimer.setInterval(restAfterMs);
    m_restTimer.callOnTimeout([this] {
        if (m_paused && m_device.output)
            m_device.output->rest();
    });
}

SessionOutput::~SessionOutput()
{
    // Nothing comes back from here on; a device that opens later closes on its own thread. The
    // devices go first: once they are gone nothing renders. The quit does not wait for a server
    // that does not answer.
    m_devices.cut();
    m_draining = {};
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
    if (!holdsAudioOf(stream)) {
        prepare(stream);
        // Before it is queued, so that its first sample has the volume, and has it once.
        stream.setVolume(streamVolume());
        std::lock_guard lock(m_queueMutex);
        m_queue.push_back(&stream);
    }
    m_mediaName = mediaName;
    m_device.output->setMediaName(mediaName);
    if (m_fadeFrom >= 0) {
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
    if (m_fadeFrom >= 0) {
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

// Ramps the device down ahead of a cut, which follows once the ramp has been heard; until then
// nothing more is rendered. False where the cut is to be made at once: on a device that cannot
// ramp, and within a burst of cuts (a scrub), each of which would wait for its ramp.
bool SessionOutput::beginFade()
{
    if (m_lastFade.isValid() && m_lastFade.elapsed() < fadeBurstMs)
        return false;
    m_lastFade.start();
    const std::int64_t from = m_device.output->fadeOut();
    if (from < 0)
        return false;
    m_fadeFrom = from;
    m_fadeEnd = from + std::llround(cutRampSeconds * m_format.sampleRate);
    {
        std::lock_guard lock(m_queueMutex);
        m_currentRoute = nullptr;
    }
    awaitFadeEnd();
    return true;
}

void SessionOutput::awaitFadeEnd()
{
    const std::int64_t left = m_fadeEnd - m_device.output->playedFrames();
    if (left <= 0)
        finishCut();
    else
        m_cutTimer.start(millisecondsOf(left, m_format.sampleRate) + 1);
}

// What the device holds past the ramp is silence: it is dropped, and the streams go on from
// where the ramp began.
void SessionOutput::finishCut()
{
    if (m_fadeFrom < 0)
        return;
    m_cutTimer.stop();
    const std::int64_t from = std::exchange(m_fadeFrom, -1);
    m_device.output->setPaused(true);
    restartFrom(from);
    m_device.output->flush();
    {
        std::lock_guard lock(m_queueMutex);
        m_currentRoute = m_device.route.get();
    }
    setDevicePaused(m_paused || isQueueEmpty()); // nothing is left after a stop
}

void SessionOutput::remove(PlaybackStream& stream)
{
    if (soundsOnDrainingDevice(stream))
        finishDrain(); // its tail goes with the old device
    // The device holds audio of a stream only while it is queued or its tail sounds; one that
    // was cut already (a stop before its player goes) needs no second cut, which would flush
    // whatever else is queued.
    if (!m_device.output || !holdsAudioOf(stream)) {
        forget(stream);
        return;
    }
    finishCut();
    const bool wasPlaying = !m_paused;
    if (wasPlaying && beginFade()) {
        // It holds the position where the ramp began; the others play on after the cut.
        stream.seek(stream.position(m_fadeFrom));
        forget(stream);
        return;
    }
    setDevicePaused(true);
    const std::int64_t heard = stream.position(m_device.output->playedFrames());
    forget(stream);
    // It holds the position that was heard; what it had handed over beyond that is dropped.
    stream.seek(heard);
    cutUnheard();
    if (wasPlaying && !isQueueEmpty())
        setDevicePaused(false);
}

void SessionOutput::seek(PlaybackStream& stream, std::int64_t frame)
{
    if (soundsOnDrainingDevice(stream))
        bringBackDrainingDevice();
    if (!m_device.output || !holdsAudioOf(stream)) {
        stream.seek(frame);
        return;
    }
    finishCut();
    const bool wasPlaying = !m_paused;
    const bool faded = wasPlaying && beginFade();
    if (!faded)
        setDevicePaused(true);
    forget(stream);
    stream.seek(frame);
    if (!faded)
        cutUnheard();
    {
        // A stream whose tail sounded plays on from the frame sought.
        std::lock_guard lock(m_queueMutex);
        m_queue.push_front(&stream);
    }
    if (wasPlaying && !faded)
        setDevicePaused(false);
}

std::int64_t SessionOutput::positionOf(const PlaybackStream& stream)
{
    AudioOutput* device =
        soundsOnDrainingDevice(stream) ? m_draining.output.get() : m_device.output.get();
    return stream.position(device ? device->playedFrames() : 0);
}

std::int64_t SessionOutput::cutDelay()
{
    const bool ramps = m_device.output && !m_paused && m_fadeFrom < 0 &&
                       !(m_lastFade.isValid() && m_lastFade.elapsed() < fadeBurstMs);
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
    // Sent only when it changes, so that a volume the user set in the desktop's mixer stays.
    if (onDevice && m_volume != m_volumeOnDevice) {
        m_device.output->setVolume(m_volume);
        m_volumeOnDevice = m_volume;
    }
    const float volume = streamVolume();
    std::lock_guard lock(m_queueMutex);
    for (PlaybackStream* stream : m_queue)
        stream->setVolume(volume);
}

float SessionOutput::streamVolume() const
{
    return m_device.output && m_device.output->appliesVolume() ? 1.0f : m_volume;
}

int SessionOutput::render(const Route& route, float* out, int frames, std::int64_t at)
{
    std::lock_guard lock(m_queueMutex);
    if (&route != m_currentRoute)
        return 0;
    int filled = 0;
    while (filled < frames && !m_queue.empty()) {
        PlaybackStream* stream = m_queue.front();
        const auto offset = static_cast<std::size_t>(filled) * stream->format().channelCount;
        filled += stream->render(out + offset, frames - filled, at + filled);
        if (!stream->isFinished())
            break; // its decoder fell behind: the next track must not start early
        m_queue.pop_front();
        m_sounding.push_back({stream, route.serial()});
        m_notice.post();
    }
    return filled;
}

void SessionOutput::handleNotices()
{
    const bool drainingLost = m_draining.route && m_draining.route->takeLoss();
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
    std::vector<const PlaybackStream*> handed;
    {
        std::lock_guard lock(m_queueMutex);
        for (Sounding& sounding : m_sounding) {
            if (!std::exchange(sounding.toldHanded, true))
                handed.push_back(sounding.stream);
        }
    }
    for (const PlaybackStream* stream : handed)
        stream->handedToEnd();
}

// The streams whose last frame has been heard are told so. After the last track its tail plays
// out; then the device rests until the next play.
void SessionOutput::checkSounding()
{
    tellHanded();
    std::vector<const PlaybackStream*> ended;
    int nextCheckMs = -1;
    bool idle = false;
    {
        std::lock_guard lock(m_queueMutex);
        std::erase_if(m_sounding, [&](const Sounding& sounding) {
            AudioOutput* device = outputOfRoute(sounding.route);
            const std::int64_t end = sounding.stream->endOnTimeline();
            const std::int64_t left = device && end >= 0 ? end - device->playedFrames() : 0;
            if (left <= 0) {
                ended.push_back(sounding.stream);
                return true;
            }
            const int ms = millisecondsOf(left, sounding.stream->format().sampleRate) + 2;
            nextCheckMs = nextCheckMs < 0 ? ms : std::min(nextCheckMs, ms);
            return false;
        });
        idle = m_queue.empty() && m_sounding.empty();
    }
    if (nextCheckMs >= 0 && !m_paused)
        m_soundingTimer.start(nextCheckMs);
    if (idle && m_device.output && !m_paused && m_fadeFrom < 0 && !m_idleTimer.isActive())
        m_idleTimer.start();
    for (const PlaybackStream* stream : ended)
        stream->heardToEnd();
}

// Under m_queueMutex.
AudioOutput* SessionOutput::outputOfRoute(std::uint64_t route) const
{
    if (m_device.route && m_device.route->serial() == route)
        return m_device.output.get();
    if (m_draining.route && m_draining.route->serial() == route)
        return m_draining.output.get();
    return nullptr; // gone, and its tail with it
}

bool SessionOutput::soundsOnDrainingDevice(const PlaybackStream& stream)
{
    if (!m_draining.route)
        return false; // as nearly always: no lock on the way to the position
    std::lock_guard lock(m_queueMutex);
    return std::ranges::any_of(m_sounding, [&](const Sounding& sounding) {
        return sounding.stream == &stream && sounding.route == m_draining.route->serial();
    });
}

// The end on the current device's timeline of the tail that it still plays; -1 for none.
std::int64_t SessionOutput::unheardTailEnd()
{
    const std::int64_t played = m_device.output->playedFrames();
    const std::uint64_t route = m_device.route->serial();
    std::lock_guard lock(m_queueMutex);
    std::int64_t end = -1;
    for (const Sounding& sounding : m_sounding) {
        if (const std::int64_t tailEnd = sounding.stream->endOnTimeline();
            sounding.route == route && tailEnd > played)
            end = std::max(end, tailEnd);
    }
    return end;
}

bool SessionOutput::holdsAudioOf(const PlaybackStream& stream)
{
    std::lock_guard lock(m_queueMutex);
    return std::ranges::find(m_queue, &stream) != m_queue.end() ||
           std::ranges::find(m_sounding, &stream, &Sounding::stream) != m_sounding.end();
}

void SessionOutput::forget(const PlaybackStream& stream)
{
    std::lock_guard lock(m_queueMutex);
    std::erase(m_queue, &stream);
    std::erase_if(m_sounding, [&](const Sounding& sounding) { return sounding.stream == &stream; });
}

// The streams queued and not yet rendered leave the queue, and their owners hear of it.
void SessionOutput::dropQueued()
{
    std::deque<PlaybackStream*> dropped;
    {
        std::lock_guard lock(m_queueMutex);
        dropped.swap(m_queue);
    }
    for (const PlaybackStream* stream : dropped)
        stream->dropped();
}

bool SessionOutput::isIdle()
{
    std::lock_guard lock(m_queueMutex);
    return m_queue.empty() && m_sounding.empty();
}

bool SessionOutput::isQueueEmpty()
{
    std::lock_guard lock(m_queueMutex);
    return m_queue.empty();
}

// The silent clock stands in at once, held at its start while the device opens, so that
// nothing of the new format is lost to a device that opens within moments.
void SessionOutput::openDevice(const AudioFormat& format)
{
    retireDevice();
    dropQueued(); // what was queued was in the old format
    m_format = format;
    m_waitingForDevice = static_cast<bool>(m_openDevice);
    install(openSilentClock(format), true);
    requestSoundDevice();
    awaitDrain();
    checkSounding();
}

// Opening a device may wait on the sound server for a long time: it runs on the devices' lane,
// and the device comes back through the inbox.
void SessionOutput::requestSoundDevice()
{
    if (!m_openDevice)
        return;
    m_awaitedRoute = ++m_routesMade;
    if (m_waitingForDevice)
        m_deviceWait.start();
    // The route and the device are shared only to be carried by copyable calls. A device that
    // opens once the session has gone is dropped with its call, and closed, on this thread.
    WorkQueue::lane(WorkLane::Devices)
        .run([this, inbox = m_devices.inbox(), open = m_openDevice, format = m_format,
              route = std::make_shared<std::unique_ptr<Route>>(
                  std::make_unique<Route>(*this, m_awaitedRoute))] {
            std::unique_ptr<AudioOutput> output = open(format, route->get());
            auto device = std::make_shared<Device>(std::move(*route), std::move(output));
            inbox->post([this, device] { takeOpenedDevice(std::move(*device)); });
        });
}

void SessionOutput::takeOpenedDevice(Device device)
{
    // One asked for before the format or the device last changed is closed unused.
    if (device.route->serial() != m_awaitedRoute)
        return;
    m_awaitedRoute = 0;
    stopWaitingForDevice();
    if (device.output && m_onSilentClock && m_device.output) {
        carryStreamsOver();
        install(std::move(device), false);
        checkSounding();
    }
}

void SessionOutput::stopWaitingForDevice()
{
    m_deviceWait.stop();
    if (std::exchange(m_waitingForDevice, false) && m_device.output)
        setDevicePaused(m_paused);
}

SessionOutput::Device SessionOutput::openSilentClock(const AudioFormat& format)
{
    Device device(std::make_unique<Route>(*this, ++m_routesMade),
                  std::make_unique<ClockAudioOutput>());
    device.output->open(format, device.route.get());
    return device;
}

// The device of the old format goes. One that is still sounding the end of the last track
// plays it out first, so that nothing of it is lost; the new device waits for it.
void SessionOutput::retireDevice()
{
    {
        std::lock_guard lock(m_queueMutex);
        m_currentRoute = nullptr;
    }
    const bool mayDrain =
        m_device.output && !m_onSilentClock && !m_paused && isQueueEmpty() && !m_draining.output;
    if (const std::int64_t tailEnd = mayDrain ? unheardTailEnd() : -1; tailEnd >= 0) {
        m_drainEnd = tailEnd;
        m_drainTaken = -1;
        m_drainFormat = m_format;
        m_draining = std::move(m_device);
    }
    m_device = {};
}

// What the device still held was never heard: the queued streams go on from what was, on the
// device that comes next.
void SessionOutput::carryStreamsOver()
{
    m_device.output->setPaused(true);
    restartFromHeard();
    {
        std::lock_guard lock(m_queueMutex);
        m_currentRoute = nullptr;
    }
    m_device = {}; // no two devices may render at once
}

void SessionOutput::restartFromHeard()
{
    restartFrom(m_device.output->playedFrames());
}

// With the device paused: each stream that it holds audio of plays again from what of it lies
// at `played` on the timeline, those whose tail sounds first; one not reached from its first
// frame.
void SessionOutput::restartFrom(std::int64_t played)
{
    const std::uint64_t route = m_device.route->serial();
    std::lock_guard lock(m_queueMutex);
    std::deque<PlaybackStream*> restarted;
    std::erase_if(m_sounding, [&](const Sounding& sounding) {
        const bool unheardTail =
            sounding.route == route && played < sounding.stream->endOnTimeline();
        if (unheardTail)
            restarted.push_back(sounding.stream);
        return unheardTail;
    });
    restarted.insert(restarted.end(), m_queue.begin(), m_queue.end());
    for (PlaybackStream* stream : restarted)
        stream->seek(stream->position(played));
    m_queue = std::move(restarted);
}

// A seek in a track whose tail the old format's device still plays: that device plays on, and
// the new format waits for its own start.
void SessionOutput::bringBackDrainingDevice()
{
    m_drainTimer.stop();
    {
        std::lock_guard lock(m_queueMutex);
        m_currentRoute = nullptr;
    }
    dropQueued(); // the new format's, which waits for its start again
    m_device = std::move(m_draining);
    m_format = m_drainFormat;
    m_onSilentClock = false;
    m_awaitedRoute = 0; // the new format's device is not wanted now
    m_deviceWait.stop();
    m_waitingForDevice = false;
    m_retryTimer.stop();
    {
        std::lock_guard lock(m_queueMutex);
        m_currentRoute = m_device.route.get();
    }
}

void SessionOutput::install(Device device, bool onSilentClock)
{
    m_device = std::move(device);
    m_onSilentClock = onSilentClock;
    m_volumeOnDevice = 1.0f; // a new stream starts at the server's own volume
    {
        std::lock_guard lock(m_queueMutex);
        m_currentRoute = m_device.route.get();
    }
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
    install(openSilentClock(m_format), true);
    checkSounding();
}

void SessionOutput::retrySoundDevice()
{
    if (m_onSilentClock && m_device.output && m_awaitedRoute == 0)
        requestSoundDevice();
}

void SessionOutput::awaitDrain()
{
    if (!m_draining.output)
        return;
    if (m_paused) {
        m_drainTaken = -1; // a pause is no stall
        return;
    }
    // The new device starts once the old one has taken its last frame on to be played, so
    // that the first frame of the new format follows the last of the old as closely as two
    // devices allow. A device that takes nothing more for a while has taken all it will: it is
    // not waited for in vain.
    const std::int64_t taken = m_draining.output->takenFrames();
    if (std::exchange(m_drainTaken, taken) != taken)
        m_drainMoved.start();
    const std::int64_t left = m_drainEnd - taken;
    if (left <= 0 || m_drainMoved.elapsed() >= drainStallMs) {
        finishDrain();
        return;
    }
    m_drainTimer.start(std::min(millisecondsOf(left, m_drainFormat.sampleRate) + 1, drainStallMs));
}

void SessionOutput::finishDrain()
{
    m_drainTimer.stop();
    m_draining = {};
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
    if (m_draining.output)
        m_draining.output->setPaused(paused);
    // The new format starts once the old one has played out, and once its device has opened
    // or has been waited for long enough.
    m_device.output->setPaused(paused || m_draining.output || m_waitingForDevice);
    awaitDrain();
}

// After a cut, with the device paused: what it holds and has not played is dropped, and the
// other streams play again from what was heard of them.
void SessionOutput::cutUnheard()
{
    restartFromHeard();
    m_device.output->flush();
}
