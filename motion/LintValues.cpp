#include "motion/LintValues.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "motion/BvhNumbers.h"

namespace {

constexpr size_t QUOTED_BYTES = 60;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// How many bytes of the token strtod reads as a number, as the reader's conversion does.
size_t numberLength(std::string_view token)
{
    const std::string copy(token);  // NUL-terminated
    char* stop;
    classicStrtod(copy.c_str(), &stop);
    return size_t(stop - copy.c_str());
}

// "nan", "inf" or "infinity" in any case, signed or not, as strtod reads them.
bool writtenNonFinite(std::string_view token)
{
    if (!token.empty() && (token[0] == '-' || token[0] == '+')) token.remove_prefix(1);
    return !token.empty() && std::strchr("iInN", token[0]) != nullptr && numberLength(token) > 0;
}

// Why a token whose number ends after `length` bytes is probably not what its author meant.
std::string partialHint(std::string_view token, size_t length)
{
    const std::string_view rest = token.substr(length);
    if (length == 0) return "no number at all";
    if (rest[0] == ',' && rest.size() > 1 && isDigit(rest[1])) return "a decimal comma?";
    if (numberLength(rest) > 0) return "numbers run together?";
    return "text after the number";
}

}  // namespace

std::string_view lineText(const TextLine& line)
{
    const std::string_view text(line.begin, line.length());
    return text.substr(0, text.find('\0'));
}

std::string quoted(std::string_view text)
{
    std::string quote = "\"";
    quote += text.substr(0, QUOTED_BYTES);
    return quote += text.size() > QUOTED_BYTES ? "...\"" : "\"";
}

std::string numberText(float value)
{
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

int valueFindings(std::string_view token, float stored, LintCode codes[2])
{
    int count = 0;
    if (token.empty() || numberLength(token) != token.size()) codes[count++] = PARTIAL_NUMBER;
    if (!std::isfinite(stored)) codes[count++] = writtenNonFinite(token) ? NON_FINITE : OUT_OF_RANGE;
    return count;
}

std::string valueMessage(LintCode code, const std::string& place, std::string_view token, float stored)
{
    const std::string readAs = ": read as " + numberText(stored);
    if (code == PARTIAL_NUMBER && token.empty()) return place + " is missing" + readAs;
    if (code == PARTIAL_NUMBER) {
        return place + ", " + quoted(token) + ", is not wholly a number (" + partialHint(token, numberLength(token)) + ")" +
               readAs;
    }
    if (code == NON_FINITE) return place + " is " + quoted(token) + ", not a finite number" + readAs;
    return place + ", " + quoted(token) + ", is beyond the range of a float" + readAs;
}

void lookAtValue(Findings& found, std::string_view token, float stored, std::int64_t line, const std::string& place)
{
    LintCode codes[2];
    const int count = valueFindings(token, stored, codes);
    for (int i = 0; i < count; ++i) {
        note(found, codes[i], line, [&] { return valueMessage(codes[i], place, token, stored); });
    }
}
