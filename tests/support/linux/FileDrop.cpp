// The Linux layer's drop: file names as bytes, converted as the display's drops are.

#include "FileDrop.h"

#include <string>

#include "platform/linux/Drop.h"
#include "platform/linux/Utf.h"

HDROP makeFileDrop(const std::vector<WideText>& paths)
{
    std::vector<std::string> names;
    for (const WideText& path : paths) names.push_back(utf16ToUtf8(path));
    return makeDrop(names);
}
