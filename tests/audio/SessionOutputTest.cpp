// The session output on devices that open slowly, never, or go away: the main thread never
// waits for them, and every loss is heard of.
#include "audio/SessionOutput.h"

#include "audio/AudioPlayerDelegate.h"
#include "audio/Mp3AudioPlayer.h"
#include "support/FixtureFiles.h"
#include "support/LosableDevice.h"
#include "support/MonitorRecorder.h"
#include "support/SoundServer.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

struct EndCounter final : AudioPlayerDelegate
{
    void audioPlayerDidFinishPlaying(AudioPlayer*, bool) override { ++ends; }
    void audioPlayerWillFinishPlaying(AudioPlayer*) override { ++handedOver; }
    int ends = 0;
    int handedOver = 0;
};

// Plays players one after another as the player window does: the next starts behind the one
// that hands over its last frame.
struct Chain final : AudioPlayerDelegate
{
    void audioPlayerDidFinishPlaying(AudioPlayer*, bool) override { ++ends; }
    void audioPlayerWillFinishPlaying(AudioPlayer*) override
    {
        if (++handedOver < static_cast<int>(players.size())) {
            players[handedOver]->prepareToPlay();
            players[handedOver]->play();
        }
    }
    std::vector<std::unique_ptr<Mp3AudioPlayer>> players;
    int ends = 0;
    int handedOver = 0;
};

// A sound server's socket that takes every connection and never answers, as a stuck or
// half-started server does.
class SilentServer
{
public:
    SilentServer()
    {
        const QByteArray path = QFile::encodeName(m_folder.filePath(QStringLiteral("native")));
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::copy_n(path.constData(), std::min<qsizetype>(path.size(), sizeof address.sun_path - 1),
                    address.sun_path);
        m_socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (::bind(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
            ::listen(m_socket, 16);
        qputenv("PULSE_SERVER", "unix:" + path);
    }
    ~SilentServer() { ::close(m_socket); }

private:
    QTemporaryDir m_folder;
    int m_socket = -1;
};

std::unique_ptr<Mp3AudioPlayer> opened(const QString& path, std::shared_ptr<SessionOutput> output,
                                       AudioPlayerDelegate& delegate)
{
    QString error;
    auto player = Mp3AudioPlayer::open(path, &error, std::move(output));
    EXPECT_TRUE(player) << error.toStdString();
    if (player)
        player->setDelegate(&delegate);
    return player;
}

// The window must answer within a tenth of a second. ThreadSanitizer holds every thread while it
// reads the stacks of a report that it then suppresses (libpulse's own locking), which takes a
// quarter of a second.
#if defined(__SANITIZE_THREAD__)
constexpr qint64 longestStallMs = 400;
#else
constexpr qint64 longestStallMs = 100;
#endif

// The longest the event loop went without handling a timer due every 10 ms, from `action` on
// while `running`.
qint64 longestStall(const std::function<void()>& action, const std::function<bool()>& running,
                    int timeoutMs)
{
    QElapsedTimer sinceLast;
    qint64 longest = -1; // from the first tick on: the timer's own start is no stall
    QTimer probe;
    probe.setInterval(10);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 since = sinceLast.restart();
        longest = longest < 0 ? 0 : std::max(longest, since);
    });
    sinceLast.start();
    probe.start();
    if (!QTest::qWaitFor([&] { return longest >= 0; }, timeoutMs))
        return timeoutMs;
    action();
    static_cast<void>(QTest::qWaitFor([&] { return !running(); }, timeoutMs));
    return std::max(longest, sinceLast.elapsed());
}

TEST(SessionOutputTest, AServerThatNeverAnswersHoldsNeitherTheEventLoopNorTheClock)
{
    FixtureFiles files;
    const SilentServer server;
    EndCounter counter;
    auto player = opened(files.writeSine("sine.mp3", 4.0), std::make_shared<SessionOutput>(),
                         counter);
    ASSERT_TRUE(player);
    QElapsedTimer clock;
    // Until the server is given up on and the sound device stands in, the track plays on.
    const qint64 stall = longestStall(
        [&] {
            clock.start();
            player->play();
        },
        [&] { return clock.elapsed() < 2500; }, 5000);
    std::printf("longest the event loop stood still: %lld ms\n", static_cast<long long>(stall));
    EXPECT_LT(stall, longestStallMs);
    EXPECT_GT(player->currentTime(), 1.5);
    EXPECT_TRUE(player->isPlaying());
}

