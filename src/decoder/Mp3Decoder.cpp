#include "decoder/Mp3Decoder.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <string_view>

#include <QFile>

#include <fcntl.h>
#include <mpg123.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Frames in one other format at the end of a stream that make a joined part: about a fifth
// of a second, more than a resync finds in a row in junk.
constexpr std::int64_t joinedPartFrames = 8;
// The silence that completes a track's length comes in buffers of four MPEG frames.
constexpr std::int64_t silenceChunkFrames = 4 * 1152;

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

bool configure(mpg123_handle* handle, Mp3Decoder::Cover cover)
{
    // Resyncing past junk and damage, and playing on into a joined file, are left on, as in
    // the `mpg123` program; so is its limit of how far a resync looks for the next frame,
    // which already turns random bytes away.
    const long pictures = cover == Mp3Decoder::Cover::Read ? MPG123_PICTURE : 0;
    if (mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS | pictures, 0.0) !=
            MPG123_OK ||
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

mpg123_handle* newHandle(Mp3Decoder::Cover cover)
{
    static const bool initialised = mpg123_init() == MPG123_OK;
    if (!initialised)
        return nullptr;
    mpg123_handle* handle = mpg123_new(nullptr, nullptr);
    if (handle && !configure(handle, cover)) {
        mpg123_delete(handle);
        return nullptr;
    }
    return handle;
}

// The ID3v2 text if not empty, else the ID3v1 field without its padding.
QString tagText(const mpg123_string* id3v2, const char* id3v1, std::size_t width)
{
    if (id3v2 && id3v2->p && id3v2->fill > 0) {
        const QString text =
            QString::fromUtf8(id3v2->p, static_cast<qsizetype>(strnlen(id3v2->p, id3v2->fill)));
        if (!text.isEmpty())
            return text;
    }
    if (!id3v1)
        return {};
    std::size_t length = strnlen(id3v1, width);
    while (length > 0 && (id3v1[length - 1] == ' ' || id3v1[length - 1] == '\0'))
        --length;
    return QString::fromLatin1(id3v1, static_cast<qsizetype>(length));
}

QByteArray coverOf(const mpg123_id3v2* tags)
{
    if (!tags || tags->pictures == 0)
        return {};
    const std::span pictures(tags->picture, tags->pictures);
    auto cover =
        std::ranges::find(pictures, char{mpg123_id3_pic_front_cover}, &mpg123_picture::type);
    if (cover == pictures.end()) {
        cover = std::ranges::find_if(pictures, [](const mpg123_picture& picture) {
            return picture.type != mpg123_id3_pic_icon && picture.type != mpg123_id3_pic_other_icon;
        });
    }
    if (cover == pictures.end() || !cover->data)
        return {};
    return QByteArray(reinterpret_cast<const char*>(cover->data),
                      static_cast<qsizetype>(cover->size));
}

// The gain of the handle's gain mode, and the peak the library holds it under.
std::optional<ReplayGain> gainOfHandle(mpg123_handle* handle)
{
    double volume = 1.0;
    double applied = 1.0;
    double gainDB = 0.0;
    // Setting the volume again applies the gain mode in force.
    if (mpg123_getvolume(handle, &volume, nullptr, nullptr) != MPG123_OK ||
        mpg123_volume(handle, volume) != MPG123_OK ||
        mpg123_getvolume(handle, &volume, &applied, &gainDB) != MPG123_OK || gainDB == 0.0 ||
        !(applied > 0.0) || !(volume > 0.0))
        return std::nullopt;
    const double factor = applied / volume;
    const bool peakHeld = factor < ReplayGain{gainDB, 0.0}.factor() * 0.999;
    return ReplayGain::checked(gainDB, peakHeld ? 1.0 / factor : 0.0);
}

// libmpg123 reads the gains of a LAME header only into its own volume, which it applies when
// its gain mode is on: a handle of its own takes them from there, so that the decoding handle
// never scales what it decodes. Its album mode gives the track's gain when the header holds no
// album gain, so only an album gain that differs counts as one.
ReplayGains headerGains(int fd, std::int64_t fileSize)
{
    const std::unique_ptr<mpg123_handle, decltype(&mpg123_delete)> handle(
        newHandle(Mp3Decoder::Cover::Skip), &mpg123_delete);
    Mp3FileInput input(fd, fileSize);
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    // Reading the format parses the tags and the header.
    if (!handle || mpg123_param(handle.get(), MPG123_RVA, MPG123_RVA_MIX, 0.0) != MPG123_OK ||
        mpg123_open_handle(handle.get(), &input) != MPG123_OK ||
        mpg123_getformat(handle.get(), &rate, &channels, &encoding) != MPG123_OK)
        return {};
    const std::optional<ReplayGain> track = gainOfHandle(handle.get());
    std::optional<ReplayGain> album;
    if (mpg123_param(handle.get(), MPG123_RVA, MPG123_RVA_ALBUM, 0.0) == MPG123_OK)
        album = gainOfHandle(handle.get());
    if (album && track && album->gainDB == track->gainDB)
        album.reset();
    return {track, album};
}

std::string textOf(const mpg123_string& text)
{
    return text.p ? std::string(text.p, strnlen(text.p, text.fill)) : std::string();
}

// The REPLAYGAIN_ gains of the TXXX frames; the description in any case.
ReplayGains extraGains(const mpg123_id3v2* tags)
{
    if (!tags)
        return {};
    std::vector<std::pair<std::string, std::string>> items;
    for (const mpg123_text& extra : std::span(tags->extra, tags->extras))
        items.emplace_back(textOf(extra.description), textOf(extra.text));
    return ReplayGains::fromItems(items);
}

// The exact lengths of the files scanned last, and where a joined part in another format begins.
struct ScannedLength
{
    Mp3Decoder::FileStamp file;
    std::int64_t frameCount;
    std::int64_t endFrame;
};

class ScannedLengths
{
public:
    std::optional<ScannedLength> find(const Mp3Decoder::FileStamp& file)
    {
        std::lock_guard lock(m_mutex);
        const auto found = std::ranges::find(m_lengths, file, &ScannedLength::file);
        return found == m_lengths.end() ? std::nullopt : std::optional(*found);
    }

    void keep(const ScannedLength& length)
    {
        std::lock_guard lock(m_mutex);
        std::erase_if(m_lengths,
                      [&](const ScannedLength& kept) { return kept.file == length.file; });
        m_lengths.push_front(length);
        if (m_lengths.size() > keptLengths)
            m_lengths.pop_back();
    }

private:
    static constexpr std::size_t keptLengths = 8;
    std::mutex m_mutex;
    std::deque<ScannedLength> m_lengths;
};

// Never destroyed: an analysis that still decodes as the program ends looks its file up here.
ScannedLengths& scannedLengths()
{
    static auto* const lengths = new ScannedLengths;
    return *lengths;
}

Mp3Decoder::FileStamp stampOf(const struct stat& info)
{
    const auto nanoseconds = [](const timespec& time) {
        return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
    };
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
            static_cast<std::int64_t>(info.st_size), nanoseconds(info.st_mtim),
            nanoseconds(info.st_ctim)};
}

} // namespace

