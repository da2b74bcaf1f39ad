#include "audio/CutRamp.h"

#include <cmath>
#include <utility>

namespace {

// Cuts closer together than this are one burst.
constexpr qint64 burstMs = 150;
// How often a device is looked at again while its word that it took the ramp is awaited, and
// how long at most: a device that says nothing more is not waited for.
constexpr int wordAgainMs = 5;
constexpr qint64 wordAtMostMs = 500;

} // namespace

CutRamp::CutRamp(std::function<void()> lookAgain) : m_lookAgain(std::move(lookAgain))
{
    m_timer.setSingleShot(true);
    m_timer.callOnTimeout([this] { m_lookAgain(); });
}

bool CutRamp::isInBurst() const
{
    return m_last.isValid() && m_last.elapsed() < burstMs;
}

bool CutRamp::wouldRamp() const
{
    return m_from < 0 && !isInBurst();
}

bool CutRamp::begin(AudioOutput& device, const AudioFormat& format)
{
    if (isInBurst())
        return false;
    m_last.start();
    const std::int64_t from = device.fadeOut();
    if (from < 0)
        return false;
    m_from = from;
    m_format = format;
    m_end = from + std::llround(cutRampSeconds * format.sampleRate);
    m_heardByClock.invalidate();
    return true;
}

bool CutRamp::isHeard(AudioOutput& device)
{
    const std::int64_t left = m_end - device.playedFrames();
    if (left > 0) {
        m_timer.start(m_format.millisecondsOf(left) + 1);
        return false;
    }
    if (!m_heardByClock.isValid())
        m_heardByClock.start();
    if (!device.hasTaken(m_end) && m_heardByClock.elapsed() < wordAtMostMs) {
        m_timer.start(wordAgainMs);
        return false;
    }
    return true;
}

std::int64_t CutRamp::finish()
{
    m_timer.stop();
    return std::exchange(m_from, -1);
}
