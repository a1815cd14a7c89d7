#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#include <emmintrin.h>  // SSE2, which every x86-64 processor has

// Number conversion with the semantics of atoi and (float)atof in the classic "C" locale: leading
// white space skipped, conversion stopping at the first character that does not fit, an empty
// token giving 0.

// atoi, but refusing (false) a value outside the signed 32-bit range instead of wrapping it.
bool parseInt32(const char* text, std::int32_t& value);

// Bytes parseDecimal reads from where a number starts: the number and the character after it.
constexpr size_t DECIMAL_WINDOW = 16;

namespace decimal {

// Bytes 0..15 of RAMP + 16 - n: 0xFF in the first n, 0 in the rest (n from 0 to 16).
alignas(16) inline constexpr unsigned char RAMP[32] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                       0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
inline __m128i firstBytes(unsigned n)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(RAMP + 16 - n));
}

// 10^e for e from 0 to 16, all exact as doubles; the second row negated, to carry a number's sign.
inline constexpr double SIGNED_POWERS_OF_TEN[2][17] = {
    {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16},
    {-1e0, -1e1, -1e2, -1e3, -1e4, -1e5, -1e6, -1e7, -1e8, -1e9, -1e10, -1e11, -1e12, -1e13, -1e14, -1e15, -1e16}};

}  // namespace decimal

// (float)atof of a number written the way exporters write them: an optional '-', then digits with
// at most one point among them, at least one digit, ending within the DECIMAL_WINDOW bytes at text
// (all of which must be readable). Returns the address of the character after the number, which is
// neither a digit nor a second point, and stores the value; for any other form it returns null and
// stores nothing. The caller decides whether that character ends the token. Branch-free but for
// that one decision, whatever the lengths of the number's parts: it converts every value of every
// frame.
inline const char* parseDecimal(const char* text, float& value)
{
    using namespace decimal;
    // The window as digit values: '0'..'9' become 0..9, every other byte something larger.
    const __m128i window = _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text)), _mm_set1_epi8('0'));
    const auto digits = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(window, _mm_set1_epi8(9)), window)));
    const auto points = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(window, _mm_set1_epi8('.' - '0'))));
    const unsigned negative = text[0] == '-';
    // Bit i: text[i] is neither the sign nor a digit; bit 16, past the window, stops every count.
    const unsigned others = ~(digits | negative) | 1u << 16;
    const auto units = unsigned(std::countr_zero(others));  // just past the integer digits
    const unsigned point = (points >> units) & 1;
    const auto end = unsigned(std::countr_zero(others & ~(point << units)));  // just past the number
    if (end >= DECIMAL_WINDOW || end == negative + point) return nullptr;  // too long, or no digit
    // The digits after the point move down one byte, next to those before it; then the sign and all
    // past the last digit become 0.
    const __m128i joined = _mm_or_si128(_mm_and_si128(firstBytes(units), window),
                                        _mm_andnot_si128(firstBytes(units), _mm_srli_si128(window, 1)));
    const __m128i kept = _mm_andnot_si128(firstBytes(negative), _mm_and_si128(firstBytes(end - point), joined));
    // Each byte i weighs 10^(15 - i): pairs of digits, then fours, then two halves of eight.
    const __m128i zero = _mm_setzero_si128();
    const __m128i tensAndOnes = _mm_set1_epi32(10 | 1 << 16);
    const __m128i pairs = _mm_packs_epi32(_mm_madd_epi16(_mm_unpacklo_epi8(kept, zero), tensAndOnes),
                                          _mm_madd_epi16(_mm_unpackhi_epi8(kept, zero), tensAndOnes));
    const __m128i fours = _mm_madd_epi16(pairs, _mm_set1_epi32(100 | 1 << 16));
    const __m128i halves = _mm_madd_epi16(_mm_packs_epi32(fours, fours), _mm_set1_epi32(10000 | 1 << 16));
    const auto both = static_cast<std::uint64_t>(_mm_cvtsi128_si64(halves));
    const auto scaled = static_cast<std::int64_t>((both & 0xFFFFFFFF) * 100000000 + (both >> 32));
    // Exact: scaled is M * 10^z for the number's digits M (n <= 15 of them), with n + z <= 16. Apart
    // from its factor 2^z it is M * 5^z < 10^n * 5^z <= 2^15 * 5^16 < 2^53: an exact double. The
    // number is scaled / 10^(16 - units), and 10^16 is exact too, so the one division rounds once, to
    // the nearest double, exactly as strtod does; the cast to float then matches (float)atof. The
    // sign rides on the divisor, which keeps "-0" negative.
    value = static_cast<float>(static_cast<double>(scaled) / SIGNED_POWERS_OF_TEN[negative][16 - units]);
    return text + end;
}

// (float)atof of the token [text, end); *end must be NUL. Plain decimal forms take a fast path that
// gives bit-identical results; every other form (hex, inf, nan, '+', overflow...) goes to strtod.
float parseFloat(const char* text, const char* end);

// strtod in the classic "C" locale: the number at text, as long as strtod reads it, and in end where
// it stopped (text itself when there is no number).
double classicStrtod(const char* text, char** end);