std::unique_ptr<Mp3Decoder> Mp3Decoder::open(const QString& path, QString* error, Length length,
                                             Cover cover)
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

    mpg123_handle* handle = newHandle(cover);
    if (!handle)
        return fail(QStringLiteral("Der MP3-Decoder lässt sich nicht starten."));
    std::unique_ptr<Mp3Decoder> decoder(new Mp3Decoder(handle, file.release(), info.st_size));
    const bool found = decoder->openStream(length, stampOf(info)) && decoder->decodeFirstBuffer();
    if (decoder->hasFailed())
        return fail(QStringLiteral("Die Datei kann nicht gelesen werden."));
    if (!found)
        return fail(QStringLiteral("Keine MPEG-Audiodaten gefunden."));
    decoder->readTags();
    ReplayGains& gains = decoder->m_replayGains;
    if (!gains.track || !gains.album)
        gains.complete(decoder->apeGains());
    if ((!gains.track || !gains.album) && length == Length::Exact)
        gains.complete(headerGains(decoder->m_fd, info.st_size));
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

bool Mp3Decoder::openStream(Length length, const FileStamp& file)
{
    if (!reopen())
        return false;
    // Read from the info frame, else estimated from the file's size.
    const off_t announced = mpg123_length(m_handle);
    m_frameCount = announced >= 0 ? static_cast<std::int64_t>(announced) : -1;
    if (length == Length::Estimated)
        return true;
    if (length == Length::ExactReused) {
        if (const std::optional<ScannedLength> scanned = scannedLengths().find(file)) {
            m_frameCount = scanned->frameCount;
            m_endFrame = scanned->endFrame;
            m_lengthIsExact = m_frameCount >= 0;
            return true;
        }
    }
    // A scan cut short by a read error gives no length to keep.
    if (!scanLength(static_cast<std::int64_t>(announced)) || m_input.hasFailed())
        return false;
    scannedLengths().keep({file, m_frameCount, m_endFrame});
    return true;
}

