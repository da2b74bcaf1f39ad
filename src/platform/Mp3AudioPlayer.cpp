#include "platform/Mp3AudioPlayer.h"

#include "platform/AudioPlayerDelegate.h"
#include "platform/ClockAudioOutput.h"
#include "platform/Mp3Decoder.h"
#include "platform/PlaybackStream.h"
#include "platform/SdlAudioOutput.h"

#include <algorithm>
#include <cmath>

std::unique_ptr<Mp3AudioPlayer> Mp3AudioPlayer::open(const QString& path, QString* error,
                                                     OutputFactory outputFactory)
{
    std::unique_ptr<Mp3Decoder> decoder = Mp3Decoder::open(path, error);
    if (!decoder)
        return nullptr;
    return std::unique_ptr<Mp3AudioPlayer>(
        new Mp3AudioPlayer(std::move(decoder), std::move(outputFactory)));
}

AudioPlayer::Factory Mp3AudioPlayer::factory()
{
    return [](const QString& path, QString* error) -> std::unique_ptr<AudioPlayer> {
        return open(path, error);
    };
}

Mp3AudioPlayer::OutputFactory Mp3AudioPlayer::soundDevice()
{
    return [] { return std::make_unique<SdlAudioOutput>(); };
}

Mp3AudioPlayer::Mp3AudioPlayer(std::unique_ptr<Mp3Decoder> decoder, OutputFactory outputFactory)
    : m_outputFactory(std::move(outputFactory)), m_duration(std::max(decoder->duration(), 0.0))
{
    m_stream = std::make_unique<PlaybackStream>(std::move(decoder), [this] { playedToEnd(); });
}

Mp3AudioPlayer::~Mp3AudioPlayer()
{
    // The output first: once it is gone nothing renders, so nothing more is posted to
    // m_mainThread, whose destruction then discards what is still queued.
    m_output.reset();
    m_stream.reset();
}

bool Mp3AudioPlayer::prepareToPlay()
{
    if (m_output)
        return true;
    std::unique_ptr<AudioOutput> device = m_outputFactory ? m_outputFactory() : nullptr;
    if (device && device->open(m_stream->format(), this))
        replaceOutput(std::move(device));
    else
        switchToSilentClock();
    return true;
}

bool Mp3AudioPlayer::play()
{
    if (m_playing)
        return true;
    prepareToPlay();
    if (m_stream->isFinished())
        m_stream->seek(0);
    ++m_session;
    m_playing = true;
    m_output->setPaused(false);
    return true;
}

void Mp3AudioPlayer::pause()
{
    if (!m_playing)
        return;
    m_output->setPaused(true);
    m_playing = false;
}

void Mp3AudioPlayer::stop()
{
    if (m_output)
        m_output->setPaused(true);
    m_playing = false;
    ++m_session;
}

double Mp3AudioPlayer::currentTime() const
{
    return static_cast<double>(m_stream->position()) / m_stream->format().sampleRate;
}

void Mp3AudioPlayer::setCurrentTime(double seconds)
{
    if (std::isnan(seconds))
        return;
    seconds = std::min(std::max(seconds, 0.0), m_duration);
    m_stream->seek(std::llround(seconds * m_stream->format().sampleRate));
}

float Mp3AudioPlayer::volume() const
{
    return m_stream->volume();
}

void Mp3AudioPlayer::setVolume(float volume)
{
    if (!std::isnan(volume))
        m_stream->setVolume(std::min(std::max(volume, 0.0f), 1.0f));
}

std::uint64_t Mp3AudioPlayer::underrunCount() const
{
    return m_stream->underrunCount();
}

void Mp3AudioPlayer::render(float* out, int frames)
{
    m_stream->render(out, frames);
}

void Mp3AudioPlayer::outputLost()
{
    QMetaObject::invokeMethod(
        &m_mainThread, [this] { switchToSilentClock(); }, Qt::QueuedConnection);
}

void Mp3AudioPlayer::playedToEnd()
{
    // On the output's thread: the state changes at once, the report waits for the main thread.
    m_playing = false;
    const std::uint64_t session = m_session;
    QMetaObject::invokeMethod(
        &m_mainThread, [this, session] { deliverEnd(session); }, Qt::QueuedConnection);
}

void Mp3AudioPlayer::deliverEnd(std::uint64_t session)
{
    if (session != m_session)
        return; // stopped or started again since
    m_output->setPaused(true);
    if (m_delegate)
        m_delegate->audioPlayerDidFinishPlaying(this, true);
}

void Mp3AudioPlayer::replaceOutput(std::unique_ptr<AudioOutput> output)
{
    m_output.reset(); // no two outputs may render at once
    m_stream->setLatencyFrames(output->latencyFrames());
    m_output = std::move(output);
    m_output->setPaused(!m_playing);
}

void Mp3AudioPlayer::switchToSilentClock()
{
    if (m_onSilentClock)
        return;
    auto clock = std::make_unique<ClockAudioOutput>();
    clock->open(m_stream->format(), this);
    m_onSilentClock = true;
    replaceOutput(std::move(clock));
}
