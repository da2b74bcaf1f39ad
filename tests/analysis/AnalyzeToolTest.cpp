#include "platform/Mp3Decoder.h"
#include "support/FixtureFiles.h"
#include "support/TrackAnalyses.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

void runAnalyzeTool(QProcess& tool, const QString& path)
{
    tool.start(QStringLiteral(KASSOLIN_ANALYZE_PATH), {path});
    ASSERT_TRUE(tool.waitForFinished(120000) && tool.exitStatus() == QProcess::NormalExit);
}

std::vector<float> floats(const QJsonValue& values)
{
    std::vector<float> result;
    for (const QJsonValue& value : values.toArray())
        result.push_back(static_cast<float>(value.toDouble()));
    return result;
}

// The analyses the tool printed, read back as the single-precision values they were.
TrackAnalyses printedAnalyses(const QJsonObject& json)
{
    TrackAnalyses analyses{
        {floats(json["waveform"]["left"]), floats(json["waveform"]["right"])}, {}, {}};
    for (const QJsonValue& frame : json["bassMeter"]["frames"].toArray())
        analyses.bass.push_back({floats(frame).at(0), floats(frame).at(1)});
    for (const QJsonValue& frame : json["spectrum"]["frames"].toArray())
        analyses.spectrum.push_back(floats(frame));
    return analyses;
}

TEST(AnalyzeTool, PrintsWhatTheAnalysesMakeOfTheDecodedSamples)
{
    FixtureFiles files;
    Mp3Options options;
    options.id3v2Title = "Probe \"eins\"\\zwei";
    const Pcm tune = demoTune(44100);
    const QString path = files.writeMp3(QStringLiteral("tune.mp3"), tune, options);
    QProcess tool;
    ASSERT_NO_FATAL_FAILURE(runAnalyzeTool(tool, path));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    QJsonParseError error;
    const QJsonObject json = QJsonDocument::fromJson(tool.readAllStandardOutput(), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const double duration = static_cast<double>(tune.frameCount()) / 44100;
    EXPECT_EQ(json["sampleRate"].toInt(), 44100);
    EXPECT_EQ(json["channels"].toInt(), 2);
    EXPECT_DOUBLE_EQ(json["duration"].toDouble(), duration);
    EXPECT_EQ(json["title"].toString(), QStringLiteral("Probe \"eins\"\\zwei"));
    EXPECT_EQ(json["bassMeter"]["frameDuration"].toDouble(), 1.0 / 60);

    // The analyses in this process, fed the samples decoded here.
    const auto decoder = Mp3Decoder::open(path);
    ASSERT_TRUE(decoder);
    std::vector<float> decoded;
    for (auto buffer = decoder->nextBuffer(); !buffer.empty(); buffer = decoder->nextBuffer())
        decoded.insert(decoded.end(), buffer.begin(), buffer.end());
    const TrackAnalyses expected =
        analyseTrack(PcmSampleSource(decoded, decoder->format(), duration));
    expectSameAnalyses(printedAnalyses(json), expected);
    EXPECT_EQ(expected.spectrum.size(), 120u);
}

TEST(AnalyzeTool, AFileItCannotDecodeGivesAMessageAndExitStatusOne)
{
    FixtureFiles files;
    for (const auto& file : files.unopenableFiles()) {
        QProcess tool;
        ASSERT_NO_FATAL_FAILURE(runAnalyzeTool(tool, file.path));
        EXPECT_EQ(tool.exitCode(), 1) << file.kind;
        EXPECT_TRUE(tool.readAllStandardOutput().isEmpty()) << file.kind;
        EXPECT_FALSE(tool.readAllStandardError().isEmpty()) << file.kind;
    }
}

} // namespace
