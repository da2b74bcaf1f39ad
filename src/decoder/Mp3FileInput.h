#pragma once

#include <cstdint>
#include <vector>

#include <sys/types.h>

// The bytes of an open file as libmpg123's reader callbacks take them. The parser reads junk
// and damaged stretches one byte at a time while it looks for the next frame, so reads are
// served from a buffer of their own instead of one system call per byte.
class Mp3FileInput
{
public:
    Mp3FileInput(int fd, std::int64_t size);

    Mp3FileInput(const Mp3FileInput&) = delete;
    Mp3FileInput& operator=(const Mp3FileInput&) = delete;

    // The file's size at open.
    std::int64_t size() const { return m_end; }
    // Back to the start, for the decoder to open the stream again.
    void rewind() { m_position = 0; }
    // True once the data ended before the size the file had at open: it was cut meanwhile.
    bool wasCutShort() const { return m_cutShort; }
    // True once a read failed (an I/O error, not the end of the data).
    bool hasFailed() const { return m_failed; }

    static ssize_t read(void* input, void* out, std::size_t count);
    static off_t seek(void* input, off_t offset, int whence);

private:
    ssize_t read(unsigned char* out, std::size_t count);
    off_t seek(off_t offset, int whence);
    bool isBuffered() const;
    ssize_t fillBuffer();

    int m_fd;
    std::int64_t m_end;
    std::int64_t m_position = 0;
    std::vector<unsigned char> m_buffer;
    std::int64_t m_bufferStart = 0;
    std::size_t m_bufferFill = 0;
    bool m_cutShort = false;
    bool m_failed = false;
};
