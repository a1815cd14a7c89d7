#pragma once

// Files dropped on a window, as the platform hands them over with WM_DROPFILES (in wParam); the
// receiver's DragFinish frees the drop. Null for no files. Realised per platform in
// tests/support/<platform>/FileDrop.cpp.

#include <vector>

#include "platform/win32.h"
#include "resources/WideText.h"

HDROP makeFileDrop(const std::vector<WideText>& paths);
