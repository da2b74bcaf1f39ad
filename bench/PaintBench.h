#pragma once

// Prints the time to paint each display once at its size in the player window, in
// microseconds, one figure a line. Needs a QApplication.
void benchPaint();
