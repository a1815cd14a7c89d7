#pragma once

#include <cstdint>
#include <functional>

// Work cut into numbered batches whose results must come out in order: the batches are made on
// worker threads, one per processor the process may use, and consumed on the calling thread in batch
// order. A batch is made into one of slots() slots, two per worker, so at most that many results
// exist at a time whatever the count.
//
//     OrderedBatches batches(count);
//     std::vector<std::string> texts(batches.slots());
//     batches.run([&](std::int64_t batch, int slot) { texts[slot] = make(batch); },
//                 [&](int slot) { return write(texts[slot]); });
class OrderedBatches {
public:
    // slotsPerWorker: how far the workers may run ahead of the consumer. Two suffice for batches of
    // even cost; batches as uneven as the files of a folder want more, so that one long batch does
    // not leave the other workers idle.
    explicit OrderedBatches(std::int64_t count, int slotsPerWorker = 2);

    int slots() const { return slotsPerWorker * workers; }
    int workerCount() const { return workers; }

    // make(batch, slot) runs once for every batch, on a worker thread or on the calling thread, and
    // must not throw; consume(slot) runs on the calling thread, batch after batch, and returns false
    // to stop the run (batches not yet made are then not made). When no worker can be started,
    // everything runs on the calling thread.
    void run(const std::function<void(std::int64_t batch, int slot)>& make, const std::function<bool(int slot)>& consume);

private:
    std::int64_t count;
    int slotsPerWorker;
    int workers;
};