// The scan reads every frame header: without it the length of a file without an info frame,
// or of a cut one, is only an estimate.
bool Mp3Decoder::scanLength(std::int64_t announced)
{
    if (mpg123_scan(m_handle) != MPG123_OK)
        return false;
    const off_t scanned = mpg123_length(m_handle);
    m_frameCount = scanned >= 0 ? static_cast<std::int64_t>(scanned) : -1;
    const bool recount = scanMayDiffer(announced);
    // Decoding starts from a stream opened anew: one that follows a scan would decode a frame
    // that the file cuts short, which decoding from the start (and `mpg123`) passes over.
    if (!reopen())
        return false;
    m_lengthIsExact = m_frameCount >= 0;
    if (!recount)
        return true;
    m_frameCount = countDecodedFrames();
    return reopen();
}

// Opens the input again from its start, as a new stream.
bool Mp3Decoder::reopen()
{
    m_input.rewind();
    m_ended = false;
    m_foreignFrom = -1;
    m_deliveredFrames = 0;
    return mpg123_open_handle(m_handle, &m_input) == MPG123_OK;
}

// The scan counts differently from decoding when the stream is joined from several parts (a
// frame in another format counts at its own length) or holds fewer frames than its info
// frame announces (the scan then stops trimming the encoder's delay and padding, which
// decoding from the start still trims, as the `mpg123` program does).
bool Mp3Decoder::scanMayDiffer(std::int64_t announced) const
{
    long joined = 0;
    long encoderDelay = -1;
    double unused = 0.0;
    mpg123_getstate(m_handle, MPG123_FRANKENSTEIN, &joined, &unused);
    mpg123_getstate(m_handle, MPG123_ENC_DELAY, &encoderDelay, &unused);
    return joined != 0 || (encoderDelay >= 0 && m_frameCount != announced);
}

// Decodes the whole stream once and counts the frames delivered. A stream that ends in a run
// of frames in one other format ends in a joined part, which the track ends before; a few
// such frames are a resync's false find in junk, kept as silence.
std::int64_t Mp3Decoder::countDecodedFrames()
{
    std::int64_t frames = 0;
    std::int64_t framesBeforeRun = 0;
    std::int64_t runStart = -1;
    std::int64_t lastFrame = -1;
    for (auto buffer = decodeNext(); !buffer.empty(); buffer = decodeNext()) {
        if (m_foreignFrom != runStart) {
            runStart = m_foreignFrom;
            framesBeforeRun = frames;
        }
        frames += static_cast<std::int64_t>(buffer.size()) / m_format.channelCount;
        lastFrame = m_frameNumber;
    }
    if (runStart < 0 || lastFrame - runStart + 1 < joinedPartFrames)
        return frames;
    m_endFrame = runStart;
    return framesBeforeRun;
}

AudioFormat Mp3Decoder::currentFormat() const
{
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    AudioFormat format;
    if (mpg123_getformat(m_handle, &rate, &channels, &encoding) == MPG123_OK && rate > 0 &&
        channels > 0) {
        format.sampleRate = static_cast<int>(rate);
        format.channelCount = channels;
    }
    return format;
}

// The first format given is the track's; frames in any other are foreign to it.
void Mp3Decoder::takeFormat()
{
    const AudioFormat format = currentFormat();
    if (!m_formatKnown)
        m_format = format;
    m_formatKnown = true;
    m_frameChannels = format.channelCount;
    m_foreignFrom = format == m_format ? -1 : m_frameNumber;
}

bool Mp3Decoder::decodeFirstBuffer()
{
    // Decoding the first frame here, not just parsing headers, is what turns away files whose
    // bytes merely look like MPEG headers.
    m_firstBuffer = decodeNext();
    m_firstBufferPending = !m_firstBuffer.empty();
    return m_firstBufferPending;
}

void Mp3Decoder::readTags()
{
    mpg123_id3v1* v1 = nullptr;
    mpg123_id3v2* v2 = nullptr;
    if (!(mpg123_meta_check(m_handle) & MPG123_ID3) || mpg123_id3(m_handle, &v1, &v2) != MPG123_OK)
        return;
    constexpr std::size_t width = sizeof mpg123_id3v1::title;
    m_title = tagText(v2 ? v2->title : nullptr, v1 ? v1->title : nullptr, width);
    m_artist = tagText(v2 ? v2->artist : nullptr, v1 ? v1->artist : nullptr, width);
    m_album = tagText(v2 ? v2->album : nullptr, v1 ? v1->album : nullptr, width);
    m_cover = coverOf(v2);
    m_replayGains = extraGains(v2);
}