// A rate change's drain, when the server dies: the old device and the new one both report
// their loss before the main thread runs.
TEST(SessionOutputTest, BothDevicesLostDuringARateChangeEndTheDrainAndTheNextTrackPlaysOn)
{
    FixtureFiles files;
    LosableDevices devices;
    const auto output = losableOutput(devices);
    EndCounter counter;
    auto first = opened(files.writeSine("first.mp3", 1.0), output, counter);
    auto second =
        opened(files.writeMp3("48k.mp3", sineWave(440, 0.5, 48000, 2, 2 * 48000)), output, counter);
    ASSERT_TRUE(first && second);
    first->play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return counter.handedOver == 1; }, 5000));
    // As the player's next track starts behind the first, its device waits for the drain; a
    // pause holds the drain for as long as the test needs.
    second->prepareToPlay();
    second->play();
    second->pause();
    ASSERT_TRUE(QTest::qWaitFor([&] { return devices.at(1) && output->device() == devices.at(1); },
                                5000));
    ASSERT_EQ(counter.ends, 0); // the first track's tail waits on the old device
    devices.at(0)->lose();
    devices.at(1)->lose();
    second->play();

    // The tail is gone with its device, and the next track goes on on the clock, then on the
    // device tried again, in real time.
    ASSERT_TRUE(QTest::qWaitFor([&] { return counter.ends == 1; }, 2000));
    QElapsedTimer clock;
    clock.start();
    const double from = second->currentTime();
    ASSERT_TRUE(QTest::qWaitFor([&] { return second->currentTime() >= from + 0.8; }, 3000));
    EXPECT_NEAR(static_cast<double>(clock.elapsed()) / 1000.0, 0.8, 0.4);
    EXPECT_TRUE(QTest::qWaitFor([&] { return devices.at(2) != nullptr; }, 3000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return counter.ends == 2; }, 3000));
}

// Each test runs on both servers that desktops have.
class SessionOutputOnASoundServerTest : public ::testing::TestWithParam<SoundServer::Kind>
{
protected:
    FixtureFiles files;
    SoundServer server{GetParam()};
};

// Tracks alternating between two rates: each is heard whole, and the last one ends, however
// the server starts a stream on what little is left of the one before.
TEST_P(SessionOutputOnASoundServerTest, EveryRateChangeIsHeardWholeAndTheListPlaysToItsEnd)
{
    ASSERT_TRUE(server.start());
    const auto output = std::make_shared<SessionOutput>();
    Chain chain;
    constexpr int tracks = 6;
    for (int track = 0; track < tracks; ++track) {
        // Loud at 44.1 kHz, soft at 48 kHz, 0.4 s each; a lead-in of silence first.
        const int rate = track % 2 == 0 ? 44100 : 48000;
        Pcm pcm = sineWave(440, track % 2 == 0 ? 0.6 : 0.3, rate, 2, rate * 2 / 5);
        if (track == 0)
            pcm = afterLeadIn(pcm);
        const QString name = QStringLiteral("%1.mp3").arg(track);
        chain.players.push_back(opened(files.writeMp3(name, pcm), output, chain));
        ASSERT_TRUE(chain.players.back());
    }
    MonitorRecorder monitor;
    chain.players[0]->play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return chain.ends == tracks; }, 15000))
        << chain.ends << " tracks ended";
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const std::vector<float> peaks = windowPeaks(monitor.recorded());
            return peaks.size() > 10 &&
                   std::all_of(peaks.end() - 10, peaks.end(), [](float p) { return p < 1e-3f; });
        },
        5000));
    // In 10 ms windows: 40 of each track.
    const std::vector<float> peaks = windowPeaks(monitor.stop());
    const auto loud = std::ranges::count_if(peaks, [](float peak) { return peak > 0.45f; });
    const auto soft =
        std::ranges::count_if(peaks, [](float peak) { return peak > 0.2f && peak < 0.4f; });
    EXPECT_NEAR(loud, 3 * 40, 6);
    EXPECT_NEAR(soft, 3 * 40, 6);
}

INSTANTIATE_TEST_SUITE_P(Servers, SessionOutputOnASoundServerTest,
                         ::testing::Values(SoundServer::Kind::PulseAudio,
                                           SoundServer::Kind::PipeWire),
                         [](const auto& server) {
                             return server.param == SoundServer::Kind::PipeWire ? "PipeWire"
                                                                                : "PulseAudio";
                         });

} // namespace
