#include "PathList.h"

#include <windows.h>

#include <algorithm>
#include <vector>

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

// The entries of a PATH value, empty ones included: "a;;b;" holds a, "", b and "".
std::vector<std::wstring> entries(const std::wstring& path)
{
    std::vector<std::wstring> list;
    for (size_t start = 0; start <= path.size();) {
        const size_t end = std::min(path.find(L';', start), path.size());
        list.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return list;
}

}  // namespace

std::wstring withFolder(const std::wstring& path, const std::wstring& folder)
{
    const std::vector<std::wstring> list = entries(path);
    if (std::any_of(list.begin(), list.end(), [&](const std::wstring& entry) { return names(entry, folder); })) return path;
    // Always a separator of its own, even after a trailing ';': removing the entry with the
    // separator before it then leaves the trailing ';'.
    return path.empty() ? folder : path + L';' + folder;
}

std::wstring withoutFolder(const std::wstring& path, const std::wstring& folder)
{
    std::wstring kept;
    bool first = true;
    for (const std::wstring& entry : entries(path)) {
        if (names(entry, folder)) continue;
        if (!first) kept += L';';
        kept += entry;
        first = false;
    }
    return kept;
}
