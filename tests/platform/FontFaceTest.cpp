// Fonts on fontconfig and FreeType: what "Arial" resolves to, GDI cell metrics, glyph images.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <tuple>

#include "platform/linux/FontFace.h"

namespace {

struct FontCloser {
    void operator()(HFONT font) const { closeFont(font); }
};
using FontPtr = std::unique_ptr<HFONT__, FontCloser>;

FontPtr open(const char* family, int height, int weight = FW_NORMAL, bool italic = false)
{
    FontRequest request;
    request.family = family;
    request.height = height;
    request.weight = weight;
    request.italic = italic;
    return FontPtr(openFont(request));
}

bool pixel(const MonoGlyph& glyph, int column, int rowFromBottom)
{
    const int stride = (glyph.width + 7) / 8;
    return (glyph.rows[static_cast<size_t>(rowFromBottom * stride + column / 8)] >> (7 - column % 8)) & 1;
}

// The lowest and highest rows (from the bottom) holding a set pixel, relative to the baseline.
std::pair<int, int> inkRows(const MonoGlyph& glyph)
{
    int low = INT32_MAX, high = INT32_MIN;
    for (int row = 0; row < glyph.height; ++row) {
        for (int column = 0; column < glyph.width; ++column) {
            if (pixel(glyph, column, row)) {
                low = std::min(low, glyph.bottom + row);
                high = std::max(high, glyph.bottom + row);
            }
        }
    }
    return {low, high};
}

}  // namespace

TEST(FontFace, ArialResolvesToTheMetricCompatibleLiberationSans)
{
    FontPtr font = open("Arial", -12);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->family, "Liberation Sans");
    EXPECT_NE(font->file.find("LiberationSans-Regular"), std::string::npos) << font->file;

    FontPtr bold = open("Arial", -12, 700);
    ASSERT_NE(bold, nullptr);
    EXPECT_NE(bold->file.find("LiberationSans-Bold"), std::string::npos) << bold->file;
    FontPtr italic = open("Arial", -12, FW_NORMAL, true);
    ASSERT_NE(italic, nullptr);
    EXPECT_NE(italic->file.find("LiberationSans-Italic"), std::string::npos) << italic->file;
}

TEST(FontFace, CellMetricsFollowTheWindowsAscentAndDescent)
{
    // usWinAscent 1854 and usWinDescent 434 of 2048 units, as in Arial.
    struct Case {
        int height, em, ascent, descent;
    } const cases[] = {
        {-12, 12, 11, 3},  // 9 points at 96 dpi
        {-15, 15, 14, 3},  // 9 points at 120 dpi
        {-16, 16, 14, 3},
        {14, 13, 12, 3},   // a positive height asks for the cell: em = 14 * 2048 / 2288, rounded
        {0, 14, 13, 3},    // the default is a 16-pixel cell
    };
    for (const Case& c : cases) {
        FontPtr font = open("Arial", c.height);
        ASSERT_NE(font, nullptr);
        EXPECT_EQ(font->emPixels, c.em) << "height " << c.height;
        EXPECT_EQ(font->ascent, c.ascent) << "height " << c.height;
        EXPECT_EQ(font->descent, c.descent) << "height " << c.height;
        EXPECT_EQ(lineHeight(*font), c.ascent + c.descent);
    }
}

TEST(FontFace, GlyphImagesSitOnTheBaselineBottomRowFirst)
{
    FontPtr font = open("Arial", -12);
    ASSERT_NE(font, nullptr);
    MonoGlyph glyph;

    // A capital stands on the baseline and rises about the cap height (1409 units: 8 to 9 pixels).
    ASSERT_TRUE(renderMonoGlyph(*font, U'H', glyph));
    auto [low, high] = inkRows(glyph);
    EXPECT_EQ(low, 0);
    EXPECT_GE(high, 7);
    EXPECT_LE(high, 9);
    // 'H': both stems run the full height, the bar only in the middle.
    const int stride = (glyph.width + 7) / 8;
    EXPECT_EQ(glyph.rows.size(), static_cast<size_t>(stride * glyph.height));
    int fullColumns = 0;
    for (int column = 0; column < glyph.width; ++column) {
        bool full = true;
        for (int row = 0; row < glyph.height; ++row) full = full && pixel(glyph, column, row);
        fullColumns += full;
    }
    EXPECT_GE(fullColumns, 2);

    // 'V' is wide at the top and narrow at the bottom: counts rows bottom up, not top down.
    ASSERT_TRUE(renderMonoGlyph(*font, U'V', glyph));
    auto inkWidth = [&](int row) {
        int first = -1, last = -1;
        for (int column = 0; column < glyph.width; ++column) {
            if (pixel(glyph, column, row)) {
                if (first < 0) first = column;
                last = column;
            }
        }
        return last - first;
    };
    EXPECT_LT(inkWidth(0), inkWidth(glyph.height - 1));

    // A descender hangs below the baseline, no further than the cell.
    ASSERT_TRUE(renderMonoGlyph(*font, U'g', glyph));
    std::tie(low, high) = inkRows(glyph);
    EXPECT_LT(low, 0);
    EXPECT_GE(low, -font->descent);

    // The space has no ink but moves the pen.
    ASSERT_TRUE(renderMonoGlyph(*font, U' ', glyph));
    EXPECT_EQ(inkRows(glyph).first, INT32_MAX);
    EXPECT_GT(glyph.advance, 0);
}
