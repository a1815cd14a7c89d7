// Fonts and text: the font cache's sharing and reference counts, measuring, and text drawn through
// the glyph lists on an offscreen window.

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "OffscreenGl.h"
#include "overlay/FontCache.h"
#include "resources/WideText.h"

namespace {

const BYTE WHITE[4] = {255, 255, 255, 255};

// Which pixels are lit (not black), top row first.
using Ink = std::vector<bool>;

class Text : public ::testing::Test {
protected:
    static constexpr int WIDTH = 640, HEIGHT = 100;

    void SetUp() override
    {
        ASSERT_TRUE(gl.ok());
        setOverlaySize(overlay, WIDTH, HEIGHT);
        font = acquireFont(TEXT("Arial"), 9);
        ASSERT_NE(font, nullptr);
        OffscreenGl::forgetErrors();
    }
    void TearDown() override
    {
        releaseFont(font);
        destroyOverlay(overlay);
        fontCache.clear();
    }

    // Draws on black inside the overlay pass and reads the pixels back.
    std::vector<std::uint8_t> render(const std::function<void()>& draw)
    {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        beginOverlay(overlay);
        draw();
        endOverlay(overlay);
        return gl.readPixels();
    }

    Ink ink(const std::function<void()>& draw)
    {
        const std::vector<std::uint8_t> pixels = render(draw);
        Ink lit(WIDTH * HEIGHT);
        for (int i = 0; i < WIDTH * HEIGHT; ++i) lit[i] = pixels[i * 4] | pixels[i * 4 + 1] | pixels[i * 4 + 2];
        return lit;
    }

    static int count(const Ink& lit) { return static_cast<int>(std::count(lit.begin(), lit.end(), true)); }

    // The ink moved right and down by (dx, dy).
    static Ink shifted(const Ink& lit, int dx, int dy)
    {
        Ink moved(WIDTH * HEIGHT);
        for (int y = 0; y < HEIGHT; ++y) {
            for (int x = 0; x < WIDTH; ++x) {
                if (lit[y * WIDTH + x] && x + dx < WIDTH && y + dy < HEIGHT) moved[(y + dy) * WIDTH + x + dx] = true;
            }
        }
        return moved;
    }

    OffscreenGl gl{WIDTH, HEIGHT};
    Overlay* overlay = createOverlay();
    Font* font = nullptr;
};

}  // namespace

TEST(FontHash, IsTheDoublingSumOfTheNamePlusTheSize)
{
    // 'A' 65, 'r' 114, 'i' 105, 'a' 97, 'l' 108: 65, 244, 593, 1283, 2674; plus 9.
    EXPECT_EQ(fontHash(TEXT("Arial"), 9), 2683u);
    EXPECT_EQ(fontHash(TEXT("Arial"), 9) % FontCache::BUCKET_COUNT, 5u);
    EXPECT_EQ(fontHash(TEXT(""), 3), 3u);
}

TEST_F(Text, TwoAcquirersShareOneFontUntilTheLastRelease)
{
    EXPECT_EQ(font->pixelHeight, 12);  // 9 points at 96 dots per inch
    EXPECT_EQ(font->pointSize, 9);
    EXPECT_EQ(WideText(font->faceName.data), TEXT("Arial"));
    EXPECT_NE(font->listBase, 0u);
    EXPECT_TRUE(glIsList(font->listBase) && glIsList(font->listBase + 222));

    Font* again = acquireFont(TEXT("Arial"), 9);
    EXPECT_EQ(again, font);
    EXPECT_EQ(fontCache.references(font), 2);
    EXPECT_EQ(&fontCache.bucketHead(5)->font, font);
    EXPECT_TRUE(releaseFont(again));
    EXPECT_EQ(fontCache.references(font), 1);
    EXPECT_TRUE(glIsList(font->listBase));

    const GLuint lists = font->listBase;
    EXPECT_TRUE(releaseFont(font));
    font = nullptr;
    EXPECT_EQ(fontCache.bucketHead(5), nullptr);
    EXPECT_FALSE(glIsList(lists)) << "the glyph lists go with the last reference";
    EXPECT_FALSE(releaseFont(nullptr));
}

TEST_F(Text, NameAndSizeMakeTheKeyAndTheNameIsCaseSensitive)
{
    Font* lower = acquireFont(TEXT("arial"), 9);
    Font* larger = acquireFont(TEXT("Arial"), 10);
    ASSERT_NE(lower, nullptr);
    ASSERT_NE(larger, nullptr);
    EXPECT_NE(lower, font);
    EXPECT_NE(larger, font);
    EXPECT_EQ(larger->pixelHeight, 13);
    EXPECT_EQ(fontCache.references(font), 1);
    Font foreign{};
    EXPECT_FALSE(releaseFont(&foreign));
    releaseFont(lower);
    releaseFont(larger);
}

