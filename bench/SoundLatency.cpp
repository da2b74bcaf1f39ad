// Prints how soon a change of volume and a pause are heard, and the largest step between two
// samples of what was heard (a click shows as a step far above a sine's own), on a PulseAudio and
// a PipeWire server of its own with a null sink, each through the server's own output and through
// SDL. The figures depend on the machine and are never checked by a test.
#include "BenchFigures.h"
#include "audio/Mp3AudioPlayer.h"
#include "audio/SdlAudioOutput.h"
#include "audio/SessionOutput.h"
#include "signals/Mp3Encoder.h"
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
#include <QTemporaryDir>
#include <QTest>

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

// When the recording's left channel was last above `level`, in steadySeconds().
std::optional<double> lastHeardAbove(const MonitorRecorder& monitor,
                                     const std::vector<float>& stereo, float level)
{
    const auto last = std::find_if(stereo.rbegin(), stereo.rend(),
                                   [level](float sample) { return std::abs(sample) > level; });
    if (last == stereo.rend())
        return std::nullopt;
    return monitor.heardAt(static_cast<std::size_t>(stereo.rend() - last) / 2);
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
    const std::optional<double> loud = lastHeardAbove(monitor, recording, 0.45f);
    const std::optional<double> any = lastHeardAbove(monitor, recording, 0.01f);
    if (!loud || !any)
        return std::nullopt;
    Heard heard{1000.0 * (*loud - volumeSetAt), 1000.0 * (*any - pausedAt)};
    const double pauseFrame = (pausedAt - monitor.heardAt(0)) * 44100.0;
    for (std::size_t i = 2; i < recording.size(); i += 2) {
        double& step = static_cast<double>(i / 2) < pauseFrame ? heard.volumeStep : heard.pauseStep;
        step = std::max<double>(step, std::abs(recording[i] - recording[i - 2]));
    }
    return heard;
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
    if (!writeMp3(afterLeadIn(sineWave(440, 0.5, 44100, 2, 4 * 44100)), track.toStdString(), {})) {
        std::fprintf(stderr, "the track could not be written\n");
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
    }
    return 0;
}
