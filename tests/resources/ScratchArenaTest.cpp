// The scratch arena's last-in-first-out rules and its fall-back to the heap.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "resources/ScratchArena.h"

namespace {

class ScratchArenaTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(createScratchArena()); }
    void TearDown() override { destroyScratchArena(); }

    static const ScratchArena& arena() { return *scratchArena(); }
    static bool inArena(const void* block)
    {
        const auto* at = static_cast<const unsigned char*>(block);
        return at >= arena().buffer && at < arena().buffer + arena().capacity;
    }
};

TEST_F(ScratchArenaTest, BlocksFollowTheirHeaders)
{
    ASSERT_EQ(arena().capacity, 16384u);
    ASSERT_EQ(arena().top, -1);
    auto* first = static_cast<unsigned char*>(scratchAlloc(16));
    EXPECT_EQ(first, arena().buffer + 8);
    EXPECT_EQ(arena().top, 0);
    EXPECT_EQ(arena().used, 24u);

    auto* second = static_cast<unsigned char*>(scratchAlloc(40));
    EXPECT_EQ(second, arena().buffer + 32);
    EXPECT_EQ(arena().top, 24);
    EXPECT_EQ(arena().used, 72u);

    std::uint32_t header[2];
    std::memcpy(header, second - 8, sizeof header);
    EXPECT_EQ(header[0], 24u);  // its own offset
    EXPECT_EQ(header[1], 40u);  // the bytes asked for
}

TEST_F(ScratchArenaTest, OnlyTheMostRecentBlockRewinds)
{
    void* first = scratchAlloc(16);
    void* second = scratchAlloc(16);
    EXPECT_FALSE(scratchFree(first));  // not the most recent: nothing happens
    EXPECT_EQ(arena().used, 48u);

    EXPECT_TRUE(scratchFree(second));
    EXPECT_EQ(arena().used, 24u);
    EXPECT_EQ(arena().top, 24);  // the arena remembers no older block...
    EXPECT_FALSE(scratchFree(first));  // ...so the first one stays taken
    EXPECT_EQ(arena().used, 24u);

    void* third = scratchAlloc(8);
    EXPECT_EQ(third, second);  // the rewound space is reused
}

TEST_F(ScratchArenaTest, AnExactFitIsServedAndOneByteMoreGoesToTheHeap)
{
    void* exact = scratchAlloc(16384 - 8);
    EXPECT_TRUE(inArena(exact));
    EXPECT_EQ(arena().used, 16384u);
    ASSERT_TRUE(scratchFree(exact));

    auto* tooBig = static_cast<unsigned char*>(scratchAlloc(16384 - 7));
    ASSERT_NE(tooBig, nullptr);
    EXPECT_FALSE(inArena(tooBig));
    EXPECT_EQ(tooBig[0], 0);  // heap blocks are zero-filled
    EXPECT_EQ(tooBig[16384 - 8], 0);
    EXPECT_EQ(arena().used, 0u);
    EXPECT_TRUE(scratchFree(tooBig));
    EXPECT_EQ(arena().used, 0u);
}

TEST_F(ScratchArenaTest, BlocksStayAlignedForPointerTables)
{
    void* odd = scratchAlloc(3);
    void* next = scratchAlloc(8);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(odd) % 8, 0u);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(next) % 8, 0u);
}

TEST_F(ScratchArenaTest, AnAddressInsideABlockIsNotABlock)
{
    auto* block = static_cast<unsigned char*>(scratchAlloc(64));
    EXPECT_FALSE(scratchFree(block + 16));
    EXPECT_FALSE(scratchFree(arena().buffer));
    EXPECT_EQ(arena().used, 72u);
    EXPECT_TRUE(scratchFree(block));
}

TEST(ScratchArenaAbsent, EveryRequestGoesToTheHeap)
{
    destroyScratchArena();
    ASSERT_EQ(scratchArena(), nullptr);
    auto* block = static_cast<unsigned char*>(scratchAlloc(32));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block[31], 0);
    EXPECT_TRUE(scratchFree(block));
}

}  // namespace
