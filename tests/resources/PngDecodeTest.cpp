// PNG streams of every colour type and bit depth, written with libpng's own writer, decode to the
// expected 8-bit RGBA; broken streams fail cleanly.

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "PngWriter.h"
#include "resources/Image.h"
#include "resources/ScratchArena.h"

namespace {

using Bytes = std::vector<unsigned char>;

bool decode(const Bytes& stream, Image& image)
{
    MemorySource source{stream.data(), 0, static_cast<std::uint32_t>(stream.size())};
    return image.decodePng(&source, readMemorySource);
}

Bytes pixelsOf(const Image& image)
{
    return Bytes(image.pixels, image.pixels + std::size_t(image.stride) * image.height);
}

struct DecodeCase {
    const char* name;
    PngDescription png;
    Bytes rgba;  // expected, top row first
};

const png_color RED_GREEN_BLUE[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
const png_color_16 GREY_7{0, 0, 0, 0, 7};
const png_color_16 GREY_1{0, 0, 0, 0, 1};
const png_color_16 RGB_1_2_3{0, 1, 2, 3, 0};

std::vector<DecodeCase> decodeCases()
{
    const std::vector<png_color> primaries(std::begin(RED_GREEN_BLUE), std::end(RED_GREEN_BLUE));
    return {
        {"rgba 8, rows in stream order",
         {.width = 2, .height = 2, .colourType = PNG_COLOR_TYPE_RGBA, .rows = {{1, 2, 3, 4, 5, 6, 7, 8}, {9, 10, 11, 12, 13, 14, 15, 16}}},
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}},
        {"rgb 8 gets opaque alpha",
         {.width = 2, .height = 1, .colourType = PNG_COLOR_TYPE_RGB, .rows = {{10, 20, 30, 40, 50, 60}}},
         {10, 20, 30, 255, 40, 50, 60, 255}},
        {"rgb 8 with a transparent colour",
         {.width = 2, .height = 1, .colourType = PNG_COLOR_TYPE_RGB, .transparentColour = &RGB_1_2_3,
          .rows = {{1, 2, 3, 1, 2, 4}}},
         {1, 2, 3, 0, 1, 2, 4, 255}},
        {"palette 8 without tRNS",
         {.width = 3, .height = 1, .colourType = PNG_COLOR_TYPE_PALETTE, .palette = primaries, .rows = {{2, 0, 1}}},
         {0, 0, 255, 255, 255, 0, 0, 255, 0, 255, 0, 255}},
        {"palette 4 with a shorter tRNS",
         {.width = 3, .height = 1, .colourType = PNG_COLOR_TYPE_PALETTE, .bitDepth = 4, .palette = primaries,
          .paletteAlpha = {0, 128}, .rows = {{0x20, 0x10}}},
         {0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 128}},
        {"palette 1 across a byte",
         {.width = 9, .height = 1, .colourType = PNG_COLOR_TYPE_PALETTE, .bitDepth = 1, .palette = {{10, 20, 30}, {40, 50, 60}},
          .rows = {{0xB0, 0x80}}},
         {40, 50, 60, 255, 10, 20, 30, 255, 40, 50, 60, 255, 40, 50, 60, 255, 10, 20, 30, 255, 10, 20, 30, 255,
          10, 20, 30, 255, 10, 20, 30, 255, 40, 50, 60, 255}},
        {"grey 1",
         {.width = 3, .height = 1, .colourType = PNG_COLOR_TYPE_GRAY, .bitDepth = 1, .rows = {{0xA0}}},
         {255, 255, 255, 255, 0, 0, 0, 255, 255, 255, 255, 255}},
        {"grey 2",
         {.width = 4, .height = 1, .colourType = PNG_COLOR_TYPE_GRAY, .bitDepth = 2, .rows = {{0x1B}}},
         {0, 0, 0, 255, 85, 85, 85, 255, 170, 170, 170, 255, 255, 255, 255, 255}},
        {"grey 2 with a transparent level",
         {.width = 2, .height = 1, .colourType = PNG_COLOR_TYPE_GRAY, .bitDepth = 2, .transparentColour = &GREY_1,
          .rows = {{0x10}}},
         {0, 0, 0, 255, 85, 85, 85, 0}},
        {"grey 4",
         {.width = 3, .height = 1, .colourType = PNG_COLOR_TYPE_GRAY, .bitDepth = 4, .rows = {{0x05, 0xF0}}},
         {0, 0, 0, 255, 85, 85, 85, 255, 255, 255, 255, 255}},
        {"grey 8",
         {.width = 2, .height = 1, .colourType = PNG_COLOR_TYPE_GRAY, .rows = {{7, 200}}},
         {7, 7, 7, 255, 200, 200, 200, 255}},
        {"grey 8 with a transparent level",
         {.width = 2, .height = 1, .colourType = PNG_COLOR_TYPE_GRAY, .transparentColour = &GREY_7, .rows = {{7, 8}}},
         {7, 7, 7, 0, 8, 8, 8, 255}},
        {"grey 16 keeps the high byte",
         {.width = 2, .height = 1, .colourType = PNG_COLOR_TYPE_GRAY, .bitDepth = 16, .rows = {{0x12, 0x34, 0xFF, 0x00}}},
         {0x12, 0x12, 0x12, 255, 0xFF, 0xFF, 0xFF, 255}},
        {"grey and alpha 8",
         {.width = 2, .height = 1, .colourType = PNG_COLOR_TYPE_GRAY_ALPHA, .rows = {{100, 0, 50, 200}}},
         {100, 100, 100, 0, 50, 50, 50, 200}},
        {"grey and alpha 16",
         {.width = 1, .height = 1, .colourType = PNG_COLOR_TYPE_GRAY_ALPHA, .bitDepth = 16, .rows = {{0xAB, 0xCD, 0x80, 0x01}}},
         {0xAB, 0xAB, 0xAB, 0x80}},
        {"rgb 16",
         {.width = 1, .height = 1, .colourType = PNG_COLOR_TYPE_RGB, .bitDepth = 16, .rows = {{1, 2, 3, 4, 5, 6}}},
         {1, 3, 5, 255}},
        {"rgba 16",
         {.width = 1, .height = 1, .colourType = PNG_COLOR_TYPE_RGBA, .bitDepth = 16, .rows = {{0x10, 0, 0x20, 0, 0x30, 0, 0x40, 0xFF}}},
         {0x10, 0x20, 0x30, 0x40}},
    };
}

// An RGBA picture of odd size, so that every Adam7 pass has pixels and partial blocks.
DecodeCase patternCase()
{
    DecodeCase pattern{"13 x 11 rgba pattern", {.width = 13, .height = 11, .colourType = PNG_COLOR_TYPE_RGBA}, {}};
    for (int y = 0; y < 11; ++y) {
        std::vector<png_byte> row;
        for (int x = 0; x < 13; ++x) {
            for (int c = 0; c < 4; ++c) row.push_back(png_byte((x * 37 + y * 101 + c * 59) & 0xFF));
        }
        pattern.rgba.insert(pattern.rgba.end(), row.begin(), row.end());
        pattern.png.rows.push_back(row);
    }
    return pattern;
}

// Every decode here runs with the process's arena, which must be back where it was afterwards.
class PngDecode : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(createScratchArena()); }
    void TearDown() override
    {
        EXPECT_EQ(scratchArena()->used, expectedUsed) << "a row table was not given back";
        destroyScratchArena();
    }

    std::uint32_t expectedUsed = 0;

    static Bytes validStream() { return writePng(patternCase().png); }
};

