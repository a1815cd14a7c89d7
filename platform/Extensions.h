#pragma once

// Extensions of the platform API with no Windows counterpart: running without a display, and a hint
// for large arrays. Each platform realises them in its own folder; included through platform/win32.h.

// Whether windows can be shown: an X display can be opened. The connection stays open for the
// windows to use.
BOOL VexoDisplayAvailable();

// From now on, windows are created offscreen: no display is needed, each window draws into an
// offscreen OpenGL surface of its client size (CW_USEDEFAULT gives defaultWidth x defaultHeight;
// SetWindowPos resizes it and sends WM_SIZE), ShowWindow shows nothing and no input arrives.
// glReadPixels reads the last frame drawn, also after SwapBuffers. Fonts use 96 dots per inch.
// FALSE when no offscreen OpenGL (EGL on Mesa) is available.
BOOL VexoUseOffscreenWindows(int defaultWidth, int defaultHeight);

// A hint for memory just allocated that is about to be written whole, such as a large array: where
// the system can back it with large pages, filling it takes one page fault per large page instead of
// one per 4 KiB. Changes nothing else; does nothing where there are no such pages for a program.
void VexoPreferLargePages(LPVOID address, SIZE_T size);
