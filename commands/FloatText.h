#pragma once

// The text printf("%.9g", value) writes for a float in the C locale, made without the C library:
// nine significant digits correctly rounded (ties to even) from the float's exact value, fixed
// notation for decimal exponents -4 to 8 and exponent notation otherwise, trailing zeros dropped,
// and "nan", "-nan", "inf", "-inf" as glibc spells them. The same bytes on every platform.

// The longest text ("-1.23456789e-38"), and the room writeFloatText needs at out: it stores whole
// blocks, so bytes past the text's end may change.
constexpr int FLOAT_TEXT_MAX = 15;
constexpr int FLOAT_TEXT_ROOM = 24;

// Writes the text at out, without a terminator, and returns its end.
char* writeFloatText(char* out, float value);
