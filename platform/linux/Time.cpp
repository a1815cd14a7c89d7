// The multimedia timer.

#include <ctime>

#include "platform/win32.h"

DWORD timeGetTime()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const auto milliseconds = static_cast<std::uint64_t>(now.tv_sec) * 1000 + static_cast<std::uint64_t>(now.tv_nsec) / 1000000;
    return static_cast<DWORD>(milliseconds);  // wraps at 2^32, as the real timer does
}
