// Windows: the creation and destruction messages in their order, user data, geometry, capture and
// default processing, on offscreen windows.

#include <cstdlib>
#include <string>

#include "MessageLog.h"

namespace {

TEST_F(WindowTest, CreationSendsItsMessagesInOrderWithTheCreationParameter)
{
    int object = 0;
    const HWND window = create(&object);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(messagesReceived(), (std::vector<UINT>{WM_GETMINMAXINFO, WM_NCCREATE, WM_CREATE, WM_SIZE}));
    EXPECT_EQ(log[1].hwnd, window);
    EXPECT_EQ(log[1].lParam, log[2].lParam);  // the same creation structure
    EXPECT_EQ(log[3].wParam, SIZE_RESTORED);
    EXPECT_EQ(log[3].lParam, MAKELPARAM(320, 240));
}

TEST_F(WindowTest, TheCreationStructureCarriesTheArguments)
{
    int object = 0;
    CREATESTRUCTW seen{};
    answer = [&](HWND, UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
        if (message == WM_NCCREATE) seen = *reinterpret_cast<const CREATESTRUCTW*>(lParam);
        return std::nullopt;
    };
    ASSERT_NE(create(&object), nullptr);
    EXPECT_EQ(seen.lpCreateParams, &object);
    EXPECT_EQ(seen.hInstance, PROGRAM_MODULE_HANDLE);
    EXPECT_EQ(seen.dwExStyle, WS_EX_ACCEPTFILES);
    EXPECT_EQ(static_cast<DWORD>(seen.style), WS_OVERLAPPEDWINDOW);
}

TEST_F(WindowTest, RefusedCreationFailsAndCleansUp)
{
    struct Case {
        UINT refused;
        LRESULT answerGiven;
        std::vector<UINT> expected;
    };
    const Case cases[] = {
        {WM_NCCREATE, FALSE, {WM_GETMINMAXINFO, WM_NCCREATE, WM_NCDESTROY}},
        {WM_CREATE, -1, {WM_GETMINMAXINFO, WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}},
    };
    for (const Case& c : cases) {
        log.clear();
        answer = [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
            if (message == c.refused) return c.answerGiven;
            return std::nullopt;
        };
        EXPECT_EQ(create(), nullptr);
        EXPECT_EQ(messagesReceived(), c.expected) << "refusing " << c.refused;
    }
}

TEST_F(WindowTest, DestroyingSendsDestroyThenNcDestroyLastAndInvalidatesTheHandle)
{
    const HWND window = create();
    log.clear();
    ASSERT_TRUE(DestroyWindow(window));
    EXPECT_EQ(messagesReceived(), (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}));
    EXPECT_EQ(log.back().hwnd, window);
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_FALSE(PostMessageW(window, WM_NULL, 0, 0));
    RECT rect;
    EXPECT_FALSE(GetClientRect(window, &rect));
}

TEST_F(WindowTest, CloseIsDestroyByDefault)
{
    const HWND window = create();
    log.clear();
    PostMessageW(window, WM_CLOSE, 0, 0);
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    DispatchMessageW(&message);
    EXPECT_EQ(messagesReceived(), (std::vector<UINT>{WM_CLOSE, WM_DESTROY, WM_NCDESTROY}));
}

TEST_F(WindowTest, UserDataHoldsAPointerAndReturnsThePreviousValue)
{
    const HWND window = create();
    int object = 0;
    EXPECT_EQ(SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&object)), 0);
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&object));
    EXPECT_EQ(SetWindowLongPtrW(window, GWLP_USERDATA, 0), reinterpret_cast<LONG_PTR>(&object));
}

TEST_F(WindowTest, SetWindowPosResizesTheClientAreaAndSendsSize)
{
    const HWND window = create();
    log.clear();
    ASSERT_TRUE(SetWindowPos(window, nullptr, 10, 20, 200, 100, SWP_NOOWNERZORDER));
    EXPECT_EQ(messagesReceived(), (std::vector<UINT>{WM_SIZE}));
    EXPECT_EQ(log[0].lParam, MAKELPARAM(200, 100));
    RECT client;
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 100);

    // Moving alone keeps the size and sends nothing; the client origin follows.
    log.clear();
    SetWindowPos(window, nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOOWNERZORDER);
    EXPECT_TRUE(log.empty());
    POINT point{5, -7};
    ASSERT_TRUE(ClientToScreen(window, &point));
    EXPECT_EQ(point.x, 35);
    EXPECT_EQ(point.y, 33);
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 200);
}

TEST_F(WindowTest, ExplicitSizeAndParentAreKept)
{
    const HWND parent = create();
    const HWND child = create(nullptr, nullptr, 50, 60, parent);
    RECT client;
    GetClientRect(child, &client);
    EXPECT_EQ(client.right, 50);
    EXPECT_EQ(client.bottom, 60);
    EXPECT_EQ(GetParent(child), parent);
    EXPECT_EQ(GetParent(parent), nullptr);
    // Owned windows go when their owner goes, after it.
    log.clear();
    DestroyWindow(parent);
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].hwnd, parent);
    EXPECT_EQ(log[0].message, WM_DESTROY);
    EXPECT_EQ(log[1].hwnd, child);
    EXPECT_EQ(log[3].hwnd, parent);
    EXPECT_EQ(log[3].message, WM_NCDESTROY);
}

TEST_F(WindowTest, CaptureMovesBetweenWindowsAndTellsTheLoser)
{
    const HWND first = create();
    const HWND second = create();
    EXPECT_EQ(SetCapture(first), nullptr);
    EXPECT_EQ(GetCapture(), first);
    log.clear();
    EXPECT_EQ(SetCapture(second), first);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].hwnd, first);
    EXPECT_EQ(log[0].message, WM_CAPTURECHANGED);
    EXPECT_EQ(log[0].lParam, reinterpret_cast<LPARAM>(second));
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_EQ(GetCapture(), nullptr);
    // A window destroyed while holding the capture gives it up.
    SetCapture(first);
    DestroyWindow(first);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(WindowTest, ShowWindowReportsThePreviousVisibility)
{
    const HWND window = create();
    EXPECT_FALSE(ShowWindow(window, SW_SHOW));
    EXPECT_TRUE(ShowWindow(window, SW_HIDE));
}

TEST_F(WindowTest, UnknownClassCreatesNothingAndClassesRegisterOnce)
{
    EXPECT_EQ(CreateWindowExW(0, TEXT("NoSuchClass"), TEXT(""), 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
    WNDCLASSW again{};
    again.lpfnWndProc = DefWindowProcW;
    again.lpszClassName = TEXT("vexotestwindow");  // names match without regard to case
    EXPECT_EQ(RegisterClassW(&again), 0);
}

}  // namespace

namespace {

TEST(Display, NotAvailableWithoutAServer)
{
    const char* saved = std::getenv("DISPLAY");
    const std::string previous = saved != nullptr ? saved : "";
    ::unsetenv("DISPLAY");
    EXPECT_FALSE(VexoDisplayAvailable());
    ::setenv("DISPLAY", ":65000", 1);  // no server there
    EXPECT_FALSE(VexoDisplayAvailable());
    if (saved != nullptr) ::setenv("DISPLAY", previous.c_str(), 1);
    else ::unsetenv("DISPLAY");
}

}  // namespace
