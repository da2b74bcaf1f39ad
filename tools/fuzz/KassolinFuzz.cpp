// The fuzzer's entry point: every input is a file that the decoder and the three analyses read
// as a load reads it, with the promises the player relies on checked on the way. Built with
// -DKASSOLIN_FUZZ=ON (clang and libFuzzer); run by hand from the seeds that kassolin-corpus
// writes: scripts/fuzz.sh.
#include "corpus/FileAnalyses.h"
#include "decoder/Mp3Decoder.h"

#include <cstdint>
#include <cstdlib>

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
    require(decodeAll(*decoder).samples == decoder->frameCount() * decoder->format().channelCount);
    if (decoder->seek(decoder->frameCount() / 2))
        decoder->nextBuffer();
    return decoder->duration();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = inputFile(data, size);
    require(FileAnalyses::of(path, decodedDuration(path)).areInRange());
    return 0;
}
