#include "platform/Mp3Decoder.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <string_view>

#include <QFile>

#include <fcntl.h>
#include <mpg123.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

QString systemReason(const QString& what)
{
    return QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(errno)));
}

// Size of an ID3v2 tag at the start of `header` (10 bytes), footer included; 0 if there is none.
off_t id3v2TagSize(const std::array<unsigned char, 10>& header)
{
    if (std::memcmp(header.data(), "ID3", 3) != 0)
        return 0;
    off_t size = 10;
    for (int i = 6; i < 10; ++i)
        size += static_cast<off_t>(header[i] & 0x7f) << (7 * (9 - i));
    if (header[5] & 0x10)
        size += 10;
    return size;
}

// libmpg123 takes the header of a WAV file for MPEG and then plays noise, so the common
// containers of other formats are recognised here, also behind an ID3v2 tag.
QString foreignContainer(int fd)
{
    std::array<unsigned char, 10> header{};
    if (::pread(fd, header.data(), header.size(), 0) != static_cast<ssize_t>(header.size()))
        return {};
    std::array<unsigned char, 12> magic{};
    if (::pread(fd, magic.data(), magic.size(), id3v2TagSize(header)) !=
        static_cast<ssize_t>(magic.size()))
        return {};
    const std::string_view bytes(reinterpret_cast<const char*>(magic.data()), magic.size());
    if (bytes.starts_with("RIFF") && bytes.substr(8, 4) == "WAVE")
        return QStringLiteral("WAV");
    if (bytes.starts_with("OggS"))
        return QStringLiteral("Ogg");
    if (bytes.starts_with("fLaC"))
        return QStringLiteral("FLAC");
    return {};
}

bool configure(mpg123_handle* handle)
{
    const long flags = MPG123_QUIET | MPG123_GAPLESS | MPG123_NO_RESYNC | MPG123_NO_FRANKENSTEIN;
    if (mpg123_param(handle, MPG123_ADD_FLAGS, flags, 0.0) != MPG123_OK ||
        mpg123_replace_reader_handle(handle, &Mp3FileInput::read, &Mp3FileInput::seek, nullptr) !=
            MPG123_OK ||
        mpg123_format_none(handle) != MPG123_OK)
        return false;
    const long* rates = nullptr;
    std::size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (std::size_t i = 0; i < rateCount; ++i) {
        if (mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_FLOAT_32) !=
            MPG123_OK)
            return false;
    }
    return true;
}

mpg123_handle* newHandle()
{
    static const bool initialised = mpg123_init() == MPG123_OK;
    if (!initialised)
        return nullptr;
    mpg123_handle* handle = mpg123_new(nullptr, nullptr);
    if (handle && !configure(handle)) {
        mpg123_delete(handle);
        return nullptr;
    }
    return handle;
}

QString trimmedPadding(const char* text, std::size_t width)
{
    std::size_t length = strnlen(text, width);
    while (length > 0 && (text[length - 1] == ' ' || text[length - 1] == '\0'))
        --length;
    return QString::fromLatin1(text, static_cast<qsizetype>(length));
}

} // namespace

std::unique_ptr<Mp3Decoder> Mp3Decoder::open(const QString& path, QString* error, Length length)
{
    const auto fail = [&](const QString& reason) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, reason);
        return nullptr;
    };
    // Non-blocking, so that opening a FIFO without a writer returns at once.
    FileDescriptor file(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0)
        return fail(systemReason(QStringLiteral("Die Datei kann nicht geöffnet werden")));
    struct stat info = {};
    if (::fstat(file.get(), &info) != 0)
        return fail(systemReason(QStringLiteral("Die Datei kann nicht gelesen werden")));
    if (!S_ISREG(info.st_mode))
        return fail(QStringLiteral("Keine gewöhnliche Datei."));
    if (info.st_size == 0)
        return fail(QStringLiteral("Die Datei ist leer."));
    const int statusFlags = ::fcntl(file.get(), F_GETFL);
    if (statusFlags < 0 || ::fcntl(file.get(), F_SETFL, statusFlags & ~O_NONBLOCK) != 0)
        return fail(systemReason(QStringLiteral("Die Datei kann nicht gelesen werden")));
    if (const QString container = foreignContainer(file.get()); !container.isEmpty())
        return fail(QStringLiteral("Eine %1-Datei ist keine MP3-Datei.").arg(container));

    mpg123_handle* handle = newHandle();
    if (!handle)
        return fail(QStringLiteral("Der MP3-Decoder lässt sich nicht starten."));
    std::unique_ptr<Mp3Decoder> decoder(new Mp3Decoder(handle, file.release(), info.st_size));
    // The scan reads every frame header: without it the length of a file without an
    // info frame, or of a cut one, is only an estimate.
    const bool opened = mpg123_open_handle(handle, &decoder->m_input) == MPG123_OK &&
                        (length == Length::Estimated || mpg123_scan(handle) == MPG123_OK) &&
                        decoder->decodeFirstBuffer();
    if (!opened)
        return fail(QStringLiteral("Keine MPEG-Audiodaten gefunden."));
    decoder->readFormatAndLength();
    decoder->readTitle();
    return decoder;
}

