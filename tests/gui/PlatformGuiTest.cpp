// The platform layer on a real X display (Xvfb), driven like a user would: the probe program logs
// the messages it receives, xdotool types and clicks, vexo_xtool drops files and closes windows.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <thread>

#include "GuiSession.h"

namespace {

using namespace std::chrono_literals;

class PlatformGui : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!gui.ok()) GTEST_SKIP() << "needs Xvfb and xdotool";
        directory = std::filesystem::temp_directory_path() / ("vexo gui " + std::to_string(::getpid()));
        std::filesystem::create_directories(directory);
        probe = &gui.start({PLATFORM_PROBE}, directory.string());
        const auto ready = probe->waitForLine("READY");
        std::string said;
        for (const std::string& line : probe->history()) said += line + "\n";
        ASSERT_TRUE(ready) << "the probe did not draw its first frame (exit status "
                           << probe->waitForExit(std::chrono::milliseconds(500)).value_or(-1) << "); it said:\n"
                           << said;
        std::printf("first frame after %s ms\n", ready->substr(6).c_str());
        window = gui.findWindow("VEXO probe");
        ASSERT_FALSE(window.empty());
        gui.focus(window);
        frame = gui.geometry(window);
    }

    void TearDown() override
    {
        if (!directory.empty()) std::filesystem::remove_all(directory);
    }

    void keys(std::initializer_list<std::string> sequence)
    {
        for (const std::string& key : sequence) {
            gui.xdotool({"key", key});
            std::this_thread::sleep_for(150ms);
        }
    }

    // Screen position of a point of the client area (below the menu bar).
    int clientX(int x) const { return frame.x + x; }
    int clientY(int y) const { return frame.y + MENU_BAR_HEIGHT + y; }

    bool saw(const std::vector<std::string>& lines, const std::string& line)
    {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    static constexpr int MENU_BAR_HEIGHT = 25;
    GuiSession gui;
    std::filesystem::path directory;  // the probe's working directory
    GuiProgram* probe = nullptr;
    std::string window;
    GuiSession::Geometry frame;
};

TEST_F(PlatformGui, MnemonicsOpenTheMenusAndChooseItems)
{
    keys({"alt+v"});
    EXPECT_TRUE(probe->waitForLine("INITMENUPOPUP 1"));
    keys({"m"});
    EXPECT_TRUE(probe->waitForLine("COMMAND 10002"));
    EXPECT_EQ(probe->waitForLine("CHECKS"), "CHECKS 0 1 1 1");
    keys({"alt+h", "a"});
    EXPECT_TRUE(probe->waitForLine("COMMAND 10001"));
    keys({"Escape"});
    EXPECT_EQ(probe->waitForLine("ABOUT"), "ABOUT 2");
    keys({"alt+f", "x"});
    EXPECT_TRUE(probe->waitForLine("COMMAND 10000"));
    EXPECT_EQ(probe->waitForExit(), 0);
}

// The rows of the screen that differ between two captures of the same rectangle.
std::pair<int, int> changedRows(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b, int width)
{
    int first = -1, last = -1;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (a[i] == b[i]) continue;
        const int row = static_cast<int>(i) / width;
        if (first < 0) first = row;
        last = row;
    }
    return {first, last};
}

TEST_F(PlatformGui, CheckMarksFollowTheStateSetAtInitMenuPopup)
{
    constexpr int WIDTH = 300, HEIGHT = 150;
    const auto viewPopup = [&] {
        keys({"alt+v"});
        probe->waitForLine("INITMENUPOPUP 2");
        std::this_thread::sleep_for(300ms);
        const std::vector<std::uint32_t> pixels = gui.capture(clientX(0), clientY(0), WIDTH, HEIGHT);
        keys({"Escape"});
        return pixels;
    };
    const std::vector<std::uint32_t> allChecked = viewPopup();
    keys({"alt+v", "l"});  // Loop off
    ASSERT_EQ(probe->waitForLine("CHECKS"), "CHECKS 1 0 1 1");
    const std::vector<std::uint32_t> loopOff = viewPopup();
    keys({"alt+v", "m"});  // Move Camera off
    ASSERT_EQ(probe->waitForLine("CHECKS"), "CHECKS 0 0 1 1");
    const std::vector<std::uint32_t> bothOff = viewPopup();

    const auto [loopFirst, loopLast] = changedRows(allChecked, loopOff, WIDTH);
    const auto [moveFirst, moveLast] = changedRows(loopOff, bothOff, WIDTH);
    ASSERT_GE(loopFirst, 0) << "Loop's check mark went away";
    ASSERT_GE(moveFirst, 0) << "Move Camera's check mark went away";
    EXPECT_LT(loopLast - loopFirst, 20) << "only Loop's row changed";
    EXPECT_LT(moveLast - moveFirst, 20) << "only Move Camera's row changed";
    EXPECT_LT(moveLast, loopFirst) << "Move Camera is the item above Loop";
    EXPECT_TRUE(changedRows(bothOff, viewPopup(), WIDTH).first < 0) << "the same state draws the same menu";
}

