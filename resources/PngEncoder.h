#pragma once

#include <cstdint>
#include <cstdio>

#include "platform/win32.h"

struct png_struct_def;
struct png_info_def;

// A PNG stream written to an open file row by row, top row first, so that a picture larger than
// memory allows can be written a band at a time. Rows are 8-bit RGBA without gaps; the file holds
// them as RGBA, or as RGB when the picture is known to be opaque (the alpha bytes are dropped).
// Compression is chosen for speed: rendered pictures, runs of flat colour, still shrink tens of
// times. A libpng or file error ends the stream: that call and every later one return false.
//
//     PngEncoder png(file, width, height, PngEncoder::Stored::Rgb);
//     bool written = png.writeRows(rows, height) && png.finish();
class PngEncoder {
public:
    enum class Stored { Rgba, Rgb };

    // Writes the header.
    PngEncoder(FILE* file, std::int32_t width, std::int32_t height, Stored stored);
    ~PngEncoder();
    PngEncoder(const PngEncoder&) = delete;
    PngEncoder& operator=(const PngEncoder&) = delete;

    // The next count rows, each width x 4 bytes, stride bytes apart (0: right after each other).
    bool writeRows(const BYTE* rows, std::int32_t count, std::size_t stride = 0);
    // Ends the stream once every row is written; the file stays open.
    bool finish();

private:
    png_struct_def* png = nullptr;
    png_info_def* info = nullptr;
    std::int32_t width;
    std::int32_t rowsLeft;
    bool failed = false;
};
