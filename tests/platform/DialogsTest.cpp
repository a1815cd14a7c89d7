// Modal dialogs from template 102, offscreen: message order, the keyboard interface, EndDialog.

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/win32.h"

namespace {

constexpr WORD ABOUT_TEMPLATE = 102;

// What the dialog procedure saw, and what it does on WM_INITDIALOG.
std::vector<UINT> seen;
std::function<void(HWND)> onInit;

INT_PTR dialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    seen.push_back(message);
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
        if (onInit) onInit(dialog);
        return TRUE;
    }
    if (message == WM_COMMAND && GetWindowLongPtrW(dialog, GWLP_USERDATA) != 0) {
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(VexoUseOffscreenWindows(320, 240));
        seen.clear();
        onInit = nullptr;
    }

    INT_PTR run(LPARAM parameter = 1)
    {
        return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(ABOUT_TEMPLATE), nullptr, dialogProcedure,
                               parameter);
    }
};

TEST_F(DialogTest, KeysAndTheCloseBoxEndTheDialogWithTheirResults)
{
    struct Case {
        const char* what;
        UINT message;
        WPARAM wParam;
        INT_PTR result;
    };
    const Case cases[] = {
        {"Enter", WM_KEYDOWN, VK_RETURN, IDOK},
        {"Escape", WM_KEYDOWN, VK_ESCAPE, IDCANCEL},
        {"the close box", WM_CLOSE, 0, IDCANCEL},
        {"the OK button", WM_COMMAND, MAKEWPARAM(IDOK, 0), IDOK},
    };
    for (const Case& c : cases) {
        onInit = [&](HWND dialog) { PostMessageW(dialog, c.message, c.wParam, 0); };
        EXPECT_EQ(run(), c.result) << c.what;
    }
}

TEST_F(DialogTest, FontComesBeforeInitDialogWhichCarriesTheParameter)
{
    LPARAM stored = 0;
    onInit = [&](HWND dialog) {
        stored = GetWindowLongPtrW(dialog, GWLP_USERDATA);
        EndDialog(dialog, 7);
    };
    EXPECT_EQ(run(1234), 7);
    EXPECT_EQ(stored, 1234);
    const auto at = [](UINT message) { return std::find(seen.begin(), seen.end(), message) - seen.begin(); };
    EXPECT_LT(at(WM_NCCREATE), at(WM_SETFONT));
    EXPECT_LT(at(WM_SETFONT), at(WM_INITDIALOG));
    EXPECT_EQ(seen.back(), WM_NCDESTROY) << "the dialog is destroyed before DialogBoxParamW returns";
}

TEST_F(DialogTest, OtherCommandsLeaveTheDialogOpen)
{
    onInit = [](HWND dialog) {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(10001, 0), 0);
        PostMessageW(dialog, WM_KEYDOWN, VK_RETURN, 0);
    };
    EXPECT_EQ(run(), IDOK);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), WM_COMMAND), 2);
}

TEST_F(DialogTest, ClientSizeComesFromDialogUnitsAndCanBeCentred)
{
    RECT client{};
    HWND parentSeen = reinterpret_cast<HWND>(1);
    onInit = [&](HWND dialog) {
        GetClientRect(dialog, &client);
        parentSeen = GetParent(dialog);
        SetWindowPos(dialog, nullptr, 40, 50, 0, 0, SWP_NOSIZE | SWP_NOOWNERZORDER);
        POINT origin{0, 0};
        ClientToScreen(dialog, &origin);
        EXPECT_EQ(origin.x, 40);
        EXPECT_EQ(origin.y, 50);
        EndDialog(dialog, IDOK);
    };
    run();
    // 187 x 76 units with base units 6 x 13: MulDiv(187, 6, 4) and MulDiv(76, 13, 8).
    EXPECT_EQ(client.right, 281);
    EXPECT_EQ(client.bottom, 124);
    EXPECT_EQ(parentSeen, nullptr);
}

TEST_F(DialogTest, UnansweredOffscreenDialogIsCancelled)
{
    EXPECT_EQ(run(), IDCANCEL);
}

TEST_F(DialogTest, MissingTemplateFails)
{
    EXPECT_EQ(DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(4242), nullptr, dialogProcedure, 0), -1);
    EXPECT_TRUE(seen.empty());
}

TEST_F(DialogTest, QuitEndsTheModalLoopAndStaysQueued)
{
    onInit = [](HWND) { PostQuitMessage(5); };
    run();
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, WM_QUIT);
    EXPECT_EQ(message.wParam, 5u);
}

}  // namespace