TEST_F(Text, RemovingTheFirstEntryOfABucketKeepsTheOthersReachable)
{
    // 22 points hash 13 more than 9: the same bucket, and the newer entry goes in front.
    Font* big = acquireFont(TEXT("Arial"), 22);
    ASSERT_NE(big, nullptr);
    ASSERT_EQ(&fontCache.bucketHead(5)->font, big);
    ASSERT_EQ(&fontCache.bucketHead(5)->next->font, font);
    EXPECT_TRUE(releaseFont(big));
    EXPECT_EQ(&fontCache.bucketHead(5)->font, font);
    EXPECT_EQ(fontCache.bucketHead(5)->prev, nullptr);
    EXPECT_EQ(acquireFont(TEXT("Arial"), 9), font);
    EXPECT_EQ(fontCache.references(font), 2);
    releaseFont(font);
}

TEST(FontCacheWithoutContext, MakesNothingAndKeepsNothing)
{
    // No GL context is current: no display lists can be reserved.
    EXPECT_EQ(acquireFont(TEXT("Arial"), 9), nullptr);
    for (std::uint32_t bucket = 0; bucket < FontCache::BUCKET_COUNT; ++bucket) EXPECT_EQ(fontCache.bucketHead(bucket), nullptr);
}

TEST_F(Text, MeasuresAdvancesAndTheLineHeight)
{
    float extent[4] = {9, 9, 9, 9};
    ASSERT_TRUE(measureText(font, TEXT("Frame: 1/120"), extent));
    EXPECT_EQ(extent[0], 0);
    EXPECT_EQ(extent[1], 0);
    // A line is as wide as its characters' advances (the font's own metrics), as high as a line.
    float sum = 0;
    for (const WCHAR* c = TEXT("Frame: 1/120"); *c != 0; ++c) {
        const WCHAR one[] = {*c, 0};
        float single[4];
        measureText(font, one, single);
        sum += single[2];
    }
    EXPECT_EQ(extent[2], sum);
    EXPECT_GT(extent[2], 50);
    EXPECT_EQ(extent[3], 14);

    float ampersand[4], a[4], b[4];
    ASSERT_TRUE(measureText(font, TEXT("a&b"), ampersand));
    measureText(font, TEXT("a"), a);
    measureText(font, TEXT("b"), b);
    EXPECT_GT(ampersand[2], a[2] + b[2]) << "the ampersand is an ordinary character";

    ASSERT_TRUE(measureText(font, nullptr, extent));
    EXPECT_EQ(extent[2], 0);
    float untouched[4] = {1, 2, 3, 4};
    EXPECT_FALSE(measureText(nullptr, TEXT("x"), untouched));
    EXPECT_EQ(untouched[3], 4);
}

TEST_F(Text, DrawsWhiteGlyphsWithTheBaselineOnePixelHeightBelowTheTop)
{
    const std::vector<std::uint8_t> pixels = render([&] { drawText(overlay, font, 0, 0, "Frame: 1/120", -1, WHITE); });
    int lit = 0, lowestRowOfF = -1, rightmost = -1;
    for (int y = 0; y < HEIGHT; ++y) {
        for (int x = 0; x < WIDTH; ++x) {
            const std::uint8_t* p = &pixels[(y * WIDTH + x) * 4];
            if ((p[0] | p[1] | p[2]) == 0) continue;
            ++lit;
            EXPECT_EQ(p[0] & p[1] & p[2], 255) << "monochrome white at " << x << "," << y;
            EXPECT_GE(y, 12 - 11);  // within the cell: ascent 11 above the baseline at 12
            EXPECT_LT(y, 12 + 3);
            if (x < 7) lowestRowOfF = std::max(lowestRowOfF, y);
            rightmost = std::max(rightmost, x);
        }
    }
    EXPECT_GT(lit, 60);
    EXPECT_EQ(lowestRowOfF, 11) << "'F' stands on the baseline";
    EXPECT_LT(rightmost, 73);
}

