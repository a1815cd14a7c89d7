// The Viewer's control bar (a play/pause button and a timeline slider drawn over the scene) and its
// heads-up text (the frame counter and the key list): creation, placement, listeners, the overlay
// pass, mouse routing and capture. Coordinates are pixels of the client area, origin at the top
// left, y downward. Frames are 1-based on the slider and the counter, 0-based in frameIndex.

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <new>

#include "overlay/Font.h"
#include "overlay/Overlay.h"
#include "resources/Locator.h"
#include "viewer/Viewer.h"
#include "widgets/Button.h"
#include "widgets/Gui.h"
#include "widgets/MouseRouting.h"
#include "widgets/Slider.h"

namespace {

const BYTE HUD_WHITE[4] = {255, 255, 255, 255};
const char* const KEY_LIST[] = {"Space - Toggle Pause", "X - Single Step", "W - Zoom In",
                                "S - Zoom Out",         "Arrows - Camera", "C - Toggle camera lock"};
constexpr int KEY_LIST_INSET = 140;  // the key list's left edge, counted from the client area's right
constexpr int KEY_LIST_LINE_HEIGHT = 14;
// "Frame: " and two 32-bit unsigned numbers at most.
constexpr int FRAME_COUNTER_SIZE = 32;

constexpr float BUTTON_SLIDER_GAP = 3.0f;
constexpr float BAR_MARGIN = 9.0f;             // kept free beside twice the button's width
constexpr int NARROW_CLIENT_WIDTH = 160;       // at or below it the slider keeps NARROW_SLIDER_WIDTH
constexpr float NARROW_SLIDER_WIDTH = 160.0f;  // and the bar may start left of the window
constexpr std::int64_t PIXELS_PER_FRAME = 4;
constexpr float MAX_SLIDER_WIDTH = 640.0f;

// The slider's width for a client area clientWidth wide: four pixels a frame where that fits, else
// all the room there is, up to 640. The product is taken in 64 bits, as a motion without channels
// may claim any number of frames.
float timelineWidth(int clientWidth, float buttonWidth, const Skeleton* motion)
{
    if (clientWidth <= NARROW_CLIENT_WIDTH) return NARROW_SLIDER_WIDTH;
    const float room = static_cast<float>(clientWidth) - 2.0f * buttonWidth - BAR_MARGIN;
    if (motion != nullptr) {
        const std::int64_t perFrame = PIXELS_PER_FRAME * motion->frameCount;
        if (static_cast<float>(perFrame) < room) return static_cast<float>(perFrame);
    }
    return std::min(room, MAX_SLIDER_WIDTH);
}

// Sets one of the program's own images as the widget's icon; without it the widget has no icon.
void setOwnIcon(Widget& widget, LPCWSTR imageName)
{
    WideString locator;
    makeLocator(guiModuleHandle(), imageName, locator);
    widget.setIcon(locator.data);
    locator.release();
}

}  // namespace

// ---- Creation ---------------------------------------------------------------------------------

void Viewer::createControlBar()
{
    overlay = createOverlay();
    hudFont = acquireFont(TEXT("Arial"), 9);
    rootPanel = new (std::nothrow) Panel;
    playButton = new (std::nothrow) Button;
    timelineSlider = new (std::nothrow) Slider;
    if (rootPanel == nullptr || playButton == nullptr || timelineSlider == nullptr) {
        destroyControlBar();  // no bar rather than half of one
        return;
    }
    // Placeholder rectangles: the first resize lays the bar out. A missing skin or icon leaves the
    // widget drawn without it.
    rootPanel->setRect(0.0f, 0.0f, 640.0f, 480.0f);
    playButton->initialize();
    showPlaybackIcon();
    rootPanel->addChild(playButton)->setRect(0.0f, 120.0f, 24.0f, 24.0f);
    addListener(playButton->clickListeners, this, onPlayButtonClicked);
    timelineSlider->initialize();
    rootPanel->addChild(timelineSlider)->setRect(0.0f, 160.0f, 160.0f, 16.0f);
    addListener(timelineSlider->changeListeners, this, onTimelineChanged);
}

// At WM_DESTROY, while the GL context is still current: the textures and glyph lists that the bar
// and the text hold are deleted in the context that made them, leaving the process caches empty.
void Viewer::releaseControlBar()
{
    releaseFont(hudFont);
    hudFont = nullptr;
    destroyOverlay(overlay);
    overlay = nullptr;
    destroyControlBar();
}

// Widgets do not free their children: each is deleted here.
void Viewer::destroyControlBar()
{
    delete playButton;
    delete timelineSlider;
    delete rootPanel;
    playButton = nullptr;
    timelineSlider = nullptr;
    rootPanel = nullptr;
}

