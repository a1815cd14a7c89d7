#pragma once

// Conversions at the operating-system boundary (platform-internal). Linux names are byte strings
// that need not be UTF-8: an undecodable byte b maps to the lone surrogate U+DC00 + b and back, so
// every name round-trips exactly.

#include <string>
#include <string_view>

std::u16string utf8ToUtf16(std::string_view bytes);
std::string utf16ToUtf8(std::u16string_view text);
