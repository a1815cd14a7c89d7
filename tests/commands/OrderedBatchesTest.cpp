// Batches made on worker threads come out in order, each made once, and a stop ends the run.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "commands/OrderedBatches.h"

TEST(OrderedBatches, ComeOutInOrderEachMadeOnce)
{
    for (const std::int64_t count : {0, 1, 2, 5, 1000}) {
        SCOPED_TRACE(count);
        OrderedBatches batches(count);
        std::vector<std::int64_t> slots(size_t(batches.slots()), -1);
        std::vector<std::atomic<int>> made(static_cast<size_t>(count));
        std::vector<std::int64_t> consumed;
        batches.run(
            [&](std::int64_t batch, int slot) {
                ++made[size_t(batch)];
                slots[size_t(slot)] = batch;
            },
            [&](int slot) {
                consumed.push_back(slots[size_t(slot)]);
                return true;
            });
        ASSERT_EQ(consumed.size(), size_t(count));
        for (std::int64_t batch = 0; batch < count; ++batch) {
            EXPECT_EQ(consumed[size_t(batch)], batch);
            EXPECT_EQ(made[size_t(batch)], 1);
        }
    }
}

TEST(OrderedBatches, AStopEndsTheRunWithoutMakingTheRest)
{
    OrderedBatches batches(1000);
    std::atomic<std::int64_t> made{0};
    int consumed = 0;
    batches.run([&](std::int64_t, int) { ++made; }, [&](int) { return ++consumed < 10; });
    EXPECT_EQ(consumed, 10);
    EXPECT_LE(made, 10 + batches.slots());  // only what the free slots allowed ahead
}
