// A small program on the platform layer for the GUI tests: a window with menu 101, accelerators
// 103 and icon 100, an OpenGL client area cleared grey every frame by a display list compiled at
// WM_CREATE (before the window is shown), and a line on stdout for every message it handles, so a
// test can drive it with real input and read what arrived:
//
//     READY <milliseconds from start to the first frame>
//     <MESSAGE> <wParam> [<x> <y>]     mouse messages carry signed client coordinates
//     COMMAND <id>     INITMENUPOPUP <position>     DROP <path>     ABOUT <result>     CHECKS <flags>
//     FRAMES <frames drawn> <milliseconds from the first frame to the end>
//     SHOWN AGAIN      after H: the window hidden, a frame drawn while hidden, the window shown
// After D, the next WM_INITMENUPOPUP destroys the window (from inside the menu bar's handler).
// B keeps the probe busy for half a second, so that input given meanwhile arrives in one batch.
//
// The View menu's check marks follow four flags, all set at first, each toggled by its command.

#include <GL/gl.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "platform/win32.h"

namespace {

const auto startTime = std::chrono::steady_clock::now();
HWND mainWindow = nullptr;
HDC deviceContext = nullptr;
HGLRC glContext = nullptr;
GLuint clearList = 0;
bool viewFlags[4] = {true, true, true, true};
bool destroyAtMenu = false;  // Move Camera, Loop, Controls, Floor
constexpr WORD VIEW_COMMANDS[4] = {10002, 10003, 10004, 10006};

void say(const std::string& line)
{
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

std::string narrow(LPCWSTR text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), size, nullptr, nullptr);
    bytes.resize(bytes.empty() ? 0 : bytes.size() - 1);
    return bytes;
}

bool createGlContext(HWND window)
{
    PIXELFORMATDESCRIPTOR format{};
    format.nSize = sizeof(format);
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 32;
    format.cDepthBits = 16;
    deviceContext = GetDC(window);
    const int index = ChoosePixelFormat(deviceContext, &format);
    if (index == 0 || !SetPixelFormat(deviceContext, index, &format)) return false;
    glContext = wglCreateContext(deviceContext);
    if (glContext == nullptr || !wglMakeCurrent(deviceContext, glContext)) return false;
    clearList = glGenLists(1);
    glNewList(clearList, GL_COMPILE);
    glClearColor(0.6f, 0.6f, 0.6f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEndList();
    return clearList != 0;
}

INT_PTR aboutProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        // Centred over the parent's client area, as the application centres its About box.
        RECT parent{}, own{};
        GetClientRect(GetParent(dialog), &parent);
        GetClientRect(dialog, &own);
        POINT corner{(parent.right - own.right) / 2, (parent.bottom - own.bottom) / 2};
        ClientToScreen(GetParent(dialog), &corner);
        SetWindowPos(dialog, nullptr, corner.x, corner.y, 0, 0, SWP_NOSIZE | SWP_NOOWNERZORDER);
        say("DIALOG " + std::to_string(corner.x) + " " + std::to_string(corner.y) + " " + std::to_string(own.right) +
            " " + std::to_string(own.bottom));
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

void updateMenuChecks(HMENU menu)
{
    std::string flags;
    for (int position = 0; position < GetMenuItemCount(menu); ++position) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID;
        if (!GetMenuItemInfoW(menu, position, TRUE, &info)) break;
        for (int i = 0; i < 4; ++i) {
            if (info.wID == VIEW_COMMANDS[i]) {
                CheckMenuItem(menu, position, MF_BYPOSITION | (viewFlags[i] ? MF_CHECKED : MF_UNCHECKED));
            }
        }
    }
}

void command(WORD id)
{
    say("COMMAND " + std::to_string(id));
    for (int i = 0; i < 4; ++i) {
        if (id == VIEW_COMMANDS[i]) viewFlags[i] = !viewFlags[i];
    }
    if (id == 10000) DestroyWindow(mainWindow);
    if (id == 10001) {
        const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(102), mainWindow,
                                               aboutProcedure, 1);
        say("ABOUT " + std::to_string(result));
    }
    if (id == 10005) {
        WCHAR file[260] = {};
        WCHAR directory[260] = {};
        GetCurrentDirectoryW(260, directory);
        OPENFILENAMEW open{};
        open.lStructSize = 88;
        open.hwndOwner = mainWindow;
        open.lpstrFilter = TEXT("BVH Files (*.bvh)\0*.bvh\0");
        open.lpstrFile = file;
        open.nMaxFile = 260;
        open.lpstrInitialDir = directory;
        open.Flags = OFN_ENABLESIZING | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
        say(GetOpenFileNameW(&open) ? "OPENED " + narrow(file) : std::string("OPEN CANCELLED"));
    }
    std::string checks = "CHECKS";
    for (bool flag : viewFlags) checks += flag ? " 1" : " 0";
    say(checks);
}

