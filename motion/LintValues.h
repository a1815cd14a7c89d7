#pragma once

#include <string>
#include <string_view>

#include "motion/FrameScan.h"
#include "motion/LineReader.h"
#include "motion/LintFindings.h"

// How the lint pass judges the values of a file and words them in its messages. Internal to BvhLint.

// A line's text as the reader takes it: up to its first NUL.
std::string_view lineText(const TextLine& line);

// Text for messages: in quotes, cut after a few dozen bytes; a float as its shortest text that
// reads back the same ("1", "0.0333", "-inf", "nan"), the same on every platform.
std::string quoted(std::string_view text);
std::string numberText(float value);

// What a value token found beyond a plain number makes, given the value the reader stored for it:
// PARTIAL_NUMBER when the number is not all of the token, NON_FINITE when the value is not finite
// because it was written so ("nan", "-inf"), OUT_OF_RANGE when it is beyond the range of a float.
// Returns how many codes it stored.
int valueFindings(std::string_view token, float stored, LintCode codes[2]);

// The message of one of those findings; place names the value ("value 7 of frame 3").
std::string valueMessage(LintCode code, const std::string& place, std::string_view token, float stored);

// Notes the findings of a value token of the header on that line.
void lookAtValue(Findings& found, std::string_view token, float stored, std::int64_t line, const std::string& place);
