// kassolin-analyze FILE.mp3: runs the title and the three analyses of a track exactly as the
// player does when it loads the file, and prints them with the artist and album that the
// desktop's media controls show as one JSON object on stdout. Numbers
// carry enough digits to read back the single-precision values exactly.
#include "analysis/BassMeterFrames.h"
#include "analysis/SpectrumFrames.h"
#include "analysis/TrackTags.h"
#include "analysis/WaveformPeaks.h"
#include "decoder/Mp3Decoder.h"
#include "decoder/TrackTitles.h"

#include <cmath>
#include <cstdio>
#include <future>
#include <string>

#include <QFileInfo>

namespace {

class JsonText
{
public:
    void raw(const char* text) { m_text += text; }

    // JSON has no NaN or infinity.
    void number(double value, int digits)
    {
        if (!std::isfinite(value)) {
            m_text += "null";
            return;
        }
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
        m_text += buffer;
    }
    void number(float value) { number(static_cast<double>(value), 9); }
    void number(double value) { number(value, 17); }

    void string(const QString& value)
    {
        m_text += '"';
        for (const char c : value.toStdString()) {
            if (c == '"' || c == '\\') {
                m_text += '\\';
                m_text += c;
            } else if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                m_text += escaped;
            } else {
                m_text += c;
            }
        }
        m_text += '"';
    }

    template <typename Values> void array(const Values& values)
    {
        m_text += '[';
        bool first = true;
        for (const auto& value : values) {
            if (!first)
                m_text += ',';
            first = false;
            element(value);
        }
        m_text += ']';
    }

    const std::string& text() const { return m_text; }

private:
    void element(float value) { number(value); }
    template <typename Values> void element(const Values& values) { array(values); }

    std::string m_text;
};

struct TrackAnalysis
{
    AudioFormat format;
    double duration = 0.0;
    QString title;
    QString artist;
    QString album;
    WaveformPeaks peaks;
    double bassMeterFrameDuration = 0.0;
    BassMeterFrames bassMeterFrames;
    double spectrumFrameDuration = 0.0;
    SpectrumFrames spectrumFrames;
};

// The four jobs of a load, at once, each decoding the file on its own.
void analyse(const QUrl& url, TrackAnalysis& track)
{
    const AnalysisGeneration generation(std::make_shared<AnalysisGeneration::Counter>(1));
    track.bassMeterFrameDuration = bassMeterFrameDurationForDuration(track.duration);
    track.spectrumFrameDuration = spectrumFrameDurationForDuration(track.duration);
    // No cover is written: the tool leaves the player's cache alone.
    auto tags = std::async(std::launch::async, [&] { return readTrackTags(url, {}); });
    auto peaks = std::async(std::launch::async, [&] {
        return waveformPeaksForURL(url, waveformBinCountForDuration(track.duration), generation);
    });
    auto bass = std::async(std::launch::async, [&] {
        return bassMeterFramesForURL(url, track.bassMeterFrameDuration, generation);
    });
    auto spectrum = std::async(std::launch::async, [&] {
        return spectrumFramesForURL(url, track.spectrumFrameDuration, spectrumBandCount,
                                    generation);
    });
    const TrackTags read = tags.get();
    track.title = titleForDisplay(trackTitle(read.title, url));
    track.artist = read.artist;
    track.album = read.album;
    track.peaks = peaks.get();
    track.bassMeterFrames = bass.get();
    track.spectrumFrames = spectrum.get();
}

std::string json(const TrackAnalysis& track)
{
    JsonText json;
    json.raw("{\"sampleRate\": ");
    json.number(static_cast<double>(track.format.sampleRate));
    json.raw(", \"channels\": ");
    json.number(static_cast<double>(track.format.channelCount));
    json.raw(", \"duration\": ");
    json.number(track.duration);
    json.raw(", \"title\": ");
    json.string(track.title);
    json.raw(", \"artist\": ");
    json.string(track.artist);
    json.raw(", \"album\": ");
    json.string(track.album);
    json.raw(", \"waveform\": {\"binCount\": ");
    json.number(static_cast<double>(track.peaks.left.size()));
    json.raw(", \"left\": ");
    json.array(track.peaks.left);
    json.raw(", \"right\": ");
    json.array(track.peaks.right);
    json.raw("}, \"bassMeter\": {\"frameDuration\": ");
    json.number(track.bassMeterFrameDuration);
    json.raw(", \"frames\": ");
    json.array(track.bassMeterFrames);
    json.raw("}, \"spectrum\": {\"frameDuration\": ");
    json.number(track.spectrumFrameDuration);
    json.raw(", \"frames\": ");
    json.array(track.spectrumFrames);
    json.raw("}}\n");
    return json.text();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "Aufruf: kassolin-analyze DATEI.mp3\n");
        return 2;
    }
    const QString path = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    TrackAnalysis track;
    {
        QString error;
        const std::unique_ptr<Mp3Decoder> decoder = Mp3Decoder::open(path, &error);
        if (!decoder) {
            std::fprintf(stderr, "kassolin-analyze: %s\n", error.toLocal8Bit().constData());
            return 1;
        }
        track.format = decoder->format();
        // The player's duration: the decoder's exact length, 0 when unknown.
        track.duration = std::max(decoder->duration(), 0.0);
    }
    analyse(QUrl::fromLocalFile(path), track);
    const std::string text = json(track);
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() ? 0 : 1;
}