TEST_F(PngDecode, EveryColourTypeAndDepthBecomesRgba)
{
    std::vector<DecodeCase> cases = decodeCases();
    cases.push_back(patternCase());
    for (DecodeCase& c : cases) {
        for (bool interlaced : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (interlaced ? ", interlaced" : ""));
            c.png.interlaced = interlaced;
            const Bytes stream = writePng(c.png);
            ASSERT_FALSE(stream.empty());
            Image image;
            ASSERT_TRUE(decode(stream, image));
            EXPECT_EQ(image.width, std::int32_t(c.png.width));
            EXPECT_EQ(image.height, std::int32_t(c.png.height));
            EXPECT_EQ(image.stride, image.width * 4);
            EXPECT_EQ(pixelsOf(image), c.rgba);
        }
    }
}

TEST_F(PngDecode, EveryTruncationFails)
{
    const Bytes stream = validStream();
    for (std::size_t length = 0; length < stream.size(); ++length) {
        Image image;
        EXPECT_FALSE(decode(Bytes(stream.begin(), stream.begin() + std::ptrdiff_t(length)), image)) << length;
    }
}

std::size_t chunkData(const Bytes& stream, const char* type)
{
    const auto at = std::search(stream.begin(), stream.end(), type, type + 4);
    return std::size_t(at - stream.begin()) + 4;
}

