// Drives the Viewer's control bar (a play/pause button and a timeline slider under a root panel)
// with random sequences of mouse presses, moves and releases, mixed with what may happen between
// them: playback ticks, keys, a resize, a load (good or refused), a frame drawn. The Viewer lives on
// an offscreen window, made once as the program makes it; every input starts from the same state.
// After every event the mouse capture, the button, the slider and the frame agree, and the capture
// only ever ends through the widget that took it, on a release.
//
// Input: events of five bytes: kind, anchor, dx, dy, extra (see LLVMFuzzerTestOneInput).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "FuzzCheck.h"
#include "platform/linux/Drop.h"
#include "resources/WideText.h"
#include "shell/Application.h"
#include "viewer/Viewer.h"
#include "widgets/Button.h"
#include "widgets/Gui.h"
#include "widgets/MouseRouting.h"
#include "widgets/Slider.h"

namespace {

constexpr int WIDTH = 320;
constexpr int HEIGHT = 240;
// Costly events, at most this many of each per input, so that every input runs in bounded time.
constexpr int MAX_COSTLY = 6;

std::string motionText(int frames)
{
    std::string text =
        "HIERARCHY\nROOT Hips\n{\nOFFSET 0 0 0\nCHANNELS 3 Xposition Yposition Zposition\nJOINT Chest\n{\n"
        "OFFSET 0 3 0\nCHANNELS 1 Zrotation\nEnd Site\n{\nOFFSET 0 2 0\n}\n}\n}\nMOTION\nFrames: " +
        std::to_string(frames) + "\nFrame Time: 0.04\n";
    for (int f = 0; f < frames; ++f) text += std::to_string(f % 17) + " 10 0 " + std::to_string(f * 3 % 90) + "\n";
    return text;
}

// The motions an input may load, in files of a directory of their own, removed at exit.
struct Motions {
    std::filesystem::path directory;
    std::string base, other, refused;

    Motions()
    {
        char name[] = "/tmp/vexo-fuzz-widgets.XXXXXX";
        if (mkdtemp(name) == nullptr) std::abort();
        directory = name;
        base = write("base.bvh", motionText(7));  // few frames: the thumb moves far for each
        other = write("other.bvh", motionText(300));
        refused = write("refused.bvh", "HIERARCHY\nROOT Hips\n{\n");
    }
    ~Motions() { std::filesystem::remove_all(directory); }

    std::string write(const char* file, const std::string& text) const
    {
        const std::filesystem::path path = directory / file;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }
};

struct Session {
    Motions motions;
    Viewer viewer;
    bool baseShown = false;
    bool resized = false;

    Session()
    {
        if (!VexoUseOffscreenWindows(WIDTH, HEIGHT) || !registerWindowClass(MAIN_WINDOW_CLASS, nullptr)) std::abort();
        guiStartup(&viewer);
        if (!createMainWindow(viewer, GetModuleHandleW(nullptr))) std::abort();
        FUZZ_CHECK(viewer.playButton != nullptr && viewer.timelineSlider != nullptr);
    }

    void drop(const std::string& path)
    {
        viewer.handleMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(makeDrop({path})), 0);
    }

