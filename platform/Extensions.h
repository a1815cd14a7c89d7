#pragma once

// Extensions of the platform API with no Windows counterpart: running without a display, offscreen
// windows, the standard streams of a command-line run, where the viewer runs and how it reports
// failures, a hint for large arrays, and how paths are joined. Each platform realises them in its
// own folder; included through platform/win32.h.

// Whether windows can be shown: on Linux an X display can be opened (the connection stays open for
// the windows to use), on Windows the process runs on the interactive desktop.
BOOL VexoDisplayAvailable();

// From now on, the program's top-level windows are created offscreen: no display is needed, each
// window draws into an offscreen OpenGL surface of its client size (created with CW_USEDEFAULT, a
// window's client area is defaultWidth x defaultHeight; SetWindowPos resizes it and sends WM_SIZE),
// ShowWindow shows nothing and no input arrives. A window's GL context is made current on it while
// the window handles WM_CREATE, as the viewer does. glReadPixels reads the last frame drawn, also
// after SwapBuffers. Fonts use 96 dots per inch. FALSE when no offscreen OpenGL is available. On
// Linux the windows draw into EGL pbuffers (Mesa). On Windows they draw into framebuffer objects
// where the OpenGL has them (3.0, or ARB_framebuffer_object) and they are complete, else into a
// bitmap that Windows' own OpenGL 1.1 draws into; the environment setting VEXO_OFFSCREEN=framebuffer
// or VEXO_OFFSCREEN=bitmap takes the one named or none.
BOOL VexoUseOffscreenWindows(int defaultWidth, int defaultHeight);

// The device context that a window's OpenGL context is made on, with the pixel format closest to
// *format set (as ChoosePixelFormat and SetPixelFormat set it): the window's own (GetDC), or for an
// offscreen window drawn into a bitmap, a memory device context holding a bitmap of the window's
// client size, with a bitmap pixel format (PFD_DRAW_TO_BITMAP, single-buffered: SwapBuffers
// changes nothing) of the colour and depth asked for. NULL when no such pixel format can be set.
// ReleaseDC gives back a window's own; a bitmap's goes with its window.
HDC VexoGetGlDC(HWND window, const PIXELFORMATDESCRIPTOR* format);

// An OpenGL context that draws into an offscreen buffer of its own, width x height pixels of 8-bit
// RGBA with the depth buffer an offscreen window of the pixel format closest to *format gets, and
// belongs to no window: for pictures drawn on several threads at once, a context each. It is made
// on the calling thread, which must outlive it (on Windows an offscreen window of that thread holds
// it), and is current on no thread; any thread may make it current (one thread at a time, one such
// context per thread), draw, read the buffer back with glReadPixels, and release it. Needs
// VexoUseOffscreenWindows to have succeeded on the calling thread. NULL when it cannot be made.
struct VexoOffscreenGl;
VexoOffscreenGl* VexoCreateOffscreenGl(int width, int height, const PIXELFORMATDESCRIPTOR* format);
// Makes the context current on the calling thread; NULL releases the calling thread's. FALSE on
// failure.
BOOL VexoMakeOffscreenGlCurrent(VexoOffscreenGl* gl);
// Deletes a context that is current on no thread.
void VexoDeleteOffscreenGl(VexoOffscreenGl* gl);

// Tells the user of the viewer why it cannot go on, in plain words ("cannot ..."): on stderr, and
// where a desktop program may have no console to show it (on Windows, started from Explorer or a
// shortcut), in a message box too, when there is a desktop to show one on.
void VexoReportFailure(const char* reason);

// Makes stdout and stderr ready for a command-line run, before anything is written to them: bytes
// go out unchanged ("\n" stays "\n", as on every platform), and a program started from a console
// that did not redirect them writes to that console (a Windows GUI program has none of its own).
void VexoUseStandardStreams();

// Hands the viewer to the desktop twin of a console program: on Windows vexo.com, which consoles wait
// for, starts vexo.exe beside it (which they do not wait for) with the same arguments and does not
// wait for it either. FALSE in a program that shows the viewer itself (vexo.exe, the Linux vexo).
// Otherwise TRUE, with the exit status in *status: 0 once the twin runs, else 1 after saying why on
// stderr.
BOOL VexoHandViewerToDesktopTwin(int* status);

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
