#pragma once

#include <chrono>
#include <cstdint>
#include <string>

// How far a long job has come: one line on stderr, redrawn in place while stderr is a terminal, and
// wiped when the job ends, so that it never lands in redirected output and never stays on screen. It is
// redrawn at most ten times a second, and once more when the last item is done.
//
//     [##########....................] 120/1000 files, 85.3 MB/s, 12 s left
class Progress {
public:
    // total: the items of the job (files, frames), called unit ("files"); bytes: their size in all,
    // or 0 to give the rate in items per second.
    Progress(std::int64_t total, const char* unit, std::uint64_t bytes = 0);
    ~Progress();  // wipes the line
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // One more item done, of that many bytes.
    void advance(std::uint64_t bytes = 0);
    void wipe();

    double seconds() const;
    double itemsPerSecond() const;

private:
    void draw();

    using Clock = std::chrono::steady_clock;
    std::int64_t total;
    const char* unit;
    std::uint64_t totalBytes;
    std::int64_t done = 0;
    std::uint64_t doneBytes = 0;
    bool terminal;
    Clock::time_point start = Clock::now();
    Clock::time_point drawn = start;
    size_t shown = 0;  // characters of the line on screen
};
