#include "commands/PngFolderWriter.h"

#include <cstdio>
#include <cstring>

#include "commands/FolderWalk.h"
#include "commands/WholeFile.h"

namespace {

// The folder, made when it is missing.
bool ensureFolder(LPCWSTR folder)
{
    const DWORD attributes = GetFileAttributesW(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES) return CreateDirectoryW(folder, nullptr) != FALSE;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;  // other attribute bits may come with it
}

}  // namespace

bool PngFolderWriter::open(LPCWSTR path, const Clip&)
{
    folder = path;
    return ensureFolder(path) || fail("cannot make a folder of that name, nor write into one");
}

bool PngFolderWriter::write(const Image& picture, std::int32_t frame)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06d.png", frame);
    WholeFile file(joinPath(folder, WideText(name, name + std::strlen(name))).c_str());
    if (!picture.savePng(file.temporaryPath())) return fail(std::string("cannot write ") + name);
    return file.commit() || fail(std::string("cannot write ") + name);
}