TEST_F(PlatformGui, CtrlOArrivesAsCommand10005AndNeverAsKeyDown)
{
    keys({"ctrl+o"});
    EXPECT_TRUE(probe->waitForLine("COMMAND 10005"));
    gui.focus(gui.findWindow("Open"));
    keys({"Escape"});
    EXPECT_TRUE(probe->waitForLine("OPEN CANCELLED"));
    for (const std::string& line : probe->history()) EXPECT_NE(line, "KEYDOWN 79") << "O reached the window";
    gui.focus(window);
    keys({"o"});
    EXPECT_TRUE(probe->waitForLine("KEYDOWN 79")) << "without Control, O is a key";
}

TEST_F(PlatformGui, HeldKeyRepeatsAsKeyDowns)
{
    gui.xdotool({"keydown", "Left"});
    std::this_thread::sleep_for(1200ms);
    gui.xdotool({"keyup", "Left"});
    ASSERT_TRUE(probe->waitForLine("KEYUP 37"));
    const std::vector<std::string>& lines = probe->history();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "KEYDOWN 37"), 1);
    EXPECT_GE(std::count(lines.begin(), lines.end(), "KEYDOWN 37 REPEAT"), 3);
}

TEST_F(PlatformGui, MouseCoordinatesAreClientRelativeAndNegativeWhileCaptured)
{
    gui.xdotool({"mousemove", std::to_string(clientX(200)), std::to_string(clientY(100))});
    EXPECT_TRUE(probe->waitForLine("MOUSEMOVE 0 200 100"));
    gui.xdotool({"mousedown", "1"});
    EXPECT_EQ(probe->waitForLine("LBUTTONDOWN"), "LBUTTONDOWN 1 200 100");
    gui.xdotool({"mousemove", std::to_string(clientX(-30) < 0 ? 0 : clientX(-30)), std::to_string(frame.y + 5)});
    const auto outside = probe->waitForLine("MOUSEMOVE");
    ASSERT_TRUE(outside);
    int x = 0, y = 0;
    std::sscanf(outside->c_str(), "MOUSEMOVE 1 %d %d", &x, &y);
    EXPECT_LT(y, 0) << *outside;
    EXPECT_EQ(y, 5 - MENU_BAR_HEIGHT);
    gui.xdotool({"mouseup", "1"});
    EXPECT_TRUE(probe->waitForLine("LBUTTONUP 0"));

    gui.xdotool({"mousemove", std::to_string(clientX(50)), std::to_string(clientY(60))});
    gui.xdotool({"click", "3"});
    EXPECT_EQ(probe->waitForLine("RBUTTONDOWN"), "RBUTTONDOWN 2 50 60");
    EXPECT_EQ(probe->waitForLine("RBUTTONUP"), "RBUTTONUP 0 50 60");
}

TEST_F(PlatformGui, AQuickDragReachesTheWindowAsMovesBeforeItsRelease)
{
    gui.xdotool({"mousemove", std::to_string(clientX(100)), std::to_string(clientY(100))});
    ASSERT_TRUE(probe->waitForLine("MOUSEMOVE 0 100 100"));
    keys({"b"});
    ASSERT_TRUE(probe->waitForLine("KEYDOWN 66"));
    // While the probe is busy the whole drag queues up, as from a quick hand on a busy machine.
    gui.xdotool({"mousedown", "1", "mousemove", std::to_string(clientX(300)), std::to_string(clientY(120)),
                 "mouseup", "1"});
    ASSERT_TRUE(probe->waitForLine("LBUTTONUP 0 300 120"));
    const std::vector<std::string>& lines = probe->history();
    EXPECT_EQ(lines[lines.size() - 2], "MOUSEMOVE 1 300 120");
}

TEST_F(PlatformGui, SecondClickOfADoubleClickIsButtonDoubleClick)
{
    gui.xdotool({"mousemove", std::to_string(clientX(120)), std::to_string(clientY(80))});
    gui.xdotool({"click", "--repeat", "2", "--delay", "80", "1"});
    EXPECT_EQ(probe->waitForLine("LBUTTONDOWN"), "LBUTTONDOWN 1 120 80");
    EXPECT_TRUE(probe->waitForLine("LBUTTONUP"));
    EXPECT_EQ(probe->waitForLine("LBUTTONDBLCLK"), "LBUTTONDBLCLK 1 120 80");
    EXPECT_TRUE(probe->waitForLine("LBUTTONUP"));
}

