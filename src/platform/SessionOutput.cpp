#include "platform/SessionOutput.h"

#include "platform/ClockAudioOutput.h"
#include "platform/PlaybackStream.h"
#include "platform/PulseAudioOutput.h"
#include "platform/SdlAudioOutput.h"

#include <algorithm>

namespace {

// While on the silent clock, how often the sound device is tried again during play: often
// enough that sound is back within two seconds of a server that returns.
constexpr int retryIntervalMs = 1000;

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
    Route(SessionOutput& session, std::uint64_t serial) : m_session(session), m_serial(serial) {}

    std::uint64_t serial() const { return m_serial; }

    int render(float* out, int frames, std::int64_t at) override
    {
        return m_session.render(*this, out, frames, at);
    }
    void outputLost() override { m_session.routeLost(*this); }

private:
    SessionOutput& m_session;
    const std::uint64_t m_serial;
};

SessionOutput::SessionOutput(DeviceOpener openDevice)
    : m_openDevice(std::move(openDevice)), m_notice([this] { handleNotices(); })
{
    m_retryTimer.setInterval(retryIntervalMs);
    m_retryTimer.callOnTimeout([this] {
        if (!m_paused)
            retrySoundDevice();
    });
    m_drainTimer.setSingleShot(true);
    m_drainTimer.callOnTimeout([this] { awaitDrain(); });
}

SessionOutput::~SessionOutput()
{
    // The devices first: once they are gone nothing renders and nothing more is posted.
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
    if (!m_device.output || !(stream.format() == m_format))
        openDevice(stream.format());
    else if (m_onSilentClock)
        retrySoundDevice();
}

void SessionOutput::start(PlaybackStream& stream, const QString& mediaName)
{
    prepare(stream);
    // Before it is queued, so that its first sample has the volume, and has it once.
    stream.setVolume(streamVolume());
    {
        std::lock_guard lock(m_queueMutex);
        if (std::find(m_queue.begin(), m_queue.end(), &stream) == m_queue.end())
            m_queue.push_back(&stream);
    }
    m_mediaName = mediaName;
    m_device.output->setMediaName(mediaName);
    setDevicePaused(false);
}

void SessionOutput::pause()
{
    if (m_device.output)
        setDevicePaused(true);
}

void SessionOutput::remove(PlaybackStream& stream, bool cut)
{
    // The device holds audio of a stream only while it is queued or once it has handed its
    // last frame; one that was cut already (a stop before its player goes) needs no second cut,
    // which would flush whatever else is queued.
    if (!cut || !m_device.output || !(isQueued(stream) || stream.isFinished())) {
        std::lock_guard lock(m_queueMutex);
        std::erase(m_queue, &stream);
        return;
    }
    const bool wasPlaying = !m_paused;
    setDevicePaused(true);
    const std::int64_t heard = stream.position(m_device.output->playedFrames());
    bool othersQueued = false;
    {
        std::lock_guard lock(m_queueMutex);
        std::erase(m_queue, &stream);
        othersQueued = !m_queue.empty();
    }
    // It holds the position that was heard; what it had handed over beyond that is dropped.
    stream.seek(heard);
    dropUnheard();
    if (wasPlaying && othersQueued)
        setDevicePaused(false);
}

void SessionOutput::seek(PlaybackStream& stream, std::int64_t frame)
{
    if (!m_device.output || !isQueued(stream)) {
        stream.seek(frame);
        return;
    }
    const bool wasPlaying = !m_paused;
    setDevicePaused(true);
    stream.seek(frame);
    dropUnheard();
    if (wasPlaying)
        setDevicePaused(false);
}

std::int64_t SessionOutput::positionOf(const PlaybackStream& stream)
{
    return stream.position(m_device.output ? m_device.output->playedFrames() : 0);
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
        if (m_queue.empty()) {
            m_emptiedAt.store(at + filled);
            m_notice.post();
        }
    }
    if (filled > 0)
        m_handedEnd.store(at + filled);
    return filled;
}

void SessionOutput::routeLost(const Route& route)
{
    m_lostRoute.store(route.serial());
    m_notice.post();
}

void SessionOutput::handleNotices()
{
    const std::uint64_t lost = m_lostRoute.exchange(0);
    if (m_draining.route && lost == m_draining.route->serial())
        finishDrain();
    else if (m_device.route && lost == m_device.route->serial())
        switchToSilentClock();
    if (const std::int64_t end = m_emptiedAt.exchange(-1); end >= 0 && m_device.route)
        restOnceHeard(end, m_device.route->serial());
}

