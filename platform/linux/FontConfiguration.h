#pragma once

// fontconfig's view of the system (platform-internal): its configuration files and font caches,
// read once per process. Reading them is the slowest part of making the first font, so a program
// about to open a window starts the read early, on a thread of its own, while OpenGL starts up;
// the first font waits for it.

struct _FcConfig;

// Starts reading the configuration in the background, once. With shareWithToolkit (given before
// the configuration is first asked for), it also becomes fontconfig's current one, which FLTK's
// text (through Xft) and the dialogs' font matching use: the system's configuration is then read
// once, not twice.
void preloadFontConfiguration(bool shareWithToolkit);

// The configuration, waiting for a read in progress or reading it now; null when fontconfig
// cannot read one. Freed at exit (unless shared: fontconfig then keeps its current one).
_FcConfig* fontConfiguration();
