// The font cache, and how a Font is made from a face name and a point size: the GDI font at the
// screen's dots per inch, turned into 223 glyph display lists.

#include "overlay/FontCache.h"

#include <GL/gl.h>

#include <new>

FontCache fontCache;

namespace {

constexpr DWORD FIRST_GLYPH = 32;
constexpr GLsizei GLYPH_COUNT = 223;  // codes 32..254

LPCWSTR textOrEmpty(const WideString& text)
{
    return text.data != nullptr ? text.data : TEXT("");
}

// A failure leaves the Font for destroyFont to clean up.
bool makeFont(Font& font, LPCWSTR faceName, std::int32_t pointSize)
{
    font.listBase = glGenLists(GLYPH_COUNT);
    if (font.listBase == 0) return false;
    HDC dc = GetDC(nullptr);
    if (dc == nullptr) return false;
    // Points at the screen's vertical dots per inch, to the nearest pixel; a negative height asks
    // for the character height, without internal leading.
    font.pixelHeight = MulDiv(pointSize, GetDeviceCaps(dc, LOGPIXELSY), 72);
    font.fontHandle = CreateFontW(-font.pixelHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_TT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, faceName);
    if (font.fontHandle == nullptr) {
        ReleaseDC(nullptr, dc);
        return false;
    }
    HGDIOBJ previous = SelectObject(dc, font.fontHandle);
    wglUseFontBitmapsW(dc, FIRST_GLYPH, GLYPH_COUNT, font.listBase);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    font.faceName.assign(faceName);
    font.pointSize = pointSize;
    return true;
}

void destroyFont(Font& font)
{
    if (font.listBase != 0) glDeleteLists(font.listBase, GLYPH_COUNT);
    if (font.fontHandle != nullptr) DeleteObject(font.fontHandle);
    font.faceName.release();
}

}  // namespace

std::uint32_t fontHash(LPCWSTR faceName, std::int32_t pointSize)
{
    std::uint32_t hash = 0;
    for (LPCWSTR unit = faceName; unit != nullptr && *unit != 0; ++unit) hash = *unit + 2 * hash;
    return hash + static_cast<std::uint32_t>(pointSize);
}

Font* FontCache::acquire(LPCWSTR faceName, std::int32_t pointSize)
{
    if (faceName == nullptr) faceName = TEXT("");
    const std::uint32_t hash = fontHash(faceName, pointSize);
    FontCacheEntry*& head = buckets[hash % BUCKET_COUNT];
    for (FontCacheEntry* entry = head; entry != nullptr; entry = entry->next) {
        if (entry->hash == hash && entry->font.pointSize == pointSize &&
            lstrcmpW(textOrEmpty(entry->font.faceName), faceName) == 0) {
            ++entry->references;
            return &entry->font;
        }
    }

    auto* entry = new (std::nothrow) FontCacheEntry{};
    if (entry == nullptr) return nullptr;
    if (!makeFont(entry->font, faceName, pointSize)) {
        destroyFont(entry->font);
        delete entry;
        return nullptr;
    }
    entry->hash = hash;
    entry->references = 1;
    entry->next = head;
    if (head != nullptr) head->prev = entry;
    head = entry;
    return &entry->font;
}

bool FontCache::release(Font* font)
{
    FontCacheEntry* entry = entryOf(font);
    if (entry == nullptr) return false;
    if (--entry->references > 0) return true;
    unlink(entry);
    destroyFont(entry->font);
    delete entry;
    return true;
}

void FontCache::clear()
{
    for (FontCacheEntry*& head : buckets) {
        while (head != nullptr) {
            FontCacheEntry* entry = head;
            head = entry->next;
            destroyFont(entry->font);
            delete entry;
        }
    }
}

std::int32_t FontCache::references(const Font* font) const
{
    const FontCacheEntry* entry = entryOf(font);
    return entry != nullptr ? entry->references : 0;
}

// Searched by address over every bucket rather than by the font's own name, so a pointer the cache
// does not hold is refused instead of trusted.
FontCacheEntry* FontCache::entryOf(const Font* font) const
{
    if (font == nullptr) return nullptr;
    for (FontCacheEntry* head : buckets) {
        for (FontCacheEntry* entry = head; entry != nullptr; entry = entry->next) {
            if (&entry->font == font) return entry;
        }
    }
    return nullptr;
}

void FontCache::unlink(FontCacheEntry* entry)
{
    if (entry->prev != nullptr) entry->prev->next = entry->next;
    else buckets[entry->hash % BUCKET_COUNT] = entry->next;
    if (entry->next != nullptr) entry->next->prev = entry->prev;
    entry->next = entry->prev = nullptr;
}

Font* acquireFont(LPCWSTR faceName, std::int32_t pointSize)
{
    return fontCache.acquire(faceName, pointSize);
}

bool releaseFont(Font* font)
{
    return fontCache.release(font);
}
