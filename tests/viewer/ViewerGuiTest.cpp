// The real vexo program under Xvfb, driven by real key presses and read back from screenshots.
// Screenshots are kept in VEXO_SHOTS_DIR for a person to look at.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "GuiSession.h"
#include "Motions.h"
#include "TempFile.h"

namespace {

const std::string SAMPLE = VEXO_SAMPLES_DIR "/walk.bvh";

class ViewerGui : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(session.ready()) << "Xvfb could not be started"; }

    // Starts vexo with the arguments and waits for its main window.
    void start(const std::vector<std::string>& arguments)
    {
        std::vector<std::string> command = {VEXO_BINARY};
        command.insert(command.end(), arguments.begin(), arguments.end());
        vexo = session.launch(command, std::string(VEXO_SHOTS_DIR) + "/" + testName() + ".log");
        window = session.waitForWindow("^VEXO$");
        ASSERT_FALSE(window.empty()) << "no window titled VEXO";
        GuiSession::pause(0.5);  // a few frames
    }

    Screenshot view(const std::string& name)
    {
        Screenshot shot = session.screenshot(window);
        std::filesystem::create_directories(VEXO_SHOTS_DIR);
        shot.save(std::string(VEXO_SHOTS_DIR) + "/" + testName() + "-" + name + ".ppm");
        return shot;
    }

    void keys(const std::string& names)
    {
        session.keys(window, names);
        GuiSession::pause(0.3);
    }

    // Presses the keys that open a menu; the menu's popup (the largest window that opened), or empty.
    std::string openMenu(const std::string& names)
    {
        const std::vector<std::string> before = session.windows(".*");
        keys(names);
        std::string popup;
        std::size_t largest = 0;
        for (const std::string& id : session.windows(".*")) {
            if (std::find(before.begin(), before.end(), id) != before.end()) continue;
            const std::size_t size = session.screenshot(id).rgb.size();
            if (size > largest) popup = id, largest = size;
        }
        return popup;
    }

    static std::string testName() { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }

    GuiSession session;
    pid_t vexo = -1;
    std::string window;
};

constexpr std::uint8_t FLOOR = 64;

}  // namespace

TEST_F(ViewerGui, ShowsTheSampleStillUntilSpace)
{
    start({SAMPLE});
    const Screenshot first = view("start");
    EXPECT_GT(first.countOf(FLOOR, FLOOR, FLOOR), 1000u);
    EXPECT_GT(first.countOf(128, 0, 0), 200u);  // the root's sphere
    EXPECT_GT(first.countOf(255, 0, 0), 200u);  // the next joint's
    GuiSession::pause(0.3);
    EXPECT_EQ(view("still"), first);  // paused at start

    keys("space");
    const Screenshot a = view("playing-a");
    GuiSession::pause(0.2);
    const Screenshot b = view("playing-b");
    EXPECT_NE(a, b);

    keys("space");
    const Screenshot c = view("paused-a");
    GuiSession::pause(0.2);
    EXPECT_EQ(view("paused-b"), c);
}

TEST_F(ViewerGui, XStepsOneFrameAndStaysPaused)
{
    start({SAMPLE});
    const Screenshot before = view("before");
    keys("x");
    const Screenshot stepped = view("stepped");
    EXPECT_NE(stepped, before);
    GuiSession::pause(0.3);
    EXPECT_EQ(view("after"), stepped);
}

