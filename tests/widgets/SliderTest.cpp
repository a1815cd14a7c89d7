// The slider: thumb geometry, dragging by truncation, and which changes call the listeners.

#include <gtest/gtest.h>

#include "WidgetTestSupport.h"
#include "widgets/Gui.h"
#include "widgets/MouseRouting.h"
#include "widgets/Slider.h"

namespace {

// A 160 x 16 slider with an 8 x 16 thumb at (0, 0) of its parent, range 1..5, counting listener calls.
struct SliderFixture : ::testing::Test {
    void SetUp() override
    {
        guiStartup(&host);
        slider.thumbSkin = makeSizedBrush(8, 16);
        slider.setRect(0, 0, 160, 16);
        slider.setRange(1, 5);
        addListener(slider.changeListeners, &changes, [](void* count, void*) { ++*static_cast<int*>(count); });
    }
    void TearDown() override
    {
        if (capturedWidget() != nullptr) endCapture(capturedWidget());
    }

    // Press the thumb at its left edge, so the thumb's left edge then follows the pointer's x.
    void grabThumb()
    {
        ASSERT_EQ(slider.mouseDown(slider.thumbRect().x0, 8, LEFT_BUTTON), 1);
        ASSERT_EQ(capturedWidget(), &slider);
    }

    CountingHost host;
    Slider slider;
    int changes = 0;
};

}  // namespace

TEST_F(SliderFixture, ThumbTravelsOverTheTrackLessItsWidth)
{
    const float expected[] = {0, 38, 76, 114, 152};
    for (int value = 1; value <= 5; ++value) {
        slider.setValue(value);
        const ThumbRect thumb = slider.thumbRect();
        EXPECT_FLOAT_EQ(thumb.x0, expected[value - 1]) << value;
        EXPECT_FLOAT_EQ(thumb.x1, expected[value - 1] + 8) << value;
        EXPECT_EQ(thumb.y0, 0);
        EXPECT_EQ(thumb.y1, 16);
    }
}

TEST_F(SliderFixture, DraggingTruncatesAndCallsListenersOnlyOnAChange)
{
    grabThumb();
    EXPECT_EQ(slider.value, 1);
    EXPECT_EQ(changes, 0);

    struct Step {
        float x;
        int value, changes;
    } const steps[] = {
        {37, 1, 0},     // 37 / 152 x 4 + 1 = 1.97: still 1, no call
        {38, 2, 1},     // exactly a quarter: 2
        {75.9f, 2, 1},  // moving within a value calls nothing
        {114, 4, 2},
        {1000, 5, 3},   // past the end: pinned to the maximum
        {2000, 5, 3},
        {-50, 1, 4},    // past the start: the minimum
    };
    for (const Step& s : steps) {
        EXPECT_EQ(slider.mouseMove(s.x, 300), 1) << s.x;  // y plays no part
        EXPECT_EQ(slider.value, s.value) << s.x;
        EXPECT_EQ(changes, s.changes) << s.x;
    }
    EXPECT_EQ(slider.mouseUp(0, 0, LEFT_BUTTON), 1);
    EXPECT_EQ(capturedWidget(), nullptr);
}

TEST_F(SliderFixture, TheGrabOffsetIsKept)
{
    slider.setValue(2);  // thumb at 38..46
    ASSERT_EQ(slider.mouseDown(44, 3, LEFT_BUTTON), 1);
    EXPECT_EQ(slider.grabX, 6);
    EXPECT_EQ(slider.grabY, 3);
    EXPECT_EQ(slider.value, 2);
    slider.mouseMove(44 + 38, 0);  // the thumb's left edge to 76
    EXPECT_EQ(slider.value, 3);
}

TEST_F(SliderFixture, ProgramChangesClampAndCallNoListener)
{
    slider.setRange(0, 100);
    slider.setValue(0);
    slider.setRange(1, 10);
    EXPECT_EQ(slider.value, 1);
    slider.setValue(50);
    EXPECT_EQ(slider.value, 10);
    slider.setValue(-3);
    EXPECT_EQ(slider.value, 1);
    slider.setRange(5, 1);  // crossed bounds: the maximum wins
    EXPECT_EQ(slider.value, 1);
    slider.setValue(3);
    EXPECT_EQ(slider.value, 1);
    EXPECT_EQ(changes, 0);
}

