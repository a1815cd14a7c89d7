// Window and Dialog binding on offscreen windows: which messages reach the object, when hwnd is
// set and cleared, and how the modal box ends.

#include <gtest/gtest.h>

#include <vector>

#include "shell/AboutDialog.h"
#include "shell/Window.h"

namespace {

constexpr WCHAR CLASS_NAME[] = TEXT("VexoBindingTest");

struct Seen {
    UINT message;
    HWND hwnd;  // the object's hwnd when the message arrived
};

class RecordingWindow : public Window {
public:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        seen.push_back({message, hwnd});
        if (message == WM_CREATE) return createResult;
        return Window::handleMessage(message, wParam, lParam);
    }

    std::vector<Seen> seen;
    LRESULT createResult = 0;
};

class WindowBinding : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(VexoUseOffscreenWindows(320, 240));
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = windowProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = CLASS_NAME;
        ASSERT_NE(RegisterClassW(&windowClass), 0);
    }
    void TearDown() override { UnregisterClassW(CLASS_NAME, GetModuleHandleW(nullptr)); }

    static bool create(Window& window)
    {
        return window.create(0, CLASS_NAME, TEXT("binding"), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, nullptr,
                             nullptr, GetModuleHandleW(nullptr));
    }
};

}  // namespace

TEST_F(WindowBinding, TheObjectIsAttachedFromNcCreateToNcDestroy)
{
    RecordingWindow window;
    ASSERT_TRUE(create(window));
    ASSERT_NE(window.hwnd, nullptr);
    ASSERT_FALSE(window.seen.empty());
    EXPECT_EQ(window.seen.front().message, WM_NCCREATE);  // WM_GETMINMAXINFO, before it, never arrives
    EXPECT_EQ(window.seen.front().hwnd, window.hwnd);
    EXPECT_EQ(GetWindowLongPtrW(window.hwnd, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&window));

    const HWND handle = window.hwnd;
    EXPECT_TRUE(DestroyWindow(handle));
    EXPECT_EQ(window.hwnd, nullptr);
    EXPECT_EQ(window.seen.back().message, WM_NCDESTROY);
    EXPECT_EQ(window.seen.back().hwnd, handle);  // still attached while it is handled
}

TEST_F(WindowBinding, ARefusedCreationLeavesTheObjectDetached)
{
    RecordingWindow window;
    window.createResult = -1;
    EXPECT_FALSE(create(window));
    EXPECT_EQ(window.hwnd, nullptr);
    EXPECT_EQ(window.seen.back().message, WM_NCDESTROY);

    // A window of the class created without an object cannot be served: its creation fails.
    EXPECT_EQ(CreateWindowExW(0, CLASS_NAME, TEXT("orphan"), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr),
              nullptr);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {}
}

namespace {

// An About box that, once shown, is sent the given messages as a user would send them.
class ScriptedAbout : public Dialog {
public:
    explicit ScriptedAbout(std::vector<MSG> script) : script(std::move(script)) {}

    void onInitDialog() override
    {
        Dialog::onInitDialog();
        for (const MSG& m : script) PostMessageW(hwnd, m.message, m.wParam, m.lParam);
    }
    void onCommand(WORD command) override
    {
        commands.push_back(command);
        Dialog::onCommand(command);
    }

    std::vector<MSG> script;
    std::vector<WORD> commands;
};

MSG command(WORD id)
{
    return {nullptr, WM_COMMAND, MAKEWPARAM(id, 0), 0, 0, {}};
}

MSG key(WPARAM code)
{
    return {nullptr, WM_KEYDOWN, code, 1, 0, {}};
}

}  // namespace

TEST_F(WindowBinding, TheAboutBoxEndsWithOkOrCancelAndIgnoresOtherCommands)
{
    RecordingWindow parent;
    ASSERT_TRUE(create(parent));
    struct Case {
        const char* what;
        std::vector<MSG> script;
        INT_PTR result;
    };
    const Case cases[] = {
        {"OK after an unknown command", {command(10001), command(IDOK)}, IDOK},
        {"Cancel", {command(IDCANCEL)}, IDCANCEL},
        {"Enter", {key(VK_RETURN)}, IDOK},
        {"Escape", {key(VK_ESCAPE)}, IDCANCEL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedAbout about(c.script);
        EXPECT_EQ(about.runModal(AboutDialog::TEMPLATE_ID, parent.hwnd), c.result);
        EXPECT_EQ(about.commands.back(), static_cast<WORD>(c.result));
    }
    DestroyWindow(parent.hwnd);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {}
}

TEST_F(WindowBinding, TheAboutBoxIsCentredOverItsParentsClientArea)
{
    RecordingWindow parent;
    ASSERT_TRUE(create(parent));
    struct Measuring : Dialog {
        void onInitDialog() override
        {
            Dialog::onInitDialog();
            GetClientRect(hwnd, &client);
            GetWindowRect(hwnd, &outer);
            PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
        }
        RECT client{};
        RECT outer{};
    } about;
    about.runModal(AboutDialog::TEMPLATE_ID, parent.hwnd);
    POINT expected{(320 - about.client.right) / 2, (240 - about.client.bottom) / 2};
    ClientToScreen(parent.hwnd, &expected);
    EXPECT_GT(about.client.right, 0);
    // The outer corner goes there; the client area sits further in by the frame, if there is one.
    EXPECT_EQ(about.outer.left, expected.x);
    EXPECT_EQ(about.outer.top, expected.y);
    DestroyWindow(parent.hwnd);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {}
}
