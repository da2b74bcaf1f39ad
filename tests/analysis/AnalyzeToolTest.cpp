#include "analysis/BassMeterFrames.h"
#include "analysis/SpectrumFrames.h"
#include "analysis/TrackTitles.h"
#include "analysis/WaveformPeaks.h"
#include "support/FixtureFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

struct ToolRun
{
    int exitCode = -1;
    QByteArray output;
    QByteArray errors;
};

ToolRun runTool(const QString& path)
{
    QProcess process;
    process.start(QStringLiteral(KASSOLIN_ANALYZE_PATH), {path});
    ToolRun run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.output = process.readAllStandardOutput();
    run.errors = process.readAllStandardError();
    return run;
}

std::vector<float> floats(const QJsonValue& value)
{
    std::vector<float> result;
    for (const QJsonValue& element : value.toArray())
        result.push_back(static_cast<float>(element.toDouble()));
    return result;
}

TEST(AnalyzeTool, PrintsTheAnalysesThePlayerComputes)
{
    FixtureFiles files;
    Mp3Options options;
    options.id3v2Title = "Probe \"eins\"\\zwei";
    const Pcm tune = demoTune(44100);
    const QString path = files.writeMp3(QStringLiteral("tune.mp3"), tune, options);
    const ToolRun run = runTool(path);
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();

    QJsonParseError error;
    const QJsonObject json = QJsonDocument::fromJson(run.output, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();

    const double duration = static_cast<double>(tune.frameCount()) / 44100;
    EXPECT_EQ(json["sampleRate"].toInt(), 44100);
    EXPECT_EQ(json["channels"].toInt(), 2);
    EXPECT_DOUBLE_EQ(json["duration"].toDouble(), duration);
    EXPECT_EQ(json["title"].toString(), QStringLiteral("Probe \"eins\"\\zwei"));

    const QUrl url = QUrl::fromLocalFile(path);
    const AnalysisGeneration generation(std::make_shared<AnalysisGeneration::Counter>(1));
    const std::uint64_t bins = waveformBinCountForDuration(duration);
    const WaveformPeaks peaks = waveformPeaksForURL(url, bins, generation);
    const QJsonObject waveform = json["waveform"].toObject();
    EXPECT_EQ(waveform["binCount"].toInteger(), static_cast<qint64>(bins));
    EXPECT_EQ(floats(waveform["left"]), peaks.left);
    EXPECT_EQ(floats(waveform["right"]), peaks.right);

    const double bassFrame = bassMeterFrameDurationForDuration(duration);
    const QJsonObject bass = json["bassMeter"].toObject();
    EXPECT_EQ(bass["frameDuration"].toDouble(), bassFrame);
    BassMeterFrames bassFrames;
    for (const QJsonValue& frame : bass["frames"].toArray()) {
        const std::vector<float> pair = floats(frame);
        ASSERT_EQ(pair.size(), 2u);
        bassFrames.push_back({pair[0], pair[1]});
    }
    EXPECT_EQ(bassFrames, bassMeterFramesForURL(url, bassFrame, generation));

    const double spectrumFrame = spectrumFrameDurationForDuration(duration);
    const QJsonObject spectrum = json["spectrum"].toObject();
    EXPECT_EQ(spectrum["frameDuration"].toDouble(), spectrumFrame);
    SpectrumFrames spectrumFrames;
    for (const QJsonValue& frame : spectrum["frames"].toArray())
        spectrumFrames.push_back(floats(frame));
    EXPECT_EQ(spectrumFrames, spectrumFramesForURL(url, spectrumFrame, 16, generation));
    EXPECT_EQ(spectrumFrames.size(), 120u);
}

TEST(AnalyzeTool, AFileItCannotDecodeIsReportedWithExitStatusOne)
{
    FixtureFiles files;
    for (const auto& file : files.unopenableFiles()) {
        const ToolRun run = runTool(file.path);
        EXPECT_EQ(run.exitCode, 1) << file.kind;
        EXPECT_TRUE(run.output.isEmpty()) << file.kind;
        EXPECT_FALSE(run.errors.isEmpty()) << file.kind;
    }
}

} // namespace
