#pragma once

#include <random>
#include <string>

// Tokens of every shape a BVH exporter or a hostile file may write.
inline std::string randomToken(std::mt19937& rng)
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
