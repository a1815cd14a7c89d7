// Render benchmark: frames per second of the viewer's own frame (tick, then render) while a motion
// plays, on the offscreen window (Mesa, no display), through the program's window path. Each frame
// ends with glFinish, so a figure includes the driver's rasterisation (software with llvmpipe) and
// is not flattered by frames still queued. It prints figures and asserts no times.
//
// Usage: render_benchmark [FILE] [WIDTH HEIGHT] [SECONDS]   (default: the sample, 1280 x 720, 5 s)

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "shell/Application.h"
#include "viewer/Viewer.h"
#include "widgets/Gui.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    std::string file = VEXO_SAMPLE_FILE;
    int width = 1280;
    int height = 720;
    double seconds = 5.0;
};

bool parse(int argc, char** argv, Options& options)
{
    if (argc > 1) options.file = argv[1];
    if (argc > 3) {
        options.width = std::atoi(argv[2]);
        options.height = std::atoi(argv[3]);
    }
    if (argc > 4) options.seconds = std::atof(argv[4]);
    return argc <= 5 && argc != 3 && options.width > 0 && options.height > 0 && options.seconds > 0.0;
}

void frame(Viewer& viewer)
{
    viewer.tick(IDLE_STEP_SECONDS);
    viewer.render();
    glFinish();
}

// Frames per second over one run of about `seconds`.
double framesPerSecond(Viewer& viewer, double seconds)
{
    const auto start = Clock::now();
    const auto end = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    long frames = 0;
    auto now = start;
    while (now < end) {
        frame(viewer);
        ++frames;
        now = Clock::now();
    }
    return static_cast<double>(frames) / std::chrono::duration<double>(now - start).count();
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: render_benchmark [FILE] [WIDTH HEIGHT] [SECONDS]\n");
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
    const std::u16string path = std::filesystem::path(options.file).u16string();
    if (!viewer->loadFile(path.c_str())) {
        std::fprintf(stderr, "render_benchmark: %s was refused\n", options.file.c_str());
        return 1;
    }
    viewer->setPaused(false);
    for (int i = 0; i < 60; ++i) frame(*viewer);  // warm-up: the driver compiles its state on first use

    constexpr int RUNS = 5;
    std::vector<double> rates;
    for (int run = 0; run < RUNS; ++run) rates.push_back(framesPerSecond(*viewer, options.seconds / RUNS));
    std::sort(rates.begin(), rates.end());
    std::printf("render_benchmark: %s at %dx%d, playing, %s\n", options.file.c_str(), viewer->clientWidth,
                viewer->clientHeight, reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    std::printf("  frames per second (tick + render + glFinish): median %.1f, min %.1f, max %.1f over %d runs\n",
                rates[RUNS / 2], rates.front(), rates.back(), RUNS);
    std::printf("  milliseconds per frame (median): %.3f\n", 1000.0 / rates[RUNS / 2]);

    DestroyWindow(viewer->hwnd);
    delete viewer;
    unregisterWindowClass(MAIN_WINDOW_CLASS);
    guiShutdown();
    return 0;
}
