#include "commands/PngFolderWriter.h"

#include <cstdio>
#include <cstring>

#include "commands/FolderWalk.h"
#include "commands/WholeFile.h"

bool PngFolderWriter::open(LPCWSTR path, const Clip&)
{
    folder = path;
    return ensureDirectory(path) || fail("cannot make a folder of that name, nor write into one");
}

bool PngFolderWriter::write(const Image& picture, std::int32_t frame)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06d.png", frame);
    WholeFile file(joinPath(folder, WideText(name, name + std::strlen(name))).c_str());
    if (!picture.savePng(file.temporaryPath())) return fail(std::string("cannot write ") + name);
    return file.commit() || fail(std::string("cannot write ") + name);
}
