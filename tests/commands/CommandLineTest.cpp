// The vexo binary's command-line jobs, run as a user would run them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "RunVexo.h"
#include "TempFile.h"

namespace {

std::string quoted(const TempFile& file)
{
    return ::quoted(file.fsPath());
}

const char* const TWO_JOINTS =
    "HIERARCHY\nROOT Hips\n{\n OFFSET 1 0 0\n CHANNELS 3 Xposition Yposition Zrotation\n"
    " JOINT \"arm,left\"\n {\n  OFFSET 0 2 0\n  CHANNELS 1 Zrotation\n  End Site\n  {\n   OFFSET 0 1 0\n  }\n }\n}\n"
    "MOTION\nFrames: 2\nFrame Time: 0.04\n0 0 0 0\n1 0.5 90 90\n";

}  // namespace

TEST(CommandLine, CheckReportsCountsOrTheRefusal)
{
    TempFile good(TWO_JOINTS);
    TempFile bad("HIERARCHY\nROOT r\n{\nOFFSET 0 0\n");
    const RunResult one = vexo("--check " + quoted(good));
    EXPECT_EQ(one.status, 0);
    EXPECT_EQ(one.out, good.fsPath().string() + ": ok: joints=3 end_sites=1 channels=4 frames=2 frame_time=0.04\n");

    const RunResult both = vexo("--check " + quoted(good) + " " + quoted(bad) + " /no/such.bvh");
    EXPECT_EQ(both.status, 1);
    EXPECT_NE(both.out.find(bad.fsPath().string() + ":4: refused: expected 4 tokens on the offset line\n"), std::string::npos);
    EXPECT_NE(both.out.find("/no/such.bvh:0: refused: cannot open file\n"), std::string::npos);
}

TEST(CommandLine, CheckWalksFoldersInSortedOrderOnEveryCore)
{
    const std::filesystem::path folder = TempFile("", "").fsPath().string() + ".folder";
    std::filesystem::create_directories(folder / "sub");
    std::string expected;
    for (int i = 0; i < 40; ++i) {  // more files than slots, so that they are made out of order
        const std::filesystem::path file = folder / (i % 2 ? "sub" : "") / (std::to_string(100 + i) + ".bvh");
        std::ofstream(file) << (i == 13 ? "HIERARCHY\n" : TWO_JOINTS);
    }
    for (const char* sub : {"", "sub"}) {
        for (int i = sub[0] ? 1 : 0; i < 40; i += 2) {
            expected += (folder / sub / (std::to_string(100 + i) + ".bvh")).string();
            expected += (i == 13 ? ":2: refused: expected \"ROOT\" and a name, found end of file\n"
                                        : ": ok: joints=3 end_sites=1 channels=4 frames=2 frame_time=0.04\n");
        }
    }
    const RunResult run = vexo("--check " + ::quoted(folder));
    std::filesystem::remove_all(folder);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, expected);
    EXPECT_EQ(vexo("--positions " + ::quoted(folder.parent_path()), true).out.find(":0: refused: a folder, not a file"),
              folder.parent_path().string().size());
}

TEST(CommandLine, PositionsWritesWorldPositionsInPreOrder)
{
    TempFile file(TWO_JOINTS);
    const RunResult all = vexo("--positions " + quoted(file));
    EXPECT_EQ(all.status, 0);
    const std::string firstFrame =
        "frame,joint,name,x,y,z\n"
        "1,0,Hips,1,0,0\n"
        "1,1,\"\"\"arm,left\"\"\",1,2,0\n"
        "1,2,Site,1,3,0\n";
    EXPECT_EQ(all.out.substr(0, firstFrame.size()), firstFrame);

    // Frame 2: root at (2, 0.5, 0) turned 90 degrees about z; the arm turns another 90.
    const RunResult second = vexo("--positions --frame 2 " + quoted(file));
    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(all.out.substr(firstFrame.size()), second.out.substr(23));
    float x[3], y[3], z[3];
    ASSERT_EQ(std::sscanf(second.out.c_str(),
                          "frame,joint,name,x,y,z\n2,0,Hips,%f,%f,%f\n2,1,\"\"\"arm,left\"\"\",%f,%f,%f\n2,2,Site,%f,%f,%f\n",
                          &x[0], &y[0], &z[0], &x[1], &y[1], &z[1], &x[2], &y[2], &z[2]),
              9)
        << second.out;
    const float expected[3][3] = {{2, 0.5f, 0}, {0, 0.5f, 0}, {0, -0.5f, 0}};
    for (int j = 0; j < 3; ++j) {
        EXPECT_NEAR(x[j], expected[j][0], 1e-6f) << j;
        EXPECT_NEAR(y[j], expected[j][1], 1e-6f) << j;
        EXPECT_NEAR(z[j], expected[j][2], 1e-6f) << j;
    }
}

