// PNG encoding through libpng: row by row into an open file, or an Image into a file.

#include <png.h>
#include <zlib.h>

#include <cstdio>

#include "resources/Image.h"
#include "resources/PngEncoder.h"

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

// Every libpng error, raised by libpng or by the write functions, comes back to the setjmp in each
// of these three.
bool writeHeader(png_structp png, png_infop info, FILE* file, std::int32_t width, std::int32_t height,
                 PngEncoder::Stored stored)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, file, writeFile, flushFile);
    const int colourType = stored == PngEncoder::Stored::Rgb ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA;
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, colourType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // Frame sequences are written by the hundred, so speed goes first: trying every filter on every
    // row, or deflate's search for matches, each costs about as much as drawing the frame, while
    // rendered pictures (runs of flat colour) still shrink some seventy times (50 KB at 1280x720).
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_compression_strategy(png, Z_RLE);
    png_write_info(png, info);
    if (stored == PngEncoder::Stored::Rgb) png_set_filler(png, 0, PNG_FILLER_AFTER);  // rows keep their alpha byte
    return true;
}

bool writeRowsOf(png_structp png, const BYTE* rows, std::int32_t count, std::size_t stride)
{
    if (setjmp(png_jmpbuf(png))) return false;
    for (std::int32_t row = 0; row < count; ++row) png_write_row(png, rows + std::size_t(row) * stride);
    return true;
}

bool writeEnd(png_structp png)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

PngEncoder::PngEncoder(FILE* file, std::int32_t width, std::int32_t height, Stored stored)
    : width(width), rowsLeft(height)
{
    png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, jumpBack, dropWarning);
    info = png != nullptr ? png_create_info_struct(png) : nullptr;
    failed = info == nullptr || file == nullptr || width <= 0 || height <= 0 ||
             !writeHeader(png, info, file, width, height, stored);
}

PngEncoder::~PngEncoder()
{
    png_destroy_write_struct(&png, &info);
}

bool PngEncoder::writeRows(const BYTE* rows, std::int32_t count, std::size_t stride)
{
    if (failed || count < 0 || count > rowsLeft) return false;
    if (stride == 0) stride = std::size_t(width) * 4;
    failed = !writeRowsOf(png, rows, count, stride);
    rowsLeft -= count;
    return !failed;
}

bool PngEncoder::finish()
{
    if (failed || rowsLeft != 0) return false;
    failed = !writeEnd(png);
    return !failed;
}

bool Image::savePng(LPCWSTR path) const
{
    if (pixels == nullptr || width <= 0 || height <= 0) return false;
    FILE* file = _wfopen(path, TEXT("wb"));
    if (file == nullptr) return false;
    bool written;
    {
        PngEncoder png(file, width, height, PngEncoder::Stored::Rgba);
        written = png.writeRows(pixels, height, std::size_t(stride)) && png.finish();
    }
    written = std::fclose(file) == 0 && written;
    if (!written) DeleteFileW(path);
    return written;
}
