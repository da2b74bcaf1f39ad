// The fuzzer's entry point: every input is a file that the decoder and the three analyses read
// as a load reads it, with the promises the player relies on checked on the way. Built with
// -DKASSOLIN_FUZZ=ON (clang and libFuzzer); run by hand from the seeds that kassolin-corpus
// writes: scripts/fuzz.sh.
#include "analysis/BassMeterFrames.h"
#include "analysis/SpectrumFrames.h"
#include "analysis/TrackTitles.h"
#include "analysis/WaveformPeaks.h"
#include "platform/Mp3Decoder.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include <QUrl>

#include <sys/mman.h>
#include <unistd.h>

namespace {

// The input as a file: a file in memory, opened by its path like any other.
QString inputFile(const std::uint8_t* data, std::size_t size)
{
    static const int fd = ::memfd_create("kassolin-fuzz.mp3", MFD_CLOEXEC);
    static const QString path = QStringLiteral("/proc/self/fd/%1").arg(fd);
    if (fd < 0 || ::ftruncate(fd, 0) != 0)
        std::abort();
    for (std::size_t done = 0; done < size;) {
        const ssize_t written = ::pwrite(fd, data + done, size - done, static_cast<off_t>(done));
        if (written <= 0)
            std::abort();
        done += static_cast<std::size_t>(written);
    }
    return path;
}

// A promise broken is a finding, like a crash.
void require(bool promise)
{
    if (!promise)
        std::abort();
}

// Decodes the whole stream, then a buffer from its middle; the length is the one announced.
double decodedDuration(const QString& path)
{
    const auto decoder = Mp3Decoder::open(path);
    if (!decoder)
        return 0.0;
    std::int64_t samples = 0;
    for (auto buffer = decoder->nextBuffer(); !buffer.empty(); buffer = decoder->nextBuffer())
        samples += static_cast<std::int64_t>(buffer.size());
    require(samples == decoder->frameCount() * decoder->format().channelCount);
    if (decoder->seek(decoder->frameCount() / 2))
        decoder->nextBuffer();
    return decoder->duration();
}

void analyse(const QUrl& url, double duration)
{
    const AnalysisGeneration current(std::make_shared<AnalysisGeneration::Counter>(0));
    const WaveformPeaks peaks =
        waveformPeaksForURL(url, waveformBinCountForDuration(duration), current);
    const auto isPeak = [](float peak) { return peak >= 0.0f && peak <= 1.0f; };
    require(std::ranges::all_of(peaks.left, isPeak) && std::ranges::all_of(peaks.right, isPeak));
    for (const BassMeterFrame& frame :
         bassMeterFramesForURL(url, bassMeterFrameDurationForDuration(duration), current))
        require(frame[0] >= -60.0f && frame[1] >= -60.0f);
    for (const SpectrumLevels& levels : spectrumFramesForURL(
             url, spectrumFrameDurationForDuration(duration), spectrumBandCount, current))
        require(std::ranges::all_of(levels, [](float l) { return l >= 0.0f && l <= 1.0f; }));
    require(readableTitleForURL(url).size() <= 35);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = inputFile(data, size);
    analyse(QUrl::fromLocalFile(path), decodedDuration(path));
    return 0;
}
