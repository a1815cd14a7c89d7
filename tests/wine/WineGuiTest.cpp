// The Windows program (VEXO_WINDOWS_PROGRAM, the path of vexo.exe) under Wine on Xvfb, driven by
// real key presses, XDND drops and the close box, and read back from the screen: the same checks
// the Linux program passes, made against the real Win32 API. scripts/test-windows runs it, with
// WINEPREFIX set; without the variable the tests skip.

#include <algorithm>
#include <cstdlib>
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

// Pixels that are neither white nor the light grey of a menu: check marks and texts.
std::size_t darkPixels(const Pixels& pixels)
{
    return static_cast<std::size_t>(
        std::count_if(pixels.begin(), pixels.end(), [](std::uint32_t p) { return (p & 0xFF) < 0x80; }));
}

class WineGui : public ::testing::Test {
protected:
    static void SetUpTestSuite() { gui = new GuiSession; }
    static void TearDownTestSuite()
    {
        if (gui->ok()) gui->run({"wineserver", "-k"});  // no Wine process outlives its display
        delete gui;
    }

    void SetUp() override
    {
        if (program() == nullptr) GTEST_SKIP() << "VEXO_WINDOWS_PROGRAM names no vexo.exe to run under Wine";
        if (!gui->ok()) GTEST_SKIP() << "needs Xvfb, xdotool and ImageMagick";
    }

    void TearDown() override
    {
        if (vexo != nullptr && vexo->running()) gui->run({"wineserver", "-k"});
    }

    static const char* program() { return std::getenv("VEXO_WINDOWS_PROGRAM"); }

    // Starts vexo.exe with the arguments and waits for its main window and its first frames.
    void start(const std::vector<std::string>& arguments)
    {
        std::vector<std::string> command = {"wine", program()};
        command.insert(command.end(), arguments.begin(), arguments.end());
        vexo = &gui->start(command);
        window = findWindow("VEXO");
        ASSERT_FALSE(window.empty()) << "no window titled VEXO";
        for (int i = 0; i < 100 && client().width == 0; ++i) std::this_thread::sleep_for(100ms);
        std::this_thread::sleep_for(1s);
    }

    // The first window with this title; empty if none appears within 30 s (Wine may be starting).
    // Searched again and again: a search fails when a window it looks at goes away meanwhile.
    std::string findWindow(const std::string& title)
    {
        for (int i = 0; i < 300; ++i) {
            const std::string out = gui->xdotool({"search", "--name", "^" + title + "$"});
            if (!out.empty()) return out.substr(0, out.find('\n'));
            std::this_thread::sleep_for(100ms);
        }
        return {};
    }

    // The client area on the screen: the child X window Wine draws OpenGL into, below the menu bar.
    GuiSession::Geometry client()
    {
        if (window.empty()) return {};
        const std::string tree = gui->run({"xwininfo", "-children", "-id", window});
        GuiSession::Geometry area;
        const size_t child = tree.find("child");
        if (child == std::string::npos) return area;
        const size_t line = tree.find("0x", child);
        // "0x800030 (has no name): ()  952x722+0+19  +4+42"
        int relativeX = 0, relativeY = 0;
        const size_t size = tree.find("  ", tree.find(')', line));
        if (std::sscanf(tree.c_str() + size, " %dx%d%d%d %d%d", &area.width, &area.height, &relativeX, &relativeY,
                        &area.x, &area.y) != 6) {
            return GuiSession::Geometry{};
        }
        return area;
    }

    Pixels look(const GuiSession::Geometry& area) { return gui->capture(area.x, area.y, area.width, area.height); }
    Pixels look() { return look(client()); }

    // The client area once it differs from before (or as it is after five seconds).
    Pixels lookOnceChanged(const Pixels& before)
    {
        Pixels now = look();
        for (int i = 0; i < 50 && now == before; ++i) {
            std::this_thread::sleep_for(100ms);
            now = look();
        }
        return now;
    }

