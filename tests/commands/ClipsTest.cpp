// vexo --render OUT.gif and OUT.mp4: the clip's frames, rate and pictures as other programs read
// them, and nothing left behind by a write that fails.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "GifFrames.h"
#include "RunVexo.h"
#include "TempFile.h"
#include "resources/Image.h"

namespace {

namespace fs = std::filesystem;

// A root that walks and turns with one bone, frames frames of the given frame time.
std::string walkingMotion(const char* frameTime, int frames = 5)
{
    std::ostringstream text;
    text << "HIERARCHY\nROOT Hips\n{\nOFFSET 0 0 0\nCHANNELS 4 Xposition Yposition Zposition Yrotation\n"
            "End Site\n{\nOFFSET 0 5 0\n}\n}\nMOTION\nFrames: "
         << frames << "\nFrame Time: " << frameTime << "\n";
    for (int f = 0; f < frames; ++f) text << f << " 8 " << -f << " " << 20 * f << "\n";
    return text.str();
}

std::string slurp(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// What ffprobe says of the video stream: "key=value" lines.
std::string probe(const fs::path& video)
{
    const std::string command = "ffprobe -v error -count_frames -select_streams v -show_entries "
                                "stream=codec_name,pix_fmt,width,height,r_frame_rate,nb_read_frames -of default=nw=1 " +
                                quoted(video);
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char chunk[4096];
    for (size_t n; pipe != nullptr && (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) out.append(chunk, n);
    if (pipe != nullptr) pclose(pipe);
    return out;
}

}  // namespace

TEST(Clips, AnMp4IsH264InYuv420pAtTheFilesFrameRate)
{
    if (std::system("ffprobe -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ffprobe";
    const struct {
        const char* frameTime;
        std::string options;
        std::string expected;
    } cases[] = {
        {"0.033333", "--size 64x48", "codec_name=h264\nwidth=64\nheight=48\npix_fmt=yuv420p\nr_frame_rate=30/1\nnb_read_frames=5\n"},
        // Frames 2 and 4 of 2..5; odd sides get one more column and row.
        {"0.04", "--from 2 --every 2 --size 65x49", "codec_name=h264\nwidth=66\nheight=50\npix_fmt=yuv420p\nr_frame_rate=25/2\nnb_read_frames=2\n"},
        {"0.0333667", "--to 3 --size 64x48", "codec_name=h264\nwidth=64\nheight=48\npix_fmt=yuv420p\nr_frame_rate=30000/1001\nnb_read_frames=3\n"},
        {"0", "--size 64x48", "codec_name=h264\nwidth=64\nheight=48\npix_fmt=yuv420p\nr_frame_rate=30/1\nnb_read_frames=5\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.frameTime);
        TempFile motion(walkingMotion(c.frameTime));
        TempFile video("", ".MP4");  // the extension in any case
        const RunResult run = vexo("--render " + quoted(video.fsPath()) + " " + c.options + " " + quoted(motion.fsPath()), true);
        ASSERT_EQ(run.status, 0) << run.out;
        EXPECT_EQ(probe(video.fsPath()), c.expected);
    }
}

TEST(Clips, GifFramesAreTheRenderedPicturesUpToThePalette)
{
    TempFile motion(walkingMotion("0.04"));
    TempFile gif("", ".gif");
    const fs::path folder = gif.fsPath().string() + ".frames";
    const std::string options = " --from 2 --size 80x60 " + quoted(motion.fsPath());
    ASSERT_EQ(vexo("--render " + quoted(gif.fsPath()) + options).status, 0);
    ASSERT_EQ(vexo("--render " + quoted(folder) + options).status, 0);
    GifFrames frames;
    ASSERT_TRUE(frames.read(gif.fsPath()));
    EXPECT_EQ(frames.width, 80);
    EXPECT_EQ(frames.height, 60);
    EXPECT_EQ(frames.delays, std::vector<int>(4, 4));
    ASSERT_EQ(frames.rgb.size(), 4u);
    // The viewer's pictures have far fewer than 256 colours: the palette keeps them all.
    for (int frame = 2; frame <= 5; ++frame) {
        SCOPED_TRACE(frame);
        Image png;
        ASSERT_TRUE(png.loadPngFile(widePath(folder / ("frame_00000" + std::to_string(frame) + ".png")).c_str()));
        size_t differing = 0;
        for (int p = 0; p < 80 * 60 * 3; ++p) differing += frames.rgb[size_t(frame) - 2][size_t(p)] != png.pixels[p / 3 * 4 + p % 3];
        EXPECT_EQ(differing, 0u);
    }
    fs::remove_all(folder);
}

TEST(Clips, AWriteThatFailsLeavesNoFileAndTheOldOneAsItWas)
{
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full to fill";
    TempFile motion(walkingMotion("0.04", 40));
    for (const char* extension : {".gif", ".mp4"}) {
        SCOPED_TRACE(extension);
        TempFile output("old", extension);
        const fs::path temporary = output.fsPath().string() + ".part";
        // The temporary file is the full device: every write fails as on a full disk.
        fs::create_symlink("/dev/full", temporary);
        const RunResult full = vexo("--render " + quoted(output.fsPath()) + " " + quoted(motion.fsPath()), true);
        EXPECT_EQ(full.status, 1);
        EXPECT_NE(full.out.find("vexo: cannot write " + output.fsPath().string() + ": No space left on device"),
                  std::string::npos) << full.out;
        EXPECT_FALSE(fs::exists(fs::symlink_status(temporary)));
        EXPECT_EQ(slurp(output.fsPath()), "old");
    }
    // A folder where the clip should go stays as it was.
    const fs::path folder = fs::temp_directory_path() / ("vexo_clip_" + std::to_string(::getpid()) + ".mp4");
    fs::create_directory(folder);
    EXPECT_EQ(vexo("--render " + quoted(folder) + " " + quoted(motion.fsPath())).status, 1);
    EXPECT_EQ(vexo("--render " + quoted(folder / "small.mp4") + " --size 15x16 " + quoted(motion.fsPath()), true).out,
              "vexo: cannot write " + (folder / "small.mp4").string() + ": a video needs pictures of 16 pixels a side or more\n");
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_FALSE(fs::exists(folder.string() + ".part"));
    fs::remove(folder);
}
