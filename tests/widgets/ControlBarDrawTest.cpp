// The control bar drawn offscreen as the viewer draws it: skins, icon, thumb and label where they
// belong, and no heap allocation per frame once warmed up.

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <array>
#include <cstdio>
#include <functional>
#include <new>
#include <vector>

#include "OffscreenGl.h"
#include "Sanitized.h"
#include "WidgetTestSupport.h"
#include "overlay/FontCache.h"
#include "resources/Image.h"
#include "resources/Locator.h"
#include "widgets/Button.h"
#include "widgets/Gui.h"
#include "widgets/MouseRouting.h"
#include "widgets/Slider.h"

// ===== Heap allocation counter =====
// glibc lets a program interpose malloc (the real one stays reachable as __libc_malloc). Only
// allocations asked for by the program's own code count: the GL driver (Mesa's llvmpipe here)
// allocates inside its own library when it flushes rendering, which no caller can avoid. So the
// counter looks at its caller's address, and operator new is replaced so that C++ allocations come
// from the program too. Where malloc cannot be interposed (Sanitized.h) the counter is left out.
namespace {
#ifdef VEXO_MALLOC_INTERPOSABLE
thread_local bool countingAllocations = false;  // the driver's own threads never count
long allocationCount = 0;
#endif

// Heap allocations the program made while f ran; -1 where they cannot be counted.
long allocationsDuring(const std::function<void()>& f)
{
#ifndef VEXO_MALLOC_INTERPOSABLE
    f();
    return -1;
#else
    allocationCount = 0;
    countingAllocations = true;
    f();
    countingAllocations = false;
    return allocationCount;
#endif
}
}  // namespace

#ifdef VEXO_MALLOC_INTERPOSABLE
extern "C" char __executable_start;  // the program's own code, as the linker lays it out
extern "C" char etext;
extern "C" void* __libc_malloc(size_t size);
extern "C" void* __libc_calloc(size_t count, size_t size);
extern "C" void* __libc_realloc(void* block, size_t size);
extern "C" void __libc_free(void* block);

namespace {
void noteAllocation(const void* caller)
{
    if (countingAllocations && caller >= &__executable_start && caller < &etext) ++allocationCount;
}

void* allocate(size_t size, const void* caller)
{
    noteAllocation(caller);
    return __libc_malloc(size);
}
}  // namespace

extern "C" void* malloc(size_t size)
{
    return allocate(size, __builtin_return_address(0));
}

extern "C" void* calloc(size_t count, size_t size)
{
    noteAllocation(__builtin_return_address(0));
    return __libc_calloc(count, size);
}

extern "C" void* realloc(void* block, size_t size)
{
    noteAllocation(__builtin_return_address(0));
    return __libc_realloc(block, size);
}

void* operator new(size_t size)
{
    if (void* block = allocate(size, __builtin_return_address(0))) return block;
    throw std::bad_alloc();
}

void* operator new[](size_t size)
{
    if (void* block = allocate(size, __builtin_return_address(0))) return block;
    throw std::bad_alloc();
}

void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    return allocate(size, __builtin_return_address(0));
}

void* operator new[](size_t size, const std::nothrow_t&) noexcept
{
    return allocate(size, __builtin_return_address(0));
}

void operator delete(void* block) noexcept
{
    __libc_free(block);
}

void operator delete[](void* block) noexcept
{
    __libc_free(block);
}

void operator delete(void* block, size_t) noexcept
{
    __libc_free(block);
}

void operator delete[](void* block, size_t) noexcept
{
    __libc_free(block);
}
#endif

namespace {

using Rgba = std::array<std::uint8_t, 4>;
const BYTE WHITE[4] = {255, 255, 255, 255};
const char* const KEY_LIST[] = {"Space - Toggle Pause", "X - Single Step", "W - Zoom In",
                                "S - Zoom Out",         "Arrows - Camera", "C - Toggle camera lock"};

// The viewer's control bar in a 640 x 480 window: a root panel, the play button (24 x 24, "play.png")
// and the timeline slider (range 1..100), bottom-aligned with a 3-pixel gap.
class ControlBar : public ::testing::Test {
protected:
    static constexpr int WIDTH = 640, HEIGHT = 480;

