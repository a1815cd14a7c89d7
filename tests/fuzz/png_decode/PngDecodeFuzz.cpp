// Feeds each input to Image::decodePng as a PNG stream in memory, through the bounded MemorySource
// the resources are read with, then checks the picture or the failure. Chunk checksums are put
// right first, so that mutations reach the image data instead of stopping at libpng's CRC check.

#include <png.h>
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "FuzzCheck.h"
#include "resources/Image.h"
#include "resources/ScratchArena.h"

namespace {

std::uint32_t bigEndian(const unsigned char* p)
{
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

// Rewrites the checksum of every whole chunk after the signature; a chunk that runs past the end
// is left as it is.
void fixChecksums(std::vector<unsigned char>& stream)
{
    for (std::size_t at = 8; at + 12 <= stream.size();) {
        const std::uint32_t length = bigEndian(&stream[at]);
        if (length > stream.size() - at - 12) return;
        const std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, &stream[at + 4], length + 4));
        unsigned char* out = &stream[at + 8 + length];
        for (int i = 0; i < 4; ++i) out[i] = static_cast<unsigned char>(crc >> (24 - 8 * i));
        at += 12 + std::size_t{length};
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool arena = createScratchArena();
    FUZZ_CHECK(arena);
    if (size > UINT32_MAX) return 0;
    std::vector<unsigned char> stream(data, data + size);
    fixChecksums(stream);

    const std::uint32_t arenaUsed = scratchArena()->used;
    MemorySource source{stream.data(), 0, static_cast<std::uint32_t>(stream.size())};
    Image image;
    const bool decoded = image.decodePng(&source, readMemorySource, stream.size());

    FUZZ_CHECK(source.offset <= stream.size());
    FUZZ_CHECK(scratchArena()->used == arenaUsed);  // the row table was given back
    if (decoded) {
        FUZZ_CHECK(image.pixels != nullptr);
        FUZZ_CHECK(image.width > 0 && image.height > 0);
        FUZZ_CHECK(image.stride == image.width * 4);
        // Read the last byte so that ASan sees whether the buffer really is that long.
        volatile BYTE last = image.pixels[std::size_t(image.stride) * std::size_t(image.height) - 1];
        (void)last;
    }
    return 0;
}
