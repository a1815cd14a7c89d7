#include "commands/FolderWalk.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

#include "commands/CommandLine.h"

namespace {

bool isSeparator(WCHAR c)
{
    return c == VEXO_PATH_SEPARATOR || c == TEXT('/');
}

// The last name of a path.
WideTextView fileName(WideTextView path)
{
    const auto separator = std::find_if(path.rbegin(), path.rend(), isSeparator);
    return path.substr(size_t(path.rend() - separator));
}

bool isFolder(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::uint64_t sizeOf(const WIN32_FIND_DATAW& entry)
{
    return std::uint64_t{entry.nFileSizeHigh} << 32 | entry.nFileSizeLow;
}

std::uint64_t sizeOf(LPCWSTR path)
{
    const HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    LARGE_INTEGER size;
    const bool known = GetFileSizeEx(file, &size) != FALSE;
    CloseHandle(file);
    return known ? static_cast<std::uint64_t>(size.QuadPart) : 0;
}

class Walker {
public:
    explicit Walker(FolderWalk& walk) : walk(walk) {}

    // Adds the BVH files below folder, their relative paths starting with prefix.
    void walkFolder(const WideText& folder, const WideText& prefix)
    {
        std::vector<WIN32_FIND_DATAW> entries;
        if (!listFolder(folder, entries)) {
            walk.unreadable.push_back(folder);
            return;
        }
        std::sort(entries.begin(), entries.end(), [](const WIN32_FIND_DATAW& a, const WIN32_FIND_DATAW& b) {
            return WideTextView(a.cFileName) < WideTextView(b.cFileName);
        });
        for (const WIN32_FIND_DATAW& entry : entries) {
            const WideTextView name(entry.cFileName);
            if (isFolder(entry.dwFileAttributes)) {
                if ((entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
                    walkFolder(joinPath(folder, name), joinPath(prefix, name));
                }
            } else if (hasExtension(name, TEXT(".bvh"))) {
                walk.files.push_back({joinPath(folder, name), joinPath(prefix, name), sizeOf(entry)});
            }
        }
    }

private:
    // The folder's entries but "." and "..". False when they cannot all be listed.
    static bool listFolder(const WideText& folder, std::vector<WIN32_FIND_DATAW>& entries)
    {
        WIN32_FIND_DATAW entry;
        const HANDLE search = FindFirstFileW(joinPath(folder, TEXT("*")).c_str(), &entry);
        if (search == INVALID_HANDLE_VALUE) return false;
        do {
            const WideTextView name(entry.cFileName);
            if (name != TEXT(".") && name != TEXT("..")) entries.push_back(entry);
        } while (FindNextFileW(search, &entry));
        const bool complete = GetLastError() == ERROR_NO_MORE_FILES;
        FindClose(search);
        return complete;
    }

    FolderWalk& walk;
};

}  // namespace

bool hasExtension(WideTextView name, WideTextView extension)
{
    if (name.size() <= extension.size()) return false;
    const WideTextView tail = name.substr(name.size() - extension.size());
    return std::equal(tail.begin(), tail.end(), extension.begin(),
                      [](WCHAR c, WCHAR lower) { return (c >= 'A' && c <= 'Z' ? WCHAR(c + ('a' - 'A')) : c) == lower; });
}

bool ensureDirectory(LPCWSTR directory)
{
    if (CreateDirectoryW(directory, nullptr)) return true;
    // It may be there already, or another thread has just made it.
    return isFolder(GetFileAttributesW(directory));
}

WideText joinPath(WideTextView folder, WideTextView name)
{
    WideText path(folder);
    if (!path.empty() && !isSeparator(path.back())) path += VEXO_PATH_SEPARATOR;
    return path += name;
}

FolderWalk walkArguments(const std::vector<LPCWSTR>& arguments)
{
    FolderWalk walk;
    Walker walker(walk);
    for (LPCWSTR argument : arguments) {
        if (!isFolder(GetFileAttributesW(argument))) {
            walk.files.push_back({argument, WideText(fileName(argument)), sizeOf(argument)});
            continue;
        }
        const size_t files = walk.files.size(), unreadable = walk.unreadable.size();
        walker.walkFolder(argument, WideText());
        if (walk.files.size() == files && walk.unreadable.size() == unreadable) walk.empty.push_back(argument);
    }
    return walk;
}

int reportFolders(const FolderWalk& walk)
{
    for (const WideText& folder : walk.unreadable) {
        std::fprintf(stderr, "vexo: cannot read the folder %s\n", toUtf8(folder.c_str()).c_str());
    }
    for (const WideText& folder : walk.empty) {
        std::fprintf(stderr, "vexo: no .bvh file in the folder %s\n", toUtf8(folder.c_str()).c_str());
    }
    return walk.unreadable.empty() ? 0 : 1;
}

std::uint64_t totalBytes(const std::vector<MotionFile>& files)
{
    return std::accumulate(files.begin(), files.end(), std::uint64_t{0},
                           [](std::uint64_t sum, const MotionFile& file) { return sum + file.bytes; });
}

int readerThreadsFor(const std::vector<MotionFile>& files)
{
    return files.size() > 1 ? 1 : 0;
}
