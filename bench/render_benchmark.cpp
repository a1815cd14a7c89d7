// Render benchmark: frames per second of the viewer's own frame (tick, then render) while a motion
// plays, on the offscreen window (Mesa, no display), through the program's window path. Each frame
// ends with glFinish, so a figure includes the driver's rasterisation (software with llvmpipe) and
// is not flattered by frames still queued. A run plays the motion once through: what a frame costs
// depends on the pose and on where the following camera looks, so runs of whole loops compare. Loops
// as shown by default alternate with loops with View > Controls off (the control bar without the
// frame counter and key list), which tells what the text costs. It prints figures and asserts no
// times.
//
// Usage: render_benchmark [FILE] [WIDTH HEIGHT] [RUNS]   (default: the sample, 1280 x 720, 5 runs)

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "resources/WideText.h"
#include "shell/Application.h"
#include "viewer/Viewer.h"
#include "widgets/Gui.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    std::string file = VEXO_SAMPLE_FILE;
    int width = 1280;
    int height = 720;
    int runs = 5;
};

bool parse(int argc, char** argv, Options& options)
{
    if (argc > 1) options.file = argv[1];
    if (argc > 3) {
        options.width = std::atoi(argv[2]);
        options.height = std::atoi(argv[3]);
    }
    if (argc > 4) options.runs = std::atoi(argv[4]);
    return argc <= 5 && argc != 3 && options.width > 0 && options.height > 0 && options.runs > 0;
}

void frame(Viewer& viewer)
{
    viewer.tick(IDLE_STEP_SECONDS);
    viewer.render();
    glFinish();
}

// Frames per second over one loop of the motion, from the frame it shows now back to that frame.
double loopRate(Viewer& viewer)
{
    const int frames = std::max(viewer.skeleton->frameCount, 1);
    const auto start = Clock::now();
    for (int i = 0; i < frames; ++i) frame(viewer);
    return frames / std::chrono::duration<double>(Clock::now() - start).count();
}

struct Rates {
    const char* what;
    std::vector<double> perLoop;
};

// The median, lowest and highest frame rate.
void report(Rates& rates)
{
    std::vector<double>& r = rates.perLoop;
    std::sort(r.begin(), r.end());
    const double median = r[r.size() / 2];
    std::printf("  %-30s frames per second: median %.1f, min %.1f, max %.1f (%.2f ms a frame)\n", rates.what, median,
                r.front(), r.back(), 1000.0 / median);
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: render_benchmark [FILE] [WIDTH HEIGHT] [RUNS]\n");
        return 2;
    }
    if (!VexoUseOffscreenWindows(options.width, options.height)) {
        std::fprintf(stderr, "render_benchmark: no offscreen GL (EGL surfaceless)\n");
        return 1;
    }
    // As the program starts: toolkit and images with the viewer as capture host, then the window.
    auto* viewer = new Viewer;
    guiStartup(viewer);
    if (!registerWindowClass(MAIN_WINDOW_CLASS, nullptr) || !createMainWindow(*viewer, GetModuleHandleW(nullptr))) {
        std::fprintf(stderr, "render_benchmark: cannot create the viewer's window\n");
        return 1;
    }
    const WideText path = widePath(options.file);
    if (!viewer->loadFile(path.c_str())) {
        std::fprintf(stderr, "render_benchmark: %s was refused\n", options.file.c_str());
        return 1;
    }
    viewer->setPaused(false);
    // Warm-up: the driver compiles its shader variants and the heap grows on first use.
    for (int i = 0; i < 2; ++i) loopRate(*viewer);

    std::printf("render_benchmark: %s at %dx%d, playing, %d loops of %d frames each (tick + render + glFinish), %s\n",
                options.file.c_str(), viewer->clientWidth, viewer->clientHeight, options.runs,
                viewer->skeleton->frameCount, reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    // The two ways are timed loop by loop in turn, so that whatever else the machine does weighs on both.
    Rates shown{"as shown", {}};
    Rates textOff{"with View > Controls off", {}};  // no frame counter or key list: what the text costs
    for (int run = 0; run < options.runs; ++run) {
        viewer->showControls = true;
        shown.perLoop.push_back(loopRate(*viewer));
        viewer->showControls = false;
        textOff.perLoop.push_back(loopRate(*viewer));
    }
    report(shown);
    report(textOff);

    DestroyWindow(viewer->hwnd);
    delete viewer;
    unregisterWindowClass(MAIN_WINDOW_CLASS);
    guiShutdown();
    return 0;
}