void mouse(const char* name, WPARAM wParam, LPARAM lParam)
{
    say(std::string(name) + " " + std::to_string(wParam) + " " + std::to_string(GET_X_LPARAM(lParam)) + " " +
        std::to_string(GET_Y_LPARAM(lParam)));
}

void render();

void hideAndShowAgain(HWND window)
{
    ShowWindow(window, SW_HIDE);
    render();
    ShowWindow(window, SW_SHOW);
    say("SHOWN AGAIN");
}

LRESULT windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: say(createGlContext(window) ? "CREATE GL" : "CREATE NOGL"); return 0;
    case WM_SIZE: say("SIZE " + std::to_string(LOWORD(lParam)) + " " + std::to_string(HIWORD(lParam))); break;
    case WM_KEYDOWN:
        say("KEYDOWN " + std::to_string(wParam) + ((lParam >> 30) & 1 ? " REPEAT" : ""));
        if (wParam == 'H') hideAndShowAgain(window);
        if (wParam == 'D') destroyAtMenu = true;
        if (wParam == 'B') std::this_thread::sleep_for(std::chrono::milliseconds(500));
        break;
    case WM_KEYUP: say("KEYUP " + std::to_string(wParam)); break;
    case WM_SYSKEYDOWN: say("SYSKEYDOWN " + std::to_string(wParam)); break;
    case WM_CHAR: say("CHAR " + std::to_string(wParam)); break;
    case WM_COMMAND: command(LOWORD(wParam)); break;
    case WM_INITMENUPOPUP:
        say("INITMENUPOPUP " + std::to_string(LOWORD(lParam)));
        if (destroyAtMenu) {
            DestroyWindow(window);
            return 0;
        }
        updateMenuChecks(reinterpret_cast<HMENU>(wParam));
        break;
    case WM_MOUSEMOVE: mouse("MOUSEMOVE", wParam, lParam); break;
    case WM_LBUTTONDOWN:
        mouse("LBUTTONDOWN", wParam, lParam);
        SetCapture(window);
        break;
    case WM_LBUTTONUP:
        mouse("LBUTTONUP", wParam, lParam);
        if (GetCapture() == window) ReleaseCapture();
        break;
    case WM_LBUTTONDBLCLK: mouse("LBUTTONDBLCLK", wParam, lParam); break;
    case WM_RBUTTONDOWN: mouse("RBUTTONDOWN", wParam, lParam); break;
    case WM_RBUTTONUP: mouse("RBUTTONUP", wParam, lParam); break;
    case WM_CLOSE: say("CLOSE"); break;
    case WM_DROPFILES: {
        const HDROP drop = reinterpret_cast<HDROP>(wParam);
        const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            WCHAR path[260];
            DragQueryFileW(drop, i, path, 260);
            say("DROP " + narrow(path));
        }
        DragFinish(drop);
        return 0;
    }
    case WM_DESTROY:
        say("DESTROY");
        glDeleteLists(clearList, 1);
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(glContext);
        ReleaseDC(window, deviceContext);
        mainWindow = nullptr;
        PostQuitMessage(0);
        break;
    default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void render()
{
    RECT client;
    GetClientRect(mainWindow, &client);
    glViewport(0, 0, client.right, client.bottom);
    glCallList(clearList);
    SwapBuffers(deviceContext);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    if (!VexoDisplayAvailable()) {
        std::fputs("probe: no display\n", stderr);
        return 1;
    }
    const HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(103));
    WNDCLASSW windowClass{};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(100));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = TEXT("VEXOProbe");
    RegisterClassW(&windowClass);
    mainWindow = CreateWindowExW(WS_EX_ACCEPTFILES, TEXT("VEXOProbe"), TEXT("VEXO probe"), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0,
                                 CW_USEDEFAULT, 0, nullptr, LoadMenuW(instance, MAKEINTRESOURCEW(101)), instance,
                                 nullptr);
    if (mainWindow == nullptr) return 1;
    ShowWindow(mainWindow, SW_SHOW);
    long frames = 0;
    auto firstFrame = std::chrono::steady_clock::now();
    for (;;) {
        MSG message;
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) break;
            if (TranslateAcceleratorW(mainWindow, accelerators, &message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        } else if (mainWindow != nullptr) {
            render();
            if (frames++ == 0) {
                firstFrame = std::chrono::steady_clock::now();
                say("READY " + std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(firstFrame - startTime).count()));
            }
        }
    }
    const auto running = std::chrono::steady_clock::now() - firstFrame;
    say("FRAMES " + std::to_string(frames) + " " +
        std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(running).count()));
    UnregisterClassW(TEXT("VEXOProbe"), instance);
    return 0;
}
