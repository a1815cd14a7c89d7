#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win32.h"
#include "resources/WideText.h"

// A strip of pixels that one line of text is written into, for labels under pictures: centred, in
// the sans-serif face the viewer's text uses ("Arial"), in monochrome, and cut at its end with an
// ellipsis when it is wider than the strip. Drawn by GDI into a bitmap in memory and copied out as
// RGBA. Use it on one thread at a time.
//
//     TextStrip strip(256, 16, 12);
//     if (strip.ok()) strip.write(name, DARK, WHITE, sheetRow, sheetStride);
class TextStrip {
public:
    // width x height pixels, the text's em emPixels high.
    TextStrip(std::int32_t width, std::int32_t height, std::int32_t emPixels);
    ~TextStrip();
    TextStrip(const TextStrip&) = delete;
    TextStrip& operator=(const TextStrip&) = delete;

    // False when the bitmap or the font could not be made.
    bool ok() const { return pixels != nullptr && font != nullptr; }

    // The text (cut to fit) on the background, copied opaque into the RGBA pixels at target, whose
    // rows are stride bytes apart. Colours are red, green, blue.
    void write(WideTextView text, const BYTE background[3], const BYTE colour[3], BYTE* target, std::size_t stride);

    // The text as written: itself when it fits the strip's width, else its longest start (never
    // half a surrogate pair) that fits with the ellipsis after it, and the ellipsis.
    WideText fitted(WideTextView text) const;
    // The width of the text on one line, in pixels.
    std::int32_t textWidth(WideTextView text) const;
    // The width text may take: the strip's, but for a little at each end.
    std::int32_t room() const;

private:
    std::int32_t width;
    std::int32_t height;
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HFONT font = nullptr;
    BYTE* pixels = nullptr;  // blue, green, red, unused; top row first
};
