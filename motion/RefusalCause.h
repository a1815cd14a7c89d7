#pragma once

#include <string>

// Likely causes of a refusal, said after its reason so that the user sees why a file that looks
// right was refused. Each gives " (...)" to append, or nothing when no cause is recognised; none
// changes where or whether a file is refused.

// For a line that is not the keyword expected there: the keyword in other case ("Frame time:" for
// "Frame Time:", "channels" for "CHANNELS"). found: the line's text from its first character that is
// not blank, or a token of it; null when there was none.
std::string keywordCaseCause(const char* found, const char* keyword);

// For the first line when it is not "HIERARCHY": a UTF-8 byte-order mark or UTF-16 text before it,
// the keyword in other case, or, when there was no line at all (found is null), an empty file.
std::string firstLineCause(const char* found);

// For a joint that expected its CHANNELS line: its header was "End Site" in other case ("End site"),
// which reads as a joint's name, so the end site's block lacks the channels a joint needs.
std::string endSiteCaseCause(const char* keyword, const char* name);
