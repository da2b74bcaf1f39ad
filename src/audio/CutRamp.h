#pragma once

#include "audio/AudioOutput.h"

#include <cstdint>
#include <functional>

#include <QElapsedTimer>
#include <QTimer>

// The ramp down that a device plays ahead of a cut (a seek, a pause, a stop), so that the wave
// heard never jumps. The cut follows once the ramp has been heard; until then nothing more is
// rendered. Cuts close together (a scrub) are one burst, and only its first one ramps: each of
// the others would wait for its own ramp.
class CutRamp final
{
public:
    // `lookAgain` is called when the ramp that was not yet heard may have been.
    explicit CutRamp(std::function<void()> lookAgain);

    bool isRamping() const { return m_from >= 0; }
    // Where on the device's timeline the ramp begins; -1 when none runs.
    std::int64_t from() const { return m_from; }
    // Whether a cut made now would ramp on a device that can.
    bool wouldRamp() const;
    // Ramps the device down; false where the cut is to be made at once: on a device that cannot
    // ramp, and within a burst.
    bool begin(AudioOutput& device, const AudioFormat& format);
    // Whether the device has played the ramp to its end; if not, it is looked at again.
    bool isHeard(AudioOutput& device);
    // Ends the ramp; where it began, or -1 when none ran.
    std::int64_t finish();

private:
    // Whether a cut made now is close behind the last one that began a ramp.
    bool isInBurst() const;

    const std::function<void()> m_lookAgain;
    QElapsedTimer m_last;
    // Since the device's clock said the ramp was heard, while its word has not yet.
    QElapsedTimer m_heardByClock;
    std::int64_t m_from = -1;
    std::int64_t m_end = -1;
    AudioFormat m_format;
    QTimer m_timer;
};
