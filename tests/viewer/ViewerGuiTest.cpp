// The real vexo program under Xvfb, driven by real key presses, XDND drops and the close box, and
// read back from screenshots. The screenshots are kept in VEXO_SHOTS_DIR for a person to look at.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "GuiSession.h"
#include "Motions.h"
#include "ScreenPixels.h"
#include "TempFile.h"

namespace {

using namespace std::chrono_literals;

const std::string SAMPLE = VEXO_SAMPLES_DIR "/walk.bvh";

class ViewerGui : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!gui.ok()) GTEST_SKIP() << "needs Xvfb, xdotool and ImageMagick";
    }

    // Starts vexo with the arguments and waits for its main window and a few frames.
    void start(const std::vector<std::string>& arguments)
    {
        std::vector<std::string> command = {VEXO_BINARY};
        command.insert(command.end(), arguments.begin(), arguments.end());
        vexo = &gui.start(command);
        window = gui.findWindow("VEXO");
        ASSERT_FALSE(window.empty()) << "no window titled VEXO";
        std::this_thread::sleep_for(500ms);
    }

    // The pixels of a window as they are on the screen, kept as a PNG under the name given.
    Pixels look(const std::string& name, const std::string& of = {})
    {
        const GuiSession::Geometry area = gui.geometry(of.empty() ? window : of);
        std::filesystem::create_directories(VEXO_SHOTS_DIR);
        gui.screenshot(std::string(VEXO_SHOTS_DIR) + "/" + testName() + "-" + name + ".png");
        return gui.capture(area.x, area.y, area.width, area.height);
    }

    // The window's pixels once they differ from before (or as they are after five seconds).
    Pixels lookOnceChanged(const std::string& name, const Pixels& before)
    {
        Pixels now = look(name);
        for (int i = 0; i < 50 && now == before; ++i) {
            std::this_thread::sleep_for(100ms);
            now = look(name);
        }
        return now;
    }

    // Waits until no visible window has this title; false if one still has after ten seconds.
    bool waitUntilGone(const std::string& title)
    {
        for (int i = 0; i < 100; ++i) {
            if (gui.xdotool({"search", "--onlyvisible", "--name", "^" + title + "$"}).empty()) return true;
            std::this_thread::sleep_for(100ms);
        }
        return false;
    }

    // Real key presses (XTEST) into the focused window, one after another.
    void keys(std::initializer_list<std::string> sequence, const std::string& into = {})
    {
        gui.xdotool({"windowfocus", "--sync", into.empty() ? window : into});
        for (const std::string& key : sequence) {
            gui.xdotool({"key", key});
            std::this_thread::sleep_for(150ms);
        }
        std::this_thread::sleep_for(300ms);
    }

    std::vector<std::string> visibleWindows()
    {
        const std::string out = gui.xdotool({"search", "--onlyvisible", "--name", ".*"});
        std::vector<std::string> ids;
        for (size_t start = 0, end; (end = out.find('\n', start)) != std::string::npos; start = end + 1) {
            ids.push_back(out.substr(start, end - start));
        }
        return ids;
    }

    // Presses the keys that open a menu; the menu's popup (the largest window that opened), or empty.
    std::string openMenu(std::initializer_list<std::string> sequence)
    {
        const std::vector<std::string> before = visibleWindows();
        keys(sequence);
        std::string popup;
        int largest = 0;
        for (const std::string& id : visibleWindows()) {
            if (std::find(before.begin(), before.end(), id) != before.end()) continue;
            const GuiSession::Geometry area = gui.geometry(id);
            if (area.width * area.height > largest) popup = id, largest = area.width * area.height;
        }
        return popup;
    }

    // Types a path into the open dialog and accepts it.
    void choose(const std::string& path)
    {
        const std::string chooser = gui.findWindow("Open");
        ASSERT_FALSE(chooser.empty()) << "no open dialog";
        keys({"ctrl+l"}, chooser);
        gui.xdotool({"type", "--delay", "20", path});
        keys({"Return"}, chooser);
        ASSERT_TRUE(waitUntilGone("Open"));
        std::this_thread::sleep_for(300ms);  // frames drawn over where the dialog was
    }

    static std::string testName() { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }

    // The control bar's place in the window, whose client area ends at the window's bottom: a 24-pixel
    // button, 3 pixels apart from a 16-pixel high slider four pixels a frame wide where that fits
    // (frames < 0: no motion), else as wide as fits up to 640, the two centred.
    struct Bar {
        int buttonX, sliderX, bottom;
    };
    Bar bar(int frames)
    {
        const GuiSession::Geometry area = gui.geometry(window);
        const int room = area.width - 2 * 24 - 9;
        const int sliderWidth = frames >= 0 && 4 * frames < room ? 4 * frames : std::min(room, 640);
        const int x0 = (area.width - 24 - sliderWidth - 3) / 2;
        return {x0, x0 + 27, area.height};
    }

    // Mouse actions at a point of the window: "click 1", "mousedown 3", ...
    void mouseAt(int x, int y, std::initializer_list<std::string> action = {})
    {
        const GuiSession::Geometry area = gui.geometry(window);
        gui.xdotool({"mousemove", std::to_string(area.x + x), std::to_string(area.y + y)});
        if (action.size() > 0) gui.xdotool(action);
        std::this_thread::sleep_for(100ms);
    }

    // The pixels of [x0, x1) x [y0, y1) of a window look.
    Pixels region(const Pixels& pixels, int x0, int y0, int x1, int y1)
    {
        const int width = gui.geometry(window).width;
        Pixels part;
        for (int y = y0; y < y1; ++y) {
            part.insert(part.end(), pixels.begin() + y * width + x0, pixels.begin() + y * width + x1);
        }
        return part;
    }

    GuiSession gui;
    GuiProgram* vexo = nullptr;
    std::string window;
};

}  // namespace

