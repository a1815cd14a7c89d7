// UTF-16 string helpers of the platform API.

#include "platform/win32.h"

namespace {

// Case folding of ASCII and Latin-1 letters, enough for resource names and file extensions.
WCHAR foldCase(WCHAR c)
{
    const bool latinUpper = (c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
    return latinUpper ? static_cast<WCHAR>(c + 0x20) : c;
}

template <typename Fold>
int compare(LPCWSTR a, LPCWSTR b, Fold fold)
{
    for (;; ++a, ++b) {
        const WCHAR x = fold(*a), y = fold(*b);
        if (x != y) return x < y ? -1 : 1;
        if (x == 0) return 0;
    }
}

}  // namespace

int lstrlenW(LPCWSTR text)
{
    if (text == nullptr) return 0;
    int length = 0;
    while (text[length] != 0) ++length;
    return length;
}

int lstrcmpW(LPCWSTR a, LPCWSTR b)
{
    return compare(a, b, [](WCHAR c) { return c; });
}

int lstrcmpiW(LPCWSTR a, LPCWSTR b)
{
    return compare(a, b, foldCase);
}