TEST_F(SliderFixture, PressesThatStartNoDrag)
{
    slider.setValue(3);  // thumb at 76..84
    EXPECT_EQ(slider.mouseDown(80, 8, RIGHT_BUTTON), 0);  // right press on the thumb
    EXPECT_EQ(slider.mouseDown(20, 8, LEFT_BUTTON), 1);   // on the track: taken, but no jump
    EXPECT_EQ(capturedWidget(), nullptr);
    EXPECT_EQ(slider.value, 3);
    EXPECT_EQ(slider.mouseMove(100, 8), 0);
    EXPECT_EQ(slider.mouseUp(100, 8, LEFT_BUTTON), 0);
    EXPECT_EQ(host.captures, 0);
    EXPECT_EQ(changes, 0);
}

TEST_F(SliderFixture, ThumbEdgesAreInsideForAPress)
{
    slider.setValue(3);
    EXPECT_EQ(slider.mouseDown(84, 16, LEFT_BUTTON), 1);  // bottom-right corner of the thumb
    EXPECT_EQ(capturedWidget(), &slider);
    EXPECT_EQ(slider.value, 3);
}

TEST_F(SliderFixture, ARightReleaseDoesNotEndTheDrag)
{
    grabThumb();
    EXPECT_EQ(slider.mouseUp(50, 8, RIGHT_BUTTON), 0);
    EXPECT_EQ(capturedWidget(), &slider);
    EXPECT_EQ(slider.mouseMove(38, 8), 1);
    EXPECT_EQ(slider.value, 2);
    EXPECT_EQ(slider.mouseUp(50, 8, LEFT_BUTTON), 1);
    EXPECT_EQ(capturedWidget(), nullptr);
    EXPECT_EQ(slider.value, 2);  // releasing changes nothing
    EXPECT_EQ(host.releases, 1);
}

TEST_F(SliderFixture, ASliderWithNoRoomForAPositionNeverMovesOrCalls)
{
    struct Case {
        const char* name;
        int minimum, maximum, value;
        float width;
    } const cases[] = {
        {"one value", 1, 1, 1, 160},
        {"as wide as its thumb", 1, 5, 3, 8},
        {"narrower than its thumb", 1, 5, 3, 4},
        {"not laid out", 1, 5, 1, 0},
    };
    for (const Case& c : cases) {
        slider.setRange(c.minimum, c.maximum);
        slider.setValue(c.value);
        slider.setRect(0, 0, c.width, 16);
        EXPECT_EQ(slider.thumbRect().x0, 0) << c.name;
        ASSERT_EQ(slider.mouseDown(0, 0, LEFT_BUTTON), 1) << c.name;
        for (float x : {-100.0f, 0.0f, 3.0f, 80.0f, 1000.0f}) slider.mouseMove(x, 0);
        slider.mouseUp(0, 0, LEFT_BUTTON);
        EXPECT_EQ(slider.value, c.value) << c.name;
        EXPECT_EQ(changes, 0) << c.name;
    }
}

TEST_F(SliderFixture, WithoutAThumbSkinOnlyTheCornerPointStartsADrag)
{
    destroyBrush(slider.thumbSkin);
    slider.thumbSkin = nullptr;
    const ThumbRect thumb = slider.thumbRect();
    EXPECT_EQ(thumb.x1 - thumb.x0, 0);
    EXPECT_EQ(thumb.y1, 0);
    slider.mouseDown(1, 0, LEFT_BUTTON);
    EXPECT_EQ(capturedWidget(), nullptr);
    slider.mouseDown(0, 0, LEFT_BUTTON);
    EXPECT_EQ(capturedWidget(), &slider);
    slider.mouseMove(80, 0);  // the whole width is travel now: half way is 3
    EXPECT_EQ(slider.value, 3);
}
