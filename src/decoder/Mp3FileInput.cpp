#include "decoder/Mp3FileInput.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

#include <unistd.h>

namespace {

// Large enough that a frame of any bit rate and the header after it come from one read.
constexpr std::size_t bufferBytes = 32 * 1024;

} // namespace

Mp3FileInput::Mp3FileInput(int fd, std::int64_t size) : m_fd(fd), m_end(size), m_buffer(bufferBytes)
{}

ssize_t Mp3FileInput::read(void* input, void* out, std::size_t count)
{
    return static_cast<Mp3FileInput*>(input)->read(static_cast<unsigned char*>(out), count);
}

off_t Mp3FileInput::seek(void* input, off_t offset, int whence)
{
    return static_cast<Mp3FileInput*>(input)->seek(offset, whence);
}

ssize_t Mp3FileInput::read(unsigned char* out, std::size_t count)
{
    std::size_t done = 0;
    while (done < count && m_position < m_end) {
        if (!isBuffered()) {
            const ssize_t filled = fillBuffer();
            if (filled < 0 && done == 0)
                return -1;
            if (filled <= 0)
                break;
        }
        const auto offset = static_cast<std::size_t>(m_position - m_bufferStart);
        const std::size_t part = std::min(count - done, m_bufferFill - offset);
        std::memcpy(out + done, m_buffer.data() + offset, part);
        done += part;
        m_position += static_cast<std::int64_t>(part);
    }
    return static_cast<ssize_t>(done);
}

off_t Mp3FileInput::seek(off_t offset, int whence)
{
    std::int64_t base = 0;
    if (whence == SEEK_CUR)
        base = m_position;
    else if (whence == SEEK_END)
        base = m_end;
    else if (whence != SEEK_SET)
        return -1;
    if (offset < -base || offset > std::numeric_limits<std::int64_t>::max() - base)
        return -1;
    m_position = base + offset;
    return static_cast<off_t>(m_position);
}

bool Mp3FileInput::isBuffered() const
{
    return m_position >= m_bufferStart &&
           m_position < m_bufferStart + static_cast<std::int64_t>(m_bufferFill);
}

ssize_t Mp3FileInput::fillBuffer()
{
    const auto wanted =
        static_cast<std::size_t>(std::min<std::int64_t>(bufferBytes, m_end - m_position));
    ssize_t filled = 0;
    do
        filled = ::pread(m_fd, m_buffer.data(), wanted, m_position);
    while (filled < 0 && errno == EINTR);
    m_bufferStart = m_position;
    m_bufferFill = filled > 0 ? static_cast<std::size_t>(filled) : 0;
    m_cutShort = m_cutShort || filled == 0;
    m_failed = m_failed || filled < 0;
    return filled;
}
