// The six skin images compiled into the program decode to the pictures the control bar expects.

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <string>

#include "OwnResource.h"
#include "resources/Image.h"
#include "resources/ScratchArena.h"

namespace {

using Rgba = std::array<BYTE, 4>;

constexpr Rgba CLEAR{0, 0, 0, 0};
constexpr Rgba WHITE{255, 255, 255, 255};
constexpr Rgba LIGHT{219, 219, 219, 255};
constexpr Rgba PRESSED{181, 181, 181, 255};
constexpr Rgba SILVER{192, 192, 192, 255};
constexpr Rgba DARK{128, 128, 128, 255};

Rgba pixel(const Image& image, int column, int row)
{
    const BYTE* p = image.pixels + row * image.stride + column * 4;
    return {p[0], p[1], p[2], p[3]};
}

int count(const Image& image, Rgba colour)
{
    int n = 0;
    for (int row = 0; row < image.height; ++row) {
        for (int column = 0; column < image.width; ++column) n += pixel(image, column, row) == colour;
    }
    return n;
}

class Skins : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(createScratchArena()); }
    void TearDown() override { destroyScratchArena(); }

    static void load(const WCHAR* name, Image& image, int width, int height)
    {
        ASSERT_TRUE(image.loadPngResource(ownModule(), name));
        ASSERT_EQ(image.width, width);
        ASSERT_EQ(image.height, height);
    }
};

TEST_F(Skins, AreEightBitRgbaStreamsWithOnlyTheNamedColours)
{
    const WCHAR* names[] = {TEXT("BUTTON_NORMAL.PNG"), TEXT("BUTTON_PRESS.PNG"), TEXT("SLIDER_BODY.PNG"),
                               TEXT("SLIDER_THUMB.PNG"),  TEXT("PLAY.PNG"),         TEXT("PAUSE.PNG")};
    for (const WCHAR* name : names) {
        SCOPED_TRACE(std::string(name, name + std::char_traits<WCHAR>::length(name)));
        HRSRC resource = FindResourceW(ownModule(), name, RT_RCDATA);
        ASSERT_NE(resource, nullptr);
        const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(ownModule(), resource)));
        ASSERT_GT(SizeofResource(ownModule(), resource), 33u);
        EXPECT_EQ(bytes[24], 8);  // IHDR bit depth
        EXPECT_EQ(bytes[25], 6);  // colour type RGBA
        EXPECT_EQ(bytes[28], 0);  // not interlaced

        Image image;
        ASSERT_TRUE(image.loadPngResource(ownModule(), name));
        const int named = count(image, CLEAR) + count(image, WHITE) + count(image, LIGHT) + count(image, PRESSED) +
                          count(image, SILVER) + count(image, DARK);
        EXPECT_EQ(named, image.width * image.height);
    }
}

TEST_F(Skins, ButtonNormalIsARaisedBevel)
{
    Image image;
    load(TEXT("button_normal.png"), image, 32, 16);
    for (auto [column, row] : {std::pair{0, 0}, {1, 0}, {30, 0}, {31, 15}, {0, 1}, {31, 14}}) {
        EXPECT_EQ(pixel(image, column, row), CLEAR) << column << "," << row;
    }
    EXPECT_EQ(pixel(image, 2, 0), WHITE);
    EXPECT_EQ(pixel(image, 0, 7), WHITE);
    EXPECT_EQ(pixel(image, 1, 14), WHITE);
    EXPECT_EQ(pixel(image, 30, 1), WHITE);
    EXPECT_EQ(pixel(image, 29, 15), DARK);
    EXPECT_EQ(pixel(image, 31, 13), DARK);
    EXPECT_EQ(pixel(image, 30, 14), DARK);
    EXPECT_EQ(pixel(image, 16, 8), LIGHT);
    EXPECT_EQ(count(image, LIGHT), 30 * 14 - 4);
    EXPECT_EQ(count(image, CLEAR), 12);
}

TEST_F(Skins, ButtonPressIsTheSameShapeSunken)
{
    Image normal, pressed;
    load(TEXT("button_normal.png"), normal, 32, 16);
    load(TEXT("button_press.png"), pressed, 32, 16);
    EXPECT_EQ(pixel(pressed, 15, 0), DARK);
    EXPECT_EQ(pixel(pressed, 0, 7), DARK);
    EXPECT_EQ(pixel(pressed, 15, 15), WHITE);
    EXPECT_EQ(pixel(pressed, 31, 7), WHITE);
    EXPECT_EQ(pixel(pressed, 1, 14), DARK);
    EXPECT_EQ(pixel(pressed, 30, 14), WHITE);
    EXPECT_EQ(pixel(pressed, 16, 8), PRESSED);
    // White and dark trade places; the clear corners stay.
    for (int row = 0; row < 16; ++row) {
        for (int column = 0; column < 32; ++column) {
            const Rgba n = pixel(normal, column, row);
            const Rgba expected = n == WHITE ? DARK : n == DARK ? WHITE : n == LIGHT ? PRESSED : n;
            EXPECT_EQ(pixel(pressed, column, row), expected) << column << "," << row;
        }
    }
}

