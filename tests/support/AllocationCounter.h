#pragma once

#include <cstddef>

// Counts heap allocations while a counter is alive, by interposing malloc and its relatives (link
// AllocationCounter.cpp into the test program). An allocation is the program's own when the first
// caller outside the C and C++ runtime libraries lies in the test program itself, where all of our
// libraries are linked statically; allocations made by shared libraries on their own account (the
// GL driver, for one) are counted apart. Under AddressSanitizer, whose allocator owns malloc, and off
// glibc, nothing is interposed and nothing is counted: available() is then false and tests skip.
class AllocationCounter {
public:
    static bool available();

    AllocationCounter();
    ~AllocationCounter();
    AllocationCounter(const AllocationCounter&) = delete;
    AllocationCounter& operator=(const AllocationCounter&) = delete;

    // Allocations made while the counter is alive.
    std::size_t ours() const;
    std::size_t libraries() const;
    // The program's own blocks allocated while the counter is alive and not freed since, and their
    // bytes as asked for. tracksEveryBlock() is false if the table of blocks ran out of room.
    std::size_t ourLiveBytes() const;
    std::size_t ourLiveBlocks() const;
    bool tracksEveryBlock() const;
};
