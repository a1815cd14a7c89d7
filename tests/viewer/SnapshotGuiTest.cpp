// vexo --snapshot, drawn without a display, against the real window: the same pixels, at the
// window's client size, at the first frame and after single steps. The display claims 120 dots per
// inch: text is laid out at 96 in the window too, as Windows does for programs that do not declare
// DPI awareness, so a screen's resolution never makes the key list's lines overlap.

#include <filesystem>
#include <string>
#include <thread>

#include "GuiSession.h"
#include "RunVexo.h"
#include "resources/Image.h"
#include "resources/WideText.h"

namespace {

using namespace std::chrono_literals;
using Pixels = std::vector<std::uint32_t>;  // 0xRRGGBB, rows top first

const std::filesystem::path SAMPLE = VEXO_SAMPLES_DIR "/walk.bvh";

class SnapshotGui : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!gui.ok() || !gui_detail::installed("xwininfo")) GTEST_SKIP() << "needs Xvfb, xdotool, ImageMagick, xwininfo";
        picture = std::filesystem::temp_directory_path() / ("vexo_snapshot_gui_" + std::to_string(::getpid()) + ".png");
    }
    void TearDown() override { std::filesystem::remove(picture); }

    // The window's client area: its one child window, the OpenGL view under the menu bar.
    GuiSession::Geometry clientArea(const std::string& id)
    {
        const std::string tree = gui.run({"xwininfo", "-children", "-id", id});
        GuiSession::Geometry area;
        const size_t child = tree.find("1 child:");
        const size_t size = tree.find("): ()", child);
        if (child == std::string::npos || size == std::string::npos) return area;
        int relativeX = 0, relativeY = 0;
        std::sscanf(tree.c_str() + size + 5, " %dx%d+%d+%d +%d+%d", &area.width, &area.height, &relativeX, &relativeY,
                    &area.x, &area.y);
        return area;
    }

    // Starts the program with these arguments and gives its window's client area once it shows (no
    // area when it did not).
    GuiSession::Geometry startShown(const std::vector<std::string>& arguments)
    {
        gui.start(arguments);
        window = gui.findWindow("VEXO");
        if (window.empty()) return {};
        std::this_thread::sleep_for(500ms);
        return clientArea(window);
    }

    Pixels capture(const GuiSession::Geometry& area) { return gui.capture(area.x, area.y, area.width, area.height); }

    // The snapshot's pixels as 0xRRGGBB (empty when it was not written).
    Pixels snapshot(const GuiSession::Geometry& area, int frame, const std::string& options = "")
    {
        const std::string size = std::to_string(area.width) + "x" + std::to_string(area.height);
        const std::string arguments = "--frame " + std::to_string(frame) + " --size " + size + " " + options +
                                      "--snapshot " + quoted(picture) + " " + quoted(SAMPLE);
        if (vexo(arguments).status != 0) return {};
        Image image;
        if (!image.loadPngFile(widePath(picture).c_str())) return {};
        Pixels pixels(std::size_t(image.width) * image.height);
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            const BYTE* p = image.pixels + 4 * i;
            pixels[i] = (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
        }
        return pixels;
    }

    static std::size_t differing(const Pixels& a, const Pixels& b)
    {
        if (a.size() != b.size()) return std::max(a.size(), b.size());
        std::size_t n = 0;
        for (std::size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
        return n;
    }

    GuiSession gui{1024, 768, 120};
    std::string window;
    std::filesystem::path picture;
};

}  // namespace

TEST_F(SnapshotGui, IsTheWindowsClientAreaPixelForPixel)
{
    const GuiSession::Geometry area = startShown({VEXO_BINARY, SAMPLE.string()});
    ASSERT_GT(area.width * area.height, 0) << "no window or client area found";

    const Pixels first = capture(area);
    EXPECT_EQ(differing(snapshot(area, 1), first), 0u);

    gui.focus(window);
    Pixels shown = first;
    for (int i = 0; i < 5; ++i) {
        gui.xdotool({"key", "x"});
        // Presses that reach the viewer in one idle pass make one step: each step shows before the next press.
        Pixels now = capture(area);
        for (int poll = 0; poll < 50 && differing(now, shown) == 0; ++poll) {
            std::this_thread::sleep_for(100ms);
            now = capture(area);
        }
        shown = now;
    }
    std::this_thread::sleep_for(300ms);
    const Pixels stepped = capture(area);
    EXPECT_NE(differing(stepped, first), 0u);
    EXPECT_EQ(differing(snapshot(area, 6), stepped), 0u) << "five single steps: frame 6";
}

TEST_F(SnapshotGui, FitAndUpPlaceTheWindowsCameraAsTheyPlaceTheSnapshots)
{
    const GuiSession::Geometry area = startShown({VEXO_BINARY, "--fit", "--up", "z", SAMPLE.string()});
    ASSERT_GT(area.width * area.height, 0) << "no window or client area found";
    const Pixels shown = capture(area);
    EXPECT_EQ(differing(snapshot(area, 1, "--fit --up z "), shown), 0u);
    EXPECT_NE(differing(snapshot(area, 1), shown), 0u);
}