void fixChecksum(Bytes& stream, const char* type)
{
    const std::size_t data = chunkData(stream, type);
    const std::size_t length = std::size_t(stream[data - 8]) << 24 | stream[data - 7] << 16 | stream[data - 6] << 8 |
                               stream[data - 5];
    const uLong crc = crc32(0, stream.data() + data - 4, uInt(length + 4));
    for (int i = 0; i < 4; ++i) stream[data + length + std::size_t(i)] = static_cast<unsigned char>(crc >> (24 - 8 * i));
}

TEST_F(PngDecode, DamagedStreamsFail)
{
    Bytes badChecksum = validStream();  // the image data intact, its checksum not
    badChecksum[chunkData(badChecksum, "IEND") - 9] ^= 0x40;

    Bytes badCompression = validStream();  // a valid checksum over an impossible zlib header
    badCompression[chunkData(badCompression, "IDAT")] = 0x00;
    fixChecksum(badCompression, "IDAT");

    Bytes badSignature = validStream();
    badSignature[1] = 'Q';

    const std::string gif("GIF89a\x01\x00\x01\x00\x80\x00\x00;", 14);
    const struct {
        const char* name;
        Bytes stream;
    } cases[] = {
        {"checksum", badChecksum},
        {"compressed data", badCompression},
        {"signature", badSignature},
        {"not a PNG", Bytes(gif.begin(), gif.end())},
    };
    ::testing::internal::CaptureStderr();
    for (const auto& c : cases) {
        Image image;
        EXPECT_FALSE(decode(c.stream, image)) << c.name;
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << "libpng's texts are not for the user";
}

void appendChunk(Bytes& stream, const char* type, const Bytes& data)
{
    const std::uint32_t length = std::uint32_t(data.size());
    for (int shift = 24; shift >= 0; shift -= 8) stream.push_back(static_cast<unsigned char>(length >> shift));
    stream.insert(stream.end(), type, type + 4);
    stream.insert(stream.end(), data.begin(), data.end());
    stream.insert(stream.end(), 4, 0);
    fixChecksum(stream, type);
}

// A well-formed stream whose header declares width x height, with the given zlib stream as its image
// data (by default a token one).
Bytes declaredSize(std::uint32_t width, std::uint32_t height, unsigned char bitDepth, unsigned char colourType,
                   const Bytes& imageData = {0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01})
{
    Bytes stream = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    for (std::uint32_t side : {width, height}) {
        for (int shift = 24; shift >= 0; shift -= 8) header.push_back(static_cast<unsigned char>(side >> shift));
    }
    header.insert(header.end(), {bitDepth, colourType, 0, 0, 0});
    appendChunk(stream, "IHDR", header);
    appendChunk(stream, "IDAT", imageData);
    appendChunk(stream, "IEND", {});
    return stream;
}

TEST_F(PngDecode, HugeDeclaredSizesAreRefusedBeforeAllocating)
{
    const struct {
        const char* name;
        Bytes stream;
    } cases[] = {
        {"4 TB of pixels", declaredSize(1000000, 1000000, 8, PNG_COLOR_TYPE_RGBA)},
        {"4 TB from a 1-bit grey header", declaredSize(1000000, 1000000, 1, PNG_COLOR_TYPE_GRAY)},
        {"just over 4 GiB", declaredSize(65536, 16385, 8, PNG_COLOR_TYPE_RGB)},
        {"wider than libpng allows", declaredSize(0x7FFFFFFF, 1, 8, PNG_COLOR_TYPE_RGBA)},
    };
    for (const auto& c : cases) {
        Image image;
        EXPECT_FALSE(decode(c.stream, image)) << c.name;
        EXPECT_EQ(image.pixels, nullptr) << c.name;
        EXPECT_EQ(image.width, 0) << c.name;
    }
}

TEST_F(PngDecode, AStreamOfKnownLengthCannotClaimMorePixelsThanItCanInflateTo)
{
    const auto decodeKnownLength = [](const Bytes& stream, Image& image) {
        MemorySource source{stream.data(), 0, static_cast<std::uint32_t>(stream.size())};
        return image.decodePng(&source, readMemorySource, stream.size());
    };
    // 64 MiB of RGBA declared by 57 bytes; without the length it is allocated before the data runs out.
    const Bytes claim = declaredSize(4096, 4096, 8, PNG_COLOR_TYPE_RGBA);
    Image refused;
    EXPECT_FALSE(decodeKnownLength(claim, refused));
    EXPECT_EQ(refused.pixels, nullptr);

    // Zeros compressed as tightly as zlib can (about 1010 to 1 with the chunks around them, against
    // deflate's limit of 1032) still decode from their length.
    const Bytes raw(std::size_t{2048} * (1 + 2048), 0);  // each row: filter byte 0, then 2048 grey pixels
    Bytes packed(compressBound(uLong(raw.size())));
    uLongf packedSize = uLongf(packed.size());
    ASSERT_EQ(compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 9), Z_OK);
    packed.resize(packedSize);
    const Bytes blank = declaredSize(2048, 2048, 8, PNG_COLOR_TYPE_GRAY, packed);
    ASSERT_GT(2048.0 * 2048 / double(blank.size()), 1000.0);
    Image image;
    ASSERT_TRUE(decodeKnownLength(blank, image));
    EXPECT_EQ(image.width, 2048);
    EXPECT_EQ(image.pixels[std::size_t(image.stride) * 2048 - 1], 255);
}

