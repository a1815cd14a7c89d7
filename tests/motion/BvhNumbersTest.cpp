#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "motion/BvhNumbers.h"

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

// Tokens of every shape a BVH exporter or a hostile file may write.
std::string randomToken(std::mt19937& rng)
{
    const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const auto digits = [&](int n) {
        std::string d;
        for (int i = 0; i < n; ++i) d += static_cast<char>('0' + pick(10));
        return d;
    };
    static const char* const specials[] = {"inf", "-inf", "INF", "infinity", "nan", "-nan", "nan(123)", "NaN",
                                           "0x10", "-0x1p3", "0X1.8p1", "+5", "+-5", "-", ".", "e5", "-.e1",
                                           "\r1", "\v2.5", "1e", "1e+", "1.5e-", "0x", "1,5", "١", ""};
    std::string token;
    switch (pick(6)) {
    case 0: return specials[pick(sizeof specials / sizeof *specials)];
    case 1: token = digits(1 + pick(3)) + "." + digits(6); break;  // the usual exporter form
    case 2: token = digits(pick(25)) + (pick(2) ? "." : "") + digits(pick(25)); break;
    case 3: token = digits(1 + pick(3)) + "." + digits(pick(8)) + (pick(2) ? "e" : "E") +
                    (pick(3) == 0 ? "-" : pick(2) ? "+" : "") + digits(1 + pick(3));
        break;
    case 4: token = "0.000" + digits(pick(40)) + "e-3" + digits(1); break;  // subnormal and underflow
    default: token = digits(1 + pick(5)) + std::string(1, "x.-+e "[pick(6)]) + digits(pick(4)); break;
    }
    if (pick(3) == 0) token.insert(token.begin(), '-');
    if (pick(5) == 0) token += "abc";
    return token;
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
        {"-12.345678 7", 10}, {"123.456789\n", 10}, {"0.000000\t", 8}, {"-0.000000", 9}, {"5.", 2}, {".5", 2},
        {"-.5", 3}, {"42", 2}, {"1e5", 1}, {"0x10", 1}, {"1.5.5", 3}, {"1,5", 1},
        {"9007199254740992", 16},                       // 2^53: still exact as a double
        {"9007199254740993", -1},                       // one more is not
        {"0000.123456789012345", 20},                   // 19 digits
        {"0000.1234567890123456", -1},                  // 20
        {"0.000000000000000001", 20},                   // the smallest power of ten on the fast path
        {"", -1}, {"-", -1}, {".", -1}, {"-.", -1}, {"+5", -1}, {"inf", -1}, {"nan", -1}, {" 5", -1},
    };
    for (const auto& c : cases) {
        float value = -99.0f;
        const char* end = parseDecimal(c.text, value);
        if (c.length < 0) {
            EXPECT_EQ(end, nullptr) << c.text;
            EXPECT_EQ(value, -99.0f) << "nothing stored for " << c.text;
            continue;
        }
        ASSERT_EQ(end, c.text + c.length) << c.text;
        EXPECT_EQ(bits(value), bits(reference(std::string(c.text, size_t(c.length))))) << c.text;
    }
}

TEST(BvhNumbers, DecimalsOfUpTo19DigitsMatchAtofBitForBit)
{
    std::mt19937_64 rng(77);
    for (int i = 0; i < 300000; ++i) {
        const int count = 1 + int(rng() % 19);
        const int point = int(rng() % unsigned(count + 1));
        std::string token = rng() % 2 ? "-" : "";
        for (int d = 0; d < count; ++d) {
            if (d == point) token += '.';
            token += char('0' + rng() % 10);
        }
        float value;
        const char* end = parseDecimal(token.c_str(), value);
        if (end == nullptr) continue;  // above 2^53: left to the general path
        ASSERT_EQ(end, token.c_str() + token.size()) << token;
        ASSERT_EQ(bits(value), bits(reference(token))) << token;
    }
}

// Points halfway between two floats, written with 15 to 17 significant digits, so most are a hair
// off: where a conversion that is off by one unit in double precision would round to the other float.
TEST(BvhNumbers, DecimalsNextToHalfwayBetweenFloatsRoundLikeAtof)
{
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> magnitude(1.0f, 1e9f);
    int checked = 0;
    for (int i = 0; i < 100000; ++i) {
        const float f = magnitude(rng);
        const double halfway = (double(f) + double(std::nextafter(f, 2e9f))) / 2;
        for (int digits = 15; digits <= 17; ++digits) {
            char token[64];
            std::snprintf(token, sizeof token, "%.*g", digits, halfway);
            float value;
            if (parseDecimal(token, value) != token + std::strlen(token)) continue;  // exponent form, or too long
            ASSERT_EQ(bits(value), bits(reference(token))) << token;
            ++checked;
        }
    }
    EXPECT_GT(checked, 200000);
}