TEST(CommandLine, PositionsPrintsNineSignificantDigits)
{
    TempFile file("HIERARCHY\nROOT r\n{\nOFFSET 0 0 0\nCHANNELS 1 Xposition\n}\nMOTION\nFrames: 1\nFrame Time: 1\n0.1\n");
    EXPECT_EQ(vexo("--positions " + quoted(file)).out, "frame,joint,name,x,y,z\n1,0,r,0.100000001,0,0\n");
}

// Enough frames for several batches of rows; the root's values are random floats and the special
// ones, each printed by the C library to compare against.
TEST(CommandLine, PositionsAreThePrintfRowsInFrameOrder)
{
    constexpr int FRAMES = 20000;
    const char* const specials[] = {"-inf", "inf", "nan", "-nan", "-0", "1e-45", "-1e-40", "3.4e38", "1e39", "0.1"};
    std::mt19937 random(7);
    std::string file = "HIERARCHY\nROOT r\n{\nOFFSET 0 0 0\nCHANNELS 3 Xposition Yposition Zposition\n"
                       "End Site\n{\nOFFSET 1 2 3\n}\n}\nMOTION\nFrames: " + std::to_string(FRAMES) + "\nFrame Time: 1\n";
    std::string expected = "frame,joint,name,x,y,z\n";
    char text[128];
    for (int f = 1; f <= FRAMES; ++f) {
        float root[3];
        for (int axis = 0; axis < 3; ++axis) {
            std::string token = specials[(f * 3 + axis) % 10];
            if (f % 4 != 0) {
                std::uint32_t bits = std::uint32_t(random());
                float value;
                std::memcpy(&value, &bits, 4);
                std::snprintf(text, sizeof text, "%.9g", double(value));
                token = text;
            }
            file += token + (axis < 2 ? " " : "\n");
            root[axis] = 0.0f + float(std::atof(token.c_str()));  // the offset plus the channel
        }
        // The root stands where its channels put it; the site is (1, 2, 3) from there.
        std::snprintf(text, sizeof text, "%d,0,r,%.9g,%.9g,%.9g\n%d,1,Site,%.9g,%.9g,%.9g\n", f, root[0], root[1], root[2], f,
                      1.0f + root[0], 2.0f + root[1], 3.0f + root[2]);
        expected += text;
    }
    TempFile motion(file);
    const RunResult run = vexo("--positions " + quoted(motion));
    EXPECT_EQ(run.status, 0);
    ASSERT_EQ(run.out.size(), expected.size());
    EXPECT_TRUE(run.out == expected) << "first difference at byte " << std::mismatch(run.out.begin(), run.out.end(), expected.begin()).first - run.out.begin();
}

TEST(CommandLine, PositionsThatCannotBeWrittenExitWithOne)
{
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "needs a full device to write to";
    TempFile file(TWO_JOINTS);
    EXPECT_EQ(vexo("--positions " + quoted(file) + " >/dev/full").status, 1);
}

