// Runs in its own process with SDL's disk driver, which writes what would be heard to a file.
#include "platform/AudioPlayerDelegate.h"
#include "platform/Mp3AudioPlayer.h"
#include "support/EventLoop.h"
#include "support/FixtureFiles.h"

#include <cmath>
#include <fstream>
#include <numbers>

#include <QFile>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

struct EndCounter final : AudioPlayerDelegate
{
    void audioPlayerDidFinishPlaying(AudioPlayer*, bool) override { ++ends; }
    int ends = 0;
};

std::vector<float> readFloats(const QString& path)
{
    std::ifstream file(path.toStdString(), std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    std::vector<float> samples(bytes.size() / sizeof(float));
    std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
    return samples;
}

// Power of one frequency in a channel (Goertzel), normalised so that a sine of amplitude a
// gives a²/4 … taken relative, so only ratios between frequencies are used.
double powerAt(const std::vector<float>& left, double frequency, double sampleRate)
{
    const double coefficient = 2.0 * std::cos(2.0 * std::numbers::pi * frequency / sampleRate);
    double previous = 0.0;
    double beforePrevious = 0.0;
    for (float sample : left) {
        const double current = sample + coefficient * previous - beforePrevious;
        beforePrevious = previous;
        previous = current;
    }
    return previous * previous + beforePrevious * beforePrevious -
           coefficient * previous * beforePrevious;
}

TEST(SdlDiskOutput, WritesTheSineThatWasPlayed)
{
    const QString output = qEnvironmentVariable("SDL_DISKAUDIOFILE");
    ASSERT_EQ(qEnvironmentVariable("SDL_AUDIODRIVER"), QStringLiteral("disk"));
    ASSERT_FALSE(output.isEmpty());
    QFile::remove(output);

    FixtureFiles files;
    const QString path = files.writeMp3("sine.mp3", sineWave(440, 0.5, 44100, 2, 2 * 44100));
    EndCounter counter;
    {
        QString error;
        auto player = Mp3AudioPlayer::open(path, &error);
        ASSERT_TRUE(player) << error.toStdString();
        player->setDelegate(&counter);
        player->play();
        ASSERT_TRUE(processEventsUntil([&] { return counter.ends > 0; }, 10s));
        EXPECT_FALSE(player->isOnSilentClock());
    }

    // The device writes float stereo at the file's rate; silence surrounds the track.
    const std::vector<float> written = readFloats(output);
    std::vector<float> left;
    for (std::size_t i = 0; i + 1 < written.size(); i += 2) {
        if (std::abs(written[i]) > 1e-4f || !left.empty())
            left.push_back(written[i]);
    }
    while (!left.empty() && std::abs(left.back()) <= 1e-4f)
        left.pop_back();
    ASSERT_NEAR(static_cast<double>(left.size()), 2.0 * 44100, 0.05 * 44100);

    double energy = 0.0;
    for (float sample : left)
        energy += sample * sample;
    EXPECT_NEAR(std::sqrt(energy / static_cast<double>(left.size())), 0.5 / std::sqrt(2.0), 0.02);
    const double at440 = powerAt(left, 440, 44100);
    EXPECT_GT(at440, 1000 * powerAt(left, 880, 44100));
    EXPECT_GT(at440, 1000 * powerAt(left, 300, 44100));
}

} // namespace
