#pragma once

#include <cstdint>
#include <vector>

#include "platform/win32.h"

// `vexo --check FILE...`: one line per file on stdout; 0 when all were accepted, 1 when any was
// refused.
int runCheck(const std::vector<LPCWSTR>& files);

// `vexo --positions [--frame N] FILE`: the world position of every joint as CSV on stdout, for
// every frame, or only frame N (1-based) when frame is not 0. 1 when the file is refused, 2 when
// the frame does not exist.
int runPositions(LPCWSTR file, std::int32_t frame);