    bool waitUntilGone(const std::string& title)
    {
        for (int i = 0; i < 100; ++i) {
            if (gui->xdotool({"search", "--onlyvisible", "--name", "^" + title + "$"}).empty()) return true;
            std::this_thread::sleep_for(100ms);
        }
        return false;
    }

    // Real key presses into the focused window, one after another.
    void keys(std::initializer_list<std::string> sequence, const std::string& into = {})
    {
        gui->focus(into.empty() ? window : into);
        for (const std::string& key : sequence) {
            gui->xdotool({"key", key});
            std::this_thread::sleep_for(200ms);
        }
        std::this_thread::sleep_for(400ms);
    }

    std::vector<std::string> visibleWindows()
    {
        const std::string out = gui->xdotool({"search", "--onlyvisible", "--name", ".*"});
        std::vector<std::string> ids;
        for (size_t from = 0, end; (end = out.find('\n', from)) != std::string::npos; from = end + 1) {
            ids.push_back(out.substr(from, end - from));
        }
        return ids;
    }

    // Presses the keys that open a menu; the pixels of its popup (the largest window that opened).
    Pixels openMenu(std::initializer_list<std::string> sequence)
    {
        const std::vector<std::string> before = visibleWindows();
        keys(sequence);
        GuiSession::Geometry popup;
        for (const std::string& id : visibleWindows()) {
            if (std::find(before.begin(), before.end(), id) != before.end()) continue;
            const GuiSession::Geometry area = gui->geometry(id);
            if (area.width * area.height > popup.width * popup.height) popup = area;
        }
        return popup.width > 0 ? look(popup) : Pixels{};
    }

    static GuiSession* gui;
    GuiProgram* vexo = nullptr;
    std::string window;
};

GuiSession* WineGui::gui = nullptr;

}  // namespace

TEST_F(WineGui, ShowsTheSampleStillUntilSpaceStartsIt)
{
    ASSERT_NO_FATAL_FAILURE(start({SAMPLE}));
    const Pixels first = look();
    EXPECT_GT(countOf(first, FLOOR), 1000u);
    EXPECT_GT(countOf(first, ROOT_COLOUR), 100u);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(look(), first);  // paused at start

    keys({"space"});
    const Pixels a = look();
    EXPECT_NE(lookOnceChanged(a), a);
    EXPECT_NE(a, first);
}

// What --snapshot draws offscreen is what the window shows at that size.
TEST_F(WineGui, ASnapshotIsTheWindowsClientAreaPixelForPixel)
{
    ASSERT_NO_FATAL_FAILURE(start({SAMPLE}));
    const GuiSession::Geometry area = client();
    const Pixels shown = look(area);
    const std::filesystem::path png = std::filesystem::temp_directory_path() / "vexo_wine_snapshot.png";
    int status = -1;
    gui->run({"wine", program(), "--snapshot", png.string(), "--size",
              std::to_string(area.width) + "x" + std::to_string(area.height), SAMPLE},
             &status);
    ASSERT_EQ(status, 0);
    const std::string bytes = gui->run({"convert", png.string(), "-depth", "8", "rgb:-"});
    std::filesystem::remove(png);
    ASSERT_EQ(bytes.size(), shown.size() * 3);
    std::size_t differing = 0;
    for (size_t i = 0; i < shown.size(); ++i) {
        const std::uint32_t drawn = (std::uint32_t{static_cast<unsigned char>(bytes[3 * i])} << 16) |
                                    (std::uint32_t{static_cast<unsigned char>(bytes[3 * i + 1])} << 8) |
                                    static_cast<unsigned char>(bytes[3 * i + 2]);
        differing += drawn != shown[i];
    }
    EXPECT_EQ(differing, 0u) << "of " << shown.size() << " pixels";
}