TEST_F(ViewerGui, ShowsTheSampleStillUntilSpaceStartsIt)
{
    start({SAMPLE});
    const Pixels first = look("start");
    EXPECT_GT(countOf(first, FLOOR), 1000u);
    EXPECT_GT(countOf(first, ROOT_COLOUR), 200u);
    EXPECT_GT(countOf(first, NEXT_COLOUR), 200u);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(look("still"), first);  // paused at start

    keys({"space"});
    const Pixels a = look("playing-a");
    EXPECT_NE(lookOnceChanged("playing-b", a), a);

    keys({"space"});
    const Pixels c = look("paused-a");
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(look("paused-b"), c);
}

TEST_F(ViewerGui, XStepsOneFrameAndStaysPaused)
{
    start({SAMPLE});
    const Pixels before = look("before");
    keys({"x"});
    const Pixels stepped = lookOnceChanged("stepped", before);
    EXPECT_NE(stepped, before);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(look("after"), stepped);
}

TEST_F(ViewerGui, TheViewMenuTogglesFlagsAndShowsThemChecked)
{
    start({SAMPLE});
    const std::string popup = openMenu({"alt+v"});
    ASSERT_FALSE(popup.empty()) << "Alt+V opened no menu";
    const Pixels allChecked = look("menu-all-checked", popup);

    keys({"f"});  // Floor
    EXPECT_EQ(countOf(look("no-floor"), FLOOR), 0u);
    const std::string again = openMenu({"alt+v"});
    const Pixels floorOff = look("menu-floor-off", again);
    ASSERT_EQ(floorOff.size(), allChecked.size());
    // Only the last of the four rows, the Floor item, looks different.
    const std::size_t threeRows = allChecked.size() * 3 / 4;
    EXPECT_TRUE(std::equal(floorOff.begin(), floorOff.begin() + threeRows, allChecked.begin()));
    EXPECT_NE(floorOff, allChecked);

    keys({"f"});  // the floor is back, and so is its check mark
    EXPECT_GT(countOf(look("floor-again"), FLOOR), 1000u);
    EXPECT_EQ(look("menu-all-checked-again", openMenu({"alt+v"})), allChecked);
    keys({"Escape"});
}

TEST_F(ViewerGui, CtrlOAndFileOpenShowTheChooserThatLoadsAFile)
{
    TempFile refused("HIERARCHY\nROOT Hips\n");
    TempFile other(walkingRoot(2));  // a root with one short bone
    start({SAMPLE});
    const Pixels sample = look("sample");

    keys({"ctrl+o"});
    const std::string chooser = gui.findWindow("Open");
    ASSERT_FALSE(chooser.empty()) << "Ctrl+O opened no chooser";
    keys({"Escape"}, chooser);
    ASSERT_TRUE(waitUntilGone("Open"));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(look("cancelled"), sample);

    keys({"alt+f", "o"});
    choose(refused.fsPath().string());
    EXPECT_EQ(look("refused"), sample);  // a refused file changes nothing

    keys({"ctrl+o"});
    choose(other.fsPath().string());
    const Pixels loaded = lookOnceChanged("loaded", sample);
    // Its root is a small sphere, a twelfth of its one-unit bone, where the sample's was large.
    EXPECT_GT(countOf(loaded, ROOT_COLOUR), 0u);
    EXPECT_LT(countOf(loaded, ROOT_COLOUR) * 20, countOf(sample, ROOT_COLOUR));
}

TEST_F(ViewerGui, ADropOfABadThenAGoodFileShowsTheGoodOne)
{
    TempFile refused("HIERARCHY\nROOT Hips\n{\n");
    TempFile other(walkingRoot(2));
    start({SAMPLE});
    const Pixels sample = look("sample");
    EXPECT_TRUE(gui.drop(window, {refused.fsPath().string()}));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(look("refused"), sample);
    EXPECT_TRUE(gui.drop(window, {refused.fsPath().string(), other.fsPath().string()}));
    const Pixels loaded = lookOnceChanged("loaded", sample);
    EXPECT_GT(countOf(loaded, ROOT_COLOUR), 0u);
    EXPECT_LT(countOf(loaded, ROOT_COLOUR) * 20, countOf(sample, ROOT_COLOUR));
}

