// The desktop's icon (packaging/vexo.png) is icon 100 of the program (assets/vexo.ico), pixel for
// pixel.

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

#include "resources/Image.h"

TEST(DesktopIcon, IsTheProgramsIconPixelForPixel)
{
    Image png;
    ASSERT_TRUE(png.loadPngFile(TEXT("") VEXO_SOURCE_DIR "/packaging/vexo.png"));
    ASSERT_EQ(png.width, 32);
    ASSERT_EQ(png.height, 32);

    // One 32 x 32 image of 32 bits: a 6-byte directory, a 16-byte entry, a 40-byte bitmap header,
    // then BGRA rows from the bottom up.
    std::ifstream file(VEXO_SOURCE_DIR "/assets/vexo.ico", std::ios::binary);
    const std::vector<std::uint8_t> ico{std::istreambuf_iterator<char>(file), {}};
    constexpr std::size_t PIXELS = 6 + 16 + 40;
    ASSERT_GE(ico.size(), PIXELS + 32 * 32 * 4);
    ASSERT_EQ(ico[6], 32);
    ASSERT_EQ(ico[6 + 16 + 14], 32) << "bits per pixel";
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const std::uint8_t* bgra = &ico[PIXELS + (std::size_t(31 - y) * 32 + x) * 4];
            const BYTE* rgba = png.pixels + (y * 32 + x) * 4;
            ASSERT_EQ((std::vector<int>{rgba[0], rgba[1], rgba[2], rgba[3]}), (std::vector<int>{bgra[2], bgra[1], bgra[0], bgra[3]}))
                << x << "," << y;
        }
    }
}
