// GDI fonts and their glyph display lists: CreateFontW, SelectObject, DeleteObject, GetDeviceCaps,
// wglUseFontBitmapsW and DrawTextW (measuring only), over the fonts of FontFace.h.

#include <GL/gl.h>


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
        char32_t c = text[i];
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
        if (isHighSurrogate(text[i]) && i + 1 < units && isLowSurrogate(text[i + 1])) {
            c = 0x10000 + ((static_cast<char32_t>(text[i]) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        lineWidth += glyphAdvance(font, c);
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
    HFONT font = asFont(object);
    if (object != nullptr && font == nullptr) return nullptr;
    HFONT previous = dc->font;
    dc->font = font;
    return previous;
}

BOOL DeleteObject(HGDIOBJ object)
{
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
