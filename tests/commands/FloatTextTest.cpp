// Our float text against the C library's printf("%.9g"), byte for byte.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

#include "commands/FloatText.h"

namespace {

std::string ours(float value)
{
    char text[FLOAT_TEXT_ROOM];
    return std::string(text, writeFloatText(text, value));
}

// printf("%.9g") as glibc does it. A NaN keeps its sign there ("-nan"), while other C libraries
// (the Windows runtime's) drop it; the program writes glibc's spelling everywhere.
std::string printed(float value)
{
    if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
    char text[32];
    return std::string(text, size_t(std::snprintf(text, sizeof text, "%.9g", double(value))));
}

// Compares both signs; returns false after the first difference so a broken build reports few.
bool same(std::uint32_t bits)
{
    for (const std::uint32_t sign : {0u, 0x80000000u}) {
        const float value = std::bit_cast<float>(bits | sign);
        const std::string text = ours(value);
        EXPECT_EQ(text, printed(value)) << "bits " << std::hex << (bits | sign);
        if (text != printed(value)) return false;
    }
    return true;
}

}  // namespace

TEST(FloatText, SpecialValuesAsGlibcSpellsThem)
{
    constexpr float INF = std::numeric_limits<float>::infinity();
    EXPECT_EQ(ours(-0.0f), "-0");
    EXPECT_EQ(ours(-INF), "-inf");
    EXPECT_EQ(ours(std::numeric_limits<float>::quiet_NaN()), "nan");
    EXPECT_EQ(ours(-std::numeric_limits<float>::quiet_NaN()), "-nan");
    for (const float value : {0.0f, INF, std::numeric_limits<float>::denorm_min(), std::numeric_limits<float>::min(),
                              std::numeric_limits<float>::max(), std::nextafter(std::numeric_limits<float>::min(), 0.0f)}) {
        same(std::bit_cast<std::uint32_t>(value));
    }
    same(0x7fc00001);  // a NaN with a payload
    same(0x7f800001);  // a signalling NaN
}

TEST(FloatText, TiesRoundToEvenAndCarriesReachTheExponent)
{
    // Exactly ten significant digits ending in 5: the ninth digit decides.
    EXPECT_EQ(ours(999999.9375f), "999999.938");
    EXPECT_EQ(ours(123456.0625f), "123456.062");
    // Around each power of ten the layout and the exponent change.
    for (int power = -45; power <= 38; ++power) {
        const float near = std::strtof(("1e" + std::to_string(power)).c_str(), nullptr);
        float value = near;
        for (int step = 0; step < 40 && value < std::numeric_limits<float>::infinity(); ++step) {
            value = std::nextafter(value, std::numeric_limits<float>::infinity());
            ASSERT_TRUE(same(std::bit_cast<std::uint32_t>(value)));
        }
        value = near;
        for (int step = 0; step < 40 && value > 0; ++step) {
            value = std::nextafter(value, 0.0f);
            ASSERT_TRUE(same(std::bit_cast<std::uint32_t>(value)));
        }
    }
}

TEST(FloatText, EveryExponentAndRandomBitPatterns)
{
    std::mt19937 random(20261209);
    for (std::uint32_t exponent = 0; exponent < 255; ++exponent) {
        const std::uint32_t top = exponent << 23;
        ASSERT_TRUE(same(top) && same(top | 1) && same(top | 0x7fffff) && same(top | 0x400000));
        for (int i = 0; i < 2000; ++i) ASSERT_TRUE(same(top | (random() & 0x7fffff)));
    }
    for (int i = 0; i < 300000; ++i) ASSERT_TRUE(same(std::uint32_t(random())));
}
