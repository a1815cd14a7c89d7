#pragma once

#include "platform/win32.h"

// Command identifiers of the main menu (resource 101) and the accelerator table (resource 103).
constexpr WORD ID_FILE_EXIT = 10000;
constexpr WORD ID_HELP_ABOUT = 10001;
constexpr WORD ID_VIEW_MOVE_CAMERA = 10002;
constexpr WORD ID_VIEW_LOOP = 10003;
constexpr WORD ID_VIEW_CONTROLS = 10004;
constexpr WORD ID_FILE_OPEN = 10005;  // also Ctrl+O
constexpr WORD ID_VIEW_FLOOR = 10006;
