// Names written under pictures: cut at the end with an ellipsis to fit, never inside a character.

#include <gtest/gtest.h>

#include "commands/TextStrip.h"

TEST(TextStrip, ATextTooWideIsCutToItsLongestStartThatFitsWithAnEllipsis)
{
    TextStrip strip(100, 16, 12);
    ASSERT_TRUE(strip.ok());
    const WideText ellipsis(1, WCHAR(0x2026));
    const WideText smile = {WCHAR(0xD83D), WCHAR(0xDE00)};  // one character, two units
    const struct {
        const char* name;
        WideText text;
    } cases[] = {
        {"short", TEXT("walk.bvh")},
        {"long", TEXT("subject_01/a_rather_long_motion_name_take_12.bvh")},
        {"pairs", WideText(TEXT("x")) + smile + smile + smile + smile + smile + smile + smile + smile + smile + smile +
                      smile + smile + smile + smile + smile + smile},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const WideText shown = strip.fitted(c.text);
        EXPECT_LE(strip.textWidth(shown), strip.room());
        if (strip.textWidth(c.text) <= strip.room()) {
            EXPECT_EQ(shown, c.text);
            continue;
        }
        ASSERT_GE(shown.size(), 1u);
        EXPECT_EQ(shown.substr(shown.size() - 1), ellipsis);
        const WideText start = shown.substr(0, shown.size() - 1);
        EXPECT_EQ(c.text.substr(0, start.size()), start);
        EXPECT_FALSE(!start.empty() && start.back() >= 0xD800 && start.back() <= 0xDBFF) << "half a pair";
        // One character more would not fit.
        std::size_t more = start.size() + 1;
        if (more < c.text.size() && c.text[more] >= 0xDC00 && c.text[more] <= 0xDFFF) ++more;
        EXPECT_GT(strip.textWidth(c.text.substr(0, more) + ellipsis), strip.room());
    }
}