    void SetUp() override
    {
        ASSERT_TRUE(gl.ok());
        guiStartup(&host);
        setOverlaySize(overlay, WIDTH, HEIGHT);
        hudFont = acquireFont(TEXT("Arial"), 9);
        ASSERT_TRUE(button.initialize());
        WideString locator;
        ASSERT_TRUE(makeLocator(guiModuleHandle(), TEXT("play.png"), locator));
        ASSERT_TRUE(button.setIcon(locator.data));
        locator.release();
        ASSERT_TRUE(slider.initialize());
        root.setRect(0, 0, WIDTH, HEIGHT);
        root.addChild(&button)->setRect(100, HEIGHT - 24, 24, 24);
        root.addChild(&slider)->setRect(127, HEIGHT - 16, 400, 16);
        slider.setRange(1, 100);
    }
    void TearDown() override
    {
        releaseFont(hudFont);
        destroyOverlay(overlay);
        // The widgets' skins and font go with the test's widgets; then the caches are empty.
    }

    // One overlay pass as the viewer's render makes it.
    void drawFrame()
    {
        beginOverlay(overlay);
        root.draw(overlay, Mat4::identity());
        glLoadIdentity();
        char counter[32];
        std::snprintf(counter, sizeof counter, "Frame: %u/%u", 42u, 100u);
        drawText(overlay, hudFont, 0, 0, counter, -1, WHITE);
        for (int i = 0; i < 6; ++i) drawText(overlay, hudFont, WIDTH - 140, 14 * i, KEY_LIST[i], -1, WHITE);
        endOverlay(overlay);
    }

    std::vector<std::uint8_t> render()
    {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        drawFrame();
        return gl.readPixels();
    }

    static Rgba at(const std::vector<std::uint8_t>& pixels, int x, int y)
    {
        const std::uint8_t* p = &pixels[(static_cast<size_t>(y) * WIDTH + x) * 4];
        return {p[0], p[1], p[2], p[3]};
    }

    static Rgba texel(const Image& image, int x, int y)
    {
        const BYTE* p = image.pixels + y * image.stride + x * 4;
        return {p[0], p[1], p[2], p[3]};
    }

    OffscreenGl gl{WIDTH, HEIGHT};
    CountingHost host;
    Overlay* overlay = createOverlay();
    Font* hudFont = nullptr;
    Panel root;
    Button button;
    Slider slider;
};

}  // namespace

TEST_F(ControlBar, TheThumbIsDrawnWhereTheValuePutsIt)
{
    Image thumb;
    ASSERT_TRUE(thumb.loadPngResource(guiModuleHandle(), TEXT("slider_thumb.png")));
    slider.setRange(1, 99);  // 392 pixels of travel over 98 steps: whole pixels
    for (int value : {1, 50, 99}) {
        slider.setValue(value);
        const std::vector<std::uint8_t> pixels = render();
        const ThumbRect rect = slider.thumbRect();
        const int x0 = static_cast<int>(slider.left + rect.x0), y0 = static_cast<int>(slider.top);
        ASSERT_EQ(slider.left + rect.x0, static_cast<float>(x0)) << "whole pixels for value " << value;
        int opaque = 0;
        for (int y = 0; y < thumb.height; ++y) {
            for (int x = 0; x < thumb.width; ++x) {
                if (texel(thumb, x, y)[3] != 255) continue;
                ++opaque;
                EXPECT_EQ(at(pixels, x0 + x, y0 + y), texel(thumb, x, y)) << "value " << value << " at " << x << "," << y;
            }
        }
        EXPECT_GT(opaque, 0);
    }
}

TEST_F(ControlBar, TheButtonShowsThePressedSkinWhilePressed)
{
    Image normal, pressed;
    ASSERT_TRUE(normal.loadPngResource(guiModuleHandle(), TEXT("button_normal.png")));
    ASSERT_TRUE(pressed.loadPngResource(guiModuleHandle(), TEXT("button_press.png")));
    // A corner texel (drawn at its own size) where the two skins differ and both are opaque.
    int cx = -1, cy = -1;
    for (int y = 0; y < 5 && cx < 0; ++y) {
        for (int x = 0; x < 5 && cx < 0; ++x) {
            if (texel(normal, x, y) != texel(pressed, x, y) && texel(normal, x, y)[3] == 255 && texel(pressed, x, y)[3] == 255) {
                cx = x;
                cy = y;
            }
        }
    }
    ASSERT_GE(cx, 0) << "the skins differ in their top-left corner";
    const int bx = static_cast<int>(button.left), by = static_cast<int>(button.top);
    EXPECT_EQ(at(render(), bx + cx, by + cy), texel(normal, cx, cy));
    routeMouseDown(&root, bx + 12, by + 12, LEFT_BUTTON);
    EXPECT_EQ(at(render(), bx + cx, by + cy), texel(pressed, cx, cy));
    routeMouseUp(&root, 0, 0, LEFT_BUTTON);
    EXPECT_EQ(at(render(), bx + cx, by + cy), texel(normal, cx, cy));
}

