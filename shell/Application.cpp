#include "shell/Application.h"

#include <new>

#include "shell/StartupFile.h"
#include "shell/Window.h"
#include "viewer/Viewer.h"
#include "widgets/Gui.h"

namespace {

constexpr WCHAR WINDOW_TITLE[] = TEXT("VEXO");
constexpr WORD ICON_ID = 100;
constexpr WORD MENU_ID = 101;
constexpr WORD ACCELERATORS_ID = 103;

int fail(const char* reason)
{
    VexoReportFailure(reason);
    return 1;
}

}  // namespace

bool registerWindowClass(LPCWSTR className, HICON icon)
{
    WNDCLASSW windowClass{};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hIcon = icon;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = className;  // no background brush: GL covers the client area
    return RegisterClassW(&windowClass) != 0;
}

void unregisterWindowClass(LPCWSTR className)
{
    UnregisterClassW(className, GetModuleHandleW(nullptr));
}

bool createMainWindow(Viewer& viewer, HINSTANCE instance)
{
    return viewer.create(WS_EX_ACCEPTFILES, MAIN_WINDOW_CLASS, WINDOW_TITLE, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0,
                         CW_USEDEFAULT, 0, nullptr, LoadMenuW(instance, MAKEINTRESOURCEW(MENU_ID)), instance);
}

double secondsBetween(DWORD earlier, DWORD later)
{
    return static_cast<DWORD>(later - earlier) / 1000.0;  // unsigned: right across the timer's wrap
}

void runMainLoop(Viewer& viewer, HACCEL accelerators)
{
    MSG message;
    DWORD lastSample = timeGetTime();
    for (;;) {
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return;
            if (TranslateAcceleratorW(viewer.hwnd, accelerators, &message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        } else {
            const DWORD sample = timeGetTime();
            viewer.tick(viewer.pacing.realtime ? secondsBetween(lastSample, sample) : IDLE_STEP_SECONDS);
            lastSample = sample;
            viewer.render();
        }
    }
}

int runViewer(HINSTANCE instance, LPCWSTR startupFile, const ViewerOptions& options)
{
    if (!VexoDisplayAvailable()) return fail("no display available to show the viewer");
    startupFilePath = startupFile;
    const HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(ACCELERATORS_ID));
    if (!registerWindowClass(MAIN_WINDOW_CLASS, LoadIconW(instance, MAKEINTRESOURCEW(ICON_ID)))) {
        return fail("cannot register the window class");
    }
    Viewer* viewer = new (std::nothrow) Viewer;
    if (viewer == nullptr) {
        unregisterWindowClass(MAIN_WINDOW_CLASS);
        return fail("out of memory");
    }
    // The widgets and images start with the viewer as their capture host, before its window exists;
    // they shut down after the window class is gone.
    guiStartup(viewer);
    viewer->pacing.realtime = options.realtime;
    viewer->fit = options.fit;
    viewer->scene.up = options.up;
    int status = 0;
    if (!createMainWindow(*viewer, instance)) {
        status = fail("cannot open the main window: OpenGL could not be started on this display");
    } else {
        ShowWindow(viewer->hwnd, SW_SHOW);
        runMainLoop(*viewer, accelerators);
    }
    delete viewer;
    unregisterWindowClass(MAIN_WINDOW_CLASS);
    guiShutdown();
    return status;
}
