#pragma once

// Extensions of the platform API with no Windows counterpart: running without a display, the
// standard streams of a command-line run, a hint for large arrays, and how paths are joined. Each platform realises them
// in its own folder; included through platform/win32.h.

// Whether windows can be shown: on Linux an X display can be opened (the connection stays open for
// the windows to use), on Windows the process runs on the interactive desktop.
BOOL VexoDisplayAvailable();

// From now on, the program's top-level windows are created offscreen: no display is needed, each
// window draws into an offscreen OpenGL surface of its client size (created with CW_USEDEFAULT, a
// window's client area is defaultWidth x defaultHeight; SetWindowPos resizes it and sends WM_SIZE),
// ShowWindow shows nothing and no input arrives. A window's GL context is made current on it while
// the window handles WM_CREATE, as the viewer does. glReadPixels reads the last frame drawn, also
// after SwapBuffers. Fonts use 96 dots per inch. FALSE when no offscreen OpenGL is available (on
// Linux EGL on Mesa, on Windows framebuffer objects).
BOOL VexoUseOffscreenWindows(int defaultWidth, int defaultHeight);

// Makes stdout and stderr ready for a command-line run, before anything is written to them: bytes
// go out unchanged ("\n" stays "\n", as on every platform), and a program started from a console
// that did not redirect them writes to that console (a Windows GUI program has none of its own).
void VexoUseStandardStreams();

// A hint for memory just allocated that is about to be written whole, such as a large array: where
// the system can back it with large pages, filling it takes one page fault per large page instead of
// one per 4 KiB. Changes nothing else; does nothing where there are no such pages for a program.
void VexoPreferLargePages(LPVOID address, SIZE_T size);

// The separator the application puts between a folder's path and a name: on Windows the backslash,
// the one that `\\?\` long paths accept; on Linux the slash, the only one.
#ifdef _WIN32
inline constexpr WCHAR VEXO_PATH_SEPARATOR = L'\\';
#else
inline constexpr WCHAR VEXO_PATH_SEPARATOR = u'/';
#endif
