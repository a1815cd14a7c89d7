// PNG encoding of an Image into a file through libpng.

#include <png.h>
#include <zlib.h>

#include <cstdio>

#include "resources/Image.h"

namespace {

[[noreturn]] void jumpBack(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void dropWarning(png_structp, png_const_charp) {}

void writeFile(png_structp png, png_bytep data, std::size_t count)
{
    if (std::fwrite(data, 1, count, static_cast<FILE*>(png_get_io_ptr(png))) != count) {
        png_error(png, "Error writing file");
    }
}

void flushFile(png_structp png)
{
    if (std::fflush(static_cast<FILE*>(png_get_io_ptr(png))) != 0) png_error(png, "Error writing file");
}

// Every libpng error, raised by libpng or by the write functions, comes back to the setjmp here.
bool writeStream(png_structp png, png_infop info, FILE* file, const Image& image)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, file, writeFile, flushFile);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // Frame sequences are written by the hundred, so speed goes first: trying every filter on every
    // row, or deflate's search for matches, each costs about as much as drawing the frame, while
    // rendered pictures (runs of flat colour) still shrink some seventy times (50 KB at 1280x720).
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_compression_strategy(png, Z_RLE);
    png_write_info(png, info);
    for (std::int32_t row = 0; row < image.height; ++row) {
        png_write_row(png, image.pixels + std::size_t(row) * std::size_t(image.stride));
    }
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

bool Image::savePng(LPCWSTR path) const
{
    if (pixels == nullptr || width <= 0 || height <= 0) return false;
    FILE* file = _wfopen(path, TEXT("wb"));
    if (file == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, jumpBack, dropWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    bool written = info != nullptr && writeStream(png, info, file, *this);
    png_destroy_write_struct(&png, &info);
    written = std::fclose(file) == 0 && written;
    if (!written) DeleteFileW(path);
    return written;
}