TEST_F(WineGui, TheViewMenusCheckMarksFollowTheFlags)
{
    ASSERT_NO_FATAL_FAILURE(start({SAMPLE}));
    const Pixels allChecked = openMenu({"alt+v"});
    ASSERT_FALSE(allChecked.empty()) << "Alt+V opened no menu";

    keys({"f"});  // &Floor: the floor goes, and with it the check mark of the last row
    EXPECT_EQ(countOf(look(), FLOOR), 0u);
    const Pixels floorOff = openMenu({"alt+v"});
    ASSERT_EQ(floorOff.size(), allChecked.size());
    const std::size_t threeRows = allChecked.size() * 3 / 4;
    EXPECT_TRUE(std::equal(floorOff.begin(), floorOff.begin() + threeRows, allChecked.begin()));
    EXPECT_LT(darkPixels(Pixels(floorOff.begin() + threeRows, floorOff.end())),
              darkPixels(Pixels(allChecked.begin() + threeRows, allChecked.end())));

    keys({"f"});
    EXPECT_GT(countOf(look(), FLOOR), 1000u);
    EXPECT_EQ(openMenu({"alt+v"}), allChecked);
    keys({"Escape", "Escape"});
}

TEST_F(WineGui, CtrlOShowsTheCommonOpenDialogThatLoadsAFile)
{
    TempFile other(walkingRoot(2));  // a root with one short bone
    ASSERT_NO_FATAL_FAILURE(start({SAMPLE}));
    const Pixels sample = look();

    keys({"ctrl+o"});
    const std::string dialog = findWindow("Open");
    ASSERT_FALSE(dialog.empty()) << "Ctrl+O opened no Open dialog";
    gui->focus(dialog);  // the file name box has the dialog's focus
    std::string path = "Z:" + other.fsPath().string();  // Wine's drive Z: is the root directory
    std::replace(path.begin(), path.end(), '/', '\\');
    gui->xdotool({"type", "--delay", "20", path});
    keys({"Return"}, dialog);
    ASSERT_TRUE(waitUntilGone("Open"));
    const Pixels loaded = lookOnceChanged(sample);
    // Its root is a small sphere, a twelfth of its one-unit bone, where the sample's was large.
    EXPECT_GT(countOf(loaded, ROOT_COLOUR), 0u);
    EXPECT_LT(countOf(loaded, ROOT_COLOUR) * 20, countOf(sample, ROOT_COLOUR));
}

// The box's client area is centred over the main window's, then moved right and down by the
// box's own frame and caption (it is the outer corner that is placed).
TEST_F(WineGui, TheAboutBoxIsCentredOverTheWindowAndEscapeClosesIt)
{
    ASSERT_NO_FATAL_FAILURE(start({SAMPLE}));
    keys({"alt+h", "a"});
    const std::string about = findWindow("About VEXO");
    ASSERT_FALSE(about.empty()) << "Help, About showed no box";
    const GuiSession::Geometry box = gui->geometry(about);
    const GuiSession::Geometry main = client();
    const int dx = (box.x + box.width / 2) - (main.x + main.width / 2);
    const int dy = (box.y + box.height / 2) - (main.y + main.height / 2);
    EXPECT_GE(dx, 0);
    EXPECT_LE(dx, 8) << "half the frame";
    EXPECT_GT(dy, 0);
    EXPECT_LE(dy, 30) << "half the frame and caption";

    keys({"Escape"}, about);
    EXPECT_TRUE(waitUntilGone("About VEXO"));
    EXPECT_TRUE(vexo->running());
}

TEST_F(WineGui, ADroppedFileLoads)
{
    TempFile refused("HIERARCHY\nROOT Hips\n{\n");
    TempFile other(walkingRoot(2));
    ASSERT_NO_FATAL_FAILURE(start({SAMPLE}));
    const Pixels sample = look();
    EXPECT_TRUE(gui->drop(window, {refused.fsPath().string(), other.fsPath().string()}));
    const Pixels loaded = lookOnceChanged(sample);
    EXPECT_GT(countOf(loaded, ROOT_COLOUR), 0u);
    EXPECT_LT(countOf(loaded, ROOT_COLOUR) * 20, countOf(sample, ROOT_COLOUR));
}

TEST_F(WineGui, ClosingTheWindowEndsTheProcess)
{
    ASSERT_NO_FATAL_FAILURE(start({SAMPLE}));
    gui->closeWindow(window);
    EXPECT_EQ(vexo->waitForExit(), 0);
}
