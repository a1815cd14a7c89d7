// PNG decoding into 8-bit RGBA through libpng, from any source a read function can serve.

#include "resources/Image.h"

#include <png.h>

#include <cstdlib>
#include <cstring>

#include "resources/ScratchArena.h"

namespace {

// libpng's texts are dropped: a windowed program has nowhere to show them. Jumping straight back
// keeps libpng's default handler from printing the error.
[[noreturn]] void jumpBack(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void dropWarning(png_structp, png_const_charp) {}

// Everything one decode creates, kept outside the frame that sets the recovery point so that it
// survives the jump back.
struct Decoder {
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_infop endInfo = nullptr;
    png_bytep* rows = nullptr;
};

// Buffers are measured in 32 bits (like the arena): the pixels, and the row table. Checked before
// anything is allocated, so a forged header cannot make a wrapped-around size.
bool fitsMemory(png_uint_32 width, png_uint_32 height)
{
    if (width > INT32_MAX || height > INT32_MAX) return false;
    const std::uint64_t pixelBytes = std::uint64_t{width} * height * 4;  // below 2^64
    const std::uint64_t tableBytes = std::uint64_t{height} * sizeof(png_bytep);
    return pixelBytes <= UINT32_MAX && tableBytes <= UINT32_MAX;
}

// Deflate expands a byte into at most 1032 (a 258-byte match per two bits), so a stream of n bytes
// holds at most 1032 n bytes of pixel data. Interlacing and filter bytes only add to the packed
// pixels counted here.
constexpr std::uint64_t MAX_INFLATE_RATIO = 1032;

bool pixelDataFits(png_structp png, png_infop info, std::uint64_t streamBytes)
{
    const std::uint64_t bitsPerPixel = std::uint64_t{png_get_channels(png, info)} * png_get_bit_depth(png, info);
    const std::uint64_t pixels = std::uint64_t{png_get_image_width(png, info)} * png_get_image_height(png, info);
    const std::uint64_t packedBytes = (pixels * bitsPerPixel + 7) / 8;  // fitsMemory keeps pixels below 2^30
    return (packedBytes + MAX_INFLATE_RATIO - 1) / MAX_INFLATE_RATIO <= streamBytes;
}

// The conversions that deliver every colour type and bit depth as 8-bit RGBA whole rows.
void requestRgba(png_structp png, png_infop info)
{
    const int colourType = png_get_color_type(png, info);
    const int bitDepth = png_get_bit_depth(png, info);
    const bool transparencyChunk = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    const bool grey = colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA;

    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (transparencyChunk) png_set_tRNS_to_alpha(png);
    if (bitDepth == 16) png_set_strip_16(png);
    if ((colourType & PNG_COLOR_MASK_ALPHA) == 0 && !transparencyChunk) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    if (grey) png_set_gray_to_rgb(png);
    png_set_interlace_handling(png);
}

// Every libpng error, raised by libpng or by the read function, comes back to the setjmp here with
// the result false. Only the Decoder and the Image, which live outside this frame, change after it.
bool readStream(Decoder& decoder, Image& image, void* source, PngReadFunction read, std::uint64_t streamBytes)
{
    if (setjmp(png_jmpbuf(decoder.png))) return false;

    png_set_read_fn(decoder.png, source, read);
    png_read_info(decoder.png, decoder.info);

    const png_uint_32 width = png_get_image_width(decoder.png, decoder.info);
    const png_uint_32 height = png_get_image_height(decoder.png, decoder.info);
    if (!fitsMemory(width, height)) return false;
    if (streamBytes != 0 && !pixelDataFits(decoder.png, decoder.info, streamBytes)) return false;
    if (!image.allocate(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height))) return false;
    decoder.rows = static_cast<png_bytep*>(scratchAlloc(static_cast<std::uint32_t>(height * sizeof(png_bytep))));
    if (decoder.rows == nullptr) return false;
    for (png_uint_32 row = 0; row < height; ++row) {
        decoder.rows[row] = image.pixels + std::size_t{row} * static_cast<std::size_t>(image.stride);
    }

    requestRgba(decoder.png, decoder.info);
    png_read_update_info(decoder.png, decoder.info);
    // The rows must come out exactly as wide as the buffer's.
    if (png_get_rowbytes(decoder.png, decoder.info) != static_cast<std::size_t>(image.stride)) return false;
    png_read_image(decoder.png, decoder.rows);
    png_read_end(decoder.png, decoder.endInfo);
    return true;
}

}  // namespace

Image::~Image()
{
    std::free(pixels);
}

bool Image::allocate(std::int32_t newWidth, std::int32_t newHeight)
{
    std::free(pixels);
    pixels = nullptr;
    if (newWidth <= 0 || newHeight <= 0) return false;
    const std::uint64_t bytes = std::uint64_t(newWidth) * std::uint64_t(newHeight) * 4;  // < 2^64
    if (bytes > UINT32_MAX) return false;
    pixels = static_cast<BYTE*>(std::calloc(1, static_cast<std::size_t>(bytes)));
    if (pixels == nullptr) return false;
    width = newWidth;
    height = newHeight;
    stride = newWidth * 4;
    return true;
}

bool Image::decodePng(void* source, PngReadFunction read, std::uint64_t streamBytes)
{
    Decoder decoder;
    bool decoded = false;
    decoder.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, source, jumpBack, dropWarning);
    if (decoder.png != nullptr) {
        // Only the header, palette, transparency and image data shape the pixels: every other chunk
        // is skipped as it is read, rather than stored whole at whatever length it declares.
        png_set_keep_unknown_chunks(decoder.png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
        decoder.info = png_create_info_struct(decoder.png);
        decoder.endInfo = png_create_info_struct(decoder.png);
        if (decoder.info != nullptr && decoder.endInfo != nullptr) decoded = readStream(decoder, *this, source, read, streamBytes);
    }
    if (decoder.rows != nullptr) scratchFree(decoder.rows);
    if (decoder.png != nullptr) png_destroy_read_struct(&decoder.png, &decoder.info, &decoder.endInfo);
    return decoded;
}

void readMemorySource(png_structp png, png_bytep out, std::size_t count)
{
    auto* source = static_cast<MemorySource*>(png_get_io_ptr(png));
    if (count > source->size - source->offset) png_error(png, "Read beyond the end of the data");
    std::memcpy(out, source->base + source->offset, count);
    source->offset += static_cast<std::uint32_t>(count);
}

bool Image::loadPngResource(HMODULE module, LPCWSTR name)
{
    HRSRC resource = FindResourceW(module, name, RT_RCDATA);
    if (resource == nullptr) return false;
    const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, resource)));
    if (bytes == nullptr) return false;
    MemorySource source{bytes, 0, SizeofResource(module, resource)};
    return decodePng(&source, readMemorySource, source.size);
}