TEST(CommandLine, UsageErrorsExitWithTwoAndRefusalsWithOne)
{
    TempFile file(TWO_JOINTS);
    TempFile bad("HIERARCHY\n");
    const struct {
        std::string arguments;
        int status;
        const char* message;
    } cases[] = {
        {"--bogus", 2, "vexo: unknown option --bogus"},
        {"--check", 2, "vexo: --check needs at least one file"},
        {"--positions", 2, "vexo: --positions needs exactly one file"},
        {"--positions --frame 0 " + quoted(file), 2, "vexo: --frame needs a frame number of 1 or more"},
        {"--positions --frame x " + quoted(file), 2, "vexo: --frame needs a frame number of 1 or more"},
        {"--positions --frame 3 " + quoted(file), 2, "vexo: --frame 3 is beyond the last frame (2)"},
        {"--check --positions " + quoted(file), 2, "vexo: option --positions cannot be combined"},
        {"--positions " + quoted(bad), 1, ":2: refused: expected \"ROOT\" and a name, found end of file"},
        {"--snapshot", 2, "vexo: --snapshot needs the PNG file to write"},
        {"--snapshot out.png", 2, "vexo: --snapshot needs exactly one file"},
        {"--snapshot out.png --frame 3 " + quoted(file), 2, "vexo: --frame 3 is beyond the last frame (2)"},
        {"--snapshot out.png --from 1 " + quoted(file), 2, "vexo: --from belongs to --render"},
        {"--snapshot out.png " + quoted(bad), 1, ":2: refused: expected \"ROOT\" and a name"},
        {"--render out --from 3 " + quoted(file), 2, "vexo: --from 3 is beyond the last frame (2)"},
        {"--render out --to 3 " + quoted(file), 2, "vexo: --to 3 is beyond the last frame (2)"},
        {"--render out --from 2 --to 1 " + quoted(file), 2, "vexo: --from 2 is after --to 1"},
        {"--render out --frame 1 " + quoted(file), 2, "vexo: --frame belongs to --positions or --snapshot"},
        {"--render out --snapshot x.png " + quoted(file), 2, "vexo: option --snapshot cannot be combined"},
        {"--render out --every 0 " + quoted(file), 2, "vexo: --every needs a count of frames of 1 or more"},
        {"--snapshot out.png --every 2 " + quoted(file), 2, "vexo: --every belongs to --render"},
        {"--render out /no/such.bvh", 1, "/no/such.bvh:0: refused: cannot open file"},
        {"--positions --size 10x10 " + quoted(file), 2, "vexo: --size belongs to --snapshot, --render, --thumbnail or --sheet"},
        {"--thumbnail out.png --size 10x10 " + quoted(file), 2, "vexo: --size needs the thumbnail's side in pixels, from 1 to 8192"},
        {"--thumbnail out.png --frame 2 " + quoted(file), 2, "vexo: --frame belongs to --positions or --snapshot"},
        {"--realtime --check " + quoted(file), 2, "vexo: --realtime belongs to the viewer"},
        {"--thumbnail out.png --fit " + quoted(file), 2, "vexo: --fit belongs to the viewer, --snapshot or --render"},
        {"--snapshot out.png --up x " + quoted(file), 2, "vexo: --up needs the axis that points up: y or z"},
        {"--up", 2, "vexo: --up needs the axis that points up: y or z"},
        {"--sheet out.png", 2, "vexo: --sheet needs at least one file"},
        {"--sheet out.png --columns 0 " + quoted(file), 2, "vexo: --columns needs a number of columns of 1 or more"},
        {"--sheet out.png --size 10x10 " + quoted(file), 2, "vexo: --size needs each tile's side in pixels, from 1 to 8192"},
        {"--snapshot out.png --columns 2 " + quoted(file), 2, "vexo: --columns belongs to --sheet"},
        {"--lint", 2, "vexo: --lint needs at least one file"},
        {"--positions --json " + quoted(file), 2, "vexo: --json belongs to --check or --lint"},
        {"--lint " + quoted(bad), 1, ":2: refused: expected \"ROOT\" and a name"},
        {"--export", 2, "vexo: --export needs the .npz file or the directory to write"},
        {"--export out.NPZ " + quoted(file) + " " + quoted(file), 2, "vexo: --export OUT.npz writes one motion"},
        {"--export out.npz --to 3 " + quoted(file), 2, "vexo: --to 3 is beyond the last frame (2)"},
        {"--export out.npz " + quoted(bad), 1, ":2: refused: expected \"ROOT\" and a name"},
        {"--check --compress " + quoted(file), 2, "vexo: --compress belongs to --export"},
    };
    for (const auto& c : cases) {
        const RunResult run = vexo(c.arguments, true);
        EXPECT_EQ(run.status, c.status) << c.arguments;
        EXPECT_NE(run.out.find(c.message), std::string::npos) << c.arguments << " printed: " << run.out;
        EXPECT_EQ(run.out.find('\n'), run.out.size() - 1) << c.arguments << ": one line, printed: " << run.out;
    }
    for (const char* output : {"out.png", "out", "out.npz", "out.NPZ"}) EXPECT_FALSE(std::filesystem::exists(output)) << output;
}

TEST(CommandLine, SizeIsWidthByHeightWithinLimits)
{
    TempFile file(TWO_JOINTS);
    for (const char* size : {"0x10", "10x0", "10", "x10", "10x", "10X10", "-5x10", "10x10x10", "8193x10", "10x99999999999"}) {
        const RunResult run = vexo("--snapshot out.png --size " + std::string(size) + " " + quoted(file), true);
        EXPECT_EQ(run.status, 2) << size;
        EXPECT_NE(run.out.find("vexo: --size needs WIDTHxHEIGHT in pixels, each from 1 to 8192"), std::string::npos)
            << size << " printed: " << run.out;
    }
}

TEST(CommandLine, DoubleDashEndsOptionsAndVersionAndHelpAnswer)
{
    EXPECT_EQ(vexo("--version").out, "VEXO 1.0.0.2\n");
    EXPECT_EQ(vexo("--help").status, 0);
    const RunResult run = vexo("--check -- --not-an-option.bvh");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "--not-an-option.bvh:0: refused: cannot open file\n");
}
