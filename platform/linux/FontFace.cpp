// GDI fonts on fontconfig and FreeType: matching a face name, the GDI cell metrics, hinted advances
// and monochrome glyph images.
//
// Metrics follow GDI for TrueType faces: the cell's ascent and descent are the OS/2 table's
// usWinAscent and usWinDescent scaled to the em size and rounded to whole pixels; the line height
// (tmHeight) is their sum. A negative requested height is the em size itself (character height); a
// positive one is the cell height, from which the em size is worked out. For Liberation Sans (what
// "Arial" resolves to) at a 12-pixel em this gives ascent 11, descent 3, line height 14.

#include "platform/linux/FontFace.h"

#include <algorithm>
#include <iterator>
#include <new>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include "platform/linux/FontConfiguration.h"

namespace {

// Cell height asked for by a zero height, as GDI's "reasonable default".
constexpr int DEFAULT_CELL_HEIGHT = 16;

// One FreeType library for the process, made on first use and kept: fonts may be destroyed by the
// font cache at exit, after any static object of ours would be gone.
FT_Library freeTypeLibrary()
{
    static FT_Library library = [] {
        FT_Library made = nullptr;
        return FT_Init_FreeType(&made) == 0 ? made : nullptr;
    }();
    return library;
}

// fontconfig's best scalable face for the request: its file, face index and family name.
bool matchFontFile(const FontRequest& request, std::string& file, int& index, std::string& family)
{
    FcConfig* config = fontConfiguration();
    if (config == nullptr) return false;
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) return false;
    const int weight = request.weight > 0 ? request.weight : FW_NORMAL;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(request.family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
    FcPatternAddInteger(pattern, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);

    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr) return false;

    FcChar8* path = nullptr;
    FcChar8* name = nullptr;
    const bool found = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch;
    if (found) {
        file = reinterpret_cast<const char*>(path);
        if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
        if (FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch) family = reinterpret_cast<const char*>(name);
    }
    FcPatternDestroy(match);
    return found;
}

// The face's cell above and below the baseline in font units: the Windows metrics when the face
// has them, else its general ascender and descender.
void cellInFontUnits(FT_Face face, long& ascent, long& descent)
{
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 != nullptr && os2->usWinAscent + os2->usWinDescent > 0) {
        ascent = os2->usWinAscent;
        descent = os2->usWinDescent;
    } else {
        ascent = face->ascender;
        descent = -face->descender;
    }
}

long roundedScale(long units, long numerator, long denominator)
{
    return (2 * units * numerator + denominator) / (2 * denominator);
}

FT_Face faceOf(const HFONT__& font)
{
    return reinterpret_cast<FT_Face>(font.face);
}

bool sizeFace(HFONT__& font, int requestedHeight)
{
    FT_Face face = faceOf(font);
    long ascentUnits = 0, descentUnits = 0;
    cellInFontUnits(face, ascentUnits, descentUnits);
    const long cellUnits = ascentUnits + descentUnits;
    if (cellUnits <= 0 || face->units_per_EM == 0) return false;

    const int height = requestedHeight == 0 ? DEFAULT_CELL_HEIGHT : requestedHeight;
    font.emPixels = height < 0 ? -height : static_cast<int>(roundedScale(height, face->units_per_EM, cellUnits));
    if (font.emPixels <= 0) font.emPixels = 1;
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(font.emPixels)) != 0) return false;

    font.ascent = static_cast<int>(roundedScale(ascentUnits, font.emPixels, face->units_per_EM));
    font.descent = static_cast<int>(roundedScale(descentUnits, font.emPixels, face->units_per_EM));
    return true;
}

// Hinted for monochrome output, as the glyph lists are drawn.
constexpr FT_Int32 MONO_LOAD_FLAGS = FT_LOAD_TARGET_MONO;

int loadedAdvance(FT_Face face)
{
    return static_cast<int>((face->glyph->advance.x + 32) >> 6);
}

// Row r of a rendered bitmap counted from the top, whichever way FreeType stored the rows.
const unsigned char* bitmapRow(const FT_Bitmap& bitmap, unsigned row)
{
    if (bitmap.pitch >= 0) return bitmap.buffer + static_cast<size_t>(row) * static_cast<unsigned>(bitmap.pitch);
    return bitmap.buffer + static_cast<size_t>(bitmap.rows - 1 - row) * static_cast<unsigned>(-bitmap.pitch);
}

bool pixelSet(const FT_Bitmap& bitmap, const unsigned char* row, unsigned column)
{
    if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) return (row[column / 8] >> (7 - column % 8)) & 1;
    return row[column] >= 128;  // an 8-bit coverage image (some embedded bitmaps): threshold it
}

}  // namespace

HFONT openFont(const FontRequest& request)
{
    FT_Library library = freeTypeLibrary();
    if (library == nullptr) return nullptr;

    auto* font = new (std::nothrow) HFONT__{};
    if (font == nullptr) return nullptr;
    int index = 0;
    FT_Face face = nullptr;
    if (!matchFontFile(request, font->file, index, font->family) ||
        FT_New_Face(library, font->file.c_str(), index, &face) != 0) {
        delete font;
        return nullptr;
    }
    font->face = reinterpret_cast<FT_FaceRec_*>(face);
    if (!FT_IS_SCALABLE(face) || !sizeFace(*font, request.height)) {
        closeFont(font);
        return nullptr;
    }
    std::fill(std::begin(font->latinAdvances), std::end(font->latinAdvances), std::int16_t{-1});
    return font;
}

void closeFont(HFONT font)
{
    if (font == nullptr) return;
    if (font->face != nullptr) FT_Done_Face(faceOf(*font));
    font->tag = 0;
    delete font;
}

int glyphAdvance(const HFONT__& font, char32_t codePoint)
{
    std::int16_t* known = codePoint < 256 ? &font.latinAdvances[codePoint] : nullptr;
    if (known != nullptr && *known >= 0) return *known;
    FT_Face face = faceOf(font);
    const int advance = FT_Load_Char(face, codePoint, MONO_LOAD_FLAGS) == 0 ? loadedAdvance(face) : 0;
    if (known != nullptr) *known = static_cast<std::int16_t>(advance);
    return advance;
}

bool renderMonoGlyph(const HFONT__& font, char32_t codePoint, MonoGlyph& glyph)
{
    FT_Face face = faceOf(font);
    if (FT_Load_Char(face, codePoint, FT_LOAD_RENDER | MONO_LOAD_FLAGS) != 0) return false;
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) return false;

    glyph.width = static_cast<int>(bitmap.width);
    glyph.height = static_cast<int>(bitmap.rows);
    glyph.left = slot->bitmap_left;
    glyph.bottom = slot->bitmap_top - glyph.height;
    glyph.advance = loadedAdvance(face);

    const size_t stride = (bitmap.width + 7) / 8;
    glyph.rows.assign(stride * bitmap.rows, 0);
    for (unsigned row = 0; row < bitmap.rows; ++row) {
        const unsigned char* source = bitmapRow(bitmap, row);
        std::uint8_t* target = glyph.rows.data() + (bitmap.rows - 1 - row) * stride;  // bottom row first
        for (unsigned column = 0; column < bitmap.width; ++column) {
            if (pixelSet(bitmap, source, column)) target[column / 8] |= static_cast<std::uint8_t>(0x80 >> (column % 8));
        }
    }
    return true;
}
