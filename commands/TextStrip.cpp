#include "commands/TextStrip.h"

#include <algorithm>

namespace {

constexpr WCHAR ELLIPSIS = 0x2026;
constexpr std::int32_t SIDE_PADDING = 2;  // kept free at each end of the strip

bool isLowSurrogate(WCHAR unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

TextStrip::TextStrip(std::int32_t width, std::int32_t height, std::int32_t emPixels) : width(width), height(height)
{
    dc = CreateCompatibleDC(nullptr);
    if (dc == nullptr) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr) return;
    font = CreateFontW(-emPixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS,
                       CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, TEXT("Arial"));
    if (font == nullptr) return;
    SelectObject(dc, bitmap);
    SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    pixels = static_cast<BYTE*>(bits);
}

TextStrip::~TextStrip()
{
    // Deleting the device context first leaves its objects selected nowhere.
    if (dc != nullptr) DeleteDC(dc);
    if (font != nullptr) DeleteObject(font);
    if (bitmap != nullptr) DeleteObject(bitmap);
}

std::int32_t TextStrip::textWidth(WideTextView text) const
{
    RECT extent{0, 0, 0, 0};
    DrawTextW(dc, text.data(), static_cast<int>(text.size()), &extent, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    return extent.right - extent.left;
}

std::int32_t TextStrip::room() const
{
    return width - 2 * SIDE_PADDING;
}

WideText TextStrip::fitted(WideTextView text) const
{
    if (textWidth(text) <= room()) return WideText(text);
    // The longest start that fits with the ellipsis: widths only grow with the length.
    const auto cut = [&](std::size_t length) {
        if (length > 0 && length < text.size() && isLowSurrogate(text[length])) --length;  // whole pairs only
        WideText shown(text.substr(0, length));
        shown += ELLIPSIS;
        return shown;
    };
    std::size_t fits = 0, tooLong = text.size();
    while (tooLong - fits > 1) {
        const std::size_t middle = (fits + tooLong) / 2;
        if (textWidth(cut(middle)) <= room()) fits = middle;
        else tooLong = middle;
    }
    return cut(fits);
}

void TextStrip::write(WideTextView text, const BYTE background[3], const BYTE colour[3], BYTE* target,
                      std::size_t stride)
{
    const std::size_t count = std::size_t(width) * std::size_t(height);
    for (std::size_t i = 0; i < count; ++i) {
        pixels[i * 4] = background[2];
        pixels[i * 4 + 1] = background[1];
        pixels[i * 4 + 2] = background[0];
    }
    const WideText shown = fitted(text);
    RECT extent{0, 0, 0, 0};
    DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &extent, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    SetTextColor(dc, RGB(colour[0], colour[1], colour[2]));
    TextOutW(dc, (width - extent.right) / 2, (height - extent.bottom) / 2, shown.c_str(), static_cast<int>(shown.size()));
    GdiFlush();
    for (std::int32_t y = 0; y < height; ++y) {
        const BYTE* from = pixels + std::size_t(y) * std::size_t(width) * 4;
        BYTE* to = target + std::size_t(y) * stride;
        for (std::int32_t x = 0; x < width; ++x, from += 4, to += 4) {
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
            to[3] = 255;
        }
    }
}