// The file's end is read twice: its last bytes for the tag's footer, then the whole tag.
ReplayGains Mp3Decoder::apeGains() const
{
    const auto readEnd = [this](std::size_t length) {
        std::vector<unsigned char> end(std::min<std::size_t>(length, m_input.size()));
        const auto size = static_cast<ssize_t>(end.size());
        if (::pread(m_fd, end.data(), end.size(), m_input.size() - size) != size)
            end.clear();
        return end;
    };
    const std::size_t tagLength = apeTagLength(readEnd(apeTagEndLength));
    if (tagLength == 0)
        return {};
    return apeReplayGains(readEnd(tagLength));
}

std::span<const float> Mp3Decoder::nextBuffer()
{
    std::span<const float> samples = std::exchange(m_firstBuffer, {});
    if (!std::exchange(m_firstBufferPending, false))
        samples = decodeNext();
    if (m_lengthIsExact)
        samples = heldToLength(samples);
    m_deliveredFrames += static_cast<std::int64_t>(samples.size()) / m_format.channelCount;
    return samples;
}

std::span<const float> Mp3Decoder::decodeNext()
{
    while (!m_ended) {
        off_t frameNumber = 0;
        unsigned char* audio = nullptr;
        std::size_t bytes = 0;
        const int result = mpg123_decode_frame(m_handle, &frameNumber, &audio, &bytes);
        m_frameNumber = frameNumber;
        if (result == MPG123_NEW_FORMAT) {
            takeFormat();
            continue;
        }
        if (result != MPG123_OK || m_frameNumber >= m_endFrame) {
            // The end of the data, damage that ends it, or a joined part in another format:
            // the same for every consumer.
            m_ended = true;
            break;
        }
        if (!audio || bytes < sizeof(float))
            continue;
        const std::span samples(reinterpret_cast<const float*>(audio), bytes / sizeof(float));
        // A frame in another rate or channel count, found by a resync in junk, would sound as
        // a burst at the wrong speed: it keeps its place as silence of as many frames, which
        // is how the scan counted it.
        if (m_foreignFrom >= 0)
            return silence(static_cast<std::int64_t>(samples.size()) / m_frameChannels);
        return samples;
    }
    return {};
}

// The scan and decoding may count a damaged stream differently: the scan counts frames that
// decoding finds cut short or trims as padding, and frames in another format at their own
// length, where gapless decoding ends by its own count. A track is as long as it said at open,
// which every display's timeline is built on: decoding that ends short is completed with
// silence (unless the file was cut since), decoding that runs on is cut there.
std::span<const float> Mp3Decoder::heldToLength(std::span<const float> samples)
{
    const std::int64_t framesLeft = std::max<std::int64_t>(m_frameCount - m_deliveredFrames, 0);
    if (!samples.empty())
        return samples.first(std::min<std::size_t>(
            samples.size(), static_cast<std::size_t>(framesLeft * m_format.channelCount)));
    if (framesLeft == 0 || m_input.wasCutShort() || m_input.hasFailed())
        return {};
    return silence(std::min(framesLeft, silenceChunkFrames));
}

std::span<const float> Mp3Decoder::silence(std::int64_t frames)
{
    m_silence.assign(static_cast<std::size_t>(frames * m_format.channelCount), 0.0f);
    return m_silence;
}

bool Mp3Decoder::seek(std::int64_t frame)
{
    frame = std::max<std::int64_t>(frame, 0);
    if (m_frameCount >= 0)
        frame = std::min(frame, m_frameCount);
    if (!readFirstFrameAgain() || mpg123_seek(m_handle, static_cast<off_t>(frame), SEEK_SET) < 0)
        return false;
    m_firstBufferPending = false;
    m_ended = false;
    m_deliveredFrames = frame;
    return true;
}

// libmpg123 turns samples into frames with the length of the last frame it read, which may be
// a false one found in junk or the first of a joined part: the first frame is read again.
bool Mp3Decoder::readFirstFrameAgain()
{
    if (mpg123_seek(m_handle, 0, SEEK_SET) < 0)
        return false;
    const int result = mpg123_framebyframe_next(m_handle);
    if (result == MPG123_NEW_FORMAT)
        takeFormat();
    return result == MPG123_OK || result == MPG123_NEW_FORMAT;
}