TEST_F(Skins, SliderPartsAreRaisedBars)
{
    Image body, thumb;
    load(TEXT("slider_body.png"), body, 8, 4);
    load(TEXT("slider_thumb.png"), thumb, 8, 16);
    for (const Image* image : {&body, &thumb}) {
        const int last = image->height - 1;
        EXPECT_EQ(pixel(*image, 0, 0), CLEAR);
        EXPECT_EQ(pixel(*image, 7, last), CLEAR);
        EXPECT_EQ(pixel(*image, 3, 0), WHITE);
        EXPECT_EQ(pixel(*image, 0, last - 1), WHITE);
        EXPECT_EQ(pixel(*image, 7, 1), DARK);
        EXPECT_EQ(pixel(*image, 6, last), DARK);
        EXPECT_EQ(count(*image, CLEAR), 4);
    }
    EXPECT_EQ(count(body, LIGHT), 12);
    EXPECT_EQ(count(thumb, SILVER), 6 * 14);
}

TEST_F(Skins, PlayIsAnOutlinedTriangle)
{
    Image image;
    load(TEXT("play.png"), image, 16, 16);
    for (int column = 0; column < 16; ++column) EXPECT_EQ(pixel(image, column, 0), CLEAR);
    for (int row = 1; row < 16; ++row) {
        const int k = 8 - std::abs(row - 8);
        EXPECT_EQ(pixel(image, 4, row), DARK) << row;
        EXPECT_EQ(pixel(image, 4 + k, row), DARK) << row;
        EXPECT_EQ(pixel(image, 5 + k, row), CLEAR) << row;
        EXPECT_EQ(pixel(image, 3, row), CLEAR) << row;
    }
    EXPECT_EQ(pixel(image, 11, 8), WHITE);  // the tip's inside
    EXPECT_EQ(count(image, WHITE), 49);
    EXPECT_EQ(count(image, DARK), 2 * 15);
}

TEST_F(Skins, PauseIsTwoOutlinedBars)
{
    Image image;
    load(TEXT("pause.png"), image, 16, 16);
    for (int left : {3, 9}) {
        EXPECT_EQ(pixel(image, left, 3), DARK);
        EXPECT_EQ(pixel(image, left + 3, 13), DARK);
        EXPECT_EQ(pixel(image, left + 1, 4), WHITE);
        EXPECT_EQ(pixel(image, left + 2, 12), WHITE);
        EXPECT_EQ(pixel(image, left - 1, 8), CLEAR);
    }
    EXPECT_EQ(pixel(image, 7, 8), CLEAR);
    EXPECT_EQ(pixel(image, 4, 2), CLEAR);
    EXPECT_EQ(pixel(image, 4, 14), CLEAR);
    EXPECT_EQ(count(image, WHITE), 2 * 2 * 9);
    EXPECT_EQ(count(image, DARK), 2 * (4 * 11 - 2 * 9));
}

TEST_F(Skins, NamesMatchInAnyCase)
{
    Image lower, mixed;
    load(TEXT("play.png"), lower, 16, 16);
    load(TEXT("Play.Png"), mixed, 16, 16);
    EXPECT_EQ(0, std::memcmp(lower.pixels, mixed.pixels, 16 * 16 * 4));
    Image missing;
    EXPECT_FALSE(missing.loadPngResource(ownModule(), TEXT("missing.png")));
    EXPECT_FALSE(missing.loadPngResource(reinterpret_cast<HMODULE>(std::uintptr_t{0x10000000}), TEXT("play.png")));
}

// The row table of a skin comes from the arena, not from the heap: the arena's most recent block
// is at the offset where the decode started, and the arena is rewound to it.
TEST_F(Skins, RowTablesComeFromTheArena)
{
    ASSERT_EQ(scratchArena()->top, -1);
    Image image;
    load(TEXT("button_normal.png"), image, 32, 16);
    EXPECT_EQ(scratchArena()->top, 0);
    EXPECT_EQ(scratchArena()->used, 0u);
}

}  // namespace
