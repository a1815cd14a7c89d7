#include "commands/FloatText.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>

namespace {

__extension__ typedef unsigned __int128 Wide;

constexpr std::uint32_t MAX_DIGITS = 1000000000;  // 10^9: nine digits are below it

// value * 10^k is exact below 2^128 for k up to 27 (m * 5^k below 2^88), and below 2^64 for k up
// to 17, which covers the usual magnitudes from about 10^-9 to 10^9.
constexpr int MAX_SCALE = 27;
constexpr int MAX_NARROW_SCALE = 17;

// Powers of five up to 5^27 and of ten up to 10^30 (a float is below 10^39).
template <typename T, int COUNT>
struct Powers {
    T of[COUNT];
    constexpr explicit Powers(T base) : of{}
    {
        of[0] = 1;
        for (int k = 1; k < COUNT; ++k) of[k] = of[k - 1] * base;
    }
};
constexpr Powers<std::uint64_t, MAX_SCALE + 1> POWERS_OF_5(5);
constexpr Powers<Wide, 31> POWERS_OF_10(10);

// What was dropped below the last digit kept, which is all that rounding to nearest, ties to even,
// needs to know.
enum class Rest { None, BelowHalf, Half, AboveHalf };

// A dropped part against the half of the unit it is a part of: the count of the marks it reaches,
// in the order of Rest.
template <typename T>
Rest restOf(T part, T half)
{
    return Rest(int(part != 0) + int(part >= half) + int(part > half));
}

// floor(value * 10^k) and the rest.
struct Scaled {
    std::uint64_t digits;
    Rest rest;

    // The same scaled by a tenth: the digit dropped joins the rest, in twentieths of the new unit
    // (the old rest only tells whether anything follows the digit).
    Scaled tenth() const
    {
        return {digits / 10, restOf(2 * (digits % 10) + (rest != Rest::None), std::uint64_t{10})};
    }
    std::uint64_t rounded() const
    {
        return digits + (rest == Rest::AboveHalf || (rest == Rest::Half && (digits & 1) != 0));
    }
};

// product * 2^shift, exactly.
template <typename T>
Scaled shifted(T product, int shift)
{
    if (shift >= 0) return {std::uint64_t(product << shift), Rest::None};
    const T digits = product >> -shift;
    return {std::uint64_t(digits), restOf(product - (digits << -shift), T{1} << (-shift - 1))};
}

// value = m * 2^e; k from -30 to 27.
Scaled scale(std::uint32_t m, int e, int k)
{
    if (k < 0) {  // value >= 10^9 is an integer: divide it by 10^-k
        const Wide value = Wide{m} << e;
        const Wide divisor = POWERS_OF_10.of[-k];
        const Wide digits = value / divisor;
        return {std::uint64_t(digits), restOf(2 * (value - digits * divisor), divisor)};
    }
    // value * 10^k = m * 5^k * 2^(e + k)
    if (k <= MAX_NARROW_SCALE) return shifted(std::uint64_t{m} * POWERS_OF_5.of[k], e + k);
    return shifted(Wide{m} * POWERS_OF_5.of[k], e + k);
}

// "00" to "99", two characters each.
constexpr struct DigitPairs {
    std::uint16_t of[100];
    constexpr DigitPairs() : of{}
    {
        for (int i = 0; i < 100; ++i) of[i] = std::uint16_t(('0' + i / 10) | ('0' + i % 10) << 8);
    }
} DIGIT_PAIRS;

// The eight decimal digits of value (below 10^8) as characters, the first in the lowest byte, so
// that storing the word writes them in reading order.
std::uint64_t eightDigits(std::uint32_t value)
{
    const std::uint32_t high = value / 10000, low = value % 10000;
    return std::uint64_t{DIGIT_PAIRS.of[high / 100]} | std::uint64_t{DIGIT_PAIRS.of[high % 100]} << 16 |
           std::uint64_t{DIGIT_PAIRS.of[low / 100]} << 32 | std::uint64_t{DIGIT_PAIRS.of[low % 100]} << 48;
}

void store(char* out, std::uint64_t word)
{
    std::memcpy(out, &word, 8);
}

constexpr std::uint64_t ZEROS = 0x3030303030303030u;  // "00000000"

// Nine digits d0.d1...d8 times 10^exponent laid out as %g does; returns the end.
char* layOut(char* out, std::uint32_t digits, int exponent)
{
    const char first = char('0' + digits / 100000000);
    const std::uint64_t restText = eightDigits(digits % 100000000);  // d1...d8, d8 in the top byte
    const std::uint64_t rest = restText ^ ZEROS;                      // the digits' values
    const int count = 9 - std::countl_zero(rest) / 8;                 // %g drops trailing zeros

    if (exponent < -4 || exponent > 8) {
        out[0] = first;
        out[1] = '.';
        store(out + 2, restText);
        char* end = out + (count > 1 ? count + 1 : 1);
        const int magnitude = exponent < 0 ? -exponent : exponent;  // below 100 for a float
        end[0] = 'e';
        end[1] = exponent < 0 ? '-' : '+';
        end[2] = char('0' + magnitude / 10);
        end[3] = char('0' + magnitude % 10);
        return end + 4;
    }
    if (exponent < 0) {  // 0.000ddd
        std::memcpy(out, "0.000000", 8);
        out[1 - exponent] = first;
        store(out + 2 - exponent, restText);
        return out + 1 - exponent + count;
    }
    // Written whole, point and all, then cut: the length alone says whether a fraction is left.
    const int whole = exponent + 1;  // digits before the point
    out[0] = first;
    store(out + 1, restText);
    out[whole] = '.';
    store(out + whole + 1, restText >> (8 * std::min(whole - 1, 7)));
    return out + (count > whole ? count + 1 : whole);
}

}  // namespace

char* writeFloatText(char* out, float value)
{
    const auto bits = std::bit_cast<std::uint32_t>(value);
    const bool negative = (bits >> 31) != 0;
    const std::uint32_t biased = (bits >> 23) & 0xff;
    const std::uint32_t fraction = bits & 0x7fffff;
    *out = '-';
    out += negative;
    if (biased == 0xff) {
        std::memcpy(out, fraction != 0 ? "nan" : "inf", 3);
        return out + 3;
    }
    if (biased == 0 && fraction == 0) {
        *out++ = '0';
        return out;
    }
    // value = m * 2^e exactly, with 2^top <= value < 2^(top + 1).
    const std::uint32_t m = biased != 0 ? fraction | 0x800000 : fraction;
    const int e = int(biased != 0 ? biased : 1) - 150;
    const int top = e + std::bit_width(m) - 1;
    // The decimal exponent is floor(top * log10(2)) or one more.
    int exponent = (top * 78913) >> 18;
    if (8 - exponent > MAX_SCALE) {  // below 10^-19: rare enough for the library's exact conversion
        const float magnitude = negative ? -value : value;
        return std::to_chars(out, out + FLOAT_TEXT_MAX, double(magnitude), std::chars_format::general, 9).ptr;
    }
    Scaled scaled = scale(m, e, 8 - exponent);
    if (scaled.digits >= MAX_DIGITS) {  // ten digits: the value reaches the next power of ten
        scaled = scaled.tenth();
        ++exponent;
    }
    auto digits = std::uint32_t(scaled.rounded());
    const bool carried = digits == MAX_DIGITS;  // 9.999999996 rounds up to 10.0000000
    return layOut(out, carried ? MAX_DIGITS / 10 : digits, exponent + carried);
}
