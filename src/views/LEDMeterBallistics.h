#pragma once

// The meter's ballistics, applied once per update (60 per second while playing). Levels are
// single-precision decibels; −60 is silence.

// Instant attack, then a fall of 4/3 dB per update (80 dB/s); a target at or below −59.5 dB
// drops the bar out at once. A target that is not a number lets the level fall.
float smoothedLevelFrom(float current, float target);
// The held peak rises at once and falls 1/6 dB per update (10 dB/s), with no hold time. A
// target that is not a number lets the peak fall.
float peakHoldLevelFrom(float peak, float target);
