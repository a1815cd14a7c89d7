#pragma once

// Dropped files (platform-internal): what an HDROP points to, and the drop data of the display.

#include <string>
#include <string_view>
#include <vector>

#include "platform/win32.h"

struct HDROP__ {
    std::vector<std::u16string> files;
};

// The local file paths of a text/uri-list (one URI per line, CR LF or LF, '#' lines are comments):
// "file:" URIs with an empty or "localhost" host, percent-decoded to the file name's bytes; other
// URIs are left out. Lines that are plain absolute paths are taken as they stand.
std::vector<std::string> filePathsOfUriList(std::string_view uriList);

// A drop of the given file names (bytes), converted to UTF-16 as file names are; null when empty.
HDROP makeDrop(const std::vector<std::string>& paths);
