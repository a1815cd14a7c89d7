#pragma once

// Icons (platform-internal): what an HICON points to, decoded once from the program's resources.

#include <cstdint>
#include <vector>

#include "platform/win32.h"

struct HICON__ {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;  // 8-bit RGBA, top row first; empty for the standard cursor
};
