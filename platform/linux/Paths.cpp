// Path helpers of the shell's path API.

#include "platform/win32.h"

// As on Windows, the extension starts at the last '.' of the last component; a separator or a
// space after that dot means there is none. Both '/' and '\' separate components.
LPWSTR PathFindExtensionW(LPCWSTR path)
{
    if (path == nullptr) return nullptr;
    LPCWSTR extension = nullptr;
    for (; *path != 0; ++path) {
        if (*path == u'/' || *path == u'\\' || *path == u' ') extension = nullptr;
        else if (*path == u'.') extension = path;
    }
    return const_cast<LPWSTR>(extension != nullptr ? extension : path);
}
