#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

// How many threads a process may keep busy, and the one way work is spread over them. Every parallel
// job (the reader's frame lines, positions, folders of files) asks usableProcessors() how many workers
// to use and starts them with runWorkers().

// The processors this process may run on, as its affinity allows (under `taskset`, or a job object,
// fewer than the machine has); at least 1.
int usableProcessors();

// Runs work(0) .. work(count - 1) and returns when all are done: work(0) on the calling thread, each
// other on a thread of its own. A worker whose thread cannot be started (the system refused one, or
// memory ran out) runs on the calling thread once work(0) has returned, so every index runs exactly
// once whatever happens. work must not throw.
void runWorkers(int count, const std::function<void(int worker)>& work);

// Runs work(0) .. work(count - 1) on `threads` workers, each taking the next index left, and
// returns when all are done.
template <typename Work>
void runOnEach(int threads, std::int64_t count, const Work& work)
{
    std::atomic<std::int64_t> next{0};
    runWorkers(threads, [&](int) {
        for (std::int64_t i; (i = next.fetch_add(1, std::memory_order_relaxed)) < count;) work(i);
    });
}
