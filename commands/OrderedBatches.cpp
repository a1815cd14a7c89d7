#include "commands/OrderedBatches.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "platform/Workers.h"

OrderedBatches::OrderedBatches(std::int64_t count, int slotsPerWorker)
    : count(count), slotsPerWorker(slotsPerWorker), workers(int(std::clamp<std::int64_t>(usableProcessors(), 1, std::max<std::int64_t>(count, 1))))
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
    std::atomic<std::int64_t> next{0};  // the first batch no one has taken yet

    const auto makeBatch = [&](std::int64_t batch) {
        const int slot = int(batch % slotCount);
        make(batch, slot);
        {
            const std::lock_guard lock(mutex);
            made[size_t(slot)] = batch;
        }
        changed.notify_all();
    };
    // Batches are taken in order, and a slot is reused only once its previous batch is consumed.
    const auto makeBatches = [&] {
        for (std::int64_t batch; (batch = next++) < count;) {
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return stopped || batch < consumed + slotCount; });
                if (stopped) return;
            }
            makeBatch(batch);
        }
    };
    // The calling thread consumes in order; a batch no worker has taken yet it makes itself, so the
    // run completes also when no worker could be started.
    const auto consumeBatches = [&] {
        for (std::int64_t batch = 0; batch < count; ++batch) {
            std::int64_t untaken = batch;
            if (next.compare_exchange_strong(untaken, batch + 1)) makeBatch(batch);
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return made[size_t(batch % slotCount)] == batch; });
            lock.unlock();
            const bool more = consume(int(batch % slotCount));
            lock.lock();
            consumed = batch + 1;
            stopped = !more;
            lock.unlock();
            changed.notify_all();
            if (!more) return;
        }
    };
    runWorkers(workers + 1, [&](int worker) { worker == 0 ? consumeBatches() : makeBatches(); });
}
