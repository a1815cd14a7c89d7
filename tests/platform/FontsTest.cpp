// GDI fonts through the platform API: the screen's resolution, measuring with DrawTextW, glyph
// display lists drawn on an offscreen window, and text drawn into a bitmap in memory.

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "OffscreenGl.h"
#include "platform/linux/FontFace.h"

namespace {

HFONT createFont(LPCWSTR face, int height)
{
    return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                       ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

// The screen's device context with an "Arial" font of a 12-pixel em selected.
struct ScreenFont : ::testing::Test {
    void SetUp() override
    {
        dc = GetDC(nullptr);
        ASSERT_NE(dc, nullptr);
        font = createFont(TEXT("Arial"), -12);
        ASSERT_NE(font, nullptr);
        EXPECT_EQ(SelectObject(dc, font), nullptr);
    }
    void TearDown() override
    {
        SelectObject(dc, nullptr);
        ReleaseDC(nullptr, dc);
        DeleteObject(font);
    }

    int advance(char32_t c) const { return glyphAdvance(*font, c); }

    // right and bottom of the measured rectangle, and the result.
    std::tuple<int, int, int> measure(LPCWSTR text, int count, UINT format) const
    {
        RECT rect = {0, 0, 2147483647, 2147483647};
        const int result = DrawTextW(dc, text, count, &rect, format);
        return {rect.right, rect.bottom, result};
    }

    HDC dc = nullptr;
    HFONT font = nullptr;
};

constexpr UINT MEASURE = DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX;

}  // namespace

TEST(ScreenResolution, IsNinetySixDotsPerInchOffscreen)
{
    OffscreenGl gl(8, 8);
    ASSERT_TRUE(gl.ok());
    HDC dc = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
    EXPECT_EQ(MulDiv(9, GetDeviceCaps(dc, LOGPIXELSY), 72), 12);
    ReleaseDC(nullptr, dc);
}

TEST_F(ScreenFont, MeasuresTheSumOfAdvancesAndTheLineHeight)
{
    const int frameWidth = advance('F') + advance('r') + advance('a') + advance('m') + advance('e') + advance(':') +
                           advance(' ') + 2 * advance('1') + advance('/') + advance('2') + advance('0');
    EXPECT_EQ(measure(TEXT("Frame: 1/120"), -1, MEASURE), std::make_tuple(frameWidth, 14, 14));
    EXPECT_EQ(frameWidth, 73);  // Liberation Sans at 12 pixels, as Arial
    EXPECT_EQ(measure(TEXT("Frame: 1/120"), 5, MEASURE), std::make_tuple(36, 14, 14));  // a count of units
    EXPECT_EQ(measure(TEXT(""), -1, MEASURE), std::make_tuple(0, 14, 14));  // one empty line
}

TEST_F(ScreenFont, PrefixesAndLineBreaksFollowTheFlags)
{
    const int a = advance('a'), amp = advance('&'), b = advance('b');
    struct Case {
        const WCHAR* text;
        UINT format;
        int width, height;
    } const cases[] = {
        {TEXT("a&b"), MEASURE, a + amp + b, 14},
        {TEXT("a&b"), DT_CALCRECT | DT_SINGLELINE, a + b, 14},           // '&' marks a mnemonic
        {TEXT("a&&b"), DT_CALCRECT | DT_SINGLELINE, a + amp + b, 14},     // "&&" is one '&'
        {TEXT("ab\r\na"), DT_CALCRECT | DT_NOPREFIX, a + b, 28},           // lines: the widest counts
        {TEXT("a\nab\rb"), DT_CALCRECT | DT_NOPREFIX, a + b, 42},
    };
    for (const Case& c : cases) {
        const auto [right, bottom, result] = measure(c.text, -1, c.format);
        EXPECT_EQ(right, c.width) << c.format;
        EXPECT_EQ(bottom, c.height) << c.format;
        EXPECT_EQ(result, c.height) << c.format;
    }
    // Single-line: a line break is measured as a character.
    EXPECT_EQ(std::get<1>(measure(TEXT("a\nb"), -1, MEASURE)), 14);
}

TEST_F(ScreenFont, MeasuringNeedsAFontAndDT_CALCRECT)
{
    RECT rect = {5, 6, 7, 8};
    EXPECT_EQ(DrawTextW(dc, TEXT("abc"), -1, &rect, DT_SINGLELINE), 0);
    EXPECT_EQ(rect.right, 7);
    SelectObject(dc, nullptr);
    EXPECT_EQ(DrawTextW(dc, TEXT("abc"), -1, &rect, MEASURE), 0);
    EXPECT_EQ(rect.right, 7);
    EXPECT_EQ(SelectObject(dc, font), nullptr);
    rect = {5, 6, 7, 8};  // the extent is added to left and top
    EXPECT_EQ(DrawTextW(dc, TEXT("ab"), -1, &rect, MEASURE), 14);
    EXPECT_EQ(rect.right, 5 + advance('a') + advance('b'));
    EXPECT_EQ(rect.bottom, 20);
}

TEST_F(ScreenFont, SelectingReturnsThePreviousFontAndRefusesOtherObjects)
{
    HFONT other = createFont(TEXT("Arial"), -20);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(SelectObject(dc, other), font);
    EXPECT_EQ(SelectObject(dc, font), other);
    int notAFont = 0;
    EXPECT_EQ(SelectObject(dc, &notAFont), nullptr);
    EXPECT_EQ(SelectObject(nullptr, other), nullptr);
    EXPECT_EQ(SelectObject(dc, font), font);  // the refused calls changed nothing
    EXPECT_TRUE(DeleteObject(other));
    EXPECT_FALSE(DeleteObject(nullptr));
    EXPECT_FALSE(DeleteObject(&notAFont));
}

// Each glyph list draws the glyph's image with its lower-left corner at (raster x + left, raster y
// + bottom) and moves the raster position by the advance: compared pixel for pixel with the image.
TEST(GlyphLists, DrawTheGlyphsOnTheBaselineAndAdvance)
{
    constexpr int WIDTH = 64, HEIGHT = 32, BASE_X = 10, BASE_Y = 12;
    OffscreenGl gl(WIDTH, HEIGHT);
    ASSERT_TRUE(gl.ok());
    HDC dc = GetDC(nullptr);
    HFONT font = createFont(TEXT("Arial"), -12);
    ASSERT_NE(font, nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    const GLuint base = glGenLists(223);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    EXPECT_TRUE(wglUseFontBitmapsW(dc, 32, 223, base));
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4) << "the pixel-store state is restored";

    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3ub(255, 255, 255);
    // Window (10, 12), bottom-up, through identity matrices; both map exactly in binary.
    glRasterPos2f(2.0f * BASE_X / WIDTH - 1.0f, 2.0f * BASE_Y / HEIGHT - 1.0f);
    const char text[] = "Vg\xe9";
    glListBase(base - 32);
    glCallLists(3, GL_UNSIGNED_BYTE, text);
    const std::vector<std::uint8_t> pixels = gl.readPixels();

    std::vector<bool> expected(WIDTH * HEIGHT, false);
    int penX = BASE_X;
    for (unsigned char c : std::string_view(text)) {
        MonoGlyph glyph;
        ASSERT_TRUE(renderMonoGlyph(*font, c, glyph));
        for (int row = 0; row < glyph.height; ++row) {
            for (int column = 0; column < glyph.width; ++column) {
                const int stride = (glyph.width + 7) / 8;
                if (!((glyph.rows[row * stride + column / 8] >> (7 - column % 8)) & 1)) continue;
                const int x = penX + glyph.left + column, y = BASE_Y + glyph.bottom + row;  // bottom-up
                expected[(HEIGHT - 1 - y) * WIDTH + x] = true;
            }
        }
        penX += glyph.advance;
    }
    int inked = 0;
    for (int y = 0; y < HEIGHT; ++y) {
        for (int x = 0; x < WIDTH; ++x) {
            const bool lit = pixels[(y * WIDTH + x) * 4] == 255;
            inked += lit;
            EXPECT_EQ(lit, expected[y * WIDTH + x]) << x << "," << y;
        }
    }
    EXPECT_GT(inked, 20);
    GLint rasterPosition[4] = {};
    glGetIntegerv(GL_CURRENT_RASTER_POSITION, rasterPosition);
    EXPECT_EQ(rasterPosition[0], penX) << "the raster position moved by the advances";

    glDeleteLists(base, 223);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
}

TEST(GlyphLists, NeedAFontSelected)
{
    HDC dc = GetDC(nullptr);
    EXPECT_FALSE(wglUseFontBitmapsW(dc, 32, 1, 1));
    EXPECT_FALSE(wglUseFontBitmapsW(nullptr, 32, 1, 1));
    ReleaseDC(nullptr, dc);
}

// TextOutW into a bitmap in memory: the glyphs' images with the cell's top-left corner at (x, y),
// so the baseline at y + ascent, in the text colour (stored blue, green, red), clipped to the
// bitmap; a bottom-up bitmap holds the same picture with its rows the other way round.
TEST(MemoryBitmaps, TextIsDrawnInItsCellInTheTextColourClippedToTheBitmap)
{
    constexpr int WIDTH = 40, HEIGHT = 20;
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = createFont(TEXT("Arial"), -12);
    ASSERT_TRUE(dc != nullptr && font != nullptr);
    const auto bitmapOf = [&](int height, BYTE*& bits) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), WIDTH, height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* pixels = nullptr;
        const HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
        bits = static_cast<BYTE*>(pixels);
        return bitmap;
    };
    BYTE *topDown = nullptr, *bottomUp = nullptr;
    const HBITMAP first = bitmapOf(-HEIGHT, topDown), second = bitmapOf(HEIGHT, bottomUp);
    ASSERT_TRUE(first != nullptr && second != nullptr);
    SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    EXPECT_EQ(SetTextColor(dc, RGB(10, 20, 30)), RGB(0, 0, 0));
    for (const HBITMAP bitmap : {first, second}) {
        SelectObject(dc, bitmap);
        EXPECT_TRUE(TextOutW(dc, 3, 2, TEXT("Hg"), 2));
        EXPECT_TRUE(TextOutW(dc, 34, 12, TEXT("Hg"), 2));  // past the right and bottom edges
    }
    const auto at = [&](const BYTE* bits, int x, int y) { return bits + (y * WIDTH + x) * 4; };
    std::vector<bool> expected(WIDTH * HEIGHT, false);
    for (const auto& [penX, top] : {std::pair{3, 2}, std::pair{34, 12}}) {
        int pen = penX;
        for (const char32_t c : {U'H', U'g'}) {
            MonoGlyph glyph;
            ASSERT_TRUE(renderMonoGlyph(*font, c, glyph));
            const int stride = (glyph.width + 7) / 8;
            for (int row = 0; row < glyph.height; ++row) {
                for (int column = 0; column < glyph.width; ++column) {
                    if (!((glyph.rows[row * stride + column / 8] >> (7 - column % 8)) & 1)) continue;
                    const int x = pen + glyph.left + column, y = top + font->ascent - glyph.bottom - 1 - row;
                    if (x < WIDTH && y < HEIGHT) expected[y * WIDTH + x] = true;
                }
            }
            pen += glyph.advance;
        }
    }
    int inked = 0;
    for (int y = 0; y < HEIGHT; ++y) {
        for (int x = 0; x < WIDTH; ++x) {
            const BYTE* pixel = at(topDown, x, y);
            const bool lit = pixel[0] == 30 && pixel[1] == 20 && pixel[2] == 10;
            inked += lit;
            EXPECT_EQ(lit, expected[y * WIDTH + x]) << x << "," << y;
            EXPECT_EQ(lit || (pixel[0] | pixel[1] | pixel[2]) == 0, true) << x << "," << y;
            EXPECT_EQ(std::memcmp(pixel, at(bottomUp, x, HEIGHT - 1 - y), 4), 0) << x << "," << y;
        }
    }
    EXPECT_GT(inked, 30);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_TRUE(DeleteObject(font));
    EXPECT_TRUE(DeleteObject(first));
    EXPECT_TRUE(DeleteObject(second));
}
