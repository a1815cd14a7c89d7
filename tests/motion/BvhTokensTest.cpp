#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "motion/BvhTokens.h"

namespace {

// splitTokens on a copy of the text; the tokens as strings.
std::vector<std::string> split(const char* text, int n)
{
    std::string line(text);
    std::vector<char*> slots(static_cast<size_t>(n));
    const int count = splitTokens(line.data(), slots.data(), n);
    std::vector<std::string> tokens;
    for (int i = 0; i < count; ++i) tokens.emplace_back(slots[static_cast<size_t>(i)]);
    for (int i = count; i < n; ++i) EXPECT_EQ(slots[static_cast<size_t>(i)], nullptr);
    return tokens;
}

using Tokens = std::vector<std::string>;

}  // namespace

TEST(BvhTokens, SplitStopsAtTheLimitAndTreatsLineEndsAsTheSpecSays)
{
    EXPECT_EQ(split("", 2), Tokens{});
    EXPECT_EQ(split("ROOT Hips\n", 2), (Tokens{"ROOT", "Hips"}));
    EXPECT_EQ(split("ROOT Hips extra\n", 2), (Tokens{"ROOT", "Hips"}));
    EXPECT_EQ(split("\t a \t b\n", 4), (Tokens{"a", "b"}));
    // Blanks before the LF give one more, empty token; a lone LF gives one empty token.
    EXPECT_EQ(split("OFFSET 1 2 \n", 4), (Tokens{"OFFSET", "1", "2", ""}));
    EXPECT_EQ(split("\n", 2), (Tokens{""}));
    EXPECT_EQ(split("x \t", 2), (Tokens{"x", ""}));
}

TEST(BvhTokens, NextTokenExhaustsAtTheTerminator)
{
    std::string line = "CHANNELS 2\tXrotation \n";
    char* cursor = line.data();
    EXPECT_STREQ(nextToken(cursor), "CHANNELS");
    EXPECT_STREQ(nextToken(cursor), "2");
    char* end;
    const char* name = nextToken(cursor, &end);
    EXPECT_STREQ(name, "Xrotation");
    EXPECT_EQ(end, name + 9);
    EXPECT_STREQ(nextToken(cursor), "");  // the LF ends an empty token
    const char* atEnd = cursor;
    EXPECT_STREQ(nextToken(cursor), "");
    EXPECT_STREQ(nextToken(cursor), "");
    EXPECT_EQ(cursor, atEnd);  // exhausted: the cursor no longer moves
    EXPECT_EQ(*cursor, '\0');
}

TEST(BvhTokens, StartsWithAndCount)
{
    EXPECT_TRUE(startsWith("Frames: 3", "Frames:"));
    EXPECT_TRUE(startsWith("Endless", "End"));
    EXPECT_FALSE(startsWith("En", "End"));
    EXPECT_EQ(countTokens(""), 0);
    EXPECT_EQ(countTokens("  a\tbb  c \n"), 3);
}
