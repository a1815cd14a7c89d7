// The Viewer's message handler: keys and menu commands change playback and camera state, the View
// menu's check marks follow the flags, files come from the open dialog or a drop.

#include "resources/WideString.h"
#include "shell/AboutDialog.h"
#include "viewer/CommandIds.h"
#include "viewer/Viewer.h"

namespace {

// The longest path Windows takes, "\\?\" and the terminator included: a long-path aware program
// is handed paths beyond the old 260.
constexpr DWORD PATH_UNITS = 32768;
constexpr WCHAR BVH_FILTER[] = TEXT("BVH Files (*.bvh)\0*.bvh\0");  // the literal adds the closing empty string

bool* viewFlag(Viewer& viewer, UINT command)
{
    switch (command) {
    case ID_VIEW_MOVE_CAMERA: return &viewer.moveCamera;
    case ID_VIEW_LOOP: return &viewer.loop;
    case ID_VIEW_CONTROLS: return &viewer.showControls;
    case ID_VIEW_FLOOR: return &viewer.showFloor;
    default: return nullptr;
    }
}

}  // namespace

LRESULT Viewer::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return onCreate();
    case WM_DROPFILES:
        onDropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_DESTROY:
        onDestroy();
        PostQuitMessage(0);
        break;
    case WM_SIZE:
        onSize(wParam, LOWORD(static_cast<ULONG_PTR>(lParam)), HIWORD(static_cast<ULONG_PTR>(lParam)));
        break;
    case WM_KEYDOWN:
        onKeyDown(LOWORD(wParam));
        break;
    case WM_COMMAND:
        onCommand(LOWORD(wParam));
        break;
    case WM_INITMENUPOPUP:
        updateMenuChecks(reinterpret_cast<HMENU>(wParam));
        break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        routeMouse(message, lParam);  // middle button, double clicks and the wheel are not routed
        break;
    default:
        break;
    }
    return Window::handleMessage(message, wParam, lParam);
}

void Viewer::onKeyDown(WORD key)
{
    switch (key) {
    case VK_SPACE: setPaused(!paused); break;
    case VK_LEFT: camera.yaw(-OrbitCamera::ANGLE_STEP); break;
    case VK_RIGHT: camera.yaw(OrbitCamera::ANGLE_STEP); break;
    case VK_UP: camera.pitch(OrbitCamera::ANGLE_STEP); break;
    case VK_DOWN: camera.pitch(-OrbitCamera::ANGLE_STEP); break;
    case 'C': moveCamera = !moveCamera; break;
    case 'L': lighting = !lighting; break;
    case 'W': camera.zoomStep(true); break;
    case 'S': camera.zoomStep(false); break;
    case 'X': singleStep = true; break;
    default: break;
    }
}

void Viewer::onCommand(WORD command)
{
    if (bool* flag = viewFlag(*this, command)) {
        *flag = !*flag;
        return;
    }
    switch (command) {
    case ID_FILE_OPEN: showOpenDialog(); break;
    case ID_FILE_EXIT: DestroyWindow(hwnd); break;
    case ID_HELP_ABOUT: showAbout(); break;
    default: break;
    }
}

void Viewer::updateMenuChecks(HMENU menu)
{
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOW item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_ID;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &item)) return;
        if (const bool* flag = viewFlag(*this, item.wID)) {
            CheckMenuItem(menu, static_cast<UINT>(position), MF_BYPOSITION | (*flag ? MF_CHECKED : MF_UNCHECKED));
        }
    }
}

void Viewer::showOpenDialog()
{
    // Starts wherever the process's current directory is now; the choice does not change it.
    WideString directory;
    directory.assignCurrentDirectory();
    WideString path;
    if (!path.reserve(PATH_UNITS)) {
        directory.release();
        return;
    }
    path.data[0] = 0;
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = hwnd;
    dialog.lpstrFilter = BVH_FILTER;
    dialog.lpstrFile = path.data;
    dialog.nMaxFile = path.capacity;
    dialog.lpstrInitialDir = directory.data;
    dialog.Flags = OFN_ENABLESIZING | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    if (GetOpenFileNameW(&dialog)) loadFile(path.data);
    path.release();
    directory.release();
}

void Viewer::onDropFiles(HDROP drop)
{
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    WideString path;
    for (UINT i = 0; i < count; ++i) {
        const UINT units = DragQueryFileW(drop, i, nullptr, 0) + 1;  // however long the path
        if (!path.reserve(units)) continue;
        DragQueryFileW(drop, i, path.data, units);
        if (loadFile(path.data)) break;
    }
    path.release();
    DragFinish(drop);
}

void Viewer::showAbout()
{
    AboutDialog about;
    about.run(hwnd);
}