    void mouse(UINT message, int x, int y)
    {
        viewer.handleMessage(message, 0, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
    }

    // The same state for every input: the base motion at its first frame, paused, the default size,
    // no capture, the button up.
    void reset()
    {
        if (capturedWidget() != nullptr) mouse(WM_LBUTTONUP, -1000, -1000);  // a release ends any capture
        FUZZ_CHECK(capturedWidget() == nullptr);
        viewer.playButton->pressed = 0;  // a press whose capture was taken over waits for no release here
        if (resized) SetWindowPos(viewer.hwnd, nullptr, 0, 0, WIDTH, HEIGHT, SWP_NOMOVE | SWP_NOZORDER);
        resized = false;
        if (!baseShown) drop(motions.base);
        baseShown = true;
        viewer.setPaused(true);
        viewer.singleStep = false;
        viewer.loop = true;
        viewer.frameIndex = 0;
        viewer.applyFrame();
        viewer.timelineSlider->setValue(1);
    }
};

Session* session = nullptr;

// Where a pointer event happens: anchored at the window's left edge (offsets scaled to reach well
// past every edge), at the button's centre, at the thumb's centre, or spread along the slider.
void pointFor(const Viewer& viewer, std::uint8_t anchor, std::int8_t dx, std::int8_t dy, int& x, int& y)
{
    const Button& button = *viewer.playButton;
    const Slider& slider = *viewer.timelineSlider;
    switch (anchor % 4) {
    case 0:
        x = dx * 4;
        y = HEIGHT / 2 + dy * 4;
        break;
    case 1:
        x = static_cast<int>((button.left + button.right) / 2) + dx / 8;
        y = static_cast<int>((button.top + button.bottom) / 2) + dy / 8;
        break;
    case 2: {
        const ThumbRect thumb = slider.thumbRect();
        x = static_cast<int>(slider.left + (thumb.x0 + thumb.x1) / 2) + dx / 8;
        y = static_cast<int>(slider.top + (thumb.y0 + thumb.y1) / 2) + dy / 8;
        break;
    }
    default:
        x = static_cast<int>(slider.left + (slider.right - slider.left) * static_cast<float>(dx + 128) / 255.0f);
        y = static_cast<int>((slider.top + slider.bottom) / 2) + dy / 8;
        break;
    }
}

bool isRelease(UINT message)
{
    return message == WM_LBUTTONUP || message == WM_RBUTTONUP;
}

// What the control bar was like before an event.
struct Before {
    const Widget* captured;
    bool paused;
    bool buttonHeld;  // pressed and holding the capture
};

// What must hold after every event. A press goes to the widget under the pointer even while another
// holds the capture (after the platform lost a release), so a left press may pass the capture on;
// otherwise the capture ends only on a release, which goes to the widget that holds it. On a mouse
// event playback toggles exactly when it is the click of a button that held its press.
void checkState(const Viewer& viewer, const Before& before, UINT message)
{
    const Widget* now = capturedWidget();
    FUZZ_CHECK(now == nullptr || now == viewer.playButton || now == viewer.timelineSlider);
    FUZZ_CHECK((now != nullptr) == (GetCapture() == viewer.hwnd));  // the toolkit and the window agree
    if (now != before.captured) {
        if (now != nullptr) FUZZ_CHECK(message == WM_LBUTTONDOWN);
        else FUZZ_CHECK(isRelease(message));
    }
    if (message != 0) {
        const bool click = isRelease(message) && before.buttonHeld;
        FUZZ_CHECK((viewer.paused != before.paused) == click);
    }

    const Slider& slider = *viewer.timelineSlider;
    FUZZ_CHECK(slider.minimum == 1 && slider.maximum == viewer.skeleton->frameCount);
    FUZZ_CHECK(slider.minimum <= slider.value && slider.value <= slider.maximum);
    FUZZ_CHECK(viewer.frameIndex >= 0 && viewer.frameIndex < viewer.skeleton->frameCount);
    FUZZ_CHECK(slider.value == viewer.frameIndex + 1);  // the timeline shows the frame shown
    FUZZ_CHECK(viewer.playButton->iconLocator.data != nullptr);
    const WideText icon(viewer.playButton->iconLocator.data);
    FUZZ_CHECK(icon.ends_with(viewer.paused ? TEXT("/play.png") : TEXT("/pause.png")));
}

}  // namespace

// The window, its GL context, fonts and skins are made before the first input, so that what the
// libraries keep of them for the process is not taken for a leak of an input.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    session = new Session;
    return 0;
}

// Event kinds: 0 move, 1 left press, 2 left release, 3 right press, 4 right release (at the point
// pointFor makes of anchor, dx, dy); 5 one to four ticks; 6 Space or X; 7 a resize to 100 + 2 dx by
// 80 + 2 dy (bytes unsigned); 8 a drop of the base, the other or the refused motion; 9 a frame.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Session& s = *session;
    Viewer& viewer = s.viewer;
    s.reset();

    int loads = 0, renders = 0, resizes = 0;
    for (std::size_t at = 0; at + 5 <= size; at += 5) {
        const std::uint8_t kind = data[at] % 10, anchor = data[at + 1], extra = data[at + 4];
        const auto dx = static_cast<std::int8_t>(data[at + 2]), dy = static_cast<std::int8_t>(data[at + 3]);
        const Before before{capturedWidget(), viewer.paused,
                            viewer.playButton->pressed != 0 && capturedWidget() == viewer.playButton};
        UINT message = 0;
        switch (kind) {
        case 0: message = WM_MOUSEMOVE; break;
        case 1: message = WM_LBUTTONDOWN; break;
        case 2: message = WM_LBUTTONUP; break;
        case 3: message = WM_RBUTTONDOWN; break;
        case 4: message = WM_RBUTTONUP; break;
        case 5:
            for (int i = 0; i <= extra % 4; ++i) viewer.tick(IDLE_STEP_SECONDS);
            break;
        case 6: viewer.handleMessage(WM_KEYDOWN, extra % 2 ? VK_SPACE : 'X', 1); break;
        case 7:
            if (resizes++ < MAX_COSTLY) {
                SetWindowPos(viewer.hwnd, nullptr, 0, 0, 100 + 2 * data[at + 2], 80 + 2 * data[at + 3],
                             SWP_NOMOVE | SWP_NOZORDER);
                s.resized = true;
            }
            break;
        case 8:
            if (loads++ < MAX_COSTLY) {
                const std::string* files[] = {&s.motions.base, &s.motions.other, &s.motions.refused};
                s.drop(*files[extra % 3]);
                s.baseShown = s.baseShown && extra % 3 != 1;
            }
            break;
        default:
            if (renders++ < MAX_COSTLY) viewer.render();
            break;
        }
        if (message != 0) {
            int x = 0, y = 0;
            pointFor(viewer, anchor, dx, dy, x, y);
            s.mouse(message, x, y);
        }
        checkState(viewer, before, message);
    }
    return 0;
}
