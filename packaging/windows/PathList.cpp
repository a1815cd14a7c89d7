#include "PathList.h"

#include <windows.h>

#include <algorithm>

namespace {

// Whether an entry names the folder: Windows compares file names without regard to case, and a
// trailing backslash names the same folder.
bool names(std::wstring entry, std::wstring folder)
{
    while (entry.size() > 1 && entry.back() == L'\\') entry.pop_back();
    while (folder.size() > 1 && folder.back() == L'\\') folder.pop_back();
    return CompareStringOrdinal(entry.c_str(), static_cast<int>(entry.size()), folder.c_str(),
                                static_cast<int>(folder.size()), TRUE) == CSTR_EQUAL;
}

bool holds(const std::wstring& path, const std::wstring& folder)
{
    for (size_t start = 0; start <= path.size();) {
        const size_t end = std::min(path.find(L';', start), path.size());
        if (names(path.substr(start, end - start), folder)) return true;
        start = end + 1;
    }
    return false;
}

}  // namespace

std::wstring withFolder(const std::wstring& path, const std::wstring& folder)
{
    if (holds(path, folder)) return path;
    // Always a separator of its own, even after a trailing ';': removing the entry with the
    // separator before it then leaves the trailing ';'.
    return path.empty() ? folder : path + L';' + folder;
}

std::wstring withoutFolder(const std::wstring& path, const std::wstring& folder)
{
    std::wstring kept;
    bool first = true;
    for (size_t start = 0; start <= path.size();) {
        const size_t end = std::min(path.find(L';', start), path.size());
        const std::wstring entry = path.substr(start, end - start);
        if (!names(entry, folder)) {
            if (!first) kept += L';';
            kept += entry;
            first = false;
        }
        start = end + 1;
    }
    return kept;
}