TEST_F(Text, PlacementIsExactAtEveryPixelPosition)
{
    const Ink atOrigin = ink([&] { drawText(overlay, font, 0, 0, "Space - Toggle Pause", -1, WHITE); });
    ASSERT_GT(count(atOrigin), 0);
    // The key list's column in a 640-wide window, its rows, and odd offsets.
    for (const auto& position : {std::pair{500, 0}, {500, 14}, {500, 70}, {3, 7}, {101, 33}, {333, 85}}) {
        const auto [x, y] = position;
        const Ink moved = ink([&] { drawText(overlay, font, position.first, position.second, "Space - Toggle Pause", -1, WHITE); });
        EXPECT_EQ(moved, shifted(atOrigin, x, y)) << x << "," << y;
    }
}

TEST_F(Text, WideTextDrawsEachUnitByItsLowByte)
{
    const Ink bytes = ink([&] { drawText(overlay, font, 4, 4, "Key A", -1, WHITE); });
    EXPECT_EQ(ink([&] { drawTextWide(overlay, font, 4, 4, TEXT("Key A"), -1, WHITE); }), bytes);
    EXPECT_EQ(ink([&] { drawTextWide(overlay, font, 4, 4, TEXT("Key \u0141"), -1, WHITE); }), bytes);  // U+0141 as 'A'
    EXPECT_EQ(ink([&] { drawTextWide(overlay, font, 4, 4, TEXT("Key Aw"), 5, WHITE); }), bytes);
    EXPECT_EQ(ink([&] { drawText(overlay, font, 4, 4, "Key Aw", 5, WHITE); }), bytes);
}

TEST_F(Text, CharactersWithoutAGlyphDrawNothingAndTakeNoRoom)
{
    // Lists where codes 1, 31 and 255 would land: a caller's lists, which must never be replayed.
    const GLuint traps[] = {font->listBase - 31, font->listBase - 1, font->listBase + 223};
    for (GLuint list : traps) {
        if (list == 0) continue;
        glNewList(list, GL_COMPILE);
        glBitmap(0, 0, 0, 0, 50, 0, nullptr);  // moves the text far to the right
        glEndList();
    }
    const Ink plain = ink([&] { drawText(overlay, font, 4, 4, "AB", -1, WHITE); });
    EXPECT_EQ(ink([&] { drawText(overlay, font, 4, 4, "\x01" "A\x1f" "B\xff", -1, WHITE); }), plain);
    EXPECT_EQ(ink([&] { drawTextWide(overlay, font, 4, 4, TEXT("\u0001A\u011fB\u00ff\u0100"), -1, WHITE); }), plain);
    for (GLuint list : traps) {
        if (list != 0) glDeleteLists(list, 1);
    }
}

TEST_F(Text, DrawsInTheGivenColourEvenWithTheSceneLightOn)
{
    glEnable(GL_LIGHTING);  // as the scene pass leaves it with the L key on
    const BYTE red[4] = {255, 0, 0, 255};
    const std::vector<std::uint8_t> pixels = render([&] { drawText(overlay, font, 0, 0, "Frame", -1, red); });
    int lit = 0;
    for (int i = 0; i < WIDTH * HEIGHT; ++i) {
        if ((pixels[i * 4] | pixels[i * 4 + 1] | pixels[i * 4 + 2]) == 0) continue;
        ++lit;
        EXPECT_EQ(pixels[i * 4], 255);
        EXPECT_EQ(pixels[i * 4 + 1], 0);
    }
    EXPECT_GT(lit, 20);
}

TEST_F(Text, LeavesTheListBaseAndMatrixStacksAsTheyWere)
{
    glListBase(7);
    beginOverlay(overlay);
    drawText(overlay, font, 0, 0, "abc", -1, WHITE);
    drawTextWide(overlay, font, 0, 20, TEXT("abc"), -1, WHITE);
    GLint listBase = 0, depth = 0, mode = 0;
    glGetIntegerv(GL_LIST_BASE, &listBase);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    endOverlay(overlay);
    EXPECT_EQ(listBase, 7);
    EXPECT_EQ(depth, 2);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Text, NothingToDrawDrawsNothing)
{
    EXPECT_EQ(count(ink([&] {
                  drawText(overlay, font, 0, 0, "", -1, WHITE);
                  drawText(overlay, font, 0, 0, "abc", 0, WHITE);
                  drawText(overlay, font, 0, 0, nullptr, -1, WHITE);
                  drawTextWide(overlay, font, 0, 0, TEXT(""), -1, WHITE);
                  drawText(nullptr, font, 0, 0, "abc", -1, WHITE);
                  drawText(overlay, nullptr, 0, 0, "abc", -1, WHITE);
                  drawTextWide(nullptr, font, 0, 0, TEXT("abc"), -1, WHITE);
                  drawTextWide(overlay, nullptr, 0, 0, TEXT("abc"), -1, WHITE);
              })),
              0);
}