TEST_F(PngDecode, TwoDecodesLeaveTheArenaWhereItWas)
{
    void* held = scratchAlloc(100);
    const std::uint32_t before = expectedUsed = scratchArena()->used;
    const Bytes stream = validStream();
    for (int i = 0; i < 2; ++i) {
        Image image;
        ASSERT_TRUE(decode(stream, image));
        EXPECT_EQ(scratchArena()->used, before);
        EXPECT_EQ(scratchArena()->top, std::int32_t(before)) << "the row table came from the heap";
    }
    // The decoder's block was the most recent, so the older one can no longer be given back.
    EXPECT_FALSE(scratchFree(held));
}

TEST_F(PngDecode, RowTablesTooBigForTheArenaComeFromTheHeap)
{
    PngDescription tall{.width = 1, .height = 3000, .colourType = PNG_COLOR_TYPE_GRAY};
    tall.rows.assign(3000, {0});
    for (std::size_t i = 0; i < tall.rows.size(); ++i) tall.rows[i][0] = png_byte(i);
    Image image;
    ASSERT_TRUE(decode(writePng(tall), image));
    EXPECT_EQ(scratchArena()->top, -1);
    EXPECT_EQ(image.pixels[4 * 2999], png_byte(2999));
}

TEST(Image, AllocateRefusesSizesThatDoNotFit)
{
    Image image;
    ASSERT_TRUE(image.allocate(3, 2));
    EXPECT_EQ(image.stride, 12);
    EXPECT_EQ(pixelsOf(image), Bytes(24, 0));

    const struct {
        std::int32_t width, height;
    } refused[] = {{INT32_MAX, INT32_MAX}, {65536, 16384}, {0, 5}, {5, -1}};
    for (const auto& size : refused) {
        EXPECT_FALSE(image.allocate(size.width, size.height)) << size.width << " x " << size.height;
        EXPECT_EQ(image.pixels, nullptr);
        EXPECT_EQ(image.width, 3);
        EXPECT_EQ(image.height, 2);
    }
}

}  // namespace
