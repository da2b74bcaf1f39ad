#pragma once

#include "decoder/AudioFormat.h"
#include "decoder/Mp3FileInput.h"
#include "decoder/ReplayGains.h"

#include <cstdint>
#include <limits>
#include <memory>
#include <span>
#include <vector>

#include <QByteArray>
#include <QString>

struct mpg123_handle_struct;

// Decodes one MP3 file with libmpg123 into interleaved 32-bit float buffers at the file's own
// sample rate and channel count, in file order. Everything that makes a file unplayable is
// found at open, so that a decoder that opened delivers audio. Beyond that it plays what the
// `mpg123` program plays: past junk and damaged frames, on into a file joined to it, up to
// where a cut file's data ends. A joined part in another sample rate or channel count ends
// the track where it begins. Not thread-safe: one thread uses an instance at a time.
class Mp3Decoder
{
public:
    // Scanning every frame header at open gives the exact length, and finds where a joined
    // part in another format begins. A reader of the title alone skips it and opens faster;
    // its samples are the same, except that such a part would follow as silence.
    // A reader that does not seek may take the exact length from the scan of an earlier open of
    // the same unchanged file, as the analyses of a track take the length its player scanned.
    enum class Length
    {
        Exact,
        ExactReused,
        Estimated,
    };

    // The pictures of the tags are kept only for a reader that asks for the cover: a cover
    // may take megabytes, which a decoder of samples would carry for nothing.
    enum class Cover
    {
        Skip,
        Read,
    };

    // Null, with a German reason in `error`, when the file cannot be played.
    static std::unique_ptr<Mp3Decoder> open(const QString& path, QString* error = nullptr,
                                            Length length = Length::Exact,
                                            Cover cover = Cover::Skip);
    ~Mp3Decoder();

    Mp3Decoder(const Mp3Decoder&) = delete;
    Mp3Decoder& operator=(const Mp3Decoder&) = delete;

    AudioFormat format() const { return m_format; }
    // Number of frames (samples per channel): exact when the file was scanned at open, else
    // the estimate of its headers; -1 if unknown.
    std::int64_t frameCount() const { return m_frameCount; }
    // Length in seconds; negative when unknown.
    double duration() const;
    // The ID3v2 title if not empty, else the ID3v1 title without its padding; may be empty.
    const QString& title() const { return m_title; }
    // Read like the title; may be empty.
    const QString& artist() const { return m_artist; }
    const QString& album() const { return m_album; }
    // The image data of the ID3v2 front cover, else of the first picture that is not an icon;
    // empty when there is none or the cover was skipped.
    const QByteArray& cover() const { return m_cover; }
    // The track's and the album's ReplayGain, each from an ID3v2 TXXX frame, else an APEv2 tag,
    // else the LAME header; the header is read only for a decoder of the exact length, which
    // plays the track.
    const ReplayGains& replayGains() const { return m_replayGains; }

    // The next decoded samples; valid until the next call. Empty at the end of the data, which
    // after a scan comes after exactly frameCount() frames.
    std::span<const float> nextBuffer();
    // Positions the decoder so that the next buffer starts at `frame`.
    bool seek(std::int64_t frame);
    // True once reading the file failed: the data ended in an error, not at its end.
    bool hasFailed() const { return m_input.hasFailed(); }

    // What tells one version of a file from another.
    struct FileStamp
    {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::int64_t size = 0;
        std::int64_t modifiedNs = 0;
        std::int64_t changedNs = 0;

        bool operator==(const FileStamp&) const = default;
    };

private:
    Mp3Decoder(mpg123_handle_struct* handle, int fd, std::int64_t fileSize);
    bool openStream(Length length, const FileStamp& file);
    bool scanLength(std::int64_t announced);
    void readTags();
    ReplayGains apeGains() const;
    bool reopen();
    bool scanMayDiffer(std::int64_t announced) const;
    std::int64_t countDecodedFrames();
    AudioFormat currentFormat() const;
    void takeFormat();
    bool decodeFirstBuffer();
    std::span<const float> decodeNext();
    std::span<const float> heldToLength(std::span<const float> samples);
    std::span<const float> silence(std::int64_t frames);
    bool readFirstFrameAgain();

    mpg123_handle_struct* m_handle = nullptr;
    int m_fd = -1;
    Mp3FileInput m_input;
    AudioFormat m_format;
    bool m_formatKnown = false;
    std::int64_t m_frameNumber = 0;
    // The frame where the current run of frames in a format foreign to the track began; -1.
    std::int64_t m_foreignFrom = -1;
    // The channel count of the frames being decoded, the track's own or a foreign one.
    int m_frameChannels = 2;
    std::vector<float> m_silence;
    // The first frame of a joined part in another format, which the track ends before.
    std::int64_t m_endFrame = std::numeric_limits<std::int64_t>::max();
    std::int64_t m_frameCount = -1;
    // Whether m_frameCount was scanned, so that decoding is held to it.
    bool m_lengthIsExact = false;
    std::int64_t m_deliveredFrames = 0;
    QString m_title;
    QString m_artist;
    QString m_album;
    QByteArray m_cover;
    ReplayGains m_replayGains;
    std::span<const float> m_firstBuffer;
    bool m_firstBufferPending = false;
    bool m_ended = false;
};
