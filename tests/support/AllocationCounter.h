#pragma once

#include <cstddef>

// Counts the heap allocations of the whole process (our code, the C++ runtime, Mesa) while a
// counter is alive, by interposing malloc and its relatives. Link AllocationCounter.cpp into the
// test program to use it.
class AllocationCounter {
public:
    AllocationCounter();
    ~AllocationCounter();
    AllocationCounter(const AllocationCounter&) = delete;
    AllocationCounter& operator=(const AllocationCounter&) = delete;

    std::size_t count() const;
};
