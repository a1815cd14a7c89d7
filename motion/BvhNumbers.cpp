#include "motion/BvhNumbers.h"

#include <charconv>
#include <clocale>
#include <cstring>

#include "motion/FrameScan.h"
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

float parseFloat(const char* text, const char* end)
{
    // A short token takes the fast path from a copy, which may be read past the token's end.
    if (const auto length = static_cast<size_t>(end - text); length < DECIMAL_WINDOW) {
        char window[DECIMAL_WINDOW] = {};
        std::memcpy(window, text, length);
        if (float quick = 0; parseDecimal(window, quick) == window + length) return quick;
    }
    if (isPlainDecimal(text)) {
        double value;
        const auto result = std::from_chars(text, end, value);
        if (result.ec == std::errc()) return static_cast<float>(value);
    }
    return static_cast<float>(classicStrtod(text, nullptr));
}

double classicStrtod(const char* text, char** end)
{
    return _strtod_l(text, end, classicLocale());
}
