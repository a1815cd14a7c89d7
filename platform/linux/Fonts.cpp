// GDI fonts and their glyph display lists: CreateFontW, SelectObject, DeleteObject, GetDeviceCaps,
// wglUseFontBitmapsW, DrawTextW (measuring only) and TextOutW (into a bitmap in memory), over the
// fonts of FontFace.h.

#include <GL/gl.h>


#include "platform/linux/Bitmap.h"
#include "platform/linux/DeviceContext.h"
#include "platform/linux/Display.h"
#include "platform/linux/FontFace.h"
#include "platform/linux/Utf.h"

namespace {

HFONT asFont(HGDIOBJ object)
{
    auto* font = static_cast<HFONT>(object);
    return font != nullptr && font->tag == FONT_OBJECT_TAG ? font : nullptr;
}

bool isHighSurrogate(WCHAR unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(WCHAR unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The code point at text[i], a surrogate pair taken whole (i then moves to its second unit); a lone
// surrogate stands for itself.
char32_t codePointAt(LPCWSTR text, int units, int& i)
{
    if (isHighSurrogate(text[i]) && i + 1 < units && isLowSurrogate(text[i + 1])) {
        const char32_t c = 0x10000 + ((static_cast<char32_t>(text[i]) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
        ++i;
        return c;
    }
    return text[i];
}

// Sets the glyph's pixels in the bitmap, its pen position at x on the baseline (y down).
void paintGlyph(const MonoGlyph& glyph, const HBITMAP__& bitmap, int x, int baseline, COLORREF colour)
{
    const int stride = (glyph.width + 7) / 8;
    for (int row = 0; row < glyph.height; ++row) {  // bottom row first
        const int y = baseline - glyph.bottom - 1 - row;
        if (y < 0 || y >= bitmap.height) continue;
        for (int column = 0; column < glyph.width; ++column) {
            const int px = x + glyph.left + column;
            if (px < 0 || px >= bitmap.width) continue;
            if ((glyph.rows[static_cast<std::size_t>(row * stride + column / 8)] & (0x80 >> (column % 8))) == 0) continue;
            BYTE* pixel = bitmap.pixel(px, y);
            pixel[0] = static_cast<BYTE>(colour >> 16);  // blue
            pixel[1] = static_cast<BYTE>(colour >> 8);
            pixel[2] = static_cast<BYTE>(colour);
        }
    }
}

struct TextExtent {
    int width = 0;
    int lines = 1;
};

// Sum of advances per line (no kerning, as GDI's basic extent); the widest line counts. Line breaks
// (CR LF, LF, CR) only without DT_SINGLELINE; '&' marks a mnemonic (and "&&" is one '&') only
// without DT_NOPREFIX.
TextExtent measureLines(const HFONT__& font, LPCWSTR text, int units, UINT format)
{
    TextExtent extent;
    int lineWidth = 0;
    for (int i = 0; i < units; ++i) {
        const char32_t c = text[i];
        if ((format & DT_SINGLELINE) == 0 && (c == u'\r' || c == u'\n')) {
            if (c == u'\r' && i + 1 < units && text[i + 1] == u'\n') ++i;
            if (lineWidth > extent.width) extent.width = lineWidth;
            lineWidth = 0;
            ++extent.lines;
            continue;
        }
        if ((format & DT_NOPREFIX) == 0 && c == u'&') {
            if (i + 1 >= units || text[i + 1] != u'&') continue;  // the prefix itself takes no room
            ++i;
        }
        lineWidth += glyphAdvance(font, codePointAt(text, units, i));
    }
    if (lineWidth > extent.width) extent.width = lineWidth;
    return extent;
}

// glBitmap reads bitmaps as tightly packed bytes, most significant bit first.
void setBitmapUnpacking()
{
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
}

}  // namespace

int GetDeviceCaps(HDC dc, int index)
{
    if (dc == nullptr) return 0;
    return index == LOGPIXELSY ? LOGICAL_DOTS_PER_INCH : 0;
}

HFONT CreateFontW(int height, int, int, int, int weight, DWORD italic, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                  DWORD, LPCWSTR faceName)
{
    FontRequest request;
    request.family = faceName != nullptr ? utf16ToUtf8(faceName) : std::string();
    request.weight = weight;
    request.italic = italic != 0;
    request.height = height;
    return openFont(request);
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object)
{
    if (dc == nullptr) return nullptr;
    if (const HBITMAP bitmap = asBitmap(object)) return selectBitmap(dc, bitmap);
    HFONT font = asFont(object);
    if (object != nullptr && font == nullptr) return nullptr;
    HFONT previous = dc->font;
    dc->font = font;
    return previous;
}

BOOL DeleteObject(HGDIOBJ object)
{
    if (const HBITMAP bitmap = asBitmap(object)) {
        deleteBitmap(bitmap);
        return TRUE;
    }
    HFONT font = asFont(object);
    if (font == nullptr) return FALSE;
    closeFont(font);
    return TRUE;
}

BOOL wglUseFontBitmapsW(HDC dc, DWORD first, DWORD count, DWORD listBase)
{
    if (dc == nullptr || dc->font == nullptr) return FALSE;
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    setBitmapUnpacking();
    MonoGlyph glyph;
    bool everyGlyph = true;
    for (DWORD i = 0; i < count; ++i) {
        if (!renderMonoGlyph(*dc->font, first + i, glyph)) {
            glyph = MonoGlyph{};  // an empty list keeps the block's numbering intact
            everyGlyph = false;
        }
        // The image's lower-left corner goes to (raster x + left, raster y + bottom): on the baseline.
        glNewList(listBase + i, GL_COMPILE);
        glBitmap(glyph.width, glyph.height, static_cast<GLfloat>(-glyph.left), static_cast<GLfloat>(-glyph.bottom),
                 static_cast<GLfloat>(glyph.advance), 0.0f, glyph.rows.empty() ? nullptr : glyph.rows.data());
        glEndList();
    }
    glPopClientAttrib();
    return everyGlyph ? TRUE : FALSE;
}

int DrawTextW(HDC dc, LPCWSTR text, int count, RECT* rect, UINT format)
{
    if (dc == nullptr || dc->font == nullptr || rect == nullptr || (format & DT_CALCRECT) == 0) return 0;
    const int units = text == nullptr ? 0 : count < 0 ? lstrlenW(text) : count;
    const TextExtent extent = measureLines(*dc->font, text, units, format);
    const int height = extent.lines * lineHeight(*dc->font);
    rect->right = rect->left + extent.width;
    rect->bottom = rect->top + height;
    return height;
}

BOOL TextOutW(HDC dc, int x, int y, LPCWSTR text, int count)
{
    if (dc == nullptr || dc->font == nullptr || dc->bitmap == nullptr || (text == nullptr && count > 0) || count < 0) {
        return FALSE;
    }
    const HFONT__& font = *dc->font;
    const int baseline = y + font.ascent;
    MonoGlyph glyph;
    for (int i = 0, pen = x; i < count; ++i) {
        const char32_t c = codePointAt(text, count, i);
        if (!renderMonoGlyph(font, c, glyph)) {
            pen += glyphAdvance(font, c);
            continue;
        }
        paintGlyph(glyph, *dc->bitmap, pen, baseline, dc->textColour);
        pen += glyph.advance;
    }
    return TRUE;
}
