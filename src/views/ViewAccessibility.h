#pragma once

// Lets assistive technology see the views that draw their own controls: the transport keys as
// push buttons, toggles among them checked while lit, the position bar as a slider and the keys
// painted on the tape deck as buttons. Once, before the first window shows.
void installViewAccessibility();
