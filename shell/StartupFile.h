#pragma once

#include "platform/win32.h"

// The first command-line argument after the program name, or null: the BVH file the viewer opens
// while its main window is being created. Set by the entry point before the window exists.
extern LPCWSTR startupFilePath;