TEST_F(PlatformGui, AThirdQuickClickIsAPlainPressAndClicksOverHalfASecondApartAreTwo)
{
    gui.xdotool({"mousemove", std::to_string(clientX(60)), std::to_string(clientY(40))});
    gui.xdotool({"click", "--repeat", "3", "--delay", "80", "1"});
    for (const char* press : {"LBUTTONDOWN", "LBUTTONDBLCLK", "LBUTTONDOWN"}) {
        const auto line = probe->waitForLine("LBUTTON");
        EXPECT_EQ(line, std::string(press) + " 1 60 40");
        EXPECT_TRUE(probe->waitForLine("LBUTTONUP"));
    }
    std::this_thread::sleep_for(700ms);  // past the double-click time, which FLTK alone would stretch to a second
    gui.xdotool({"click", "--repeat", "2", "--delay", "700", "1"});
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(probe->waitForLine("LBUTTON"), "LBUTTONDOWN 1 60 40");
        EXPECT_TRUE(probe->waitForLine("LBUTTONUP"));
    }
}

TEST_F(PlatformGui, DroppedFilesArriveInOrderWithTheirNames)
{
    const std::string first = (directory / "walk cycle.bvh").string();
    const std::string second = (directory / "\xC3\xA9t\xC3\xA9 100%.bvh").string();
    std::ofstream(first) << "x";
    std::ofstream(second) << "x";
    ASSERT_TRUE(gui.drop(window, {first, second}));
    EXPECT_EQ(probe->waitForLine("DROP"), "DROP " + first);
    EXPECT_EQ(probe->waitForLine("DROP"), "DROP " + second);
}

TEST_F(PlatformGui, FilesDroppedOnTheMenuBarArriveToo)
{
    // So low a window that the drop, aimed two thirds of the way down, lands on the menu bar.
    gui.xdotool({"windowsize", window, "300", std::to_string(MENU_BAR_HEIGHT + 6)});
    ASSERT_EQ(probe->waitForLine("SIZE"), "SIZE 300 6");
    const std::string file = (directory / "walk.bvh").string();
    std::ofstream(file) << "x";
    ASSERT_TRUE(gui.drop(window, {file}));
    EXPECT_EQ(probe->waitForLine("DROP"), "DROP " + file);
}

TEST_F(PlatformGui, AboutBoxFromTemplate102EndsWithEnterOrEscape)
{
    const std::pair<const char*, const char*> cases[] = {{"Return", "ABOUT 1"}, {"Escape", "ABOUT 2"}};
    for (const auto& [key, result] : cases) {
        keys({"alt+h", "a"});
        const auto placed = probe->waitForLine("DIALOG");
        ASSERT_TRUE(placed);
        std::this_thread::sleep_for(500ms);
        const std::string dialog = gui.findWindow("About VEXO");
        ASSERT_FALSE(dialog.empty());
        gui.focus(dialog);
        // Centred over the client area: where the probe put it, at its client size.
        int x, y, width, height;
        std::sscanf(placed->c_str(), "DIALOG %d %d %d %d", &x, &y, &width, &height);
        const GuiSession::Geometry box = gui.geometry(dialog);
        EXPECT_EQ(box.x, x);
        EXPECT_EQ(box.y, y);
        EXPECT_EQ(box.width, width);
        EXPECT_NEAR(x + width / 2, clientX(frame.width / 2), 1);
        EXPECT_NEAR(y + height / 2, clientY((frame.height - MENU_BAR_HEIGHT) / 2), 1);
        keys({key});
        EXPECT_EQ(probe->waitForLine("ABOUT"), result) << key;
    }
    gui.screenshot("/tmp/vexo_about_closed.png");
}

TEST_F(PlatformGui, DisplayListMadeBeforeShowingDrawsInTheShownWindow)
{
    // The probe clears with a list compiled at WM_CREATE, while its context was on the helper window.
    const std::vector<std::uint32_t> client = gui.capture(clientX(10), clientY(10), 20, 20);
    ASSERT_FALSE(client.empty());
    for (std::uint32_t pixel : client) ASSERT_EQ(pixel, 0x999999u);
}

TEST_F(PlatformGui, HiddenAndShownAgainTheWindowStillDraws)
{
    keys({"h"});  // the probe hides its window, draws a frame, and shows it again
    ASSERT_TRUE(probe->waitForLine("SHOWN AGAIN"));
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(gui.pixel(clientX(10), clientY(10)), 0x999999u);
    EXPECT_TRUE(probe->running());
}

