#pragma once

#include <png.h>

#include <cstdint>
#include <vector>

// Writes PNG streams in memory with libpng's own writer, for decoding tests.
struct PngDescription {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int colourType = PNG_COLOR_TYPE_RGBA;
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<png_color> palette;
    std::vector<png_byte> paletteAlpha;    // tRNS of a palette image
    const png_color_16* transparentColour = nullptr;  // tRNS of a grey or RGB image
    std::vector<std::vector<png_byte>> rows;  // packed rows in the stream's own format
};

inline std::vector<unsigned char> writePng(const PngDescription& png)
{
    std::vector<unsigned char> bytes;
    std::vector<png_bytep> table;  // made before the recovery point: the jump skips no destructor
    for (const auto& row : png.rows) table.push_back(const_cast<png_bytep>(row.data()));
    png_structp writer = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(writer);
    if (setjmp(png_jmpbuf(writer))) {
        png_destroy_write_struct(&writer, &info);
        return {};
    }
    png_set_write_fn(
        writer, &bytes,
        [](png_structp w, png_bytep data, size_t count) {
            auto* out = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(w));
            out->insert(out->end(), data, data + count);
        },
        nullptr);
    png_set_IHDR(writer, info, png.width, png.height, png.bitDepth, png.colourType,
                 png.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!png.palette.empty()) png_set_PLTE(writer, info, png.palette.data(), int(png.palette.size()));
    if (!png.paletteAlpha.empty()) {
        png_set_tRNS(writer, info, png.paletteAlpha.data(), int(png.paletteAlpha.size()), nullptr);
    }
    if (png.transparentColour != nullptr) png_set_tRNS(writer, info, nullptr, 0, png.transparentColour);
    png_write_info(writer, info);
    png_write_image(writer, table.data());
    png_write_end(writer, nullptr);
    png_destroy_write_struct(&writer, &info);
    return bytes;
}