Mp3Decoder::Mp3Decoder(mpg123_handle_struct* handle, int fd, std::int64_t fileSize)
    : m_handle(handle), m_fd(fd), m_input(fd, fileSize)
{}

Mp3Decoder::~Mp3Decoder()
{
    mpg123_delete(m_handle);
    if (m_fd >= 0)
        ::close(m_fd);
}

double Mp3Decoder::duration() const
{
    if (m_frameCount < 0)
        return -1.0;
    return static_cast<double>(m_frameCount) / m_format.sampleRate;
}

bool Mp3Decoder::decodeFirstBuffer()
{
    // Decoding the first frame here, not just parsing headers, is what turns away files whose
    // bytes merely look like MPEG headers.
    m_firstBuffer = nextBuffer();
    m_firstBufferPending = !m_firstBuffer.empty();
    return m_firstBufferPending;
}

void Mp3Decoder::readFormatAndLength()
{
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(m_handle, &rate, &channels, &encoding) == MPG123_OK) {
        if (rate > 0)
            m_format.sampleRate = static_cast<int>(rate);
        if (channels > 0)
            m_format.channelCount = channels;
    }
    const off_t length = mpg123_length(m_handle);
    m_frameCount = length >= 0 ? static_cast<std::int64_t>(length) : -1;
}

void Mp3Decoder::readTitle()
{
    mpg123_id3v1* v1 = nullptr;
    mpg123_id3v2* v2 = nullptr;
    if (!(mpg123_meta_check(m_handle) & MPG123_ID3) || mpg123_id3(m_handle, &v1, &v2) != MPG123_OK)
        return;
    if (v2 && v2->title && v2->title->p && v2->title->fill > 0)
        m_title = QString::fromUtf8(v2->title->p,
                                    static_cast<qsizetype>(strnlen(v2->title->p, v2->title->fill)));
    if (m_title.isEmpty() && v1)
        m_title = trimmedPadding(v1->title, sizeof v1->title);
}

std::span<const float> Mp3Decoder::nextBuffer()
{
    if (m_firstBufferPending) {
        m_firstBufferPending = false;
        return m_firstBuffer;
    }
    while (!m_ended) {
        off_t frameNumber = 0;
        unsigned char* audio = nullptr;
        std::size_t bytes = 0;
        const int result = mpg123_decode_frame(m_handle, &frameNumber, &audio, &bytes);
        if (result == MPG123_NEW_FORMAT)
            continue;
        if (result != MPG123_OK) {
            // The end of the data, or damage that ends it: the same for every consumer.
            m_ended = true;
            break;
        }
        if (audio && bytes >= sizeof(float))
            return {reinterpret_cast<const float*>(audio), bytes / sizeof(float)};
    }
    return {};
}

bool Mp3Decoder::seek(std::int64_t frame)
{
    frame = std::max<std::int64_t>(frame, 0);
    if (m_frameCount >= 0)
        frame = std::min(frame, m_frameCount);
    if (mpg123_seek(m_handle, static_cast<off_t>(frame), SEEK_SET) < 0)
        return false;
    m_firstBufferPending = false;
    m_ended = false;
    return true;
}
