#include "shell/OrderedBatches.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

OrderedBatches::OrderedBatches(std::int64_t count)
    : count(count), workers(int(std::clamp<std::int64_t>(std::thread::hardware_concurrency(), 1, std::max<std::int64_t>(count, 1))))
{
}

void OrderedBatches::run(const std::function<void(std::int64_t, int)>& make, const std::function<bool(int)>& consume)
{
    const int slotCount = slots();
    std::vector<std::int64_t> made(size_t(slotCount), -1);  // the batch each slot holds, once made
    std::int64_t consumed = 0;
    bool stopped = false;
    std::mutex mutex;
    std::condition_variable changed;
    std::atomic<std::int64_t> next{0};

    // Batches are taken in order, and a slot is reused only once its previous batch is consumed.
    const auto work = [&] {
        for (std::int64_t batch; (batch = next++) < count;) {
            const int slot = int(batch % slotCount);
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return stopped || batch < consumed + slotCount; });
                if (stopped) return;
            }
            make(batch, slot);
            {
                const std::lock_guard lock(mutex);
                made[size_t(slot)] = batch;
            }
            changed.notify_all();
        }
    };
    std::vector<std::thread> threads;
    for (int i = 0; i < workers; ++i) {
        try {
            threads.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // fewer threads, or none: the calling thread then makes every batch itself
        }
    }

    for (std::int64_t batch = 0; batch < count; ++batch) {
        const int slot = int(batch % slotCount);
        if (threads.empty()) {
            make(batch, slot);
        } else {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return made[size_t(slot)] == batch; });
        }
        const bool more = consume(slot);
        {
            const std::lock_guard lock(mutex);
            consumed = batch + 1;
            stopped = !more;
        }
        changed.notify_all();
        if (!more) break;
    }
    for (std::thread& thread : threads) thread.join();
}
