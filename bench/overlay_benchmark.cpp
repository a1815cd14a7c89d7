// Overlay benchmark: what the per-frame overlay pass costs on the offscreen window (Mesa), split
// into the heads-up text and the control bar, and what making the font and measuring text cost.
// Each figure is the median of several runs and includes glFinish, that is the driver's
// rasterisation (software with llvmpipe). It prints figures and asserts no times.
//
// Usage: overlay_benchmark

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "OffscreenGl.h"
#include "overlay/FontCache.h"
#include "resources/Locator.h"
#include "widgets/Button.h"
#include "widgets/Gui.h"
#include "widgets/Slider.h"

namespace {

constexpr int WIDTH = 640, HEIGHT = 480;
const BYTE WHITE[4] = {255, 255, 255, 255};
const char* const KEY_LIST[] = {"Space - Toggle Pause", "X - Single Step", "W - Zoom In",
                                "S - Zoom Out",         "Arrows - Camera", "C - Toggle camera lock"};

class NoCapture : public CaptureHost {
public:
    void captureMouse() override {}
    void releaseMouse() override {}
};

// Median microseconds per call of f over `runs` runs of `repeats` calls each.
double medianMicroseconds(const std::function<void()>& f, int repeats, int runs = 9)
{
    std::vector<double> samples;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < repeats; ++i) f();
        const std::chrono::duration<double, std::micro> elapsed = std::chrono::steady_clock::now() - start;
        samples.push_back(elapsed.count() / repeats);
    }
    std::nth_element(samples.begin(), samples.begin() + runs / 2, samples.end());
    return samples[runs / 2];
}

}  // namespace

int main()
{
    OffscreenGl gl(WIDTH, HEIGHT);
    if (!gl.ok()) {
        std::fprintf(stderr, "overlay_benchmark: no offscreen GL context\n");
        return 1;
    }
    NoCapture host;
    guiStartup(&host);
    Overlay* overlay = createOverlay();
    setOverlaySize(overlay, WIDTH, HEIGHT);

    const double makeFont = medianMicroseconds(
        [] {
            Font* font = acquireFont(TEXT("Arial"), 9);
            releaseFont(font);
        },
        1, 5);
    Font* font = acquireFont(TEXT("Arial"), 9);

    // The control bar as the viewer lays it out for a 100-frame motion in a 640-wide window.
    Panel root;
    Button button;
    Slider slider;
    button.initialize();
    WideString locator;
    makeLocator(guiModuleHandle(), TEXT("pause.png"), locator);
    button.setIcon(locator.data);
    locator.release();
    slider.initialize();
    root.setRect(0, 0, WIDTH, HEIGHT);
    root.addChild(&button)->setRect(106, HEIGHT - 24, 24, 24);
    root.addChild(&slider)->setRect(133, HEIGHT - 16, 400, 16);
    slider.setRange(1, 100);
    slider.setValue(42);

    auto hudText = [&] {
        char counter[32];
        std::snprintf(counter, sizeof counter, "Frame: %u/%u", 42u, 100u);
        drawText(overlay, font, 0, 0, counter, -1, WHITE);
        for (int i = 0; i < 6; ++i) drawText(overlay, font, WIDTH - 140, 14 * i, KEY_LIST[i], -1, WHITE);
    };
    auto controlBar = [&] { root.draw(overlay, Mat4::identity()); };
    auto pass = [&](const std::function<void()>& draw) {
        return [&, draw] {
            beginOverlay(overlay);
            draw();
            endOverlay(overlay);
            glFinish();
        };
    };
    for (int i = 0; i < 5; ++i) pass([&] { hudText(); controlBar(); })();  // warm-up

    float extent[4];
    std::printf("overlay_benchmark (offscreen %dx%d, %s)\n", WIDTH, HEIGHT, reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    std::printf("  acquireFont(\"Arial\", 9), first reference  %9.1f us\n", makeFont);
    std::printf("  measureText(\"Frame: 1/120\")               %9.2f us\n",
                medianMicroseconds([&] { measureText(font, TEXT("Frame: 1/120"), extent); }, 2000));
    std::printf("  overlay pass, nothing drawn                %9.2f us\n", medianMicroseconds(pass([] {}), 50));
    std::printf("  overlay pass, heads-up text (7 lines)      %9.2f us\n", medianMicroseconds(pass(hudText), 50));
    std::printf("  overlay pass, control bar                  %9.2f us\n", medianMicroseconds(pass(controlBar), 50));
    std::printf("  overlay pass, both (the viewer's frame)    %9.2f us\n",
                medianMicroseconds(pass([&] { controlBar(); hudText(); }), 50));

    releaseFont(font);
    destroyOverlay(overlay);
    return 0;
}
