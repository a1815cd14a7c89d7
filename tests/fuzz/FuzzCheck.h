#pragma once
// The fuzz targets' invariant check: a broken invariant names its file, line and condition, then
// aborts, which libFuzzer reports as a crash and keeps the input.

#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void fuzzInvariantBroken(const char* file, int line, const char* condition)
{
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, condition);
    std::abort();
}

#define FUZZ_CHECK(condition)                                                         \
    do {                                                                              \
        if (!(condition)) fuzzInvariantBroken(__FILE__, __LINE__, #condition);        \
    } while (0)
