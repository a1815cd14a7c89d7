#pragma once

// Platform-internal: the GDI font object realised with fontconfig and FreeType. Nothing here exposes
// a FreeType type, so tests may look at a font's metrics and glyphs directly.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32.h"

struct FT_FaceRec_;

// What CreateFontW asks for, in the terms fontconfig matches on.
struct FontRequest {
    std::string family;  // UTF-8 face name
    int weight = 0;      // GDI weight 1..1000; 0 means normal
    bool italic = false;
    int height = 0;      // GDI convention: < 0 the em size in pixels, > 0 the cell height, 0 the default
};

// A glyph rendered in monochrome in the layout glBitmap takes with an unpack alignment of 1: rows
// from the bottom up, each (width + 7) / 8 bytes, the leftmost pixel in the most significant bit.
struct MonoGlyph {
    int width = 0;
    int height = 0;
    int left = 0;     // from the pen position right to the image's left column
    int bottom = 0;   // from the baseline up to the image's bottom row (negative when it hangs below)
    int advance = 0;  // whole pixels the pen moves on
    std::vector<std::uint8_t> rows;
};

constexpr std::uint32_t FONT_OBJECT_TAG = 0x544E4F46;  // "FONT": tells a font among GDI objects

struct HFONT__ {
    std::uint32_t tag = FONT_OBJECT_TAG;
    FT_FaceRec_* face = nullptr;
    std::string file;      // the font file fontconfig chose
    std::string family;    // its family name, as the file states it
    int emPixels = 0;      // the em size the glyphs are rendered at
    int ascent = 0;        // cell above the baseline, pixels (GDI's tmAscent)
    int descent = 0;       // cell below the baseline, pixels (GDI's tmDescent)
    // Advances of U+0000..U+00FF, each measured the first time it is asked for (-1 until then):
    // text uses a few dozen of them, and measuring one costs as much as rendering its glyph.
    mutable std::int16_t latinAdvances[256];
};

// Matches the request through fontconfig and opens the face at the requested size; null when no
// font file can be found or opened.
HFONT openFont(const FontRequest& request);
void closeFont(HFONT font);

// Line height of the font: GDI's tmHeight, ascent + descent.
inline int lineHeight(const HFONT__& font) { return font.ascent + font.descent; }

// Advance width of a code point in whole pixels, hinted as the glyph is drawn; kerning plays no part.
int glyphAdvance(const HFONT__& font, char32_t codePoint);

// Renders a code point (the face's missing-glyph shape when it has none); false when FreeType fails.
bool renderMonoGlyph(const HFONT__& font, char32_t codePoint, MonoGlyph& glyph);
