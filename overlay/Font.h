#pragma once

#include <cstdint>

#include "overlay/Overlay.h"
#include "resources/WideString.h"

// A bitmap font: one display list per character code 32..254, made from a system font, shared
// through the process-wide font cache (FontCache.h) by face name and point size.
struct Font {
    WideString faceName;
    std::int32_t pointSize;
    std::int32_t pixelHeight;  // character height in pixels on the screen
    std::uint32_t listBase;    // first of 223 display lists, for codes 32..254
    HFONT fontHandle;
};

// The cached font for name and size with one more reference; null when it cannot be made. Needs the
// GL context current.
Font* acquireFont(LPCWSTR faceName, std::int32_t pointSize);
// Gives back one reference; the last destroys the font. False for null.
bool releaseFont(Font* font);

// The single-line extent of text: (0, 0, width, height), the width the sum of the glyphs' advances
// and the height the font's line height (ascent + descent, a little more than pixelHeight); an
// ampersand is an ordinary character, line breaks are not honoured, null is the empty text. False,
// writing nothing, for a null font.
bool measureText(const Font* font, LPCWSTR text, float extent[4]);

// Draw a byte string or a UTF-16 string with its top-left corner at pixel (x, y), between
// beginOverlay and endOverlay: the baseline is pixelHeight below y. A negative length runs to the
// terminator. A UTF-16 unit draws the glyph of its low byte. Characters (or low bytes) outside
// 32..254 draw nothing and take no room. Null overlay, font or text: nothing. No allocation.
void drawText(Overlay* overlay, const Font* font, int x, int y, const char* text, int length, const BYTE colour[4]);
void drawTextWide(Overlay* overlay, const Font* font, int x, int y, LPCWSTR text, int length, const BYTE colour[4]);
