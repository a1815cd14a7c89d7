// Which presses become double clicks: Windows' time, rectangle and pairing rules.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/linux/DoubleClicks.h"

namespace {

HWND fakeWindow(int n)
{
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(n));
}

constexpr POINT AT{100, 200};

// The first press at AT, time 1000, in window 1 with the left button held; then the second one.
UINT secondPress(bool classWants, UINT message, WPARAM keys, POINT point, DWORD time, HWND window = fakeWindow(1))
{
    DoubleClicks clicks;
    clicks.press(fakeWindow(1), true, WM_LBUTTONDOWN, MK_LBUTTON, AT, 1000);
    return clicks.press(window, classWants, message, keys, point, time);
}

}  // namespace

TEST(DoubleClicks, ASecondPressPairsOnlyWithinTheTimeAndRectangleOfTheFirst)
{
    struct Case {
        const char* name;
        POINT point;
        DWORD time;
        UINT expected;
    };
    const Case cases[] = {
        {"at once", AT, 1000, WM_LBUTTONDBLCLK},
        {"499 ms later", AT, 1499, WM_LBUTTONDBLCLK},
        {"500 ms later", AT, 1500, WM_LBUTTONDOWN},
        {"700 ms later", AT, 1700, WM_LBUTTONDOWN},
        {"1 pixel left and up", {99, 199}, 1100, WM_LBUTTONDBLCLK},
        {"1 pixel right and down", {101, 201}, 1100, WM_LBUTTONDBLCLK},
        {"2 pixels right", {102, 200}, 1100, WM_LBUTTONDOWN},
        {"2 pixels up", {100, 198}, 1100, WM_LBUTTONDOWN},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(secondPress(true, WM_LBUTTONDOWN, MK_LBUTTON, c.point, c.time), c.expected) << c.name;
    }
}

TEST(DoubleClicks, ASecondPressPairsOnlyWithTheSameButtonWindowKeysAndAClassThatAsks)
{
    EXPECT_EQ(secondPress(false, WM_LBUTTONDOWN, MK_LBUTTON, AT, 1100), WM_LBUTTONDOWN) << "class without CS_DBLCLKS";
    EXPECT_EQ(secondPress(true, WM_RBUTTONDOWN, MK_RBUTTON, AT, 1100), WM_RBUTTONDOWN) << "the other button";
    EXPECT_EQ(secondPress(true, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, AT, 1100), WM_LBUTTONDOWN) << "Shift held";
    EXPECT_EQ(secondPress(true, WM_LBUTTONDOWN, MK_LBUTTON, AT, 1100, fakeWindow(2)), WM_LBUTTONDOWN)
        << "another window";

    DoubleClicks right;
    right.press(fakeWindow(1), true, WM_RBUTTONDOWN, MK_RBUTTON, AT, 1000);
    EXPECT_EQ(right.press(fakeWindow(1), true, WM_RBUTTONDOWN, MK_RBUTTON, AT, 1100), WM_RBUTTONDBLCLK);
}

TEST(DoubleClicks, QuickPressesPairUpAndTheClockMayWrap)
{
    DoubleClicks clicks;
    std::vector<UINT> messages;
    for (DWORD time = 0xFFFFFF00; messages.size() < 5; time += 100) {
        messages.push_back(clicks.press(fakeWindow(1), true, WM_LBUTTONDOWN, MK_LBUTTON, AT, time));
    }
    EXPECT_EQ(messages, (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONDOWN, WM_LBUTTONDBLCLK,
                                           WM_LBUTTONDOWN}));
}
