#include "commands/OffscreenViewer.h"

#include <algorithm>
#include <new>

#include "shell/Application.h"
#include "commands/LoadedMotion.h"
#include "shell/StartupFile.h"
#include "viewer/Viewer.h"
#include "widgets/Gui.h"

OffscreenViewer::~OffscreenViewer()
{
    if (viewer != nullptr && viewer->hwnd != nullptr) {
        DestroyWindow(viewer->hwnd);
        dispatchWaitingMessages();  // down to the WM_QUIT that WM_DESTROY posts
    }
    delete viewer;
    if (classRegistered) unregisterWindowClass(MAIN_WINDOW_CLASS);
    if (guiStarted) guiShutdown();
}

bool OffscreenViewer::fail(std::string why)
{
    reason = std::move(why);
    return false;
}

template <typename Prepare>
bool OffscreenViewer::createWindow(LPCWSTR startupFile, CommandLine::Size size, Prepare&& prepare)
{
    if (!VexoUseOffscreenWindows(size.width, size.height)) return fail("vexo: no offscreen OpenGL available");
    classRegistered = registerWindowClass(MAIN_WINDOW_CLASS, nullptr);
    if (!classRegistered) return fail("vexo: cannot register the window class");
    viewer = new (std::nothrow) Viewer;
    if (viewer == nullptr) return fail("vexo: out of memory");
    prepare(*viewer);
    guiStarted = true;
    guiStartup(viewer);  // the arena may fail; scratch requests then use the heap
    startupFilePath = startupFile;
    const bool created = createMainWindow(*viewer, GetModuleHandleW(nullptr));
    startupFilePath = nullptr;
    if (!created) return fail("vexo: cannot draw offscreen at " + std::to_string(size.width) + "x" + std::to_string(size.height));
    ShowWindow(viewer->hwnd, SW_SHOW);
    dispatchWaitingMessages();
    return true;
}

bool OffscreenViewer::openScene(Skeleton* motion, CommandLine::Size size, UpAxis up)
{
    const auto sceneAlone = [&](Viewer& window) {
        window.sceneOnly = true;
        window.scene.up = up;
    };
    if (!createWindow(nullptr, size, sceneAlone)) {
        Skeleton::destroy(motion);
        return false;
    }
    viewer->showMotion(motion);
    return true;
}

bool OffscreenViewer::open(const CommandLine& line)
{
    LPCWSTR file = line.files[0];
    const auto asAsked = [&](Viewer& window) {
        window.fit = line.fit;
        window.scene.up = line.up;
    };
    if (!createWindow(file, line.size, asAsked)) return false;
    if (!viewer->motionLoaded()) {
        const LoadedMotion motion(file);  // read again only to say why
        return fail(motion.ok() ? "vexo: " + toUtf8(file) + ": cannot be loaded (out of memory?)" : motion.refusal());
    }
    return true;
}

void OffscreenViewer::dispatchWaitingMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) && message.message != WM_QUIT) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

std::int32_t OffscreenViewer::lastFrame() const
{
    return std::max(viewer->skeleton->frameCount, 1);
}

std::int32_t OffscreenViewer::frame() const
{
    return viewer->frameIndex + 1;
}

double OffscreenViewer::frameTime() const
{
    return viewer->skeleton->frameTime;
}

void OffscreenViewer::stepTo(std::int32_t target)
{
    while (frame() < std::min(target, viewer->skeleton->frameCount)) {
        viewer->singleStep = true;
        viewer->tick(IDLE_STEP_SECONDS);
    }
}

void OffscreenViewer::play()
{
    viewer->setPaused(false);
}

void OffscreenViewer::tick()
{
    viewer->tick(IDLE_STEP_SECONDS);
}

bool OffscreenViewer::draw(Image& picture)
{
    viewer->render();
    return viewer->readFrame(picture);
}

bool OffscreenViewer::drawWholeSkeleton(Image& picture, float margin)
{
    viewer->frameWholeSkeleton(margin);
    viewer->drawScene();
    return viewer->readFrame(picture);
}
