// Prints how soon a change of volume and a pause are heard, and the largest step between two
// samples of what was heard (a click shows as a step far above a sine's own), on a PulseAudio and
// a PipeWire server of its own with a null sink, each through the server's own output and through
// SDL; how soon the sound is back after the server restarts, and how long the position stood
// still meanwhile; and how long the event loop stands still while a track starts on a server that
// never answers. The figures depend on the machine and are never checked by a test.
#include "BenchFigures.h"
#include "audio/Mp3AudioPlayer.h"
#include "audio/SdlAudioOutput.h"
#include "audio/SessionOutput.h"
#include "signals/Mp3Encoder.h"
#include "signals/Recordings.h"
#include "signals/Signals.h"
#include "soundcheck/MonitorRecorder.h"
#include "soundcheck/SoundServer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

struct Heard
{
    double volumeMs = 0.0;
    double pauseMs = 0.0;
    double volumeStep = 0.0; // the largest step between samples before the pause
    double pauseStep = 0.0;  // and from it on
};

std::unique_ptr<AudioOutput> sdlOnly(const AudioFormat& format, AudioOutput::Client* client)
{
    auto output = std::make_unique<SdlAudioOutput>();
    return output->open(format, client) ? std::move(output) : nullptr;
}

// A sine at half scale plays for half a second; its volume is set to a quarter, and a while
// later it is paused.
std::optional<Heard> measure(const QString& track, const SessionOutput::DeviceOpener& device)
{
    QString error;
    auto player = Mp3AudioPlayer::open(track, &error, std::make_shared<SessionOutput>(device));
    if (!player)
        return std::nullopt;
    MonitorRecorder monitor;
    const auto reaches = [&](double time) {
        return QTest::qWaitFor([&] { return player->currentTime() >= time; }, 5000);
    };
    if (!player->play() || !reaches(1.0) || player->isOnSilentClock())
        return std::nullopt;
    const double volumeSetAt = steadySeconds();
    player->setVolume(0.25f);
    reaches(1.5);
    const double pausedAt = steadySeconds();
    player->pause();
    if (!QTest::qWaitFor([&] { return monitor.isSilentFor(10); }, 5000))
        return std::nullopt;
    const std::vector<float> recording = monitor.stop();
    const std::int64_t loud = lastFrameAbove(recording, 0.45f);
    const std::int64_t any = lastFrameAbove(recording, 0.01f);
    if (loud < 0 || any < 0)
        return std::nullopt;
    const auto pauseFrame =
        static_cast<std::size_t>(std::max(0.0, (pausedAt - monitor.heardAt(0)) * 44100.0));
    return Heard{1000.0 * (monitor.heardAt(std::size_t(loud)) - volumeSetAt),
                 1000.0 * (monitor.heardAt(std::size_t(any)) - pausedAt),
                 largestStep(recording, 0, pauseFrame), largestStep(recording, pauseFrame)};
}

// The longest the event loop went without handling a timer due every 10 ms, in milliseconds,
// while the track starts on a socket that takes every connection and never answers, as a stuck
// sound server does.
double longestStallOnAStuckServer(const QString& track, const QTemporaryDir& folder)
{
    QLocalServer server;
    if (!server.listen(folder.filePath(QStringLiteral("stuck"))))
        return -1.0;
    qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(server.fullServerName()));
    QString error;
    auto player = Mp3AudioPlayer::open(track, &error, std::make_shared<SessionOutput>());
    if (!player)
        return -1.0;
    QElapsedTimer sinceLast;
    qint64 longest = 0;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout,
                     [&] { longest = std::max(longest, sinceLast.restart()); });
    sinceLast.start();
    probe.start(10);
    QTimer::singleShot(0, [&] { player->play(); });
    QTest::qWait(2500);
    qunsetenv("PULSE_SERVER");
    return static_cast<double>(std::max(longest, sinceLast.elapsed()));
}

struct Restart
{
    double soundBackMs = 0.0;
    double longestStillMs = 0.0;
};

