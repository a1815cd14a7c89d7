#pragma once

#include "platform/linux/win32/Types.h"

// Device contexts, the OpenGL context of a window, and fonts turned into glyph display lists.
// A window's context is GLX (or EGL for offscreen windows); fonts come from fontconfig and FreeType.

// GetDC(null) is the screen's device context, used for fonts: a new one each time, freed by
// ReleaseDC. A window has one device context of its own, valid until the window is destroyed.
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);

constexpr DWORD PFD_DOUBLEBUFFER = 0x00000001;
constexpr DWORD PFD_DRAW_TO_WINDOW = 0x00000004;
constexpr DWORD PFD_SUPPORT_OPENGL = 0x00000020;
constexpr BYTE PFD_TYPE_RGBA = 0;
constexpr BYTE PFD_MAIN_PLANE = 0;

struct PIXELFORMATDESCRIPTOR {
    WORD nSize;
    WORD nVersion;
    DWORD dwFlags;
    BYTE iPixelType;
    BYTE cColorBits;
    BYTE cRedBits;
    BYTE cRedShift;
    BYTE cGreenBits;
    BYTE cGreenShift;
    BYTE cBlueBits;
    BYTE cBlueShift;
    BYTE cAlphaBits;
    BYTE cAlphaShift;
    BYTE cAccumBits;
    BYTE cAccumRedBits;
    BYTE cAccumGreenBits;
    BYTE cAccumBlueBits;
    BYTE cAccumAlphaBits;
    BYTE cDepthBits;
    BYTE cStencilBits;
    BYTE cAuxBuffers;
    BYTE iLayerType;
    BYTE bReserved;
    DWORD dwLayerMask;
    DWORD dwVisibleMask;
    DWORD dwDamageMask;
};

// 1-based index of the closest format (RGBA, double buffer, the depth asked for), 0 if none.
int ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* descriptor);
BOOL SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR* descriptor);
// The context can be made current as soon as it exists, before the window is shown; display lists
// and textures created then stay valid once the window appears.
HGLRC wglCreateContext(HDC dc);
BOOL wglMakeCurrent(HDC dc, HGLRC context);
BOOL wglDeleteContext(HGLRC context);
BOOL SwapBuffers(HDC dc);

// Dots per inch of the screen as a program that does not declare DPI awareness sees it: always 96.
constexpr int LOGPIXELSY = 90;
int GetDeviceCaps(HDC dc, int index);
// a * b / c rounded to the nearest integer (halves away from zero); -1 when c is 0 or the result
// does not fit in an int.
int MulDiv(int a, int b, int c);

constexpr int FW_NORMAL = 400;
constexpr DWORD ANSI_CHARSET = 0;
constexpr DWORD OUT_TT_PRECIS = 4;
constexpr DWORD CLIP_DEFAULT_PRECIS = 0;
constexpr DWORD ANTIALIASED_QUALITY = 4;
constexpr DWORD DEFAULT_PITCH = 0;
constexpr DWORD FF_DONTCARE = 0;

// The face name, weight and italic flag resolve through fontconfig to a scalable face ("Arial" to
// the metric-compatible Liberation Sans). A negative height asks for that character height in
// pixels (the em size), a positive one for the cell height (ascent + descent), 0 for a 16-pixel
// cell. The cell follows the face's Windows metrics (usWinAscent, usWinDescent), rounded to whole
// pixels. Width, escapement, orientation, underline, strike-out, character set, precisions, quality
// and pitch are not used: glyphs keep their natural shape and are always rendered in monochrome.
// Null when no face can be found.
HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outputPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCWSTR faceName);
// Fonts are the only GDI objects. Selecting returns the previously selected font; selecting null
// puts the device context back to its initial state of no font. Null (and nothing changes) for a
// null context or an object that is not a font. As on Windows, a font still selected into a device
// context must not be deleted.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);  // FALSE for anything but a font

// Renders the glyphs of code points first .. first + count - 1 of the selected font, in monochrome,
// into the display lists listBase .. listBase + count - 1: each glBitmap's origin puts the glyph on
// the baseline at the raster position and advances it by the glyph's advance width (whole pixels,
// hinted). A code point the face lacks gets its missing-glyph shape. Needs the GL context current;
// the pixel-store state is left as it was. FALSE when no font is selected or a glyph failed (its
// list is then empty).
BOOL wglUseFontBitmapsW(HDC dc, DWORD first, DWORD count, DWORD listBase);

constexpr UINT DT_TOP = 0x0000;
constexpr UINT DT_LEFT = 0x0000;
constexpr UINT DT_SINGLELINE = 0x0020;
constexpr UINT DT_CALCRECT = 0x0400;
constexpr UINT DT_NOPREFIX = 0x0800;
// Measuring only: with DT_CALCRECT, sets the rectangle's right to left + the widest line's sum of
// advance widths (no kerning, as the glyph lists draw) and its bottom to top + lines x line height
// (tmHeight), and returns that height; empty text is one empty line. A count of -1 runs to the
// terminator. Lines break at CR LF, LF or CR unless DT_SINGLELINE; '&' marks a mnemonic ("&&" is
// one '&') unless DT_NOPREFIX. Returns 0, drawing nothing, without DT_CALCRECT or without a font.
int DrawTextW(HDC dc, LPCWSTR text, int count, RECT* rect, UINT format);
