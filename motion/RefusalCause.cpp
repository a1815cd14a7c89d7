#include "motion/RefusalCause.h"

#include <cstring>

namespace {

char lowerCase(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool isLetter(char c)
{
    return lowerCase(c) >= 'a' && lowerCase(c) <= 'z';
}

// Whether text begins with the keyword in any case, as a word of its own: "Motion" for "MOTION",
// but not "Motions".
bool beginsIgnoringCase(const char* text, const char* keyword)
{
    const size_t length = std::strlen(keyword);
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == '\0' || lowerCase(text[i]) != lowerCase(keyword[i])) return false;
    }
    return !isLetter(text[length]);
}

}  // namespace

std::string keywordCaseCause(const char* found, const char* keyword)
{
    const size_t length = std::strlen(keyword);
    // "ROOT:" begins with the keyword as written: refused for what follows it, not for its case.
    if (found == nullptr || !beginsIgnoringCase(found, keyword) || std::strncmp(found, keyword, length) == 0) return {};
    return " (found \"" + std::string(found, length) + "\": keywords are case-sensitive)";
}

std::string firstLineCause(const char* found)
{
    if (found == nullptr) return " (the file is empty)";
    if (std::strncmp(found, "\xEF\xBB\xBF", 3) == 0) return " (the file starts with a UTF-8 byte-order mark)";
    if (std::strncmp(found, "\xFF\xFE", 2) == 0 || std::strncmp(found, "\xFE\xFF", 2) == 0) {
        return " (the file is UTF-16 text; BVH files are ASCII or UTF-8)";
    }
    return keywordCaseCause(found, "HIERARCHY");
}

std::string endSiteCaseCause(const char* keyword, const char* name)
{
    // Both words as written make an end site, which never gets here.
    if (!beginsIgnoringCase(keyword, "End") || !beginsIgnoringCase(name, "Site")) return {};
    return " (\"" + std::string(keyword) + " " + name + "\" reads as a joint: an end site is written \"End Site\")";
}
