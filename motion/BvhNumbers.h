#pragma once

#include <cstddef>
#include <cstdint>

// Number conversion with the semantics of atoi and (float)atof in the classic "C" locale: leading
// white space skipped, conversion stopping at the first character that does not fit, an empty
// token giving 0.

// atoi, but refusing (false) a value outside the signed 32-bit range instead of wrapping it.
bool parseInt32(const char* text, std::int32_t& value);

// (float)atof of the number the way exporters write it: an optional '-', then digits with an optional
// point, 19 digits at most, the integer they form at most 2^53. Returns the address just past the
// number and stores its value; when the text does not start with that form it returns null and
// stores nothing. The number ends at the first character that is neither a digit nor its point, which
// must be there (a blank, a line end, a NUL). It equals a token that ends where it ends. Inline: it
// converts every value of every frame.
inline const char* parseDecimal(const char* text, float& value)
{
    // Powers of ten up to 10^19: every one is exact as a double.
    static constexpr double POWERS_OF_TEN[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,
                                               1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19};
    const auto isDigit = [](char c) { return unsigned(c - '0') <= 9; };
    const char* p = text;
    const bool negative = *p == '-';
    p += negative;
    std::uint64_t digits = 0;  // wraps past 19 digits; such numbers are refused below
    const char* const first = p;
    for (; isDigit(*p); ++p) digits = digits * 10 + std::uint64_t(*p - '0');
    const char* const point = p;
    if (*p == '.') {
        for (++p; isDigit(*p); ++p) digits = digits * 10 + std::uint64_t(*p - '0');
    }
    const long fractionCount = p == point ? 0 : p - point - 1;
    const long count = (point - first) + fractionCount;
    if (count == 0 || count > 19 || digits > (std::uint64_t{1} << 53)) return nullptr;
    // The digits and the power of ten are both exact doubles, so the division rounds once, to the
    // nearest double, exactly as strtod does; the cast to float then matches (float)atof.
    const double magnitude = double(std::int64_t(digits)) / POWERS_OF_TEN[fractionCount];
    value = static_cast<float>(negative ? -magnitude : magnitude);
    return p;
}

// (float)atof of the token [text, end); *end must be NUL. Plain decimal forms take a fast path that
// gives bit-identical results; every other form (hex, inf, nan, '+', overflow...) goes to strtod.
float parseFloat(const char* text, const char* end);