TEST_F(PlatformGui, ResizingTheWindowSendsSizeOfTheClientArea)
{
    gui.xdotool({"windowsize", window, "640", "480"});
    EXPECT_EQ(probe->waitForLine("SIZE"), "SIZE 640 " + std::to_string(480 - MENU_BAR_HEIGHT));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(gui.pixel(clientX(630), clientY(450)), 0x999999u) << "GL draws the whole new client area";
}

TEST_F(PlatformGui, TheWindowManagerMayShrinkTheClientAreaToOnePixel)
{
    // A window manager keeps a window no smaller than its hints say; the client area, below the
    // menu bar, may go down to one pixel as on Windows.
    const std::string hints = gui.run({"xprop", "-id", window, "WM_NORMAL_HINTS"});
    EXPECT_NE(hints.find("minimum size: 100 by " + std::to_string(MENU_BAR_HEIGHT + 1)), std::string::npos) << hints;
    gui.xdotool({"windowsize", window, "300", std::to_string(MENU_BAR_HEIGHT + 1)});
    EXPECT_EQ(probe->waitForLine("SIZE"), "SIZE 300 1");
}

TEST_F(PlatformGui, WindowShowsIcon100)
{
    const std::string icon = gui.run({"xprop", "-id", window, "_NET_WM_ICON"});
    EXPECT_NE(icon.find("Icon (32 x 32)"), std::string::npos) << icon.substr(0, 200);
}

TEST_F(PlatformGui, OpenDialogStartsInTheCurrentDirectoryAndReturnsTheFileChosen)
{
    const std::filesystem::path file = directory / "chosen.bvh";
    std::ofstream(file) << "x";
    keys({"ctrl+o"});
    ASSERT_TRUE(probe->waitForLine("COMMAND 10005"));
    const std::string chooser = gui.findWindow("Open");
    gui.focus(chooser);
    std::this_thread::sleep_for(500ms);
    // The probe's folder holds only this file: GTK's chooser shows it selected; FLTK's own chooser
    // takes its name in the folder it shows.
    if (gui.run({"xprop", "-id", chooser, "WM_CLASS"}).find("FLTK") != std::string::npos) {
        gui.xdotool({"type", "--delay", "20", file.filename().string()});
    }
    std::this_thread::sleep_for(300ms);
    keys({"Return"});
    EXPECT_EQ(probe->waitForLine("OPEN"), "OPENED " + file.string());
}

TEST_F(PlatformGui, OpenDialogReopensInTheFolderLastChosen)
{
    const std::filesystem::path file = directory / "takes" / "moved.bvh";
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << "x";
    // The path to type: whole for GTK's chooser, from the folder shown for FLTK's own.
    const auto open = [&](const std::string& path, const std::string& fromFolderShown) {
        gui.focus(window);  // without a window manager, the closed dialog gives nobody the focus back
        keys({"ctrl+o"});
        EXPECT_TRUE(probe->waitForLine("COMMAND 10005"));
        const std::string chooser = gui.findWindow("Open");
        gui.focus(chooser);
        std::this_thread::sleep_for(500ms);
        // GTK's chooser takes a whole path typed into its location field, and shows a folder's
        // only file selected; FLTK's own chooser takes a path from the folder it shows.
        const bool fltk = gui.run({"xprop", "-id", chooser, "WM_CLASS"}).find("FLTK") != std::string::npos;
        const std::string typed = fltk ? fromFolderShown : path;
        if (!typed.empty()) gui.xdotool({"type", "--delay", "20", typed});
        std::this_thread::sleep_for(300ms);
        keys({"Return"});
        return probe->waitForLine("OPEN");
    };
    EXPECT_EQ(open(file.string(), "takes/moved.bvh"), "OPENED " + file.string()) << "chosen from the probe's folder";
    // The probe passes its current directory again, as the first time: the dialog starts in takes/.
    EXPECT_EQ(open("", "moved.bvh"), "OPENED " + file.string());
}

TEST_F(PlatformGui, WindowDestroyedWhileItsMenuOpensEndsCleanly)
{
    keys({"d", "alt+v"});  // the probe destroys its window at the first WM_INITMENUPOPUP
    EXPECT_TRUE(probe->waitForLine("DESTROY"));
    EXPECT_EQ(probe->waitForExit(), 0);
}

TEST_F(PlatformGui, TheCloseBoxEndsTheProgramWithStatus0)
{
    gui.closeWindow(window);
    EXPECT_TRUE(probe->waitForLine("CLOSE"));
    EXPECT_TRUE(probe->waitForLine("DESTROY"));
    EXPECT_EQ(probe->waitForExit(), 0);
}

}  // namespace
