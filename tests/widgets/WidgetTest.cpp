// The widget tree: links, geometry, hit testing, routing and capture.

#include <gtest/gtest.h>

#include <array>
#include <utility>

#include "WidgetTestSupport.h"
#include "resources/ScratchArena.h"
#include "resources/TextureCache.h"
#include "widgets/Gui.h"
#include "widgets/MouseRouting.h"

namespace {

// A root panel 640 x 480 with two overlapping children (b added after a), a zero-width child and a
// grandchild inside a.
struct Tree : ::testing::Test {
    void SetUp() override
    {
        guiStartup(&host);
        root.setRect(0, 0, 640, 480);
        root.addChild(&a)->setRect(10, 10, 100, 50);
        root.addChild(&b)->setRect(50, 20, 100, 50);
        root.addChild(&empty)->setRect(200, 200, 0, 10);
        a.addChild(&inner)->setRect(5, 5, 10, 10);
    }
    void TearDown() override
    {
        if (capturedWidget() != nullptr) endCapture(capturedWidget());
    }

    CountingHost host;
    std::string log;
    Panel root;
    RecordingWidget a{"a", &log}, b{"b", &log}, empty{"empty", &log}, inner{"inner", &log};
};

}  // namespace

TEST_F(Tree, HitTestFindsTheTopmostWidgetWithHalfOpenEdges)
{
    struct Case {
        float x, y;
        Widget* expected;
        float localX, localY;
    } const cases[] = {
        {10, 10, &a, 0, 0},         // left and top edges are inside
        {15, 15, &inner, 0, 0},     // a grandchild, in its own space
        {24, 24, &inner, 9, 9},
        {25, 25, &a, 15, 15},       // inner's right and bottom edges (15 + 10) are outside it
        {60, 30, &b, 10, 10},       // where a and b overlap, the later child b
        {49, 30, &a, 39, 20},
        {110, 15, &root, 110, 15},  // a's right edge is outside a, and b starts at y 20
        {5, 5, &root, 5, 5},        // inside the root but on no child
        {200, 205, &root, 200, 205},  // a zero-width widget is never hit
        {639, 479, &root, 639, 479},
    };
    for (const Case& c : cases) {
        float localX = -1, localY = -1;
        Widget* hit = root.hitTest(c.x, c.y, localX, localY);
        EXPECT_EQ(hit, c.expected) << c.x << "," << c.y;
        EXPECT_EQ(localX, c.localX) << c.x << "," << c.y;
        EXPECT_EQ(localY, c.localY) << c.x << "," << c.y;
    }
}

TEST_F(Tree, AMissLeavesTheOutputsAlone)
{
    for (auto [x, y] : {std::pair{640.0f, 10.0f}, {10.0f, 480.0f}, {-1.0f, 0.0f}, {0.0f, -0.5f}}) {
        float localX = 7, localY = 8;
        EXPECT_EQ(root.hitTest(x, y, localX, localY), nullptr);
        EXPECT_EQ(localX, 7);
        EXPECT_EQ(localY, 8);
    }
    EXPECT_EQ(routeMouseDown(&root, 700, 10, LEFT_BUTTON), 0);
    EXPECT_EQ(routeMouseDown(nullptr, 10, 10, LEFT_BUTTON), 0);
    EXPECT_EQ(routeMouseMove(nullptr, 10, 10), 0);
    EXPECT_EQ(routeMouseUp(nullptr, 10, 10, LEFT_BUTTON), 0);
    EXPECT_EQ(log, "");
}

TEST_F(Tree, EventsWithoutCaptureGoToTheWidgetUnderThePointerOnly)
{
    b.result = 0;  // an unhandled event is not offered to the widget below
    EXPECT_EQ(routeMouseDown(&root, 60, 30, RIGHT_BUTTON), 0);
    EXPECT_EQ(routeMouseMove(&root, 12, 40), 1);
    EXPECT_EQ(routeMouseUp(&root, 16, 16, LEFT_BUTTON), 1);
    EXPECT_EQ(routeMouseDown(&root, 5, 5, LEFT_BUTTON), 0);  // the root panel handles nothing
    EXPECT_EQ(log, "b.down(10,10,1) a.move(2,30) inner.up(1,1,0) ");
}

TEST_F(Tree, CaptureTakesMovesAndReleasesButNotPresses)
{
    beginCapture(&inner);
    EXPECT_EQ(capturedWidget(), &inner);
    EXPECT_EQ(host.captures, 1);

    routeMouseMove(&root, 300, 300);          // over nothing of inner's
    routeMouseMove(&root, -20, -30);          // outside the window
    routeMouseDown(&root, 60, 30, RIGHT_BUTTON);  // a press goes where the pointer is
    routeMouseUp(&root, 60, 30, RIGHT_BUTTON);
    EXPECT_EQ(log, "inner.move(285,285) inner.move(-35,-45) b.down(10,10,1) inner.up(45,15,1) ");

    endCapture(&inner);
    EXPECT_EQ(capturedWidget(), nullptr);
    EXPECT_EQ(host.releases, 1);
    log.clear();
    routeMouseUp(&root, 60, 30, LEFT_BUTTON);
    EXPECT_EQ(log, "b.up(10,10,0) ");
}

TEST_F(Tree, ToWidgetLocalSubtractsEveryOriginBelowTheRoot)
{
    float x = 0, y = 0;
    toWidgetLocal(&root, &inner, 100, 100, x, y);
    EXPECT_EQ(x, 85);
    EXPECT_EQ(y, 85);
    root.setRect(7, 7, 640, 480);  // the root's own origin is not subtracted
    toWidgetLocal(&root, &inner, 100, 100, x, y);
    EXPECT_EQ(x, 85);
    toWidgetLocal(&root, &root, 100, 100, x, y);
    EXPECT_EQ(x, 100);
}

TEST_F(Tree, ADestroyedWidgetGivesUpTheCapture)
{
    auto* doomed = new RecordingWidget("doomed", &log);
    beginCapture(doomed);
    delete doomed;
    EXPECT_EQ(capturedWidget(), nullptr);
    EXPECT_EQ(host.releases, 1);
    EXPECT_EQ(routeMouseMove(&root, 60, 30), 1);  // routed by position again
    EXPECT_EQ(log, "b.move(10,10) ");
}

TEST(WidgetRect, OnRectChangedSeesTheOldEdges)
{
    struct Watcher : Widget {
        void onRectChanged(float x, float y, float width, float height) override
        {
            seen = {left, top, right, bottom, x, y, width, height};
        }
        std::array<float, 8> seen{};
    } watcher;
    watcher.setRect(1, 2, 3, 4);
    watcher.setRect(10, 20, 30, 40);
    EXPECT_EQ(watcher.seen, (std::array<float, 8>{1, 2, 4, 6, 10, 20, 30, 40}));
    EXPECT_EQ(watcher.right, 40);
    EXPECT_EQ(watcher.bottom, 60);
}

TEST(GuiStartup, StoresTheHostAndTheProgramModuleAndMakesTheArena)
{
    CountingHost host;
    EXPECT_TRUE(guiStartup(&host));
    EXPECT_EQ(guiCaptureHost(), &host);
    EXPECT_EQ(guiModuleHandle(), GetModuleHandleW(nullptr));
    EXPECT_NE(scratchArena(), nullptr);
    guiShutdown();
    EXPECT_EQ(scratchArena(), nullptr);
    for (std::uint32_t bucket = 0; bucket < TextureCache::BUCKET_COUNT; ++bucket) EXPECT_EQ(textureCache.bucketHead(bucket), nullptr);
}
