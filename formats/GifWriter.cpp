#include "formats/GifWriter.h"

#include <gif_lib.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <new>

namespace {

constexpr int MIN_DELAY = 2;      // centiseconds: players show shorter delays as 10
constexpr int MAX_DELAY = 65535;  // a GIF delay is 16 bits of centiseconds
constexpr int PALETTE_SIZE = 256;

// giflib's output function: the bytes go to the FILE* the writer opened.
int writeBytes(GifFileType* gif, const GifByteType* bytes, int count)
{
    return static_cast<int>(std::fwrite(bytes, 1, static_cast<size_t>(count), static_cast<std::FILE*>(gif->UserData)));
}

// The picture's colours as palette indexes when it has at most 256; false when it has more.
// Colours are found through a small open-addressed table keyed by RGB + 1 (0 marks a free slot);
// runs of one colour, most of any picture here, skip it.
bool exactPalette(const Image& picture, std::uint8_t* indexes, GifColorType* palette, int& colours)
{
    constexpr std::uint32_t SLOTS = 1024;  // four times the colours it may hold: short probes
    std::uint32_t keys[SLOTS] = {};
    std::uint8_t values[SLOTS];
    std::uint32_t lastKey = 0;
    std::uint8_t lastIndex = 0;
    colours = 0;
    const size_t count = static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height);
    for (size_t i = 0; i < count; ++i) {
        const BYTE* rgb = picture.pixels + i * 4;
        const std::uint32_t key = (std::uint32_t(rgb[0]) << 16 | std::uint32_t(rgb[1]) << 8 | rgb[2]) + 1;
        if (key != lastKey) {
            std::uint32_t slot = (key * 2654435761u) >> 22;  // Fibonacci hashing down to 10 bits
            while (keys[slot] != 0 && keys[slot] != key) slot = (slot + 1) % SLOTS;
            if (keys[slot] == 0) {
                if (colours == PALETTE_SIZE) return false;
                keys[slot] = key;
                values[slot] = static_cast<std::uint8_t>(colours);
                palette[colours++] = {rgb[0], rgb[1], rgb[2]};
            }
            lastKey = key;
            lastIndex = values[slot];
        }
        indexes[i] = lastIndex;
    }
    return true;
}

// The picture reduced to 256 colours by giflib's median cut (over 5 bits a channel).
bool reducedPalette(const Image& picture, std::uint8_t* indexes, GifColorType* palette, int& colours)
{
    const size_t count = static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height);
    std::vector<GifByteType> planes;
    try {
        planes.resize(count * 3);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (size_t i = 0; i < count; ++i) {
        for (size_t channel = 0; channel < 3; ++channel) planes[channel * count + i] = picture.pixels[i * 4 + channel];
    }
    colours = PALETTE_SIZE;
    return GifQuantizeBuffer(static_cast<unsigned>(picture.width), static_cast<unsigned>(picture.height), &colours,
                             planes.data(), planes.data() + count, planes.data() + 2 * count, indexes, palette) == GIF_OK;
}

}  // namespace

GifWriter::~GifWriter()
{
    close();
}

bool GifWriter::close()
{
    int error = E_GIF_SUCCEEDED;
    const bool gifClosed = gif == nullptr || EGifCloseFile(gif, &error) == GIF_OK;
    gif = nullptr;
    const bool fileClosed = file == nullptr || std::fclose(file) == 0;
    file = nullptr;
    return gifClosed && fileClosed;
}

bool GifWriter::failGif(int error)
{
    // A failed write leaves its reason in errno ("No space left on device"); giflib's is vaguer.
    const bool writing = error == E_GIF_ERR_WRITE_FAILED || error == E_GIF_ERR_DISK_IS_FULL;
    return fail(writing && errno != 0 ? std::strerror(errno) : GifErrorString(error));
}

std::int64_t GifWriter::centisecondsAt(std::int64_t index) const
{
    const double centiseconds = std::round(static_cast<double>(index) * clip.secondsPerPicture * 100);
    return static_cast<std::int64_t>(std::min(centiseconds, 1e15));
}

std::int64_t GifWriter::keptAfter(std::int64_t index) const
{
    const std::int64_t due = centisecondsAt(index) + MIN_DELAY;
    std::int64_t next = index + 1;
    while (next < clip.pictures && centisecondsAt(next) < due) ++next;
    return next;
}

bool GifWriter::wants(std::int64_t index)
{
    if (index != nextWanted) return false;
    nextWanted = keptAfter(index);
    return true;
}

bool GifWriter::open(LPCWSTR path, const Clip& shape)
{
    clip = shape;
    nextWanted = nextKept = 0;
    try {
        indexes.resize(static_cast<size_t>(clip.width) * static_cast<size_t>(clip.height));
    } catch (const std::bad_alloc&) {
        return fail("out of memory");
    }
    errno = 0;
    file = _wfopen(path, TEXT("wb"));
    if (file == nullptr) return fail(errno != 0 ? std::strerror(errno) : "cannot create it");
    int error = E_GIF_SUCCEEDED;
    gif = EGifOpen(file, writeBytes, &error);
    if (gif == nullptr) return failGif(error);
    EGifSetGifVersion(gif, true);
    // Loop for ever: the NETSCAPE2.0 application extension with a loop count of 0.
    static const GifByteType LOOP[3] = {1, 0, 0};
    if (EGifPutScreenDesc(gif, clip.width, clip.height, 8, 0, nullptr) == GIF_ERROR ||
        EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
        EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0") == GIF_ERROR || EGifPutExtensionBlock(gif, 3, LOOP) == GIF_ERROR ||
        EGifPutExtensionTrailer(gif) == GIF_ERROR) {
        return failGif(gif->Error);
    }
    return true;
}

bool GifWriter::write(const Image& picture, std::int32_t)
{
    GifColorType palette[PALETTE_SIZE];
    int colours = 0;
    if (!exactPalette(picture, indexes.data(), palette, colours) &&
        !reducedPalette(picture, indexes.data(), palette, colours)) {
        return fail("out of memory");
    }
    // A colour map has a power of two entries, two at least.
    const int mapSize = 1 << GifBitSize(std::max(colours, 2));
    std::fill(palette + colours, palette + mapSize, GifColorType{0, 0, 0});
    ColorMapObject* map = GifMakeMapObject(mapSize, palette);
    if (map == nullptr) return fail("out of memory");

    const std::int64_t next = keptAfter(nextKept);
    const std::int64_t delay = std::max<std::int64_t>(centisecondsAt(next) - centisecondsAt(nextKept), MIN_DELAY);
    const GraphicsControlBlock control{DISPOSE_DO_NOT, false, static_cast<int>(std::min<std::int64_t>(delay, MAX_DELAY)),
                                       NO_TRANSPARENT_COLOR};
    GifByteType extension[4];
    errno = 0;
    const size_t extensionLength = EGifGCBToExtension(&control, extension);
    const bool written =
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(extensionLength), extension) == GIF_OK &&
        EGifPutImageDesc(gif, 0, 0, clip.width, clip.height, false, map) == GIF_OK &&
        EGifPutLine(gif, indexes.data(), clip.width * clip.height) == GIF_OK;
    GifFreeMapObject(map);
    if (!written) return failGif(gif->Error);
    nextKept = next;
    return true;
}

bool GifWriter::finish()
{
    errno = 0;
    if (!close()) return fail(errno != 0 ? std::strerror(errno) : "the write failed");
    return true;
}
