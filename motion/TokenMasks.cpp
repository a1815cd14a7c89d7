#include "motion/TokenMasks.h"

#include <bit>
#include <cstring>

#include "motion/FrameScan.h"  // the one choice of the SSE2 forms, which brings in their header

namespace {

static_assert(std::endian::native == std::endian::little, "byte i of a word is its bits 8i..8i+7");

constexpr std::uint64_t ONES = 0x0101010101010101;
constexpr std::uint64_t HIGH = 0x8080808080808080;
constexpr std::uint64_t LOW7 = 0x7F7F7F7F7F7F7F7F;

// The high bit of each byte of the result set where that byte of y is not 0. Exact: the sum of two
// 7-bit parts never carries into the next byte.
std::uint64_t nonZeroBytes(std::uint64_t y)
{
    return (((y & LOW7) + LOW7) | y) & HIGH;
}

std::uint64_t bytesEqual(std::uint64_t word, unsigned char c)
{
    return ~nonZeroBytes(word ^ (ONES * c)) & HIGH;
}

// '0'..'9' are exactly the bytes that become 0..9 when xored with '0'; of those, adding 118 to the
// low seven bits leaves the high bit clear.
std::uint64_t digitBytes(std::uint64_t word)
{
    const std::uint64_t t = word ^ (ONES * '0');
    return ~(((t & LOW7) + ONES * 118) | t) & HIGH;
}

// The high bits of the eight bytes as eight bits, byte 0 lowest: each lands on its own bit of the top
// byte of the product, and no two partial products share a bit.
std::uint64_t gather(std::uint64_t high)
{
    return ((high >> 7) * 0x0102040810204080) >> 56;
}

}  // namespace

TokenMasks portableTokenMasks(const char* block)
{
    TokenMasks masks{};
    for (int i = 0; i < 8; ++i) {
        std::uint64_t word;
        std::memcpy(&word, block + 8 * i, sizeof word);
        const int shift = 8 * i;
        masks.blank |= gather(bytesEqual(word, ' ') | bytesEqual(word, '\t')) << shift;
        masks.digit |= gather(digitBytes(word)) << shift;
        masks.point |= gather(bytesEqual(word, '.')) << shift;
        masks.minus |= gather(bytesEqual(word, '-')) << shift;
    }
    return masks;
}

#if VEXO_FRAME_SCAN_SSE2
TokenMasks tokenMasks(const char* block)
{
    const auto maskOf = [](__m128i equal) { return std::uint64_t(unsigned(_mm_movemask_epi8(equal))); };
    TokenMasks masks{};
    for (int i = 0; i < 4; ++i) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * i));
        // Digits are the bytes that stay at most 9 after subtracting '0' (unsigned).
        const __m128i fromZero = _mm_sub_epi8(bytes, _mm_set1_epi8('0'));
        const __m128i digit = _mm_cmpeq_epi8(_mm_min_epu8(fromZero, _mm_set1_epi8(9)), fromZero);
        const __m128i blank = _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(' ')), _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\t')));
        const int shift = 16 * i;
        masks.blank |= maskOf(blank) << shift;
        masks.digit |= maskOf(digit) << shift;
        masks.point |= maskOf(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('.'))) << shift;
        masks.minus |= maskOf(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('-'))) << shift;
    }
    return masks;
}
#else
TokenMasks tokenMasks(const char* block)
{
    return portableTokenMasks(block);
}
#endif
