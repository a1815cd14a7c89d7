// Menu resource 101 as the HMENU model: items, queries by position and by command, check marks.

#include <gtest/gtest.h>

#include <string>

#include "platform/win32.h"
#include "resources/WideText.h"

namespace {

struct ItemExpectation {
    WideText text;
    UINT id;
};

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override { menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(101)); }
    // The menu belongs to no window here (DestroyWindow frees the menu of its window).
    void TearDown() override { DestroyMenu(menu); }

    WideText text(HMENU from, UINT position)
    {
        WCHAR buffer[64] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_STRING;
        info.dwTypeData = buffer;
        info.cch = 64;
        if (!GetMenuItemInfoW(from, position, TRUE, &info)) return TEXT("<none>");
        return buffer;
    }

    HMENU popup(UINT position)
    {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_SUBMENU;
        return GetMenuItemInfoW(menu, position, TRUE, &info) ? info.hSubMenu : nullptr;
    }

    HMENU menu = nullptr;
};

TEST_F(MenuTest, Resource101HoldsFileViewHelpWithTheirItems)
{
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 3);
    const WideText titles[] = {TEXT("&File"), TEXT("&View"), TEXT("&Help")};
    const std::vector<ItemExpectation> items[] = {
        {{TEXT("&Open..."), 10005}, {TEXT("E&xit"), 10000}},
        {{TEXT("&Move Camera"), 10002}, {TEXT("&Loop"), 10003}, {TEXT("&Controls"), 10004}, {TEXT("&Floor"), 10006}},
        {{TEXT("&About..."), 10001}},
    };
    for (UINT p = 0; p < 3; ++p) {
        EXPECT_EQ(text(menu, p), titles[p]);
        const HMENU sub = popup(p);
        ASSERT_NE(sub, nullptr);
        ASSERT_EQ(GetMenuItemCount(sub), static_cast<int>(items[p].size()));
        for (UINT i = 0; i < items[p].size(); ++i) {
            MENUITEMINFOW info{};
            info.cbSize = sizeof(info);
            info.fMask = MIIM_ID | MIIM_STATE | MIIM_SUBMENU;
            ASSERT_TRUE(GetMenuItemInfoW(sub, i, TRUE, &info));
            EXPECT_EQ(info.wID, items[p][i].id);
            EXPECT_EQ(info.fState, 0u) << "no check marks or greying in the resource";
            EXPECT_EQ(info.hSubMenu, nullptr);
            EXPECT_EQ(text(sub, i), items[p][i].text);
        }
    }
}

TEST_F(MenuTest, CheckMenuItemReturnsThePreviousStateByPositionOrCommand)
{
    const HMENU view = popup(1);
    EXPECT_EQ(CheckMenuItem(view, 1, MF_BYPOSITION | MF_CHECKED), MF_UNCHECKED);
    EXPECT_EQ(CheckMenuItem(view, 1, MF_BYPOSITION | MF_CHECKED), MF_CHECKED);
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STATE;
    ASSERT_TRUE(GetMenuItemInfoW(view, 10003, FALSE, &info));
    EXPECT_EQ(info.fState & MFS_CHECKED, MFS_CHECKED);
    // By command the whole menu is searched, popups included.
    EXPECT_EQ(CheckMenuItem(menu, 10003, MF_BYCOMMAND | MF_UNCHECKED), MF_CHECKED);
    EXPECT_EQ(CheckMenuItem(view, 9, MF_BYPOSITION | MF_CHECKED), static_cast<DWORD>(-1));
    EXPECT_EQ(CheckMenuItem(menu, 4242, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(-1));
}

TEST_F(MenuTest, ItemTextIsTruncatedToTheBufferAndItsLengthReported)
{
    WCHAR buffer[4];
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    info.dwTypeData = buffer;
    info.cch = 4;
    ASSERT_TRUE(GetMenuItemInfoW(popup(1), 0, TRUE, &info));
    EXPECT_EQ(WideText(buffer), TEXT("&Mo"));
    EXPECT_EQ(info.cch, 12u);
}

TEST_F(MenuTest, QueriesOutsideTheMenuFail)
{
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID;
    EXPECT_FALSE(GetMenuItemInfoW(menu, 3, TRUE, &info));
    EXPECT_FALSE(GetMenuItemInfoW(nullptr, 0, TRUE, &info));
    info.cbSize = 0;
    EXPECT_FALSE(GetMenuItemInfoW(menu, 0, TRUE, &info));
    EXPECT_EQ(GetMenuItemCount(nullptr), -1);
    EXPECT_EQ(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(4242)), nullptr);
}

}  // namespace
