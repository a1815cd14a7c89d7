#pragma once

#include "platform/win32.h"
#include "viewer/Scene.h"

class Viewer;

// The seconds handed to Viewer::tick on every idle pass (playback advances one frame per pass).
constexpr double IDLE_STEP_SECONDS = 0.008;

// The class of the main window; its procedure is windowProcedure.
inline constexpr WCHAR MAIN_WINDOW_CLASS[] = TEXT("VEXOWnd");

bool registerWindowClass(LPCWSTR className, HICON icon);
void unregisterWindowClass(LPCWSTR className);

// Creates the viewer's main window (of MAIN_WINDOW_CLASS, titled "VEXO", with the main menu,
// accepting dropped files, not yet shown); the viewer sets up GL and opens startupFilePath during
// the creation. False when the window could not be made.
bool createMainWindow(Viewer& viewer, HINSTANCE instance);

// Seconds from one timeGetTime sample to a later one, across the timer's wrap at 2^32 ms.
double secondsBetween(DWORD earlier, DWORD later);

// Takes messages without waiting until WM_QUIT; whenever none is waiting, ticks and renders the
// viewer. Messages first go through the accelerator table for the viewer's window. The timer is
// sampled before the loop and on every idle pass; the tick is handed the time between samples when
// the viewer plays in real time, else IDLE_STEP_SECONDS.
void runMainLoop(Viewer& viewer, HACCEL accelerators);

// How the viewer shows motions, as the command line asks.
struct ViewerOptions {
    bool realtime = false;  // playback paced by the motion's frame time
    bool fit = false;       // after each load the camera's distances fit the skeleton
    UpAxis up = UpAxis::Y;  // the motion's axis that points up
};

// The viewer as a desktop program, opening startupFile (when given) as its main window is created.
// Returns the exit status: 0 after the window was closed, 1 when it could not be shown.
int runViewer(HINSTANCE instance, LPCWSTR startupFile, const ViewerOptions& options = {});
