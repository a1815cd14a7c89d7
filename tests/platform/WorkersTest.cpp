// The thread rule: as many workers as the affinity allows, each index run exactly once, and the
// calling thread doing the work of any worker whose thread could not be started.

#include <gtest/gtest.h>

#include <pthread.h>
#include <sched.h>

#include <atomic>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "platform/Workers.h"

namespace {

// The threads each index ran on.
std::vector<std::thread::id> runOn(int count)
{
    std::vector<std::thread::id> ranOn(size_t(count > 0 ? count : 0));
    std::vector<std::atomic<int>> runs(ranOn.size());
    runWorkers(count, [&](int worker) {
        ++runs[size_t(worker)];
        ranOn[size_t(worker)] = std::this_thread::get_id();
    });
    for (const std::atomic<int>& r : runs) EXPECT_EQ(r, 1);
    return ranOn;
}

}  // namespace

TEST(Workers, EachIndexRunsOnceTheFirstOnTheCallingThreadTheOthersOnTheirOwn)
{
    EXPECT_TRUE(runOn(0).empty());
    for (const int count : {1, 2, 5}) {
        const std::vector<std::thread::id> ranOn = runOn(count);
        EXPECT_EQ(ranOn[0], std::this_thread::get_id());
        EXPECT_EQ(std::set<std::thread::id>(ranOn.begin(), ranOn.end()).size(), size_t(count)) << count;
    }
}

// Threads whose stacks cannot be had (a default stack as large as the address space) do not start:
// their work is done on the calling thread, after its own, and nothing is lost.
TEST(Workers, WorkWhoseThreadCannotStartRunsOnTheCallingThread)
{
    pthread_attr_t defaults;
    ASSERT_EQ(pthread_getattr_default_np(&defaults), 0);
    pthread_attr_t huge;
    ASSERT_EQ(pthread_attr_init(&huge), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&huge, size_t{1} << 47), 0);
    ASSERT_EQ(pthread_setattr_default_np(&huge), 0);
    std::vector<int> order;
    std::set<std::thread::id> threads;
    std::mutex lock;
    runWorkers(4, [&](int worker) {
        const std::lock_guard hold(lock);
        order.push_back(worker);
        threads.insert(std::this_thread::get_id());
    });
    pthread_setattr_default_np(&defaults);
    pthread_attr_destroy(&huge);
    pthread_attr_destroy(&defaults);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(threads, std::set<std::thread::id>{std::this_thread::get_id()});
}

TEST(Workers, UsableProcessorsFollowTheAffinityMask)
{
    cpu_set_t allowed;
    ASSERT_EQ(::sched_getaffinity(0, sizeof allowed, &allowed), 0);
    EXPECT_EQ(usableProcessors(), std::min(CPU_COUNT(&allowed), 64));
    int first = 0;
    while (!CPU_ISSET(first, &allowed)) ++first;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(first, &one);
    ASSERT_EQ(::sched_setaffinity(0, sizeof one, &one), 0);
    const int pinned = usableProcessors();
    ::sched_setaffinity(0, sizeof allowed, &allowed);
    EXPECT_EQ(pinned, 1) << "as under taskset -c";
}
