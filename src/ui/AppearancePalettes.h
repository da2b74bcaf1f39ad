#pragma once

#include <QPalette>

// The fixed light and dark palettes of the standard look ("Hell Modus", "Dunkel Modus"), set on
// the whole application. The dark one also stands in for the desktop's own when the desktop
// prefers a dark style that the platform's palette does not follow.
QPalette lightAppearancePalette();
QPalette darkAppearancePalette();