TEST_F(ControlBar, TheIconIsCentredAtItsNaturalSize)
{
    Image play;
    ASSERT_TRUE(play.loadPngResource(guiModuleHandle(), TEXT("play.png")));
    const std::vector<std::uint8_t> pixels = render();
    const int ix = static_cast<int>(button.left) + (24 - play.width) / 2, iy = static_cast<int>(button.top) + (24 - play.height) / 2;
    ASSERT_EQ((24 - play.width) % 2, 0) << "a whole-pixel position for an exact comparison";
    for (int y = 0; y < play.height; ++y) {
        for (int x = 0; x < play.width; ++x) {
            if (texel(play, x, y)[3] == 255) {
                EXPECT_EQ(at(pixels, ix + x, iy + y), texel(play, x, y)) << x << "," << y;
            }
        }
    }
}

TEST_F(ControlBar, ALabelIsDrawnInBlackCentredOnTheButton)
{
    button.setIcon(TEXT("file:///nonexistent.png"));  // no icon over the label
    EXPECT_EQ(button.icon, nullptr);
    button.setRect(200, 200, 80, 24);
    ASSERT_TRUE(button.setText(TEXT("Play")));
    float extent[4];
    ASSERT_TRUE(measureText(button.font, TEXT("Play"), extent));
    const int tx = static_cast<int>(200 + (80 - extent[2]) * 0.5f), ty = static_cast<int>(200 + (24 - extent[3]) * 0.5f);
    const std::vector<std::uint8_t> withLabel = render();
    button.setText(TEXT(""));
    const std::vector<std::uint8_t> without = render();
    int changed = 0;
    for (int y = 190; y < 234; ++y) {
        for (int x = 190; x < 290; ++x) {
            if (at(withLabel, x, y) == at(without, x, y)) continue;
            ++changed;
            EXPECT_EQ(at(withLabel, x, y), (Rgba{0, 0, 0, 255})) << x << "," << y;
            EXPECT_TRUE(x >= tx && x < tx + extent[2] && y >= ty && y < ty + extent[3]) << x << "," << y;
        }
    }
    EXPECT_GT(changed, 15);
}

TEST_F(ControlBar, FramesAndMouseRoutingAllocateNothingOnceWarm)
{
    // Warm-up: the first uses of each path, ours and the driver's (llvmpipe compiles its shader
    // variants on first use, through C++ code whose allocations look like the program's).
    for (int frame = 0; frame < 3; ++frame) {
        drawFrame();
        glFinish();
    }
    const long drawing = allocationsDuring([&] {
        for (int frame = 0; frame < 20; ++frame) {
            slider.setValue(frame + 1);
            drawFrame();
            glFinish();
        }
    });
    static int changes = 0;
    addListener(slider.changeListeners, nullptr, [](void*, void*) { ++changes; });
    const int thumbX = static_cast<int>(slider.left + slider.thumbRect().x0) + 1, thumbY = static_cast<int>(slider.top) + 2;
    const long routing = allocationsDuring([&] {
        routeMouseDown(&root, thumbX, thumbY, LEFT_BUTTON);
        for (int x = thumbX; x < thumbX + 200; x += 7) routeMouseMove(&root, x, thumbY + 40);
        routeMouseUp(&root, thumbX + 200, thumbY, LEFT_BUTTON);
        routeMouseDown(&root, 110, HEIGHT - 10, LEFT_BUTTON);
        routeMouseUp(&root, 110, HEIGHT - 10, LEFT_BUTTON);
    });
    if (drawing < 0) GTEST_SKIP() << "allocations are not counted where malloc cannot be interposed";
    EXPECT_EQ(drawing, 0);
    EXPECT_EQ(routing, 0);
    EXPECT_GT(changes, 5) << "the drag moved the slider";
}
