// The message queue, keyboard translation and accelerators.

#include "MessageLog.h"

namespace {

constexpr WORD COMMAND_OPEN = 10005;

std::vector<MSG> drain()
{
    std::vector<MSG> taken;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) taken.push_back(message);
    return taken;
}

TEST_F(WindowTest, PostedMessagesComeOutInOrderAndQuitEndsWhereItWasPosted)
{
    const HWND window = create();
    PostMessageW(window, WM_KEYDOWN, 'A', 0);
    PostQuitMessage(3);
    PostMessageW(window, WM_KEYDOWN, 'B', 0);
    const std::vector<MSG> taken = drain();
    ASSERT_EQ(taken.size(), 3u);
    EXPECT_EQ(taken[0].wParam, WPARAM{'A'});
    EXPECT_EQ(taken[1].message, WM_QUIT);
    EXPECT_EQ(taken[1].wParam, 3u);
    EXPECT_EQ(taken[1].hwnd, nullptr);
    EXPECT_EQ(taken[2].wParam, WPARAM{'B'});
}

TEST_F(WindowTest, PeekWithoutRemovingAndWithFilters)
{
    const HWND first = create();
    const HWND second = create();
    PostMessageW(first, WM_KEYDOWN, 1, 0);
    PostMessageW(second, WM_MOUSEMOVE, 2, 0);
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(message.wParam, 1u);
    ASSERT_TRUE(PeekMessageW(&message, second, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.wParam, 2u);
    EXPECT_FALSE(PeekMessageW(&message, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE));
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_KEYDOWN, WM_KEYUP, PM_REMOVE));
    EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WindowTest, MessagesOfADestroyedWindowAreDropped)
{
    const HWND window = create();
    const HWND other = create();
    PostMessageW(window, WM_KEYDOWN, 1, 0);
    PostMessageW(other, WM_KEYDOWN, 2, 0);
    DestroyWindow(window);
    const std::vector<MSG> taken = drain();
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0].hwnd, other);
}

TEST_F(WindowTest, DispatchAndSendReachTheWindowProcedure)
{
    const HWND window = create();
    answer = [](HWND, UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_COMMAND) return static_cast<LRESULT>(wParam * 2);
        return std::nullopt;
    };
    EXPECT_EQ(SendMessageW(window, WM_COMMAND, 21, 0), 42);
    PostMessageW(window, WM_COMMAND, 5, 0);
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(DispatchMessageW(&message), 10);
}

TEST_F(WindowTest, TranslateMessageTypesTheCharacterOfTheKeyNext)
{
    const HWND window = create();
    struct Case {
        std::vector<WPARAM> keysHeld;
        WPARAM key;
        WPARAM character;  // 0: none
    };
    const Case cases[] = {
        {{}, 'A', 'a'},
        {{VK_SHIFT}, 'A', 'A'},
        {{}, '7', '7'},
        {{}, VK_SPACE, ' '},
        {{}, VK_RETURN, '\r'},
        {{}, VK_LEFT, 0},
        {{VK_CONTROL}, 'O', 0},
    };
    for (const Case& c : cases) {
        for (WPARAM held : c.keysHeld) PostMessageW(window, WM_KEYDOWN, held, 0);
        PostMessageW(window, WM_KEYDOWN, c.key, 0);
        PostMessageW(window, WM_KEYUP, c.key, 0);
        std::vector<MSG> taken;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            taken.push_back(message);
            TranslateMessage(&message);
        }
        for (WPARAM held : c.keysHeld) PostMessageW(window, WM_KEYUP, held, 0);
        drain();
        std::vector<MSG> characters;
        for (size_t i = 0; i < taken.size(); ++i) {
            if (taken[i].message == WM_CHAR) {
                characters.push_back(taken[i]);
                EXPECT_EQ(taken[i - 1].message, WM_KEYDOWN) << "the character follows its key";
            }
        }
        if (c.character == 0) {
            EXPECT_TRUE(characters.empty()) << "key " << c.key;
        } else {
            ASSERT_EQ(characters.size(), 1u) << "key " << c.key;
            EXPECT_EQ(characters[0].wParam, c.character);
        }
    }
}

// Feeds key messages through the queue the way the main loop does, returning the commands that
// reached the window and the key-down messages that got past the accelerator table.
struct Outcome {
    std::vector<WPARAM> commands;
    std::vector<WPARAM> keysDown;
};

TEST_F(WindowTest, CtrlOIsCommand10005AndNeverAKeyDown)
{
    const HACCEL table = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(103));
    ASSERT_NE(table, nullptr);
    const HWND window = create();
    const auto run = [&](std::vector<std::pair<UINT, WPARAM>> keys) {
        for (const auto& [message, key] : keys) PostMessageW(window, message, key, 0);
        Outcome outcome;
        log.clear();
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (TranslateAcceleratorW(window, table, &message)) continue;
            if (message.message == WM_KEYDOWN) outcome.keysDown.push_back(message.wParam);
        }
        for (const LoggedMessage& entry : log) {
            if (entry.message == WM_COMMAND) outcome.commands.push_back(entry.wParam);
        }
        return outcome;
    };

    const Outcome ctrlO = run({{WM_KEYDOWN, VK_CONTROL}, {WM_KEYDOWN, 'O'}, {WM_KEYUP, 'O'}, {WM_KEYUP, VK_CONTROL}});
    EXPECT_EQ(ctrlO.commands, (std::vector<WPARAM>{MAKEWPARAM(COMMAND_OPEN, 1)}));
    EXPECT_EQ(ctrlO.keysDown, (std::vector<WPARAM>{VK_CONTROL}));

    const Outcome plainO = run({{WM_KEYDOWN, 'O'}, {WM_KEYUP, 'O'}});
    EXPECT_TRUE(plainO.commands.empty());
    EXPECT_EQ(plainO.keysDown, (std::vector<WPARAM>{'O'}));

    // The table asks for Control alone: Ctrl+Shift+O is no accelerator.
    const Outcome ctrlShiftO = run({{WM_KEYDOWN, VK_CONTROL},
                                    {WM_KEYDOWN, VK_SHIFT},
                                    {WM_KEYDOWN, 'O'},
                                    {WM_KEYUP, VK_SHIFT},
                                    {WM_KEYUP, VK_CONTROL}});
    EXPECT_TRUE(ctrlShiftO.commands.empty());
}

}  // namespace