void SessionOutput::restOnceHeard(std::int64_t end, std::uint64_t route)
{
    // After the last track its tail plays out; then the device rests until the next play.
    if (!m_device.route || m_device.route->serial() != route || m_paused || !isQueueEmpty())
        return;
    const std::int64_t left = end - m_device.output->playedFrames();
    if (left <= 0) {
        setDevicePaused(true);
        return;
    }
    QTimer::singleShot(millisecondsOf(left, m_format.sampleRate) + 20, &m_notice,
                       [this, end, route] { restOnceHeard(end, route); });
}

bool SessionOutput::isQueueEmpty()
{
    std::lock_guard lock(m_queueMutex);
    return m_queue.empty();
}

bool SessionOutput::isQueued(const PlaybackStream& stream)
{
    std::lock_guard lock(m_queueMutex);
    return std::find(m_queue.begin(), m_queue.end(), &stream) != m_queue.end();
}

void SessionOutput::openDevice(const AudioFormat& format)
{
    retireDevice();
    {
        std::lock_guard lock(m_queueMutex);
        m_queue.clear(); // what was queued was in the old format
    }
    m_format = format;
    if (Device device = openSoundDevice(format); device.output)
        install(std::move(device), false);
    else
        install(openSilentClock(format), true);
    awaitDrain();
}

SessionOutput::Device SessionOutput::openSoundDevice(const AudioFormat& format)
{
    Device device{std::make_unique<Route>(*this, ++m_routesMade), nullptr};
    if (m_openDevice)
        device.output = m_openDevice(format, device.route.get());
    return device;
}

SessionOutput::Device SessionOutput::openSilentClock(const AudioFormat& format)
{
    Device device{std::make_unique<Route>(*this, ++m_routesMade),
                  std::make_unique<ClockAudioOutput>()};
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
    const bool sounding = m_device.output && !m_onSilentClock && !m_paused && isQueueEmpty() &&
                          m_handedEnd.load() > m_device.output->playedFrames();
    if (sounding && !m_draining.output) {
        m_drainEnd = m_handedEnd.load();
        m_drainRate = m_format.sampleRate;
        m_draining = std::move(m_device);
    }
    m_device = {};
    m_handedEnd.store(-1);
}

// What the device still held was never heard: the queued streams go on from what was, on the
// device that comes next.
void SessionOutput::carryStreamsOver()
{
    m_device.output->setPaused(true);
    const std::int64_t played = m_device.output->playedFrames();
    {
        std::lock_guard lock(m_queueMutex);
        m_currentRoute = nullptr;
        for (PlaybackStream* stream : m_queue)
            stream->seek(stream->position(played));
    }
    m_device = {}; // no two devices may render at once
    m_handedEnd.store(-1);
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
}

void SessionOutput::retrySoundDevice()
{
    if (!m_onSilentClock || !m_device.output)
        return;
    Device device = openSoundDevice(m_format);
    if (!device.output)
        return;
    carryStreamsOver();
    install(std::move(device), false);
}

void SessionOutput::awaitDrain()
{
    if (!m_draining.output || m_paused)
        return;
    // The new device starts once the old one has taken its last frame on to be played, so
    // that the first frame of the new format follows the last of the old as closely as two
    // devices allow.
    const std::int64_t left = m_drainEnd - m_draining.output->takenFrames();
    if (left <= 0) {
        finishDrain();
        return;
    }
    m_drainTimer.start(millisecondsOf(left, m_drainRate) + 1);
}

void SessionOutput::finishDrain()
{
    m_drainTimer.stop();
    m_draining = {};
    if (m_device.output)
        setDevicePaused(m_paused);
}

void SessionOutput::setDevicePaused(bool paused)
{
    m_paused = paused;
    if (m_draining.output)
        m_draining.output->setPaused(paused);
    // The new format starts once the old one has played out.
    m_device.output->setPaused(paused || m_draining.output);
    awaitDrain();
}

// After a cut: what was handed over and not yet heard is dropped, and nothing is left to play
// out should the format change next.
void SessionOutput::dropUnheard()
{
    m_device.output->flush();
    m_handedEnd.store(-1);
}