TEST_F(ViewerGui, TheViewMenuTogglesFlagsAndShowsThemChecked)
{
    start({SAMPLE});
    const std::string popup = openMenu("alt+v");
    ASSERT_FALSE(popup.empty()) << "Alt+V opened no menu";
    const Screenshot allChecked = session.screenshot(popup);
    allChecked.save(std::string(VEXO_SHOTS_DIR) + "/" + testName() + "-menu-all-checked.ppm");

    keys("f");  // Floor
    EXPECT_EQ(view("no-floor").countOf(FLOOR, FLOOR, FLOOR), 0u);
    const Screenshot floorOff = session.screenshot(openMenu("alt+v"));
    floorOff.save(std::string(VEXO_SHOTS_DIR) + "/" + testName() + "-menu-floor-off.ppm");
    ASSERT_EQ(floorOff.width, allChecked.width);
    ASSERT_EQ(floorOff.height, allChecked.height);
    // Only the last of the four rows, the Floor item, looks different.
    const std::size_t rowBytes = std::size_t(allChecked.width) * 3;
    const std::size_t lastRowStart = rowBytes * std::size_t(allChecked.height * 3 / 4);
    EXPECT_TRUE(std::equal(floorOff.rgb.begin(), floorOff.rgb.begin() + lastRowStart, allChecked.rgb.begin()));
    EXPECT_NE(floorOff, allChecked);

    keys("f");  // the menu again: the floor is back, and so is its check mark
    EXPECT_GT(view("floor-again").countOf(FLOOR, FLOOR, FLOOR), 1000u);
    EXPECT_EQ(session.screenshot(openMenu("alt+v")), allChecked);
    keys("Escape");
}

TEST_F(ViewerGui, CtrlOAndFileOpenShowTheChooserThatLoadsAFile)
{
    TempFile refused("HIERARCHY\nROOT Hips\n");
    TempFile other(walkingRoot(2));  // a root with one short bone
    start({SAMPLE});
    const Screenshot sample = view("sample");

    keys("ctrl+o");
    std::string chooser = session.waitForWindow("^Open$", 5);
    ASSERT_FALSE(chooser.empty()) << "Ctrl+O opened no chooser";
    session.keys(chooser, "Escape");
    GuiSession::pause(0.5);
    EXPECT_TRUE(session.windows("^Open$").empty());
    EXPECT_EQ(view("cancelled"), sample);

    keys("alt+f o");
    chooser = session.waitForWindow("^Open$", 5);
    ASSERT_FALSE(chooser.empty()) << "File, Open opened no chooser";
    session.keys(chooser, "ctrl+l");
    session.run("xdotool type --delay 20 '" + refused.fsPath().string() + "'");
    session.keys(chooser, "Return");
    GuiSession::pause(0.5);
    EXPECT_EQ(view("refused"), sample);  // a refused file changes nothing

    keys("ctrl+o");
    chooser = session.waitForWindow("^Open$", 5);
    ASSERT_FALSE(chooser.empty());
    session.keys(chooser, "ctrl+l");
    session.run("xdotool type --delay 20 '" + other.fsPath().string() + "'");
    session.keys(chooser, "Return");
    GuiSession::pause(0.5);
    const Screenshot loaded = view("loaded");
    EXPECT_NE(loaded, sample);
    // Its root is a small sphere, a twelfth of its one-unit bone, where the sample's was large.
    EXPECT_GT(loaded.countOf(128, 0, 0), 0u);
    EXPECT_LT(loaded.countOf(128, 0, 0) * 20, sample.countOf(128, 0, 0));
}

TEST_F(ViewerGui, HelpAboutShowsTheBoxUntilEscape)
{
    start({SAMPLE});
    keys("alt+h a");
    const std::string about = session.waitForWindow("^About VEXO$", 5);
    ASSERT_FALSE(about.empty()) << "Help, About showed no box";
    session.screenshot(about).save(std::string(VEXO_SHOTS_DIR) + "/" + testName() + "-about.ppm");
    session.keys(about, "Escape");
    GuiSession::pause(0.5);
    EXPECT_TRUE(session.windows("^About VEXO$").empty());
    EXPECT_EQ(session.waitForExit(vexo, 0.1), -1);  // still running
}

TEST_F(ViewerGui, FileExitEndsTheProgramWithStatusZero)
{
    start({SAMPLE});
    keys("alt+f x");
    EXPECT_EQ(session.waitForExit(vexo, 5), 0);
}

TEST(ViewerWithoutDisplay, SaysSoAndFails)
{
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY " + std::string(VEXO_BINARY) + " '" + SAMPLE + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char chunk[512];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) out.append(chunk, n);
    const int status = pclose(pipe);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
    EXPECT_NE(out.find("display"), std::string::npos) << out;
}
