#pragma once

// A window class whose procedure records every message it receives, for tests of message order.
// A test can answer particular messages itself through `answer`.

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <vector>

#include "platform/win32.h"

struct LoggedMessage {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class WindowTest : public ::testing::Test {
protected:
    static constexpr const WCHAR* CLASS_NAME = TEXT("VexoTestWindow");

    void SetUp() override
    {
        ASSERT_TRUE(VexoUseOffscreenWindows(320, 240));
        log.clear();
        answer = nullptr;
        WNDCLASSW windowClass{};
        windowClass.style = CS_DBLCLKS;
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = CLASS_NAME;
        ASSERT_NE(RegisterClassW(&windowClass), 0);
        MSG drained;
        while (PeekMessageW(&drained, nullptr, 0, 0, PM_REMOVE)) {}
    }

    void TearDown() override
    {
        for (HWND window : created) DestroyWindow(window);  // refused for windows already gone
        UnregisterClassW(CLASS_NAME, GetModuleHandleW(nullptr));
        answer = nullptr;
    }

    HWND create(LPVOID parameter = nullptr, HMENU menu = nullptr, int width = CW_USEDEFAULT, int height = 0,
                HWND parent = nullptr)
    {
        HWND window = CreateWindowExW(WS_EX_ACCEPTFILES, CLASS_NAME, TEXT("Test"), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0,
                                      width, height, parent, menu, GetModuleHandleW(nullptr), parameter);
        if (window != nullptr) created.push_back(window);
        return window;
    }

    std::vector<UINT> messagesReceived() const
    {
        std::vector<UINT> messages;
        for (const LoggedMessage& entry : log) messages.push_back(entry.message);
        return messages;
    }

    static LRESULT procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        log.push_back({window, message, wParam, lParam});
        if (answer) {
            if (std::optional<LRESULT> result = answer(window, message, wParam, lParam)) return *result;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    static inline std::vector<LoggedMessage> log;
    static inline std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)> answer;
    std::vector<HWND> created;
};