// ---- Placement ----------------------------------------------------------------------------------

void Viewer::layoutControlBar()
{
    if (rootPanel == nullptr) return;
    RECT client{};
    GetClientRect(hwnd, &client);
    const int width = client.right - client.left, height = client.bottom - client.top;
    rootPanel->setRect(0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height));

    // The button and the slider keep their sizes; only their places and the slider's width change.
    const float buttonWidth = playButton->right - playButton->left;
    const float buttonHeight = playButton->bottom - playButton->top;
    const float sliderHeight = timelineSlider->bottom - timelineSlider->top;
    const float sliderWidth = timelineWidth(width, buttonWidth, skeleton);
    const int x0 = (width - static_cast<int>(buttonWidth) - static_cast<int>(sliderWidth) -
                    static_cast<int>(BUTTON_SLIDER_GAP)) / 2;
    const float left = static_cast<float>(x0), bottom = static_cast<float>(height);
    playButton->setRect(left, bottom - buttonHeight, buttonWidth, buttonHeight);
    timelineSlider->setRect(left + buttonWidth + BUTTON_SLIDER_GAP, bottom - sliderHeight, sliderWidth, sliderHeight);
}

// ---- Listeners and the program's own changes -----------------------------------------------------

void onPlayButtonClicked(void* target, void*)
{
    Viewer& viewer = *static_cast<Viewer*>(target);
    viewer.setPaused(!viewer.paused);
}

// A drag while playing goes on playing from the frame dragged to.
void onTimelineChanged(void* target, void*)
{
    Viewer& viewer = *static_cast<Viewer*>(target);
    if (!viewer.motionLoaded()) return;
    viewer.frameIndex = viewer.timelineSlider->value - 1;
    viewer.applyFrame();
}

// Builds a locator and may decode an image, so it runs only when the paused state is set.
void Viewer::showPlaybackIcon()
{
    if (playButton != nullptr) setOwnIcon(*playButton, paused ? TEXT("play.png") : TEXT("pause.png"));
}

// The slider's own setters call no listener, so the program's changes are not echoed back.
void Viewer::showFrameOnTimeline()
{
    if (timelineSlider != nullptr) timelineSlider->setValue(frameIndex + 1);
}

void Viewer::setTimelineRange()
{
    if (timelineSlider != nullptr) timelineSlider->setRange(1, skeleton->frameCount);
}

// ---- Drawing ------------------------------------------------------------------------------------

// Allocates nothing: it runs on every frame.
void Viewer::drawOverlay(int clientRight)
{
    const bool skeletonDrawn = motionLoaded() && skeleton->root != nullptr;
    beginOverlay(overlay);
    if (motionLoaded() && rootPanel != nullptr) rootPanel->draw(overlay, Mat4::identity());
    if (skeletonDrawn && showControls) {
        glLoadIdentity();
        char counter[FRAME_COUNTER_SIZE];
        std::snprintf(counter, sizeof counter, "Frame: %u/%u", static_cast<unsigned>(frameIndex) + 1u,
                      static_cast<unsigned>(skeleton->frameCount));
        drawText(overlay, hudFont, 0, 0, counter, -1, HUD_WHITE);
        for (int i = 0; i < 6; ++i) {
            drawText(overlay, hudFont, clientRight - KEY_LIST_INSET, KEY_LIST_LINE_HEIGHT * i, KEY_LIST[i], -1, HUD_WHITE);
        }
    }
    endOverlay(overlay);
}


// ---- Mouse ----------------------------------------------------------------------------------------

// Coordinates are signed: while a widget holds the capture the pointer may be left of or above the
// client area. What the widgets make of an event is not looked at.
void Viewer::routeMouse(UINT message, LPARAM lParam)
{
    if (!motionLoaded() || rootPanel == nullptr) return;
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (message) {
    case WM_MOUSEMOVE: routeMouseMove(rootPanel, x, y); break;
    case WM_LBUTTONDOWN: routeMouseDown(rootPanel, x, y, LEFT_BUTTON); break;
    case WM_LBUTTONUP: routeMouseUp(rootPanel, x, y, LEFT_BUTTON); break;
    case WM_RBUTTONDOWN: routeMouseDown(rootPanel, x, y, RIGHT_BUTTON); break;
    case WM_RBUTTONUP: routeMouseUp(rootPanel, x, y, RIGHT_BUTTON); break;
    default: break;
    }
}

void Viewer::captureMouse()
{
    SetCapture(hwnd);
}

void Viewer::releaseMouse()
{
    if (GetCapture() == hwnd) ReleaseCapture();
}
