// The C runtime's wide-character open, with Windows text-mode reading, and the kernel's file
// handles, attributes, renaming, directories and their entries, and the current directory.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/linux/KernelObject.h"
#include "platform/linux/Utf.h"
#include "platform/win32.h"

namespace {

// A text-mode stream over a file descriptor: every CR that directly precedes LF is dropped.
struct TextModeFile {
    int fd;
    bool pendingCr;  // the last byte handed out so far was a CR held back
};

ssize_t readTextMode(void* cookie, char* out, size_t size)
{
    auto* file = static_cast<TextModeFile*>(cookie);
    if (size < 2) size = 2;  // callers always ask for more; keeps the logic below simple
    for (;;) {
        size_t filled = 0;
        if (file->pendingCr) out[filled++] = '\r';
        ssize_t got;
        do {
            got = ::read(file->fd, out + filled, size - filled);
        } while (got < 0 && errno == EINTR);
        if (got < 0) return -1;
        if (got == 0) {
            file->pendingCr = false;
            return static_cast<ssize_t>(filled);  // a held CR at the end of the file stays
        }
        const size_t end = filled + static_cast<size_t>(got);
        size_t kept = 0;
        for (size_t i = 0; i < end; ++i) {
            if (out[i] == '\r' && i + 1 < end && out[i + 1] == '\n') continue;
            out[kept++] = out[i];
        }
        // A CR at the very end may pair with an LF of the next read: hold it back.
        file->pendingCr = kept > 0 && out[kept - 1] == '\r';
        if (file->pendingCr) --kept;
        if (kept > 0) return static_cast<ssize_t>(kept);
    }
}

int closeTextMode(void* cookie)
{
    auto* file = static_cast<TextModeFile*>(cookie);
    const int result = ::close(file->fd);
    delete file;
    return result;
}

thread_local DWORD lastError = 0;

BOOL failWith(DWORD error)
{
    lastError = error;
    return FALSE;
}

BOOL readFailed()
{
    return failWith(ERROR_READ_FAULT);
}

// What FindFirstFileW's handle points to: the open directory, and its path ending in '/'.
struct DirectorySearch {
    DIR* directory;
    std::string folder;
};

// The entry's name, attributes and size; a symbolic link is described by what it points to.
void describeEntry(const DirectorySearch& search, const char* name, WIN32_FIND_DATAW& found)
{
    found = {};
    const std::string path = search.folder + name;
    struct stat link = {}, target = {};
    const bool linked = ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
    const bool exists = ::stat(path.c_str(), &target) == 0;
    found.dwFileAttributes = exists && S_ISDIR(target.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    if (linked) found.dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    const auto size = static_cast<std::uint64_t>(exists && S_ISREG(target.st_mode) ? target.st_size : 0);
    found.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    found.nFileSizeLow = static_cast<DWORD>(size);
    const std::u16string wide = utf8ToUtf16(name);
    wide.copy(found.cFileName, MAX_PATH - 1);
}

}  // namespace

FILE* _wfopen(LPCWSTR path, LPCWSTR mode)
{
    const std::u16string_view modeText(mode);
    const std::string name = utf16ToUtf8(path);
    if (modeText == u"wb") return std::fopen(name.c_str(), "wbe");
    if (modeText.empty() || modeText[0] != u'r' || modeText.find(u'+') != std::u16string_view::npos) {
        errno = EINVAL;
        return nullptr;
    }
    if (modeText.find(u'b') != std::u16string_view::npos) return std::fopen(name.c_str(), "rb");

    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    auto* cookie = new TextModeFile{fd, false};
    FILE* stream = fopencookie(cookie, "r", cookie_io_functions_t{readTextMode, nullptr, nullptr, closeTextMode});
    if (stream == nullptr) closeTextMode(cookie);
    return stream;
}

int _fseeki64(FILE* stream, long long offset, int origin)
{
    return ::fseeko(stream, off_t{offset}, origin);
}

long long _ftelli64(FILE* stream)
{
    return ::ftello(stream);
}

int _fileno(FILE* stream)
{
    return ::fileno(stream);
}

int _isatty(int descriptor)
{
    return ::isatty(descriptor);
}

// ---------------------------------------------------------------------------------------------
// Kernel file handles: reading existing files through POSIX descriptors (mapping them: FileViews.cpp).
// ---------------------------------------------------------------------------------------------

HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD, SECURITY_ATTRIBUTES*, DWORD creation, DWORD, HANDLE)
{
    if (path == nullptr || access != GENERIC_READ || creation != OPEN_EXISTING) return INVALID_HANDLE_VALUE;
    const int fd = ::open(utf16ToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return INVALID_HANDLE_VALUE;
    // A directory is not a file here, as on Windows without backup semantics.
    struct stat status;
    if (::fstat(fd, &status) != 0 || S_ISDIR(status.st_mode)) {
        ::close(fd);
        return INVALID_HANDLE_VALUE;
    }
    return new KernelObject{KernelObject::FILE, fd, 0};
}

DWORD GetLastError()
{
    return lastError;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD read, OVERLAPPED*)
{
    if (read != nullptr) *read = 0;
    const KernelObject* object = kernelObject(file, KernelObject::FILE);
    if (object == nullptr || (buffer == nullptr && count > 0)) return readFailed();
    DWORD total = 0;
    while (total < count) {
        const ssize_t got = ::read(object->fd, static_cast<char*>(buffer) + total, count - total);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return readFailed();
        if (got == 0) break;
        total += static_cast<DWORD>(got);
    }
    if (read != nullptr) *read = total;
    return TRUE;
}

BOOL CloseHandle(HANDLE object)
{
    if (object == nullptr || object == INVALID_HANDLE_VALUE) return FALSE;
    auto* kernel = static_cast<KernelObject*>(object);
    const int result = ::close(kernel->fd);
    delete kernel;
    return result == 0;
}

BOOL GetFileSizeEx(HANDLE file, PLARGE_INTEGER size)
{
    const KernelObject* object = kernelObject(file, KernelObject::FILE);
    struct stat status;
    if (object == nullptr || size == nullptr || ::fstat(object->fd, &status) != 0 || !S_ISREG(status.st_mode)) return FALSE;
    size->QuadPart = status.st_size;
    return TRUE;
}

DWORD GetFileAttributesW(LPCWSTR path)
{
    struct stat status;
    if (path == nullptr || ::stat(utf16ToUtf8(path).c_str(), &status) != 0) return INVALID_FILE_ATTRIBUTES;
    return S_ISDIR(status.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

BOOL CreateDirectoryW(LPCWSTR path, SECURITY_ATTRIBUTES*)
{
    return path != nullptr && ::mkdir(utf16ToUtf8(path).c_str(), 0777) == 0;
}

BOOL DeleteFileW(LPCWSTR path)
{
    if (path == nullptr) return FALSE;
    const std::string name = utf16ToUtf8(path);
    struct stat status;
    // Only files: never a directory, and never a device that a write was aimed at.
    if (::lstat(name.c_str(), &status) != 0 || !(S_ISREG(status.st_mode) || S_ISLNK(status.st_mode))) return FALSE;
    return ::unlink(name.c_str()) == 0;
}

BOOL MoveFileExW(LPCWSTR existing, LPCWSTR renamed, DWORD flags)
{
    if (existing == nullptr || renamed == nullptr || flags != MOVEFILE_REPLACE_EXISTING) return FALSE;
    const std::string target = utf16ToUtf8(renamed);
    struct stat status;
    if (::stat(target.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) return failWith(ERROR_ACCESS_DENIED);
    return ::rename(utf16ToUtf8(existing).c_str(), target.c_str()) == 0 ? TRUE : failWith(ERROR_ACCESS_DENIED);
}

HANDLE FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW found)
{
    const std::string text = pattern != nullptr ? utf16ToUtf8(pattern) : std::string();
    if (found == nullptr || !text.ends_with("/*")) {
        failWith(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    const std::string folder = text.substr(0, text.size() - 1);
    DIR* directory = ::opendir(folder.c_str());
    if (directory == nullptr) {
        failWith(errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    auto* search = new DirectorySearch{directory, folder};
    if (!FindNextFileW(search, found)) {
        FindClose(search);
        return INVALID_HANDLE_VALUE;
    }
    return search;
}

BOOL FindNextFileW(HANDLE search, LPWIN32_FIND_DATAW found)
{
    auto* directory = static_cast<DirectorySearch*>(search);
    if (directory == nullptr || search == INVALID_HANDLE_VALUE || found == nullptr) return failWith(ERROR_FILE_NOT_FOUND);
    errno = 0;
    const dirent* entry = ::readdir(directory->directory);
    if (entry == nullptr) return failWith(errno == 0 ? ERROR_NO_MORE_FILES : ERROR_READ_FAULT);
    describeEntry(*directory, entry->d_name, *found);
    return TRUE;
}

BOOL FindClose(HANDLE search)
{
    auto* directory = static_cast<DirectorySearch*>(search);
    if (directory == nullptr || search == INVALID_HANDLE_VALUE) return FALSE;
    ::closedir(directory->directory);
    delete directory;
    return TRUE;
}

DWORD GetCurrentDirectoryW(DWORD bufferLength, LPWSTR buffer)
{
    char* bytes = ::getcwd(nullptr, 0);
    if (bytes == nullptr) return 0;
    const std::u16string directory = utf8ToUtf16(bytes);
    std::free(bytes);
    if (buffer == nullptr || bufferLength <= directory.size()) return static_cast<DWORD>(directory.size() + 1);
    directory.copy(buffer, directory.size());
    buffer[directory.size()] = 0;
    return static_cast<DWORD>(directory.size());
}
