#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "RandomTokens.h"
#include "motion/BvhNumbers.h"
#include "motion/FrameScan.h"

namespace {

std::uint32_t bits(float f)
{
    std::uint32_t b;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

float reference(const std::string& token)
{
    return static_cast<float>(std::atof(token.c_str()));
}

float parsed(const std::string& token)
{
    return parseFloat(token.c_str(), token.c_str() + token.size());
}

// parseDecimal of one form on the text as a frame line holds it, followed by zeros within the window.
struct Decimal {
    int length;  // of the number read, or -1
    float value;
};

Decimal readDecimal(const FrameScanForm& form, const std::string& text)
{
    char window[2 * DECIMAL_WINDOW] = {};
    std::memcpy(window, text.data(), std::min(text.size(), sizeof window));
    float value = -99.0f;
    const char* end = form.parseDecimal(window, value);
    return {end == nullptr ? -1 : int(end - window), value};
}

}  // namespace

TEST(BvhNumbers, FloatsMatchAtofBitForBit)
{
    ASSERT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    std::mt19937 rng(20261208);
    for (int i = 0; i < 300000; ++i) {
        const std::string token = randomToken(rng);
        ASSERT_EQ(bits(parsed(token)), bits(reference(token))) << '"' << token << '"';
    }
}

TEST(BvhNumbers, IntegersFollowAtoiAndRefuseOutOfRange)
{
    const struct {
        const char* text;
        std::int32_t value;
    } accepted[] = {{"", 0}, {"42", 42}, {"+7", 7}, {"-0", 0}, {" \t\r12", 12}, {"12abc", 12}, {"0x10", 0},
                    {"2147483647", 2147483647}, {"-2147483648", INT32_MIN}, {"000000000000000000009", 9}};
    for (const auto& c : accepted) {
        std::int32_t value = -99;
        EXPECT_TRUE(parseInt32(c.text, value)) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
    for (const char* text : {"2147483648", "-2147483649", "4294967299", "99999999999999999999x"}) {
        std::int32_t value;
        EXPECT_FALSE(parseInt32(text, value)) << text;
    }
}

TEST(BvhNumbers, DecimalsConvertWhereTheyStandAndStopAtTheFirstOtherCharacter)
{
    const struct {
        const char* text;
        int length;  // of the number read, or -1 when the form is left to parseFloat
    } cases[] = {
        {"-12.345678 7", 10}, {"123.456789\n", 10}, {"0.000000\t", 8}, {"-0.000000", 9}, {"-0", 2}, {"5.", 2}, {".5", 2},
        {"-.5", 3}, {"42", 2}, {"1e5", 1}, {"0x10", 1}, {"1.5.5", 3}, {"1,5", 1}, {"7-3", 1}, {"12\r34", 2},
        {"0000.1234567890", 15},                        // leading zeros
        {"999999999999999", 15},                        // the largest number that fits
        {"-99999999999999 1", 15},                      // 15 characters with the sign
        {".12345678901234", 15},                        // a point first: the largest divisor, 10^16
        {"1234567890123456", -1},                       // 16 characters: no room for what follows
        {"-123456789012345", -1},
        {"", -1}, {"-", -1}, {".", -1}, {"-.", -1}, {"+5", -1}, {"inf", -1}, {"nan", -1}, {" 5", -1}, {"\t5", -1},
    };
    for (const FrameScanForm& form : FRAME_SCAN_FORMS) {
        SCOPED_TRACE(form.name);
        for (const auto& c : cases) {
            const Decimal read = readDecimal(form, c.text);
            if (c.length < 0) {
                EXPECT_EQ(read.length, -1) << c.text;
                EXPECT_EQ(read.value, -99.0f) << "nothing stored for " << c.text;
                continue;
            }
            ASSERT_EQ(read.length, c.length) << c.text;
            EXPECT_EQ(bits(read.value), bits(reference(std::string(c.text, size_t(c.length))))) << c.text;
        }
    }
}

TEST(BvhNumbers, DecimalsOfUpTo15CharactersMatchAtofBitForBit)
{
    std::mt19937_64 rng(77);
    int converted = 0;
    for (int i = 0; i < 300000; ++i) {
        const int count = 1 + int(rng() % 19);
        const int point = int(rng() % unsigned(count + 1));
        std::string token = rng() % 2 ? "-" : "";
        for (int d = 0; d < count; ++d) {
            if (d == point) token += '.';
            token += char('0' + rng() % 10);
        }
        for (const FrameScanForm& form : FRAME_SCAN_FORMS) {
            const Decimal read = readDecimal(form, token + " 1");
            if (token.size() >= DECIMAL_WINDOW) {
                ASSERT_EQ(read.length, -1) << form.name << ": " << token;  // left to the general path
                continue;
            }
            ASSERT_EQ(read.length, int(token.size())) << form.name << ": " << token;
            ASSERT_EQ(bits(read.value), bits(reference(token))) << form.name << ": " << token;
            ++converted;
        }
    }
    EXPECT_GT(converted, 200000 * int(std::size(FRAME_SCAN_FORMS)));
}

// Points halfway between two floats, written with 12 to 17 significant digits, so most are a hair
// off: where a conversion that is off by one unit in double precision would round to the other float.
// Up to 14 digits they fit the fast path; all of them go through parseFloat.
TEST(BvhNumbers, DecimalsNextToHalfwayBetweenFloatsRoundLikeAtof)
{
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> magnitude(1.0f, 1e9f);
    int fast = 0;
    for (int i = 0; i < 100000; ++i) {
        const float f = magnitude(rng);
        const double halfway = (double(f) + double(std::nextafter(f, 2e9f))) / 2;
        for (int digits = 12; digits <= 17; ++digits) {
            char token[64];
            std::snprintf(token, sizeof token, "%.*g", digits, halfway);
            ASSERT_EQ(bits(parsed(token)), bits(reference(token))) << token;
            for (const FrameScanForm& form : FRAME_SCAN_FORMS) {
                const Decimal read = readDecimal(form, token);
                if (read.length != int(std::strlen(token))) continue;  // too long for the fast path
                ASSERT_EQ(bits(read.value), bits(reference(token))) << form.name << ": " << token;
                ++fast;
            }
        }
    }
    EXPECT_GT(fast, 250000 * int(std::size(FRAME_SCAN_FORMS)));
}

// Every form finds the same blanks as a byte-by-byte look, in blocks of every mix of bytes.
TEST(BvhNumbers, BlanksAreFoundAlikeByEveryForm)
{
    std::mt19937 rng(3);
    const char bytes[] = {' ', '\t', '\n', '\r', '\0', '1', '-', '.', 'e', char(' ' + 128), char('\t' + 128)};
    for (int i = 0; i < 20000; ++i) {
        char block[SCAN_BLOCK];
        std::uint64_t expected = 0;
        for (size_t b = 0; b < SCAN_BLOCK; ++b) {
            block[b] = bytes[rng() % sizeof bytes];
            if (block[b] == ' ' || block[b] == '\t') expected |= std::uint64_t{1} << b;
        }
        for (const FrameScanForm& form : FRAME_SCAN_FORMS) ASSERT_EQ(form.blanksIn(block), expected) << form.name;
    }
}
