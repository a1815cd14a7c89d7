#pragma once

// Platform-internal: the GDI bitmap object, a device-independent bitmap of 32 bits a pixel in the
// byte order blue, green, red, unused.

#include <cstdint>

#include "platform/win32.h"

constexpr std::uint32_t BITMAP_OBJECT_TAG = 0x504D5442;  // "BTMP": tells a bitmap among GDI objects

struct HBITMAP__ {
    std::uint32_t tag = BITMAP_OBJECT_TAG;
    int width = 0;
    int height = 0;
    bool topDown = false;  // the first row of bits is the top row
    BYTE* bits = nullptr;

    // The pixel at (x, y), y counted down from the top row; the caller keeps inside the bitmap.
    BYTE* pixel(int x, int y) const
    {
        const int row = topDown ? y : height - 1 - y;
        return bits + (static_cast<std::size_t>(row) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 4;
    }
};

// The object as a bitmap, or null when it is none.
HBITMAP asBitmap(HGDIOBJ object);
// Selects a bitmap into a memory device context (see SelectObject).
HGDIOBJ selectBitmap(HDC dc, HBITMAP bitmap);
void deleteBitmap(HBITMAP bitmap);
