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
constexpr DWORD DEFAULT_CHARSET = 1;
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
// Fonts and bitmaps are the only GDI objects. Selecting a font returns the previously selected one;
// selecting null puts the device context back to its initial state of no font. A bitmap goes only
// into a memory device context, and selecting it returns the previous bitmap (null at first). Null
// (and nothing changes) for a null context or another object. As on Windows, an object still
// selected into a device context must not be deleted.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);  // FALSE for anything but a font or a bitmap

// Renders the glyphs of code points first .. first + count - 1 of the selected font, in monochrome,
// into the display lists listBase .. listBase + count - 1: each glBitmap's origin puts the glyph on
// the baseline at the raster position and advances it by the glyph's advance width (whole pixels,
// hinted). A code point the face lacks gets its missing-glyph shape. Needs the GL context current;
// the pixel-store state is left as it was. FALSE when no font is selected or a glyph failed (its
// list is then empty).
BOOL wglUseFontBitmapsW(HDC dc, DWORD first, DWORD count, DWORD listBase);

// ---- Bitmaps in memory, and text drawn into them --------------------------------------------------

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;  // negative: the top row comes first
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};
constexpr DWORD BI_RGB = 0;
constexpr UINT DIB_RGB_COLORS = 0;

using COLORREF = DWORD;
constexpr COLORREF RGB(BYTE red, BYTE green, BYTE blue)
{
    return COLORREF{red} | (COLORREF{green} << 8) | (COLORREF{blue} << 16);
}
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
constexpr DWORD NONANTIALIASED_QUALITY = 3;

// A memory device context, of no window: text is drawn into the bitmap selected into it. The
// argument is not used (the screen's format is the only one).
HDC CreateCompatibleDC(HDC dc);
// Frees a memory device context; the objects selected into it stay and may be deleted after it.
BOOL DeleteDC(HDC dc);
// A device-independent bitmap of 32 bits a pixel (bytes blue, green, red, unused) without
// compression, zero-filled, top row first when biHeight is negative; *bits receives its pixels,
// which live until DeleteObject. Every other format, a file mapping or a size beyond 2^31 bytes
// gives null. The device context is not used.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset);
// Text is always drawn as TRANSPARENT draws it (the glyphs alone); the mode is kept and returned.
int SetBkMode(HDC dc, int mode);
// The colour text is drawn in from now on; the previous one, or CLR_INVALID for a null context.
COLORREF SetTextColor(HDC dc, COLORREF colour);
// Draws count UTF-16 units in the selected font into the bitmap selected into the memory device
// context: the character cell's top-left corner at (x, y) (TA_TOP | TA_LEFT), glyphs in monochrome
// at their advance widths (no kerning, as DrawTextW measures), clipped to the bitmap. FALSE without
// a font or a bitmap.
BOOL TextOutW(HDC dc, int x, int y, LPCWSTR text, int count);
// Drawing is never batched: nothing to wait for.
BOOL GdiFlush();

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
