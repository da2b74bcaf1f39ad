#include "audio/Mp3AudioPlayer.h"

#include "audio/AudioPlayerDelegate.h"
#include "audio/PlaybackStream.h"
#include "decoder/Mp3Decoder.h"
#include "decoder/TrackTitles.h"

#include <algorithm>
#include <cmath>
#include <utility>

// The decoder and the start of its track, decoded where the file was opened.
class Mp3AudioPlayer::DecodedStart final : public AudioPlayer::Opening
{
public:
    static std::unique_ptr<DecodedStart> open(const QString& path, QString* error,
                                              std::shared_ptr<SessionOutput> output)
    {
        std::unique_ptr<Mp3Decoder> decoder = Mp3Decoder::open(path, error);
        if (!decoder)
            return nullptr;
        // The mixer names the track as the window does.
        QString title = trackTitle(decoder->title(), QUrl::fromLocalFile(path));
        const double duration = std::max(decoder->duration(), 0.0);
        const ReplayGains gains = decoder->replayGains();
        return std::unique_ptr<DecodedStart>(
            new DecodedStart(std::make_unique<PlaybackStream>(std::move(decoder)), std::move(title),
                             duration, gains, std::move(output)));
    }

    std::unique_ptr<AudioPlayer> player() override { return madePlayer(); }

    std::unique_ptr<Mp3AudioPlayer> madePlayer()
    {
        return std::unique_ptr<Mp3AudioPlayer>(new Mp3AudioPlayer(
            std::move(m_stream), std::move(m_title), m_duration, m_gains, std::move(m_output)));
    }

private:
    DecodedStart(std::unique_ptr<PlaybackStream> stream, QString title, double duration,
                 const ReplayGains& gains, std::shared_ptr<SessionOutput> output)
        : m_stream(std::move(stream)), m_title(std::move(title)), m_duration(duration),
          m_gains(gains), m_output(std::move(output))
    {}

    std::unique_ptr<PlaybackStream> m_stream;
    QString m_title;
    double m_duration;
    ReplayGains m_gains;
    std::shared_ptr<SessionOutput> m_output;
};

std::unique_ptr<Mp3AudioPlayer> Mp3AudioPlayer::open(const QString& path, QString* error,
                                                     std::shared_ptr<SessionOutput> output)
{
    std::unique_ptr<DecodedStart> start = DecodedStart::open(path, error, std::move(output));
    return start ? start->madePlayer() : nullptr;
}

AudioPlayer::Factory Mp3AudioPlayer::factory(std::shared_ptr<SessionOutput> output)
{
    return {[output](const QString& path, QString* error) -> std::unique_ptr<Opening> {
        return DecodedStart::open(path, error, output);
    }};
}

Mp3AudioPlayer::Mp3AudioPlayer(std::unique_ptr<PlaybackStream> stream, QString title,
                               double duration, const ReplayGains& replayGains,
                               std::shared_ptr<SessionOutput> output)
    : m_output(std::move(output)), m_stream(std::move(stream)), m_title(std::move(title)),
      m_duration(duration), m_replayGains(replayGains)
{
    // Dropped unplayed by the output, it is no longer playing: the next play starts it again.
    m_stream->setEndHandlers([this] { handedToEnd(); }, [this] { heardToEnd(); },
                             [this] { m_playing = false; });
}

Mp3AudioPlayer::~Mp3AudioPlayer()
{
    // Out of the output's queue first: from then on nothing renders this stream, so nothing
    // more is posted to the notice.
    m_output->remove(*m_stream);
}

bool Mp3AudioPlayer::prepareToPlay()
{
    m_output->prepare(*m_stream);
    return true;
}

bool Mp3AudioPlayer::play()
{
    if (m_playing)
        return true;
    if (std::exchange(m_heardToEnd, false))
        m_output->seek(*m_stream, 0); // a finished player plays again from its start
    m_playing = true;
    m_output->start(*m_stream, m_title);
    return true;
}

void Mp3AudioPlayer::pause()
{
    if (!m_playing)
        return;
    m_output->pause();
    m_playing = false;
}

void Mp3AudioPlayer::stop()
{
    m_output->remove(*m_stream);
    m_playing = false;
}

double Mp3AudioPlayer::currentTime() const
{
    return static_cast<double>(m_output->positionOf(*m_stream)) / m_stream->format().sampleRate;
}

double Mp3AudioPlayer::cutDelay() const
{
    return static_cast<double>(m_output->cutDelay()) / m_stream->format().sampleRate;
}

void Mp3AudioPlayer::setCurrentTime(double seconds)
{
    if (std::isnan(seconds))
        return;
    seconds = std::min(std::max(seconds, 0.0), m_duration);
    m_heardToEnd = false;
    m_output->seek(*m_stream, std::llround(seconds * m_stream->format().sampleRate));
}

void Mp3AudioPlayer::setVolume(float volume)
{
    if (std::isnan(volume))
        return;
    m_volume = std::min(std::max(volume, 0.0f), 1.0f);
    m_output->setVolume(m_volume);
}

// Applied to this track's stream alone: the output's volume is the whole session's, and the
// analyses read the file unchanged.
void Mp3AudioPlayer::setReplayGainMode(ReplayGainMode mode)
{
    m_stream->setGain(static_cast<float>(m_replayGains.factor(mode)));
}

std::uint64_t Mp3AudioPlayer::underrunCount() const
{
    return m_stream->underrunCount();
}

bool Mp3AudioPlayer::isOnSilentClock() const
{
    return m_output->isOnSilentClock();
}

// On the main thread, told by the output, which forgets a stream once it is stopped or sought.
void Mp3AudioPlayer::handedToEnd()
{
    if (m_playing && !m_stream->hasFailed() && m_delegate)
        m_delegate->audioPlayerWillFinishPlaying(this);
}

void Mp3AudioPlayer::heardToEnd()
{
    // On the main thread, told by the output, which forgets a stream once it is stopped.
    m_playing = false;
    m_heardToEnd = true;
    if (m_delegate)
        m_delegate->audioPlayerDidFinishPlaying(this, !m_stream->hasFailed());
}
