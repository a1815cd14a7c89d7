// Memory device contexts and DIB sections: bitmaps in memory for text to be drawn into (TextOutW is
// with the fonts, in Fonts.cpp).

#include <cstdlib>
#include <limits>
#include <new>

#include "platform/linux/Bitmap.h"
#include "platform/linux/DeviceContext.h"

HBITMAP asBitmap(HGDIOBJ object)
{
    auto* bitmap = static_cast<HBITMAP>(object);
    return bitmap != nullptr && bitmap->tag == BITMAP_OBJECT_TAG ? bitmap : nullptr;
}

HGDIOBJ selectBitmap(HDC dc, HBITMAP bitmap)
{
    if (!dc->memory) return nullptr;
    const HBITMAP previous = dc->bitmap;
    dc->bitmap = bitmap;
    return previous;
}

void deleteBitmap(HBITMAP bitmap)
{
    std::free(bitmap->bits);
    delete bitmap;
}

HDC CreateCompatibleDC(HDC)
{
    auto* dc = new (std::nothrow) HDC__{nullptr, nullptr};
    if (dc != nullptr) dc->memory = true;
    return dc;
}

BOOL DeleteDC(HDC dc)
{
    if (dc == nullptr || !dc->memory) return FALSE;
    delete dc;
    return TRUE;
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD)
{
    if (bits != nullptr) *bits = nullptr;
    if (info == nullptr || bits == nullptr || usage != DIB_RGB_COLORS || section != nullptr) return nullptr;
    const BITMAPINFOHEADER& header = info->bmiHeader;
    if (header.biBitCount != 32 || header.biCompression != BI_RGB || header.biWidth <= 0 || header.biHeight == 0 ||
        header.biHeight == std::numeric_limits<LONG>::min()) {
        return nullptr;
    }
    const std::size_t width = static_cast<std::size_t>(header.biWidth);
    const std::size_t height = static_cast<std::size_t>(header.biHeight < 0 ? -header.biHeight : header.biHeight);
    if (width * height > std::size_t{std::numeric_limits<std::int32_t>::max()} / 4) return nullptr;
    auto* bitmap = new (std::nothrow) HBITMAP__;
    if (bitmap == nullptr) return nullptr;
    bitmap->bits = static_cast<BYTE*>(std::calloc(width * height, 4));
    if (bitmap->bits == nullptr) {
        delete bitmap;
        return nullptr;
    }
    bitmap->width = static_cast<int>(width);
    bitmap->height = static_cast<int>(height);
    bitmap->topDown = header.biHeight < 0;
    *bits = bitmap->bits;
    return bitmap;
}

int SetBkMode(HDC dc, int mode)
{
    if (dc == nullptr || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    const int previous = dc->backgroundMode;
    dc->backgroundMode = mode;
    return previous;
}

COLORREF SetTextColor(HDC dc, COLORREF colour)
{
    if (dc == nullptr) return CLR_INVALID;
    const COLORREF previous = dc->textColour;
    dc->textColour = colour;
    return previous;
}

BOOL GdiFlush()
{
    return TRUE;
}
