// Keys, menu commands and menu check marks through handleMessage, with synthetic messages.

#include <gtest/gtest.h>

#include <functional>

#include "FileDrop.h"
#include "Motions.h"
#include "TempFile.h"
#include "viewer/CommandIds.h"
#include "viewer/Viewer.h"

namespace {

// Everything a key or command may change.
struct State {
    Vec3 eye, up, center;
    bool paused, singleStep, lighting, moveCamera, loop, showControls, showFloor;

    explicit State(const Viewer& v)
        : eye(v.camera.eye), up(v.camera.up), center(v.camera.center), paused(v.paused), singleStep(v.singleStep),
          lighting(v.lighting), moveCamera(v.moveCamera), loop(v.loop), showControls(v.showControls),
          showFloor(v.showFloor)
    {
    }

    bool operator==(const State& o) const
    {
        auto same = [](const Vec3& a, const Vec3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; };
        return same(eye, o.eye) && same(up, o.up) && same(center, o.center) && paused == o.paused &&
               singleStep == o.singleStep && lighting == o.lighting && moveCamera == o.moveCamera && loop == o.loop &&
               showControls == o.showControls && showFloor == o.showFloor;
    }
};

LRESULT keyDown(Viewer& viewer, WPARAM key)
{
    return viewer.handleMessage(WM_KEYDOWN, key, 1);
}

LRESULT command(Viewer& viewer, WORD id)
{
    return viewer.handleMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

// The expected state after a key from the initial viewer.
struct KeyCase {
    const char* name;
    WPARAM key;
    std::function<void(State&)> expect;
};

const std::vector<KeyCase>& keyCases()
{
    static const std::vector<KeyCase> cases = {
        {"Left", VK_LEFT, [](State& s) { s.eye = {0.49009f, 5, 4.97592f}; }},
        {"Right", VK_RIGHT, [](State& s) { s.eye = {-0.49009f, 5, 4.97592f}; }},
        {"Up", VK_UP, [](State& s) { s.eye = {0, 5.49009f, 4.97592f}, s.up = {0, 0.99518f, -0.09802f}; }},
        {"Down", VK_DOWN, [](State& s) { s.eye = {0, 4.50991f, 4.97592f}, s.up = {0, 0.99518f, 0.09802f}; }},
        {"W", 'W', [](State& s) { s.eye = {0, 5, 3.5f}; }},
        {"S", 'S', [](State& s) { s.eye = {0, 5, 6.5f}; }},
        {"C", 'C', [](State& s) { s.moveCamera = false; }},
        {"L", 'L', [](State& s) { s.lighting = true; }},
        {"X", 'X', [](State& s) { s.singleStep = true; }},
        {"Space without a motion", VK_SPACE, [](State&) {}},
        {"lower-case w is no key code", 'w', [](State&) {}},
        {"Escape", VK_ESCAPE, [](State&) {}},
        {"F1", VK_F1, [](State&) {}},
        {"high word is ignored", MAKEWPARAM('L', 1), [](State& s) { s.lighting = true; }},
    };
    return cases;
}

void expectState(const State& actual, const State& expected)
{
    EXPECT_NEAR(actual.eye.x, expected.eye.x, 2e-5f);
    EXPECT_NEAR(actual.eye.y, expected.eye.y, 2e-5f);
    EXPECT_NEAR(actual.eye.z, expected.eye.z, 2e-5f);
    EXPECT_NEAR(actual.up.y, expected.up.y, 2e-5f);
    EXPECT_NEAR(actual.up.z, expected.up.z, 2e-5f);
    State rounded = actual;
    rounded.eye = expected.eye, rounded.up = expected.up;  // compared above, within rounding
    EXPECT_TRUE(rounded == expected);
}

HMENU viewPopup(HMENU menuBar)
{
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_SUBMENU;
    return GetMenuItemInfoW(menuBar, 1, TRUE, &item) ? item.hSubMenu : nullptr;
}

// Check state of the View items, by identifier.
bool checked(HMENU popup, WORD id)
{
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STATE;
    EXPECT_TRUE(GetMenuItemInfoW(popup, id, FALSE, &item));
    return (item.fState & MFS_CHECKED) != 0;
}

}  // namespace

TEST(ViewerInput, EachKeyChangesWhatItNamesAndNothingElse)
{
    for (const KeyCase& c : keyCases()) {
        SCOPED_TRACE(c.name);
        Viewer viewer;
        State expected(viewer);
        c.expect(expected);
        EXPECT_EQ(keyDown(viewer, c.key), 0);
        expectState(State(viewer), expected);
    }
}

TEST(ViewerInput, ViewCommandsToggleTheirFlag)
{
    struct Case {
        WORD id;
        bool Viewer::*flag;
    };
    const Case cases[] = {{ID_VIEW_MOVE_CAMERA, &Viewer::moveCamera},
                          {ID_VIEW_LOOP, &Viewer::loop},
                          {ID_VIEW_CONTROLS, &Viewer::showControls},
                          {ID_VIEW_FLOOR, &Viewer::showFloor}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        Viewer viewer;
        State expected(viewer);
        command(viewer, c.id);
        EXPECT_FALSE(viewer.*c.flag);
        viewer.*c.flag = true;
        EXPECT_TRUE(State(viewer) == expected);  // nothing else moved
        command(viewer, c.id);
        command(viewer, c.id);
        EXPECT_TRUE(viewer.*c.flag);
    }
    Viewer viewer;
    const State before(viewer);
    command(viewer, 9999);
    command(viewer, ID_VIEW_FLOOR + 1);
    EXPECT_TRUE(State(viewer) == before);
}

TEST(ViewerInput, TheViewMenuShowsTheFlagsWhenItOpens)
{
    const HMENU menuBar = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(101));
    ASSERT_NE(menuBar, nullptr);
    const HMENU view = viewPopup(menuBar);
    ASSERT_NE(view, nullptr);
    Viewer viewer;
    EXPECT_EQ(viewer.handleMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(view), 1), 0);
    for (WORD id : {ID_VIEW_MOVE_CAMERA, ID_VIEW_LOOP, ID_VIEW_CONTROLS, ID_VIEW_FLOOR}) EXPECT_TRUE(checked(view, id));

    keyDown(viewer, 'C');           // the key and the menu item are one flag
    command(viewer, ID_VIEW_FLOOR);
    viewer.handleMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(view), 1);
    EXPECT_FALSE(checked(view, ID_VIEW_MOVE_CAMERA));
    EXPECT_TRUE(checked(view, ID_VIEW_LOOP));
    EXPECT_TRUE(checked(view, ID_VIEW_CONTROLS));
    EXPECT_FALSE(checked(view, ID_VIEW_FLOOR));
    DestroyMenu(menuBar);
}

TEST(ViewerInput, ADropShowsTheFirstFileThatLoads)
{
    TempFile refused("HIERARCHY\nROOT Hips\n{\n");
    TempFile two(walkingRoot(2));
    TempFile three(walkingRoot(3));
    Viewer viewer;
    const HDROP drop = makeFileDrop({refused.path(), TEXT("/no/such.bvh"), two.path(), three.path()});
    ASSERT_NE(drop, nullptr);
    EXPECT_EQ(viewer.handleMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0), 0);
    ASSERT_TRUE(viewer.motionLoaded());
    EXPECT_EQ(viewer.skeleton->frameCount, 2);  // the file after it is not read

    const Skeleton* shown = viewer.skeleton;
    EXPECT_EQ(viewer.handleMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(makeFileDrop({refused.path()})), 0), 0);
    EXPECT_EQ(viewer.skeleton, shown);
}
