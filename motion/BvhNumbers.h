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
// stores nothing. No byte at or past end is read: the number ends there at the latest. It equals a
// token that ends where it ends.
const char* parseDecimal(const char* text, const char* end, float& value);

// (float)atof of the token [text, end); *end must be NUL. Plain decimal forms take a fast path that
// gives bit-identical results; every other form (hex, inf, nan, '+', overflow...) goes to strtod.
float parseFloat(const char* text, const char* end);
