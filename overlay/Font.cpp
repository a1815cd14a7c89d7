// Measuring and drawing single lines of text with a Font's glyph display lists.

#include "overlay/Font.h"

#include <GL/gl.h>

#include <cstring>

namespace {

constexpr unsigned FIRST_GLYPH = 32;
constexpr unsigned LAST_GLYPH = 254;

bool hasGlyph(unsigned code)
{
    return code >= FIRST_GLYPH && code <= LAST_GLYPH;
}

// Sets up the raster position and list base around drawGlyphs. The baseline lies one pixel height
// below the requested top edge; with the list base at listBase - 32 a character code is its own
// list offset. The colour comes before the raster position, which takes the current colour.
template <typename DrawGlyphs>
void drawLine(const Overlay& overlay, const Font& font, int x, int y, const BYTE colour[4], DrawGlyphs drawGlyphs)
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glColor4ubv(colour);
    glRasterPos2f(overlayNdcX(overlay, static_cast<float>(x)), overlayNdcY(overlay, static_cast<float>(y + font.pixelHeight)));
    glPushAttrib(GL_LIST_BIT);
    glListBase(font.listBase - FIRST_GLYPH);
    drawGlyphs();
    glPopAttrib();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

}  // namespace

bool measureText(const Font* font, LPCWSTR text, float extent[4])
{
    if (font == nullptr) return false;
    extent[0] = extent[1] = extent[2] = extent[3] = 0.0f;
    HDC dc = GetDC(nullptr);
    if (dc == nullptr) return true;
    HGDIOBJ previous = SelectObject(dc, font->fontHandle);
    RECT rect = {0, 0, 2147483647, 2147483647};
    if (DrawTextW(dc, text != nullptr ? text : TEXT(""), -1, &rect, DT_NOPREFIX | DT_CALCRECT | DT_SINGLELINE) != 0) {
        extent[2] = static_cast<float>(rect.right);
        extent[3] = static_cast<float>(rect.bottom);
    }
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    return true;
}

// One glCallLists per run of characters that have a glyph: a code outside 32..254 would name a list
// outside the font's block (another font's, or the scene's), so it is skipped.
void drawText(Overlay* overlay, const Font* font, int x, int y, const char* text, int length, const BYTE colour[4])
{
    if (overlay == nullptr || font == nullptr || text == nullptr) return;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    const int count = length < 0 ? static_cast<int>(std::strlen(text)) : length;
    drawLine(*overlay, *font, x, y, colour, [&] {
        int runStart = 0;
        for (int i = 0; i <= count; ++i) {
            if (i < count && hasGlyph(bytes[i])) continue;
            if (i > runStart) glCallLists(i - runStart, GL_UNSIGNED_BYTE, bytes + runStart);
            runStart = i + 1;
        }
    });
}

// Each UTF-16 unit is drawn by its low byte (U+0141 as 'A'), when that byte has a glyph.
void drawTextWide(Overlay* overlay, const Font* font, int x, int y, LPCWSTR text, int length, const BYTE colour[4])
{
    if (overlay == nullptr || font == nullptr || text == nullptr) return;
    const int count = length < 0 ? lstrlenW(text) : length;
    drawLine(*overlay, *font, x, y, colour, [&] {
        for (int i = 0; i < count; ++i) {
            const GLubyte code = static_cast<GLubyte>(text[i] & 0xFF);
            if (hasGlyph(code)) glCallLists(1, GL_UNSIGNED_BYTE, &code);
        }
    });
}
