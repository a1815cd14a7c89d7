#pragma once

#include <cstdint>

// Where the blanks (space, tab), digits, points and minus signs of 64 bytes of text are: bit i of each
// mask for byte i. The lint pass finds and judges the numbers of frame lines a block at a time with
// them, rather than a byte and a branch at a time.
struct TokenMasks {
    std::uint64_t blank;
    std::uint64_t digit;
    std::uint64_t point;
    std::uint64_t minus;
};

// The masks of the 64 bytes at block, all of which must be readable: with SSE2 where the processor
// has it, else portableTokenMasks.
TokenMasks tokenMasks(const char* block);

// The same from 64-bit words alone, on any processor.
TokenMasks portableTokenMasks(const char* block);
