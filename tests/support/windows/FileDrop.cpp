// The shell's drop (CF_HDROP): movable global memory holding a DROPFILES header and the wide file
// names, each terminated, with one more terminator after the last.

#include "FileDrop.h"

#include <shlobj.h>

#include <algorithm>

HDROP makeFileDrop(const std::vector<WideText>& paths)
{
    if (paths.empty()) return nullptr;
    std::size_t units = 1;
    for (const WideText& path : paths) units += path.size() + 1;
    const HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + units * sizeof(WCHAR));
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    if (header == nullptr) return nullptr;
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    auto* text = reinterpret_cast<WCHAR*>(header + 1);
    for (const WideText& path : paths) text = std::copy(path.begin(), path.end(), text) + 1;  // zeroed
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}