TEST_F(ViewerGui, HelpAboutShowsTheBoxUntilEscape)
{
    start({SAMPLE});
    keys({"alt+h", "a"});
    const std::string about = gui.findWindow("About VEXO");
    ASSERT_FALSE(about.empty()) << "Help, About showed no box";
    look("about", about);
    keys({"Escape"}, about);
    EXPECT_TRUE(waitUntilGone("About VEXO"));
    EXPECT_TRUE(vexo->running());
}

TEST_F(ViewerGui, FileExitEndsTheProgramWithStatusZero)
{
    start({SAMPLE});
    keys({"alt+f", "x"});
    EXPECT_EQ(vexo->waitForExit(), 0);
}

TEST_F(ViewerGui, TheCloseBoxEndsTheProgramWithStatusZero)
{
    start({});  // no file: the clear colour under the menu bar
    const Pixels empty = look("empty");
    EXPECT_GT(countOf(empty, 0x999999), empty.size() * 9 / 10);
    EXPECT_EQ(countOf(empty, FLOOR), 0u);
    gui.closeWindow(window);
    EXPECT_EQ(vexo->waitForExit(), 0);
}

TEST_F(ViewerGui, ThePlayButtonStartsAndStopsPlaybackAndShowsWhatItWillDo)
{
    TempFile motion(walkingRoot(100));
    start({motion.fsPath().string()});
    keys({"alt+v", "f"});  // no floor: the button's surroundings stay still
    const Bar b = bar(100);
    auto button = [&](const Pixels& p) { return region(p, b.buttonX, b.bottom - 24, b.buttonX + 24, b.bottom); };
    const Pixels still = look("paused");

    mouseAt(b.buttonX + 12, b.bottom - 12, {"click", "1"});
    const Pixels playing = lookOnceChanged("playing-a", still);
    EXPECT_NE(playing, still);
    EXPECT_NE(lookOnceChanged("playing-b", playing), playing);
    EXPECT_NE(button(playing), button(still)) << "the pause icon replaces the play icon";

    std::this_thread::sleep_for(700ms);  // not a double click
    mouseAt(b.buttonX + 12, b.bottom - 12, {"click", "1"});
    const Pixels stopped = look("stopped-a");
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(look("stopped-b"), stopped);
    EXPECT_EQ(button(stopped), button(still));
}

TEST_F(ViewerGui, DraggingTheThumbMovesTheFrameCounter)
{
    TempFile motion(walkingRoot(100));
    start({motion.fsPath().string()});
    const Bar b = bar(100);
    auto counter = [&](const Pixels& p) { return region(p, 0, 0, 120, 60); };  // the menu bar and the counter
    const Pixels before = look("frame-1");

    mouseAt(b.sliderX + 4, b.bottom - 8, {"mousedown", "1"});
    mouseAt(b.sliderX + 104, b.bottom - 8);
    mouseAt(b.sliderX + 204, b.bottom - 8, {"mouseup", "1"});
    const Pixels dragged = lookOnceChanged("dragged", before);
    EXPECT_NE(counter(dragged), counter(before));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(look("after"), dragged);  // still paused, and the drag has ended
}

TEST_F(ViewerGui, ARightPressOnTheThumbDoesNothing)
{
    TempFile motion(walkingRoot(100));
    start({motion.fsPath().string()});
    const Bar b = bar(100);
    const Pixels before = look("before");
    mouseAt(b.sliderX + 4, b.bottom - 8, {"mousedown", "3"});
    mouseAt(b.sliderX + 204, b.bottom - 8, {"mouseup", "3"});
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(look("after"), before);
}

TEST_F(ViewerGui, ClicksBeforeAnyLoadReachNothing)
{
    TempFile motion(walkingRoot(100));
    start({});
    const Bar b = bar(-1);
    mouseAt(b.buttonX + 12, b.bottom - 12, {"click", "1"});
    mouseAt(b.sliderX + 4, b.bottom - 8, {"mousedown", "1"});
    mouseAt(b.sliderX + 204, b.bottom - 8, {"mouseup", "1"});
    const Pixels empty = look("empty");
    const Pixels bottom = region(empty, 0, b.bottom - 24, gui.geometry(window).width, b.bottom);
    EXPECT_EQ(countOf(bottom, 0x999999), bottom.size()) << "no control bar without a motion";

    EXPECT_TRUE(gui.drop(window, {motion.fsPath().string()}));
    const Pixels loaded = lookOnceChanged("loaded", empty);
    EXPECT_NE(loaded, empty);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(look("still"), loaded) << "the earlier click started nothing";
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