// A track plays through the server, which is ended by its PID, left away for half a second, and
// started again: the sound comes back, and the position runs on meanwhile.
std::optional<Restart> measureRestart(SoundServer& sound, const QString& track)
{
    QString error;
    auto player = Mp3AudioPlayer::open(track, &error, std::make_shared<SessionOutput>());
    const auto onSilentClock = [&](bool silent) {
        return QTest::qWaitFor([&] { return player->isOnSilentClock() == silent; }, 5000);
    };
    if (!player || !player->play() || !onSilentClock(false))
        return std::nullopt;
    std::vector<std::pair<double, double>> readings; // wall time, position
    QTimer reader;
    QObject::connect(&reader, &QTimer::timeout,
                     [&] { readings.emplace_back(steadySeconds(), player->currentTime()); });
    reader.start(10);
    sound.stop();
    if (!onSilentClock(true))
        return std::nullopt;
    QTest::qWait(500);
    if (!sound.start())
        return std::nullopt;
    const double startedAt = steadySeconds();
    MonitorRecorder monitor;
    std::optional<double> heardAt;
    const bool heard = QTest::qWaitFor(
        [&] {
            const std::int64_t first = firstFrameAbove(monitor.recorded(), 0.01f);
            if (first >= 0)
                heardAt = monitor.heardAt(static_cast<std::size_t>(first));
            return heardAt.has_value();
        },
        8000);
    if (!heard)
        return std::nullopt;
    Restart restart{1000.0 * (heardAt.value() - startedAt), 0.0};
    for (auto moved = readings.begin(), reading = moved; reading != readings.end(); ++reading) {
        if (reading->second > moved->second)
            moved = reading;
        restart.longestStillMs =
            std::max(restart.longestStillMs, 1000.0 * (reading->first - moved->first));
    }
    return restart;
}

double median(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

void printFigures(const std::string& route, const std::vector<Heard>& runs)
{
    std::printf("%s: %zu of %d runs heard\n", route.c_str(), runs.size(), benchRepetitions);
    if (runs.empty())
        return;
    const auto figure = [&](const char* name, double Heard::*field, const char* unit) {
        std::vector<double> values;
        for (const Heard& heard : runs)
            values.push_back(heard.*field);
        printFigure((route + ", " + name + ", median").c_str(), median(values), unit);
        printFigure((route + ", " + name + ", worst").c_str(),
                    *std::max_element(values.begin(), values.end()), unit);
    };
    figure("volume change heard after", &Heard::volumeMs, "ms");
    figure("pause heard after", &Heard::pauseMs, "ms");
    figure("largest step between samples at the volume change", &Heard::volumeStep, "");
    figure("largest step between samples at the pause", &Heard::pauseStep, "");
}

} // namespace

int main(int argc, char** argv)
{
    // SDL plays through the server that PULSE_SERVER names, as a desktop's does.
    qputenv("SDL_AUDIODRIVER", "pulseaudio");
    QCoreApplication app(argc, argv);
    const QTemporaryDir folder;
    const QString track = folder.filePath(QStringLiteral("sine.mp3"));
    const QString longTrack = folder.filePath(QStringLiteral("long.mp3"));
    if (!writeMp3(afterLeadIn(sineWave(440, 0.5, 44100, 2, 4 * 44100)), track.toStdString()) ||
        !writeMp3(sineWave(440, 0.5, 44100, 2, 12 * 44100), longTrack.toStdString())) {
        std::fprintf(stderr, "the tracks could not be written\n");
        return 1;
    }
    std::printf("sine at 0.5: a sample steps by 0.031 at the most\n");
    for (const auto& [kind, server] : {std::pair(SoundServer::Kind::PulseAudio, "PulseAudio"),
                                       std::pair(SoundServer::Kind::PipeWire, "PipeWire")}) {
        SoundServer sound(kind);
        if (!sound.start()) {
            std::printf("%s: the server did not start\n", server);
            continue;
        }
        for (const auto& [route, device] :
             {std::pair(std::string(server), SessionOutput::soundDevice()),
              std::pair(std::string(server) + " through SDL",
                        SessionOutput::DeviceOpener(sdlOnly))}) {
            std::vector<Heard> runs;
            for (int run = 0; run < benchRepetitions; ++run)
                if (const std::optional<Heard> heard = measure(track, device))
                    runs.push_back(*heard);
            printFigures(route, runs);
        }
        if (const std::optional<Restart> restart = measureRestart(sound, longTrack)) {
            printFigure((std::string(server) + ", sound back after the server restarted").c_str(),
                        restart->soundBackMs, "ms");
            printFigure(
                (std::string(server) + ", longest the position stood still meanwhile").c_str(),
                restart->longestStillMs, "ms");
        }
    }
    // Last: once SDL has given up on a server, it does not look for one again in this process.
    printFigure("event loop's longest stall while a server never answers",
                longestStallOnAStuckServer(track, folder), "ms");
    return 0;
}
