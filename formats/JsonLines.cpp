#include "formats/JsonLines.h"

namespace {

bool isHighSurrogate(WCHAR unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(WCHAR unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Whether the text is well-formed UTF-16: every surrogate in a pair.
bool wellFormed(LPCWSTR text)
{
    for (; *text != 0; ++text) {
        if (isHighSurrogate(text[0]) && isLowSurrogate(text[1])) ++text;
        else if (isHighSurrogate(text[0]) || isLowSurrogate(text[0])) return false;
    }
    return true;
}

}  // namespace

std::string jsonLine(const JsonRecord& record)
{
    return record.dump(-1, ' ', false, JsonRecord::error_handler_t::replace) + '\n';
}

void setPath(JsonRecord& record, const std::string& key, LPCWSTR path, const std::string& bytes)
{
    record[key] = bytes;
    if (wellFormed(path)) return;
    JsonRecord& units = record[key + "_utf16"] = JsonRecord::array();
    for (LPCWSTR unit = path; *unit != 0; ++unit) units.push_back(std::uint64_t(*unit));
}
