#include "platform/SessionOutput.h"

#include "platform/ClockAudioOutput.h"
#include "platform/PlaybackStream.h"
#include "platform/PulseAudioOutput.h"
#include "platform/SdlAudioOutput.h"

#include <algorithm>

#include <QTimer>

namespace {

template <typename Output>
std::unique_ptr<AudioOutput> opened(const AudioFormat& format, AudioOutput::Client* client)
{
    auto output = std::make_unique<Output>();
    if (!output->open(format, client))
        return nullptr;
    return output;
}

} // namespace

SessionOutput::SessionOutput(DeviceOpener openDevice) : m_openDevice(std::move(openDevice)) {}

SessionOutput::~SessionOutput()
{
    // The device first: once it is gone nothing renders, so nothing more is posted to
    // m_mainThread, whose destruction then discards what is still queued.
    m_device.reset();
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
    // After a loss the next track tries the device again, as a new device would be opened for
    // it; the track that was playing went on silently.
    const bool retry = m_deviceLost && isQueueEmpty();
    if (!m_device || !(stream.format() == m_format) || retry)
        openDevice(stream.format());
}

void SessionOutput::start(PlaybackStream& stream, const QString& mediaName)
{
    prepare(stream);
    {
        std::lock_guard lock(m_queueMutex);
        if (std::find(m_queue.begin(), m_queue.end(), &stream) == m_queue.end())
            m_queue.push_back(&stream);
    }
    m_device->setMediaName(mediaName);
    setDevicePaused(false);
}

void SessionOutput::pause()
{
    if (m_device)
        setDevicePaused(true);
}

void SessionOutput::remove(PlaybackStream& stream, bool cut)
{
    // The device holds audio of a stream only while it is queued or once it has handed its
    // last frame; one that was cut already (a stop before its player goes) needs no second cut,
    // which would flush whatever else is queued.
    if (!cut || !m_device || !(isQueued(stream) || stream.isFinished())) {
        std::lock_guard lock(m_queueMutex);
        std::erase(m_queue, &stream);
        return;
    }
    const bool wasPlaying = !m_paused;
    setDevicePaused(true);
    const std::int64_t heard = stream.position(m_device->playedFrames());
    bool othersQueued = false;
    {
        std::lock_guard lock(m_queueMutex);
        std::erase(m_queue, &stream);
        othersQueued = !m_queue.empty();
    }
    // It holds the position that was heard; what it had handed over beyond that is dropped.
    stream.seek(heard);
    m_device->flush();
    if (wasPlaying && othersQueued)
        setDevicePaused(false);
}

void SessionOutput::seek(PlaybackStream& stream, std::int64_t frame)
{
    if (!m_device || !isQueued(stream)) {
        stream.seek(frame);
        return;
    }
    const bool wasPlaying = !m_paused;
    setDevicePaused(true);
    stream.seek(frame);
    m_device->flush();
    if (wasPlaying)
        setDevicePaused(false);
}

std::int64_t SessionOutput::positionOf(const PlaybackStream& stream)
{
    return stream.position(m_device ? m_device->playedFrames() : 0);
}

bool SessionOutput::setVolume(float volume)
{
    if (!m_device || !m_device->appliesVolume())
        return false;
    // Sent only when it changes, so that a volume the user set in the desktop's mixer stays.
    if (volume != m_deviceVolume) {
        m_device->setVolume(volume);
        m_deviceVolume = volume;
    }
    return true;
}

int SessionOutput::render(float* out, int frames, std::int64_t at)
{
    std::lock_guard lock(m_queueMutex);
    int filled = 0;
    while (filled < frames && !m_queue.empty()) {
        PlaybackStream* stream = m_queue.front();
        const auto offset = static_cast<std::size_t>(filled) * stream->format().channelCount;
        filled += stream->render(out + offset, frames - filled, at + filled);
        if (!stream->isFinished())
            break; // its decoder fell behind: the next track must not start early
        m_queue.pop_front();
        if (m_queue.empty()) {
            const std::int64_t end = at + filled;
            QMetaObject::invokeMethod(
                &m_mainThread, [this, end] { restOnceHeard(end); }, Qt::QueuedConnection);
        }
    }
    return filled;
}

void SessionOutput::restOnceHeard(std::int64_t end)
{
    // After the last track its tail plays out; then the device rests until the next play.
    if (!m_device || m_paused || !isQueueEmpty())
        return;
    const std::int64_t left = end - m_device->playedFrames();
    if (left <= 0) {
        setDevicePaused(true);
        return;
    }
    QTimer::singleShot(static_cast<int>(left * 1000 / m_format.sampleRate) + 20, &m_mainThread,
                       [this, end] { restOnceHeard(end); });
}

void SessionOutput::outputLost()
{
    QMetaObject::invokeMethod(
        &m_mainThread, [this] { switchToSilentClock(); }, Qt::QueuedConnection);
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
    // The old device goes first, and what was queued for it with it: a short break is allowed
    // where the format changes.
    m_device.reset();
    {
        std::lock_guard lock(m_queueMutex);
        m_queue.clear();
    }
    m_format = format;
    std::unique_ptr<AudioOutput> device = m_openDevice ? m_openDevice(format, this) : nullptr;
    if (device) {
        replaceDevice(std::move(device), false);
        return;
    }
    auto clock = std::make_unique<ClockAudioOutput>();
    clock->open(format, this);
    replaceDevice(std::move(clock), true);
}

void SessionOutput::switchToSilentClock()
{
    if (m_onSilentClock || !m_device)
        return;
    m_device->setPaused(true);
    const std::int64_t played = m_device->playedFrames();
    {
        // What the lost device still held was never heard: the streams go on from what was.
        std::lock_guard lock(m_queueMutex);
        for (PlaybackStream* stream : m_queue)
            stream->seek(stream->position(played));
    }
    auto clock = std::make_unique<ClockAudioOutput>();
    clock->open(m_format, this);
    replaceDevice(std::move(clock), true);
    m_deviceLost = true;
}

void SessionOutput::replaceDevice(std::unique_ptr<AudioOutput> device, bool onSilentClock)
{
    m_device.reset(); // no two devices may render at once
    m_device = std::move(device);
    m_onSilentClock = onSilentClock;
    m_deviceLost = false;
    m_deviceVolume = 1.0f;
    m_device->setPaused(m_paused);
}

void SessionOutput::setDevicePaused(bool paused)
{
    m_paused = paused;
    m_device->setPaused(paused);
}
