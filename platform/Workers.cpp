#include "platform/Workers.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <thread>
#include <vector>

#include "platform/win32.h"

int usableProcessors()
{
    DWORD_PTR process = 0, system = 0;
    if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system) && process != 0) {
        return std::popcount(static_cast<std::uint64_t>(process));
    }
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

void runWorkers(int count, const std::function<void(int)>& work)
{
    std::vector<std::thread> threads;
    int started = 1;
    try {
        threads.reserve(static_cast<size_t>(std::max(count, 1)));
        for (; started < count; ++started) threads.emplace_back(work, started);
    } catch (...) {  // std::system_error or std::bad_alloc: the rest run here
    }
    if (count > 0) work(0);
    for (int i = started; i < count; ++i) work(i);
    for (std::thread& thread : threads) thread.join();
}
