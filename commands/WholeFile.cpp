#include "commands/WholeFile.h"

#include <cerrno>
#include <cstring>

#include "commands/CommandLine.h"

WholeFile::WholeFile(LPCWSTR path) : path(path), temporary(this->path + TEXT(".part"))
{
}

WholeFile::~WholeFile()
{
    if (stream != nullptr) std::fclose(stream);
    if (!committed) DeleteFileW(temporary.c_str());
}

bool WholeFile::fail(const char* why)
{
    reason = "vexo: cannot write " + toUtf8(path.c_str()) + ": " + why;
    return false;
}

FILE* WholeFile::open()
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        fail("a folder of that name is in the way");
        return nullptr;
    }
    errno = 0;
    stream = _wfopen(temporary.c_str(), TEXT("wb"));
    if (stream == nullptr) fail(errno != 0 ? std::strerror(errno) : "cannot create it");
    return stream;
}

bool WholeFile::commit()
{
    if (stream != nullptr) {
        // errno still says why a write failed, or the close says it.
        const bool written = std::ferror(stream) == 0;
        const bool closed = std::fclose(stream) == 0;
        stream = nullptr;
        if (!written || !closed) return fail(errno != 0 ? std::strerror(errno) : "the write failed");
    }
    if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        return fail(folder ? "a folder of that name is in the way" : "cannot replace it");
    }
    committed = true;
    return true;
}
