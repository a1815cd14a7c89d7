// The Viewer's control bar and heads-up text on an offscreen window with a real Mesa context: where
// the bar is laid out, what the overlay pass draws (read back with glReadPixels), and what mouse
// messages reaching handleMessage do to playback.

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "Motions.h"
#include "OffscreenViewer.h"
#include "TempFile.h"
#include "overlay/FontCache.h"
#include "resources/Image.h"
#include "resources/TextureCache.h"
#include "shell/Application.h"
#include "viewer/CommandIds.h"
#include "viewer/Viewer.h"
#include "widgets/Button.h"
#include "widgets/Gui.h"
#include "widgets/MouseRouting.h"
#include "widgets/Slider.h"

namespace {

constexpr int WIDTH = 640;
constexpr int HEIGHT = 480;
constexpr std::uint32_t CLEAR = 0x999999;
constexpr std::uint32_t WHITE = 0xFFFFFF;
const BYTE WHITE_RGBA[4] = {255, 255, 255, 255};

// A frame read back: 0xRRGGBB, top row first.
struct Frame {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }

    // Pixels of the colour (or, with `other`, of any other colour) in [x0, x1) x [y0, y1).
    int count(int x0, int y0, int x1, int y1, std::uint32_t colour, bool other = false) const
    {
        int n = 0;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) n += (at(x, y) == colour) != other;
        }
        return n;
    }
};

class ControlBarGl : public OffscreenViewerTest<WIDTH, HEIGHT> {
protected:
    void SetUp() override
    {
        OffscreenViewerTest::SetUp();
        viewer.showFloor = false;  // the bar and the text lie over the plain clear colour
    }

