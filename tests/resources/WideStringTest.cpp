// Growth and content rules of the UTF-16 string.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "resources/WideString.h"
#include "resources/WideText.h"

namespace {

WideText textOf(const WideString& s)
{
    return s.data == nullptr ? WideText() : WideText(s.data, s.length);
}

// Releases at the end of a test, as every owner must.
struct OwnedString : WideString {
    ~OwnedString() { release(); }
};

TEST(WideString, AssignOfNothingGivesAnEmptyBufferOfOneUnit)
{
    OwnedString s;
    ASSERT_TRUE(s.assign(nullptr));
    EXPECT_EQ(s.capacity, 1u);
    EXPECT_EQ(s.length, 0u);
    EXPECT_EQ(s.data[0], 0);
}

TEST(WideString, AssignKeepsABufferThatIsBigEnough)
{
    OwnedString s;
    ASSERT_TRUE(s.assign(TEXT("a")));
    ASSERT_EQ(s.capacity, 2u);
    WCHAR* buffer = s.data;
    ASSERT_TRUE(s.assign(nullptr));
    EXPECT_EQ(s.data, buffer);
    EXPECT_EQ(s.length, 0u);
    EXPECT_EQ(s.data[0], 0);
}

TEST(WideString, GrowsByDoublingOrToTheSizeAskedFor)
{
    const struct {
        std::uint32_t capacity, request, expected;
    } cases[] = {
        {4, 3, 4},     // less than the capacity: unchanged
        {4, 4, 8},     // exactly the capacity grows
        {4, 5, 8},     // doubling is more
        {4, 20, 20},   // the request is more
    };
    for (const auto& c : cases) {
        OwnedString s;
        ASSERT_TRUE(s.reserve(c.capacity));
        ASSERT_TRUE(s.reserve(c.request));
        EXPECT_EQ(s.capacity, c.expected) << c.capacity << " then " << c.request;
    }
}

TEST(WideString, AReserveOfNothingStillGivesABufferThatReadsAsAString)
{
    OwnedString s;
    ASSERT_TRUE(s.reserve(0));
    ASSERT_NE(s.data, nullptr);
    EXPECT_EQ(s.capacity, 1u);
    EXPECT_EQ(s.data[0], 0);
    ASSERT_TRUE(s.append(s.data));  // its own (empty) text
    EXPECT_EQ(textOf(s), TEXT(""));
}

TEST(WideString, AppendGrowsAndKeepsTheContent)
{
    OwnedString s;
    ASSERT_TRUE(s.assign(TEXT("abc")));  // 3 units in a buffer of 4
    ASSERT_EQ(s.capacity, 4u);
    ASSERT_TRUE(s.append(TEXT("d")));  // 3 + 1 + 1 = 5 is not less than 4; 2 x 4 is more than 5
    EXPECT_EQ(s.capacity, 8u);
    EXPECT_EQ(textOf(s), TEXT("abcd"));
    EXPECT_EQ(s.data[s.length], 0);
}

TEST(WideString, AppendOfNothingChangesNothing)
{
    OwnedString s;
    ASSERT_TRUE(s.append(nullptr));
    EXPECT_EQ(s.data, nullptr);
    ASSERT_TRUE(s.assign(TEXT("xy")));
    ASSERT_TRUE(s.append(nullptr));
    EXPECT_EQ(textOf(s), TEXT("xy"));
}

TEST(WideString, TextMayComeFromTheStringItself)
{
    OwnedString s;
    ASSERT_TRUE(s.assign(TEXT("abc")));
    ASSERT_TRUE(s.append(s.data));  // grows, so the old buffer is read after the new one exists
    EXPECT_EQ(textOf(s), TEXT("abcabc"));
    ASSERT_TRUE(s.assign(s.data + 4));
    EXPECT_EQ(textOf(s), TEXT("bc"));
}

}  // namespace
