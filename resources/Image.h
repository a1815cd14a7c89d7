#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win32.h"

// libpng's read structure, and the shape of its read callback (png_rw_ptr): fill out with exactly
// count bytes of the stream, or raise a libpng error (png_error), which ends the decode.
struct png_struct_def;
using PngReadFunction = void (*)(png_struct_def* png, unsigned char* out, std::size_t count);

// One decoded picture: 8-bit RGBA, unpremultiplied, rows without gaps, top row first (the order of
// the PNG stream). Owned by whoever holds it; the pixels are freed with it.
struct Image {
    std::int32_t width = 0;
    std::int32_t height = 0;
    BYTE* pixels = nullptr;  // from the process heap, zero-filled; null while empty
    std::int32_t stride = 0;  // width * 4 after allocate

    Image() = default;
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;
    ~Image();

    // Frees the old pixels, then takes a zero-filled buffer of width x height x 4 bytes. False (no
    // pixels, width and height as they were) when memory runs out, a side is not positive, or the
    // buffer's size does not fit in 32 bits.
    bool allocate(std::int32_t width, std::int32_t height);

    // Decodes one PNG stream of any colour type, bit depth and interlacing into RGBA; the source
    // is handed to read as libpng's I/O pointer. False for a stream that is not a PNG, is corrupt
    // or cannot be read; the pixels may then hold part of the picture and go with the Image. The
    // row table is taken from the scratch arena and given back before returning. streamBytes, when
    // known (nonzero), is the length of the stream: a header whose pixel data could not be inflated
    // from that many bytes is refused before anything is allocated, so that memory follows the input.
    bool decodePng(void* source, PngReadFunction read, std::uint64_t streamBytes = 0);
    bool loadPngFile(LPCWSTR path);
    // The RCDATA resource name of module (matched case-insensitively).
    bool loadPngResource(HMODULE module, LPCWSTR name);
    // Chooses the decoder by the file's extension: ".png" in any case; every other is refused
    // without opening the file.
    bool loadImageFile(LPCWSTR path);

    // Writes the pixels as an 8-bit RGBA PNG file (top row first), creating or replacing path.
    // False when there are no pixels or the file cannot be written in full; a partly written file
    // is removed again.
    bool savePng(LPCWSTR path) const;
};

// The read position over a PNG stream in memory (a locked resource). Reads stop at size: a read
// beyond it raises a libpng error.
struct MemorySource {
    const BYTE* base;      // not owned
    std::uint32_t offset;  // bytes handed out so far
    std::uint32_t size;    // bytes of the stream
};

// The read function for a MemorySource.
void readMemorySource(png_struct_def* png, unsigned char* out, std::size_t count);