    void resize(int width, int height)
    {
        SetWindowPos(viewer.hwnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    }

    Frame frame()
    {
        viewer.render();
        return readBack();
    }

    Frame readBack() const
    {
        RECT client{};
        GetClientRect(viewer.hwnd, &client);
        Frame f{client.right, client.bottom, {}};
        std::vector<std::uint8_t> rgba(static_cast<size_t>(f.width) * f.height * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, f.width, f.height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        for (int y = f.height - 1; y >= 0; --y) {
            for (int x = 0; x < f.width; ++x) {
                const std::uint8_t* p = &rgba[(static_cast<size_t>(y) * f.width + x) * 4];
                f.pixels.push_back((std::uint32_t{p[0]} << 16) | (p[1] << 8) | p[2]);
            }
        }
        return f;
    }

    // A mouse message as the window delivers it: signed 16-bit client coordinates.
    void mouse(UINT message, int x, int y)
    {
        viewer.handleMessage(message, 0, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
    }

    void click(int x, int y)
    {
        mouse(WM_LBUTTONDOWN, x, y);
        mouse(WM_LBUTTONUP, x, y);
    }

    int buttonCentreX() const { return static_cast<int>(viewer.playButton->left) + 12; }
    int buttonCentreY() const { return static_cast<int>(viewer.playButton->top) + 12; }
    int thumbX() const { return static_cast<int>(viewer.timelineSlider->left + viewer.timelineSlider->thumbRect().x0) + 4; }
    int thumbY() const { return static_cast<int>(viewer.timelineSlider->top) + 8; }

    // Whether the button shows the image at its natural size, centred (every opaque texel matches).
    bool showsIcon(const Frame& f, LPCWSTR imageName) const
    {
        Image icon;
        if (!icon.loadPngResource(guiModuleHandle(), imageName)) return false;
        const int x0 = static_cast<int>(viewer.playButton->left) + (24 - icon.width) / 2;
        const int y0 = static_cast<int>(viewer.playButton->top) + (24 - icon.height) / 2;
        int opaque = 0;
        for (int y = 0; y < icon.height; ++y) {
            for (int x = 0; x < icon.width; ++x) {
                const BYTE* t = icon.pixels + y * icon.stride + x * 4;
                if (t[3] != 255) continue;
                ++opaque;
                if (f.at(x0 + x, y0 + y) != ((std::uint32_t{t[0]} << 16) | (t[1] << 8) | t[2])) return false;
            }
        }
        return opaque > 0;
    }

    // The text drawn alone, as the counter would be, over the clear colour.
    Frame textAlone(const char* text)
    {
        glClearColor(0.6f, 0.6f, 0.6f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        beginOverlay(viewer.overlay);
        drawText(viewer.overlay, viewer.hudFont, 0, 0, text, -1, WHITE_RGBA);
        endOverlay(viewer.overlay);
        return readBack();
    }

    static bool sameRegion(const Frame& a, const Frame& b, int x1, int y1)
    {
        for (int y = 0; y < y1; ++y) {
            for (int x = 0; x < x1; ++x) {
                if (a.at(x, y) != b.at(x, y)) return false;
            }
        }
        return true;
    }
};

struct Rect {
    float left, top, right, bottom;
};

void expectRect(const Widget& w, Rect expected)
{
    EXPECT_EQ(w.left, expected.left);
    EXPECT_EQ(w.top, expected.top);
    EXPECT_EQ(w.right, expected.right);
    EXPECT_EQ(w.bottom, expected.bottom);
}

}  // namespace

TEST_F(ControlBarGl, TheBarIsCentredAtTheBottomWithTheSliderSizedByTheFrames)
{
    // Layout by loads (at the size the window has) and by resizes (with the motion it has).
    resize(1000, 600);
    load(walkingRoot(100));  // 400 = 4 x 100 fits in 1000 - 2 x 24 - 9 = 943: x0 = (1000 - 24 - 400 - 3) / 2
    expectRect(*viewer.rootPanel, {0, 0, 1000, 600});
    expectRect(*viewer.playButton, {286, 576, 310, 600});
    expectRect(*viewer.timelineSlider, {313, 584, 713, 600});

    load(walkingRoot(1000));  // 4000 does not fit: the room, at most 640
    expectRect(*viewer.playButton, {166, 576, 190, 600});
    expectRect(*viewer.timelineSlider, {193, 584, 833, 600});

    resize(160, 300);  // narrow: the slider keeps 160 and the bar starts left of the window
    expectRect(*viewer.playButton, {-13, 276, 11, 300});
    expectRect(*viewer.timelineSlider, {14, 284, 174, 300});

    resize(300, 300);  // 4 x 1000 against a room of 300 - 2 x 24 - 9 = 243: x0 = (300 - 24 - 243 - 3) / 2
    expectRect(*viewer.playButton, {15, 276, 39, 300});
    expectRect(*viewer.timelineSlider, {42, 284, 285, 300});
}

TEST_F(ControlBarGl, FourPixelsAFrameIsCountedWithoutWrapping)
{
    // A motion without channels may claim any number of frames; 4 x (2^30 + 1) wraps to 4 in 32 bits.
    load("HIERARCHY\nROOT Hips\n{\nOFFSET 0 0 0\nCHANNELS 0\nEnd Site\n{\nOFFSET 0 1 0\n}\n}\nMOTION\n"
         "Frames: 2\nFrame Time: 0.1\n\n\n");
    viewer.skeleton->frameCount = (1 << 30) + 1;
    viewer.layoutControlBar();
    EXPECT_EQ(viewer.timelineSlider->right - viewer.timelineSlider->left, 583.0f);  // 640 - 48 - 9
}

TEST_F(ControlBarGl, BeforeALoadNothingIsDrawnAndClicksReachNothing)
{
    const Frame before = frame();
    EXPECT_EQ(before.count(0, 0, WIDTH, HEIGHT, CLEAR), WIDTH * HEIGHT);
    // Where the bar would be: no press is taken, no capture, no drag.
    for (const Widget* target : {static_cast<const Widget*>(viewer.playButton), static_cast<const Widget*>(viewer.timelineSlider)}) {
        const int x = static_cast<int>(target->left) + 4, y = static_cast<int>(target->top) + 4;
        mouse(WM_LBUTTONDOWN, x, y);
        EXPECT_EQ(capturedWidget(), nullptr);
        EXPECT_EQ(GetCapture(), nullptr);
        EXPECT_EQ(viewer.playButton->pressed, 0);
        mouse(WM_MOUSEMOVE, x + 100, y);
        mouse(WM_LBUTTONUP, x + 100, y);
    }
    EXPECT_EQ(viewer.timelineSlider->value, 0);
    EXPECT_TRUE(viewer.paused);
}

TEST_F(ControlBarGl, TheBarIsDrawnWhereItIsLaidOutAndNowhereElse)
{
    load(walkingRoot(100));
    const Frame f = frame();
    const int x0 = static_cast<int>(viewer.playButton->left);
    ASSERT_EQ(x0, 106);
    const int buttonEnd = x0 + 24, sliderStart = x0 + 27, sliderEnd = sliderStart + 400;
    // The bottom 24 rows: the button's skin, the slider's track and thumb, and clear colour around.
    EXPECT_GT(f.count(x0, HEIGHT - 24, buttonEnd, HEIGHT, CLEAR, true), 24 * 24 / 2);
    EXPECT_GT(f.count(sliderStart, HEIGHT - 16, sliderEnd, HEIGHT, CLEAR, true), 400 * 2);
    EXPECT_EQ(f.count(0, HEIGHT - 24, x0, HEIGHT, CLEAR, true), 0);
    EXPECT_EQ(f.count(sliderEnd, HEIGHT - 24, WIDTH, HEIGHT, CLEAR, true), 0);
    EXPECT_EQ(f.count(buttonEnd, HEIGHT - 24, sliderStart, HEIGHT, CLEAR, true), 0);
    EXPECT_EQ(f.count(sliderStart, HEIGHT - 24, sliderEnd, HEIGHT - 16, CLEAR, true), 0);
    EXPECT_TRUE(showsIcon(f, TEXT("play.png")));
}

TEST_F(ControlBarGl, ThePlayButtonTogglesPlaybackAndShowsTheNextAction)
{
    load(walkingRoot(3));
    viewer.loop = false;
    click(buttonCentreX(), buttonCentreY());
    EXPECT_FALSE(viewer.paused);
    EXPECT_EQ(GetCapture(), nullptr);  // the press's capture ended with the release
    EXPECT_TRUE(showsIcon(frame(), TEXT("pause.png")));

    // Played to the end of a motion that does not loop: paused on the last frame, play shown again.
    for (int i = 0; i < 3; ++i) viewer.tick(0.008);
    EXPECT_TRUE(viewer.paused);
    EXPECT_EQ(viewer.frameIndex, 2);
    EXPECT_EQ(viewer.timelineSlider->value, 3);
    EXPECT_TRUE(showsIcon(frame(), TEXT("play.png")));

    click(buttonCentreX(), buttonCentreY());
    click(buttonCentreX(), buttonCentreY());
    EXPECT_TRUE(viewer.paused);
    EXPECT_TRUE(showsIcon(frame(), TEXT("play.png")));
}

TEST_F(ControlBarGl, DraggingTheThumbShowsThatFrameWhilePlaybackGoesOn)
{
    load(walkingRoot(100));  // the slider: 400 wide, 392 pixels of thumb travel over 99 steps
    const int x = thumbX(), y = thumbY();
    mouse(WM_LBUTTONDOWN, x, y);
    EXPECT_EQ(GetCapture(), viewer.hwnd);
    mouse(WM_MOUSEMOVE, x + 200, y + 50);  // off the bar: the capture keeps the drag going
    const int value = viewer.timelineSlider->value;
    EXPECT_GT(value, 40);
    EXPECT_EQ(viewer.frameIndex, value - 1);
    const Mat4& root = viewer.skeleton->root->local;
    EXPECT_EQ(root.e[12], static_cast<float>(value - 1));  // the pose of that row
    EXPECT_EQ(root.e[13], static_cast<float>(10 + value - 1));

    mouse(WM_MOUSEMOVE, -50, -20);  // left of and above the window: signed coordinates
    EXPECT_EQ(viewer.timelineSlider->value, 1);
    EXPECT_EQ(viewer.frameIndex, 0);
    mouse(WM_MOUSEMOVE, x + 100, y);
    mouse(WM_LBUTTONUP, x + 100, y);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(viewer.paused);  // a drag does not change the paused state

    const int dragged = viewer.frameIndex;
    viewer.setPaused(false);
    const int thumb = thumbX();
    mouse(WM_LBUTTONDOWN, thumb, y);
    mouse(WM_MOUSEMOVE, thumb + 80, y);
    mouse(WM_LBUTTONUP, thumb + 80, y);
    const int target = viewer.frameIndex;
    EXPECT_GT(target, dragged);
    viewer.tick(0.008);
    EXPECT_EQ(viewer.frameIndex, target + 1);  // playing on from the frame dragged to
    EXPECT_EQ(viewer.timelineSlider->value, target + 2);
}

TEST_F(ControlBarGl, OnlyLeftAndRightButtonsAndMovesAreRouted)
{
    load(walkingRoot(100));
    viewer.timelineSlider->setValue(50);
    const int x = thumbX(), y = thumbY();
    // A right press on the thumb reaches the slider, which ignores it; the others do not reach it.
    for (UINT message : {WM_RBUTTONDOWN, WM_MBUTTONDOWN, WM_LBUTTONDBLCLK, WM_MOUSEWHEEL}) {
        SCOPED_TRACE(message);
        mouse(message, x, y);
        EXPECT_EQ(capturedWidget(), nullptr);
        mouse(WM_MOUSEMOVE, x + 100, y);
        EXPECT_EQ(viewer.timelineSlider->value, 50);
        mouse(WM_RBUTTONUP, x + 100, y);
    }
    mouse(WM_LBUTTONDBLCLK, buttonCentreX(), buttonCentreY());  // a double click's second press
    mouse(WM_LBUTTONUP, buttonCentreX(), buttonCentreY());
    EXPECT_TRUE(viewer.paused);
}

TEST_F(ControlBarGl, TheCounterAndKeyListAreDrawnUntilViewControlsHidesThem)
{
    load(walkingRoot(3));
    Frame f = frame();
    EXPECT_TRUE(sameRegion(f, textAlone("Frame: 1/3"), 160, 14));

    viewer.setPaused(false);
    viewer.tick(0.008);
    viewer.tick(0.008);
    f = frame();
    EXPECT_TRUE(sameRegion(f, textAlone("Frame: 3/3"), 160, 14));

    // Six lines from x = width - 140, 14 pixels apart, at every width the window takes.
    for (int width : {WIDTH, 800}) {
        SCOPED_TRACE(width);
        resize(width, HEIGHT);
        f = frame();
        const int x0 = width - 140;
        for (int line = 0; line < 6; ++line) EXPECT_GT(f.count(x0, 14 * line, width, 14 * line + 14, WHITE), 10) << line;
        EXPECT_EQ(f.count(x0 - 40, 0, x0, 6 * 14, WHITE), 0);
        EXPECT_GT(f.count(x0, 0, x0 + 2, 14, WHITE), 0);  // "Space" starts at the list's edge
        EXPECT_EQ(f.count(x0, 6 * 14 + 4, width, 140, WHITE), 0);
    }
    resize(WIDTH, HEIGHT);

    viewer.handleMessage(WM_COMMAND, ID_VIEW_CONTROLS, 0);
    f = frame();
    EXPECT_EQ(f.count(0, 0, 160, 14, WHITE), 0);
    EXPECT_EQ(f.count(WIDTH - 140, 0, WIDTH, 6 * 14, WHITE), 0);
    // The bar stays.
    EXPECT_GT(f.count(0, HEIGHT - 24, WIDTH, HEIGHT, CLEAR, true), 24 * 24 / 2);
    EXPECT_TRUE(showsIcon(f, TEXT("pause.png")));
}

TEST_F(ControlBarGl, TheTextAndTheButtonShareOneFontAndTheWindowGivesEverythingBack)
{
    ASSERT_NE(viewer.hudFont, nullptr);
    EXPECT_EQ(viewer.playButton->font, viewer.hudFont);
    EXPECT_EQ(fontCache.references(viewer.hudFont), 2);
    DestroyWindow(viewer.hwnd);
    EXPECT_EQ(viewer.hudFont, nullptr);
    EXPECT_EQ(viewer.overlay, nullptr);
    EXPECT_EQ(viewer.rootPanel, nullptr);
    for (std::uint32_t bucket = 0; bucket < FontCache::BUCKET_COUNT; ++bucket) {
        EXPECT_EQ(fontCache.bucketHead(bucket), nullptr);
        EXPECT_EQ(textureCache.bucketHead(bucket), nullptr);
    }
}
