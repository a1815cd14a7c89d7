#include "motion/BvhNumbers.h"

#include <charconv>
#include <clocale>

#include "platform/win32.h"

namespace {

bool isCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

_locale_t classicLocale()
{
    static const _locale_t locale = _create_locale(LC_ALL, "C");
    return locale;
}

// Forms std::from_chars reads exactly as strtod does: an optional '-', then a digit or a point,
// but not a hexadecimal prefix.
bool isPlainDecimal(const char* p)
{
    if (*p == '-') ++p;
    if (*p == '.') return true;
    return isDigit(*p) && !(p[0] == '0' && (p[1] == 'x' || p[1] == 'X'));
}

}  // namespace

bool parseInt32(const char* text, std::int32_t& value)
{
    const char* p = text;
    while (isCSpace(*p)) ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    const std::int64_t limit = negative ? std::int64_t{2147483648} : std::int64_t{2147483647};
    std::int64_t magnitude = 0;
    for (; isDigit(*p); ++p) {
        magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > limit) return false;
    }
    value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    return true;
}

const char* parseDecimal(const char* text, const char* end, float& value)
{
    // Powers of ten up to 10^19: every one is exact as a double.
    static constexpr double POWERS_OF_TEN[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,
                                               1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19};
    const char* p = text;
    const bool negative = p < end && *p == '-';
    if (negative) ++p;
    std::uint64_t digits = 0;  // wraps past 19 digits; such numbers are refused below
    int count = 0;
    int fractionCount = 0;
    for (; p < end && isDigit(*p); ++p, ++count) digits = digits * 10 + std::uint64_t(*p - '0');
    if (p < end && *p == '.') {
        for (++p; p < end && isDigit(*p); ++p, ++count, ++fractionCount) digits = digits * 10 + std::uint64_t(*p - '0');
    }
    if (count == 0 || count > 19 || digits > (std::uint64_t{1} << 53)) return nullptr;
    // The digits and the power of ten are both exact doubles, so the division rounds once, to the
    // nearest double, exactly as strtod does; the cast to float then matches (float)atof.
    const double magnitude = double(digits) / POWERS_OF_TEN[fractionCount];
    value = static_cast<float>(negative ? -magnitude : magnitude);
    return p;
}

float parseFloat(const char* text, const char* end)
{
    if (float quick; parseDecimal(text, end, quick) == end) return quick;
    if (isPlainDecimal(text)) {
        double value;
        const auto result = std::from_chars(text, end, value);
        if (result.ec == std::errc()) return static_cast<float>(value);
    }
    return static_cast<float>(_strtod_l(text, nullptr, classicLocale()));
}
