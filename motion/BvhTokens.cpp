#include "motion/BvhTokens.h"

#include <cstring>

namespace {

bool isSeparator(char c)
{
    return c == '\0' || c == ' ' || c == '\t' || c == '\n';
}

char* skipBlanks(char* p)
{
    while (*p == ' ' || *p == '\t') ++p;
    return p;
}

}  // namespace

char* tokenEnd(char* p)
{
    while (!isSeparator(*p)) ++p;
    return p;
}

int splitTokens(char* line, char** slots, int n)
{
    for (int i = 0; i < n; ++i) slots[i] = nullptr;
    if (*line == '\0') return 0;
    int count = 0;
    char* p = line;
    while (count < n) {
        p = skipBlanks(p);
        char* end = tokenEnd(p);
        slots[count++] = p;
        if (*end == '\0') break;
        *end = '\0';
        p = end + 1;
        if (*p == '\0') break;
    }
    return count;
}

char* nextToken(char*& cursor, char** end)
{
    char* start = skipBlanks(cursor);
    char* stop = tokenEnd(start);
    if (*stop == '\0') {
        cursor = stop;
    } else {
        *stop = '\0';
        cursor = stop + 1;
    }
    if (end != nullptr) *end = stop;
    return start;
}

bool startsWith(const char* line, const char* keyword)
{
    return std::strncmp(line, keyword, std::strlen(keyword)) == 0;
}

int countTokens(const char* p)
{
    int count = 0;
    bool inToken = false;
    for (; *p != '\0'; ++p) {
        const bool separator = *p == ' ' || *p == '\t' || *p == '\n';
        if (!separator && !inToken) ++count;
        inToken = !separator;
    }
    return count;
}
