#pragma once

#include <cstddef>
#include <cstdint>

// Number conversion with the semantics of atoi and (float)atof in the classic "C" locale: leading
// white space skipped, conversion stopping at the first character that does not fit, an empty
// token giving 0.

// atoi, but refusing (false) a value outside the signed 32-bit range instead of wrapping it.
bool parseInt32(const char* text, std::int32_t& value);

// (float)atof of the token [text, end); *end must be NUL. Plain decimal forms take a fast path that
// gives bit-identical results; every other form (hex, inf, nan, '+', overflow...) goes to strtod.
float parseFloat(const char* text, const char* end);

// strtod in the classic "C" locale: the number at text, as long as strtod reads it, and in end where
// it stopped (text itself when there is no number).
double classicStrtod(const char* text, char** end);
