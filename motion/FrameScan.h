#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

// The two inner loops of reading frame lines, which see every byte and convert every value: finding
// where tokens start, and converting a plain decimal number. Each has a portable scalar form, which
// builds for any processor, and an SSE2 form for x86-64; the one a build uses is chosen at the end of
// this file, and nowhere else. Both forms give the same results for every input (the tests compare
// each with (float)atof).
//
// Both read a fixed number of bytes from where they start, whatever those bytes hold: the caller
// makes sure that many are readable (see parseFrameLine).

// Bytes parseDecimal reads from where a number starts: the number and the character after it.
constexpr size_t DECIMAL_WINDOW = 16;
// Bytes blanksIn reads: one block of text.
constexpr size_t SCAN_BLOCK = 64;

// The blanks that separate values (and words of the header): spaces and tabs.
inline bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

namespace decimal {

// 10^e for e from 0 to 16, all exact as doubles; the second row negated, to carry a number's sign.
inline constexpr double SIGNED_POWERS_OF_TEN[2][17] = {
    {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16},
    {-1e0, -1e1, -1e2, -1e3, -1e4, -1e5, -1e6, -1e7, -1e8, -1e9, -1e10, -1e11, -1e12, -1e13, -1e14, -1e15, -1e16}};

}  // namespace decimal

// What both forms do:
//
// parseDecimal(text, value): (float)atof of a number written the way exporters write them: an
// optional '-', then digits with at most one point among them, at least one digit, ending within the
// DECIMAL_WINDOW bytes at text. Returns the address of the character after the number (neither a
// digit nor, after a point, a first point) and stores the value; for any other form, or a number of
// DECIMAL_WINDOW characters or more, it returns null and stores nothing. The caller decides whether
// the character after the number ends the token.
//
// Exact: the number's digits M (15 at most) form an exact double, and so does the power of ten that
// divides them (at most 10^16); the one division rounds once, to the nearest double, exactly as strtod
// does, and the cast to float then matches (float)atof. The sign rides on the divisor, which keeps
// "-0" negative.
//
// blanksIn(block): bit i set where block[i] is a space or a tab, for i below SCAN_BLOCK.

// ===== The portable form =====

namespace scalar {

inline const char* parseDecimal(const char* text, float& value)
{
    const unsigned negative = text[0] == '-';
    std::int64_t digits = 0;
    size_t end = negative;
    size_t point = 0;  // where the point is, when there is one
    bool pointSeen = false;
    for (; end < DECIMAL_WINDOW; ++end) {
        const char c = text[end];
        if (c >= '0' && c <= '9') {
            digits = digits * 10 + (c - '0');
        } else if (c == '.' && !pointSeen) {
            pointSeen = true;
            point = end;
        } else {
            break;
        }
    }
    if (end >= DECIMAL_WINDOW || end == negative + pointSeen) return nullptr;  // too long, or no digit
    const size_t fractionDigits = pointSeen ? end - point - 1 : 0;
    value = static_cast<float>(static_cast<double>(digits) / decimal::SIGNED_POWERS_OF_TEN[negative][fractionDigits]);
    return text + end;
}

inline std::uint64_t blanksIn(const char* block)
{
    std::uint64_t blanks = 0;
    for (size_t i = 0; i < SCAN_BLOCK; ++i) blanks |= std::uint64_t{block[i] == ' ' || block[i] == '\t'} << i;
    return blanks;
}

}  // namespace scalar

// ===== The SSE2 form, which every x86-64 processor has =====

// Whether the SSE2 forms are built: the one test for it, which the lint pass's token masks
// (TokenMasks.cpp) follow too.
#if defined(__x86_64__) || defined(_M_X64)
#define VEXO_FRAME_SCAN_SSE2 1
#endif

#if VEXO_FRAME_SCAN_SSE2
#include <emmintrin.h>

namespace sse2 {

// Bytes 0..15 of RAMP + 16 - n: 0xFF in the first n, 0 in the rest (n from 0 to 16).
alignas(16) inline constexpr unsigned char RAMP[32] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                       0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
inline __m128i firstBytes(unsigned n)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(RAMP + 16 - n));
}

// Branch-free but for the one decision whether the form fits, whatever the lengths of the number's
// parts, so that numbers of varied lengths cost no mispredicted branches.
inline const char* parseDecimal(const char* text, float& value)
{
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
    // scaled is M * 10^z with n + z <= 16 for the n digits of M: apart from its factor 2^z it is
    // M * 5^z < 10^n * 5^z <= 2^15 * 5^16 < 2^53, an exact double. The number is scaled / 10^(16 - units).
    const auto scaled = static_cast<std::int64_t>((both & 0xFFFFFFFF) * 100000000 + (both >> 32));
    value = static_cast<float>(static_cast<double>(scaled) / decimal::SIGNED_POWERS_OF_TEN[negative][16 - units]);
    return text + end;
}

inline std::uint64_t blanksIn(const char* block)
{
    std::uint64_t blanks = 0;
    for (size_t i = 0; i < SCAN_BLOCK; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + i));
        const __m128i blank = _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(' ')), _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\t')));
        blanks |= std::uint64_t(unsigned(_mm_movemask_epi8(blank))) << i;
    }
    return blanks;
}

}  // namespace sse2
#endif

// ===== The choice =====

// Every form this build has, for the tests that hold each to the same results.
struct FrameScanForm {
    const char* name;
    const char* (*parseDecimal)(const char* text, float& value);
    std::uint64_t (*blanksIn)(const char* block);
};

#if VEXO_FRAME_SCAN_SSE2
namespace frameScan = sse2;
inline constexpr FrameScanForm FRAME_SCAN_FORMS[] = {{"scalar", scalar::parseDecimal, scalar::blanksIn},
                                                     {"sse2", sse2::parseDecimal, sse2::blanksIn}};
#else
namespace frameScan = scalar;
inline constexpr FrameScanForm FRAME_SCAN_FORMS[] = {{"scalar", scalar::parseDecimal, scalar::blanksIn}};
#endif

using frameScan::blanksIn;
using frameScan::parseDecimal;
