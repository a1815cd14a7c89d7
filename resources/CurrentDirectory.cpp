// The one WideString operation that asks the system: the current directory, the starting folder of
// the open dialog.

#include "resources/WideString.h"

bool WideString::assignCurrentDirectory()
{
    release();
    const DWORD size = GetCurrentDirectoryW(0, nullptr);  // including the terminator
    if (size == 0 || !reserve(size + 1)) return false;
    const DWORD written = GetCurrentDirectoryW(size, data);
    // A directory that grew between the two calls is reported by its new size, not written.
    if (written == 0 || written >= size) {
        release();
        return false;
    }
    length = written;
    return true;
}
