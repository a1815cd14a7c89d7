#include <gtest/gtest.h>

#include <clocale>
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
    if (pick(3) == 0) token.insert(0, "-");
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
