// The button's press, drag and release: when a click fires.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WidgetTestSupport.h"
#include "widgets/Button.h"
#include "widgets/Gui.h"
#include "widgets/MouseRouting.h"

namespace {

// One routed event, in client coordinates.
struct Event {
    enum Kind { Down, Move, Up } kind;
    int x, y, button;
};

// A 24 x 24 button at (100, 400) in a 640 x 480 root, counting its clicks.
struct ButtonFixture : ::testing::Test {
    void SetUp() override
    {
        guiStartup(&host);
        root.setRect(0, 0, 640, 480);
        root.addChild(&button)->setRect(100, 400, 24, 24);
        addListener(button.clickListeners, &clicks, [](void* count, void*) { ++*static_cast<int*>(count); });
    }
    void TearDown() override
    {
        if (capturedWidget() != nullptr) endCapture(capturedWidget());
    }

    // The results of routing the events, in order.
    std::vector<int> route(const std::vector<Event>& events)
    {
        std::vector<int> results;
        for (const Event& e : events) {
            switch (e.kind) {
            case Event::Down: results.push_back(routeMouseDown(&root, e.x, e.y, e.button)); break;
            case Event::Move: results.push_back(routeMouseMove(&root, e.x, e.y)); break;
            case Event::Up: results.push_back(routeMouseUp(&root, e.x, e.y, e.button)); break;
            }
        }
        return results;
    }

    CountingHost host;
    Panel root;
    Button button;
    int clicks = 0;
};

}  // namespace

TEST_F(ButtonFixture, ClickSequences)
{
    struct Case {
        const char* name;
        std::vector<Event> events;
        std::vector<int> results;
        int clicks;
        int pressedAfter;
    } const cases[] = {
        {"press and release on it", {{Event::Down, 110, 410, 0}, {Event::Up, 110, 410, 0}}, {1, 1}, 1, 0},
        {"press, drag off, release outside the window",
         {{Event::Down, 110, 410, 0}, {Event::Move, 300, 100, 0}, {Event::Up, -40, -40, 0}},
         {1, 0, 1},
         1,
         0},
        {"right press and release alone", {{Event::Down, 110, 410, 1}, {Event::Up, 110, 410, 1}}, {1, 1}, 0, 0},
        {"a right release completes a held left press",
         {{Event::Down, 110, 410, 0}, {Event::Down, 110, 410, 1}, {Event::Up, 110, 410, 1}, {Event::Up, 110, 410, 0}},
         {1, 1, 1, 1},
         1,
         0},
        {"a second release without a press", {{Event::Down, 110, 410, 0}, {Event::Up, 110, 410, 0}, {Event::Up, 110, 410, 0}},
         {1, 1, 1},
         1,
         0},
        {"still pressed before the release", {{Event::Down, 123, 423, 0}, {Event::Move, 124, 424, 0}}, {1, 0}, 0, 1},
        {"a press beside it reaches the root", {{Event::Down, 124, 410, 0}, {Event::Up, 110, 410, 0}}, {0, 1}, 0, 0},
    };
    for (const Case& c : cases) {
        clicks = 0;
        host = CountingHost{};
        EXPECT_EQ(route(c.events), c.results) << c.name;
        EXPECT_EQ(clicks, c.clicks) << c.name;
        EXPECT_EQ(button.pressed, c.pressedAfter) << c.name;
        EXPECT_EQ(host.captures, host.releases + c.pressedAfter) << c.name;
        if (button.pressed) route({{Event::Up, 0, 0, 0}});
    }
}

TEST_F(ButtonFixture, ListenersRunInOrderOncePerClick)
{
    static std::string log;
    log.clear();
    addListener(button.clickListeners, nullptr, [](void*, void*) { log += "b"; });
    addListener(button.clickListeners, nullptr, [](void*, void*) { log += "c"; });
    route({{Event::Down, 110, 410, 0}, {Event::Up, 110, 410, 0}});
    route({{Event::Down, 110, 410, 0}, {Event::Up, 110, 410, 0}});
    EXPECT_EQ(log, "bcbc");
    EXPECT_EQ(clicks, 2);
}

TEST_F(ButtonFixture, TheClickComesAfterTheButtonIsReleased)
{
    // A listener sees the released button and no capture, so it may start anything new.
    static Button* seen = nullptr;
    static int pressedSeen = -1;
    static Widget* capturedSeen = &root;
    seen = &button;
    addListener(button.clickListeners, nullptr, [](void*, void*) {
        pressedSeen = seen->pressed;
        capturedSeen = capturedWidget();
    });
    route({{Event::Down, 110, 410, 0}, {Event::Up, 110, 410, 0}});
    EXPECT_EQ(pressedSeen, 0);
    EXPECT_EQ(capturedSeen, nullptr);
}

TEST_F(ButtonFixture, APressWhoseCaptureAnotherWidgetTookEndsWithoutAClick)
{
    // The platform lost the release of a press on the button; then a press on another button.
    Button other;
    root.addChild(&other)->setRect(200, 400, 24, 24);
    int otherClicks = 0;
    addListener(other.clickListeners, &otherClicks, [](void* count, void*) { ++*static_cast<int*>(count); });
    route({{Event::Down, 110, 410, 0}, {Event::Down, 210, 410, 0}});
    ASSERT_EQ(capturedWidget(), &other);
    route({{Event::Up, 0, 0, 0}});  // to the capture's holder
    EXPECT_EQ(otherClicks, 1);
    EXPECT_EQ(capturedWidget(), nullptr);

    route({{Event::Up, 110, 410, 0}});  // a release over the first button: its press is long over
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(button.pressed, 0);
    EXPECT_EQ(capturedWidget(), nullptr);
    route({{Event::Down, 110, 410, 0}, {Event::Up, 110, 410, 0}});  // and it clicks as ever
    EXPECT_EQ(clicks, 1);
}
