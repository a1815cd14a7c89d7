// vexo --snapshot and --render, run without a display: the pictures are the viewer window's, the
// camera is where playback puts it, the files are exactly those asked for.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <numbers>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "RunVexo.h"
#include "TempFile.h"
#include "resources/Image.h"
#include "resources/WideText.h"

namespace {

namespace fs = std::filesystem;
using Rgba = std::array<std::uint8_t, 4>;

constexpr Rgba CLEAR{153, 153, 153, 255};
constexpr Rgba FLOOR{64, 64, 64, 255};
constexpr Rgba PALETTE[5] = {{128, 0, 0, 255}, {255, 0, 0, 255}, {0, 128, 0, 255}, {0, 255, 0, 255}, {0, 0, 128, 255}};

// Five joints spread in the xy plane around a root that travels and turns: joint k is drawn in
// palette colour k, all five distinct. Bones are 4 long, so the spheres are 1/3 across.
std::string spreadMotion()
{
    std::string text =
        "HIERARCHY\nROOT Hips\n{\nOFFSET 0 0 0\nCHANNELS 4 Xposition Yposition Zposition Zrotation\n"
        "JOINT Right\n{\nOFFSET 4 0 0\nCHANNELS 1 Zrotation\nEnd Site\n{\nOFFSET 0 4 0\n}\n}\n"
        "JOINT Left\n{\nOFFSET -4 0 0\nCHANNELS 1 Zrotation\nEnd Site\n{\nOFFSET 0 -4 0\n}\n}\n}\n"
        "MOTION\nFrames: 5\nFrame Time: 0.04\n";
    for (int f = 0; f < 5; ++f) {
        std::ostringstream row;
        row << 0.75 * f << " " << 10 + 0.5 * f << " " << -0.75 * f << " " << 8 * f << " " << 15 * f << " " << -20 * f << "\n";
        text += row.str();
    }
    return text;
}

// A figure 19 units tall and 13 across in units of unit, arms spread: standing and turned a little
// at frame 1, lying far away at frame 2.
std::string figureMotion(double unit)
{
    const auto joint = [&](const char* name, double x, double y, const std::string& body) {
        std::ostringstream text;
        text << "JOINT " << name << "\n{\nOFFSET " << x * unit << " " << y * unit << " 0\nCHANNELS 3 Zrotation Xrotation Yrotation\n"
             << body << "}\n";
        return text.str();
    };
    const auto site = [&](double x, double y) {
        std::ostringstream text;
        text << "End Site\n{\nOFFSET " << x * unit << " " << y * unit << " 0\n}\n";
        return text.str();
    };
    const std::string chest = joint("Head", 0, 5, site(0, 2)) + joint("LeftArm", 1.5, 4, site(5, 0)) +
                              joint("RightArm", -1.5, 4, site(-5, 0));
    // The eight joints below the root take three rotations each, all 0 here.
    std::string still;
    for (int i = 0; i < 8 * 3; ++i) still += " 0";
    std::ostringstream text;
    text << "HIERARCHY\nROOT Hips\n{\nOFFSET 0 0 0\nCHANNELS 6 Xposition Yposition Zposition Zrotation Xrotation Yrotation\n"
         << joint("Chest", 0, 3, chest) << joint("LeftLeg", 1, 0, joint("LeftShin", 0, -4.5, site(0, -4.5)))
         << joint("RightLeg", -1, 0, joint("RightShin", 0, -4.5, site(0, -4.5))) << "}\nMOTION\nFrames: 2\nFrame Time: 0.04\n"
         << 2 * unit << " " << 9 * unit << " " << -3 * unit << " 0 0 30" << still << "\n"
         << 500 * unit << " " << unit << " 0 90 0 0" << still << "\n";
    return text.str();
}

struct Vec {
    double x, y, z;
};
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec cross(Vec a, Vec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
Vec unit(Vec a)
{
    const double length = std::sqrt(dot(a, a));
    return {a.x / length, a.y / length, a.z / length};
}

// Where a world point lands in a picture (x right, y down, in pixels) seen from eye towards center
// with +y up, through a vertical field of view of 75 degrees: gluLookAt and gluPerspective.
std::array<double, 2> project(Vec point, Vec eye, Vec center, int width, int height)
{
    const Vec forward = unit(center - eye);
    const Vec side = unit(cross(forward, {0, 1, 0}));
    const Vec up = cross(side, forward);
    const Vec d = point - eye;
    const double focal = 1.0 / std::tan(75.0 / 2 * std::numbers::pi / 180);
    const double depth = dot(forward, d);
    const double ndcX = focal * height / width * dot(side, d) / depth;
    const double ndcY = focal * dot(up, d) / depth;
    return {(ndcX + 1) / 2 * width, (1 - ndcY) / 2 * height};
}

class Picture {
public:
    explicit Picture(const fs::path& file) { loaded = image.loadPngFile(widePath(file).c_str()); }

    bool ok() const { return loaded; }
    int width() const { return image.width; }
    int height() const { return image.height; }
    Rgba at(int x, int y) const
    {
        const std::uint8_t* p = image.pixels + (std::size_t(y) * image.width + x) * 4;
        return {p[0], p[1], p[2], p[3]};
    }
    // Pixels of the colour in the rows from top up to (not including) bottom.
    std::size_t count(Rgba colour, int top = 0, int bottom = -1) const
    {
        std::size_t n = 0;
        for (int y = top; y < (bottom < 0 ? height() : bottom); ++y) {
            for (int x = 0; x < width(); ++x) n += at(x, y) == colour;
        }
        return n;
    }
    // Pixels of any of the colours in the rectangle (left, top, width, height).
    std::size_t countIn(std::initializer_list<Rgba> colours, int left, int top, int w, int h) const
    {
        std::size_t n = 0;
        for (int y = top; y < top + h; ++y) {
            for (int x = left; x < left + w; ++x) n += std::find(colours.begin(), colours.end(), at(x, y)) != colours.end();
        }
        return n;
    }
    bool opaque() const
    {
        for (int i = 0; i < width() * height(); ++i) {
            if (image.pixels[std::size_t(i) * 4 + 3] != 255) return false;
        }
        return true;
    }
    // The centre of the pixels of one colour within radius of a point, and how many there are.
    std::array<double, 3> blob(Rgba colour, std::array<double, 2> around, int radius) const
    {
        double sx = 0, sy = 0, n = 0;
        for (int y = int(around[1]) - radius; y <= int(around[1]) + radius; ++y) {
            for (int x = int(around[0]) - radius; x <= int(around[0]) + radius; ++x) {
                if (x < 0 || y < 0 || x >= width() || y >= height() || at(x, y) != colour) continue;
                sx += x + 0.5, sy += y + 0.5, n += 1;
            }
        }
        return {n > 0 ? sx / n : -1, n > 0 ? sy / n : -1, n};
    }

private:
    Image image;
    bool loaded = false;
};

// World joint positions of every frame from `vexo --positions`: [frame][joint].
std::vector<std::vector<Vec>> positionsOf(const TempFile& motion)
{
    const RunResult run = vexo("--positions " + quoted(motion.fsPath()));
    std::vector<std::vector<Vec>> frames;
    std::istringstream rows(run.out);
    std::string line;
    std::getline(rows, line);  // the header
    while (std::getline(rows, line)) {
        int frame = 0, joint = 0;
        char name[64];
        Vec p{};
        if (std::sscanf(line.c_str(), "%d,%d,%63[^,],%lf,%lf,%lf", &frame, &joint, name, &p.x, &p.y, &p.z) != 6) continue;
        frames.resize(std::size_t(frame));
        frames[std::size_t(frame) - 1].push_back(p);
    }
    return frames;
}

class Pictures : public ::testing::Test {
protected:
    void SetUp() override
    {
        directory = fs::temp_directory_path() / ("vexo_pictures_" + std::to_string(::getpid()));
        fs::create_directories(directory);
    }
    void TearDown() override { fs::remove_all(directory); }

    fs::path directory;
};

}  // namespace

TEST_F(Pictures, ASnapshotIsTheWindowsPictureAtThatSize)
{
    TempFile motion(spreadMotion());
    const struct {
        std::string size;
        int width, height;
    } cases[] = {{"", 800, 600}, {"--size 320x240 ", 320, 240}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        const fs::path png = directory / "snapshot.png";
        const RunResult run = vexo("--snapshot " + quoted(png) + " " + c.size + quoted(motion.fsPath()), true);
        ASSERT_EQ(run.status, 0) << run.out;
        EXPECT_EQ(run.out, "");
        const Picture picture(png);
        ASSERT_TRUE(picture.ok());
        EXPECT_EQ(picture.width(), c.width);
        EXPECT_EQ(picture.height(), c.height);
        // The camera looks straight at the root: its sphere covers the centre.
        EXPECT_EQ(picture.at(c.width / 2, c.height / 2), PALETTE[0]);
        // The eye is 10 above the floor: the grid fills much of the bottom quarter and is not
        // seen above the horizon; every pixel is opaque.
        EXPECT_EQ(picture.at(c.width / 2, c.height / 8), CLEAR);
        EXPECT_GT(picture.count(FLOOR, c.height * 3 / 4), std::size_t(c.width) * c.height / 200);
        EXPECT_EQ(picture.count(FLOOR, 0, c.height * 3 / 8), 0u);
        EXPECT_TRUE(picture.opaque());

        // The control bar, centred at the bottom: a 24-pixel play button and a slider four pixels
        // a frame wide. Where nothing else is drawn the picture is floor or clear grey.
        const int button = (c.width - 24 - 4 * 5 - 3) / 2;
        const int bottom = c.height - 24;
        EXPECT_LT(picture.countIn({CLEAR, FLOOR}, button, bottom, 24, 24), 24u * 24 / 10);
        EXPECT_LT(picture.countIn({CLEAR, FLOOR}, button + 27, c.height - 16, 20, 16), 20u * 16 * 6 / 10);  // thumb and track
        EXPECT_EQ(picture.countIn({CLEAR, FLOOR}, button - 40, bottom, 36, 24), 36u * 24);
        EXPECT_EQ(picture.countIn({CLEAR, FLOOR}, button + 51, bottom, 36, 24), 36u * 24);
        // The frame counter, one line of white text at the top left; the key list, six lines 140
        // pixels from the right edge.
        const Rgba white{255, 255, 255, 255};
        EXPECT_GT(picture.countIn({white}, 0, 0, 100, 14), 30u);
        EXPECT_EQ(picture.countIn({white}, 0, 16, 100, 100), 0u);
        EXPECT_GT(picture.countIn({white}, c.width - 140, 14 * 5, 140, 14), 30u);
        EXPECT_EQ(picture.countIn({white}, c.width - 150, 0, 10, 84), 0u);
    }
}

TEST_F(Pictures, RenderWritesExactlyTheFramesAskedWithThePosesOfPositions)
{
    TempFile motion(spreadMotion());
    const fs::path frames = directory / "frames";  // made by --render
    const RunResult run = vexo("--render " + quoted(frames) + " --from 2 --to 4 " + quoted(motion.fsPath()), true);
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("vexo: wrote 3 frames to " + frames.string() + " in "), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find('\r'), std::string::npos) << "no progress bar when stderr is not a terminal";
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(frames)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"frame_000002.png", "frame_000003.png", "frame_000004.png"}));

    // The eye was framed 25 in front of the root at frame 1 and has moved with the root since;
    // the camera still looks at where the root was at frame 1.
    const std::vector<std::vector<Vec>> world = positionsOf(motion);
    ASSERT_EQ(world.size(), 5u);
    const Vec center = world[0][0];
    for (int frame = 2; frame <= 4; ++frame) {
        SCOPED_TRACE(frame);
        const Picture picture(frames / names[std::size_t(frame) - 2]);
        ASSERT_TRUE(picture.ok());
        const Vec root = world[std::size_t(frame) - 1][0];
        const Vec eye{root.x, root.y, root.z + 25};
        for (std::size_t joint = 0; joint < 5; ++joint) {
            const auto at = project(world[std::size_t(frame) - 1][joint], eye, center, 800, 600);
            const auto [x, y, n] = picture.blob(PALETTE[joint], at, 12);
            EXPECT_GT(n, 40) << "joint " << joint;
            EXPECT_NEAR(x, at[0], 1.0) << "joint " << joint;
            EXPECT_NEAR(y, at[1], 1.0) << "joint " << joint;
        }
    }
}

TEST_F(Pictures, ASnapshotOfAFrameMatchesThatFrameOfARender)
{
    TempFile motion(spreadMotion());
    const fs::path png = directory / "frame3.png";
    ASSERT_EQ(vexo("--snapshot " + quoted(png) + " --frame 3 --size 200x150 " + quoted(motion.fsPath())).status, 0);
    ASSERT_EQ(vexo("--render " + quoted(directory) + " --to 3 --size 200x150 " + quoted(motion.fsPath())).status, 0);
    const Picture stepped(png), played(directory / "frame_000003.png");
    ASSERT_TRUE(stepped.ok() && played.ok());
    // Stepping with X and playing leave the camera in the same place; only the play button, at the
    // bottom, shows the other state.
    std::size_t differing = 0;
    for (int y = 0; y < 150 - 24; ++y) {
        for (int x = 0; x < 200; ++x) differing += stepped.at(x, y) != played.at(x, y);
    }
    EXPECT_EQ(differing, 0u);
}

// The box of the figure's pixels (spheres and bones: neither clear grey nor floor): left, top,
// right, bottom.
std::array<int, 4> figureBox(const Picture& picture)
{
    std::array<int, 4> box{picture.width(), picture.height(), -1, -1};
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (picture.at(x, y) == CLEAR || picture.at(x, y) == FLOOR) continue;
            box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x), std::max(box[3], y)};
        }
    }
    return box;
}

TEST_F(Pictures, AThumbnailFillsItselfWithTheFirstFrameWhateverTheUnits)
{
    std::array<int, 4> boxes[2];
    const double units[2] = {1.0, 9.0};  // 19 units tall, as in decimetres; 171, as in centimetres
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(units[i]);
        TempFile motion(figureMotion(units[i]));
        const fs::path png = directory / "thumbnail.png";
        const RunResult run = vexo("--thumbnail " + quoted(png) + " --size 128 " + quoted(motion.fsPath()), true);
        ASSERT_EQ(run.status, 0) << run.out;
        EXPECT_EQ(run.out, "");
        const Picture picture(png);
        ASSERT_TRUE(picture.ok());
        ASSERT_EQ(picture.width(), 128);
        ASSERT_EQ(picture.height(), 128);
        EXPECT_TRUE(picture.opaque());
        // The viewer's grey above the horizon, and no frame counter in the top left corner.
        EXPECT_EQ(picture.countIn({CLEAR}, 0, 0, 24, 14), 24u * 14);
        // Frame 1 stands: taller than wide, clear of every edge, and nearly as tall as the picture.
        const std::array<int, 4> box = boxes[i] = figureBox(picture);
        EXPECT_GT(box[0], 0);
        EXPECT_GT(box[1], 0);
        EXPECT_LT(box[2], 127);
        EXPECT_LT(box[3], 127);
        EXPECT_GT(box[3] - box[1], 128 * 8 / 10);
        EXPECT_GT(box[3] - box[1], box[2] - box[0]);
    }
    for (int side = 0; side < 4; ++side) EXPECT_NEAR(boxes[0][side], boxes[1][side], 1) << side;
}

// The bundled sample with its lengths times scale (offsets and root positions), and with zUp its
// every place turned so that its up is +z: (x, y, z) becomes (x, -z, y). A turn by R about +z
// becomes a turn by -R about +y and one about +y a turn about +z, so Zrotation and Yrotation swap
// names and the first changes sign.
std::string sampleVariant(double scale, bool zUp)
{
    std::ifstream in(std::string(VEXO_SAMPLES_DIR) + "/walk.bvh");
    std::ostringstream out;
    std::vector<std::string> channels;  // of every column, in order
    std::vector<std::size_t> firstOfJoint;  // of every column: its joint's first column
    bool motion = false;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string word;
        words >> word;
        if (word == "OFFSET") {
            double x, y, z;
            words >> x >> y >> z;
            if (zUp) std::tie(y, z) = std::make_tuple(-z, y);
            out << "OFFSET " << x * scale << " " << y * scale << " " << z * scale << "\n";
        } else if (word == "CHANNELS") {
            int count = 0;
            words >> count;
            out << "CHANNELS " << count;
            const std::size_t first = channels.size();
            for (std::string name; words >> name;) {
                channels.push_back(name);
                firstOfJoint.push_back(first);
                if (zUp && name == "Zrotation") name = "Yrotation";
                else if (zUp && name == "Yrotation") name = "Zrotation";
                out << " " << name;
            }
            out << "\n";
        } else if (!motion) {
            out << line << "\n";
            motion = word == "Frame";  // "Frame Time:", the last line before the rows
        } else {
            std::vector<double> values{std::stod(word)};
            for (double value; words >> value;) values.push_back(value);
            for (std::size_t c = 0; c < values.size(); ++c) {
                const std::string& name = channels[c];
                // The root's positions are its first three channels, in x, y, z order.
                const std::size_t joint = firstOfJoint[c];
                double value = values[c];
                if (zUp && name == "Yposition") value = -values[joint + 2];
                if (zUp && name == "Zposition") value = values[joint + 1];
                if (zUp && name == "Zrotation") value = -value;
                if (name.find("position") != std::string::npos) value *= scale;
                out << (c > 0 ? " " : "") << value;
            }
            out << "\n";
        }
    }
    return out.str();
}

// The box of the joints' spheres (the palette's pixels, none of them grey) above the control bar:
// left, top, right, bottom.
std::array<int, 4> sphereBox(const Picture& picture)
{
    std::array<int, 4> box{picture.width(), picture.height(), -1, -1};
    for (int y = 0; y < picture.height() - 30; ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const Rgba p = picture.at(x, y);
            if (std::max({p[0], p[1], p[2]}) - std::min({p[0], p[1], p[2]}) < 100) continue;
            box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x), std::max(box[3], y)};
        }
    }
    return box;
}

// Pixels that differ between two pictures of the same size, above the control bar.
std::size_t differing(const Picture& a, const Picture& b)
{
    std::size_t n = 0;
    for (int y = 0; y < a.height() - 30; ++y) {
        for (int x = 0; x < a.width(); ++x) n += a.at(x, y) != b.at(x, y);
    }
    return n;
}

TEST_F(Pictures, FittedTheSampleShowsAlikeInCentimetresAndInMetres)
{
    const auto snap = [&](const std::string& bvh, const std::string& options) {
        TempFile motion(bvh);
        const fs::path png = directory / "fitted.png";
        EXPECT_EQ(vexo("--snapshot " + quoted(png) + " --size 400x300 " + options + quoted(motion.fsPath())).status, 0);
        return sphereBox(Picture(png));
    };
    const std::array<int, 4> sample = snap(sampleVariant(1, false), "");
    // The fit frames the sample much as the default distance does.
    const std::array<int, 4> fitted = snap(sampleVariant(1, false), "--fit ");
    for (int side = 0; side < 4; ++side) EXPECT_NEAR(fitted[side], sample[side], 3) << side;
    EXPECT_GT(fitted[3] - fitted[1], 100);
    for (const double scale : {10.0, 0.1}) {
        SCOPED_TRACE(scale);
        const std::array<int, 4> scaled = snap(sampleVariant(scale, false), "--fit ");
        for (int side = 0; side < 4; ++side) EXPECT_NEAR(scaled[side], fitted[side], 1) << side;
        // Unfitted, centimetres are a close-up past the picture's edges, metres a speck.
        const std::array<int, 4> unfitted = snap(sampleVariant(scale, false), "");
        EXPECT_GT(std::abs((unfitted[3] - unfitted[1]) - (fitted[3] - fitted[1])), 40);
    }
}

TEST_F(Pictures, AZUpFileShownWithUpZMatchesItsYUpTwin)
{
    TempFile yUp(sampleVariant(1, false)), zUp(sampleVariant(1, true));
    const auto picture = [&](const std::string& mode, const TempFile& motion, const std::string& options) {
        const fs::path png = directory / (std::to_string(std::hash<std::string>()(mode + options)) + ".png");
        EXPECT_EQ(vexo(mode + " " + quoted(png) + " " + options + quoted(motion.fsPath())).status, 0);
        return png;
    };
    for (const std::string mode : {"--snapshot", "--thumbnail"}) {
        for (const std::string fit : {"", "--fit "}) {
            if (mode == "--thumbnail" && !fit.empty()) continue;
            SCOPED_TRACE(mode + " " + fit);
            const Picture turned(picture(mode, zUp, "--up z " + fit)), twin(picture(mode, yUp, fit));
            ASSERT_TRUE(turned.ok() && twin.ok());
            // The spheres are tessellated about another axis: their rims may differ by a pixel.
            EXPECT_LT(differing(turned, twin), std::size_t(turned.width() * turned.height() / 500));
            EXPECT_GT(differing(Picture(picture(mode, zUp, fit)), twin), std::size_t(turned.width() * turned.height() / 50));
        }
    }
}

TEST_F(Pictures, ASheetHasACellPerFileInWalkOrderWithItsThumbnailOrRefusedAndItsName)
{
    // Three to a row, 64 pixels a side: cells 66 pixels apart (a gap of 2), a 15-pixel strip for
    // the names, rows 81 pixels apart; two rows, the last two cells empty.
    const fs::path folder = directory / "motions";
    fs::create_directories(folder / "sub");
    const struct {
        const char* name;
        std::string text;
    } files[] = {{"sub/d.bvh", figureMotion(9)}, {"b.bvh", spreadMotion()}, {"a.bvh", figureMotion(1)},
                 {"c.bvh", "HIERARCHY\nROOT Hips\n{\nOFFSET 0 0\n"}};
    for (const auto& file : files) std::ofstream(folder / file.name) << file.text;
    const fs::path sheetPng = directory / "sheet.png";
    const RunResult run = vexo("--sheet " + quoted(sheetPng) + " --size 64 --columns 3 " + quoted(folder), true);
    EXPECT_EQ(run.status, 1) << "a file was refused";
    EXPECT_EQ(run.out, (folder / "c.bvh").string() + ":4: refused: expected 4 tokens on the offset line\n");
    const Picture sheet(sheetPng);
    ASSERT_TRUE(sheet.ok());
    EXPECT_EQ(sheet.width(), 200);
    EXPECT_EQ(sheet.height(), 164);

    constexpr Rgba GROUND{40, 40, 40, 255}, REFUSED{96, 96, 96, 255};
    const auto cellDiffers = [&](int cell, const Picture& picture) {
        std::size_t n = 0;
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) n += sheet.at(2 + cell % 3 * 66 + x, 2 + cell / 3 * 81 + y) != picture.at(x, y);
        }
        return n;
    };
    const auto countInCell = [&](int cell, Rgba colour, int top, int rows) {
        return sheet.countIn({colour}, 2 + cell % 3 * 66, 2 + cell / 3 * 81 + top, 64, rows);
    };
    const char* const order[] = {"a.bvh", "b.bvh", "c.bvh", "sub/d.bvh"};
    for (int cell = 0; cell < 6; ++cell) {
        SCOPED_TRACE(cell);
        const std::size_t nameStrip = 64 * 15 - countInCell(cell, GROUND, 64, 15);
        if (cell >= 4) {
            EXPECT_EQ(countInCell(cell, GROUND, 0, 79), 64u * 79) << "empty";
        } else if (cell == 2) {
            // A plain tile saying "refused" across its middle.
            EXPECT_GT(countInCell(cell, REFUSED, 0, 64), 64u * 64 * 8 / 10);
            EXPECT_GT(countInCell(cell, {255, 255, 255, 255}, 24, 16), 20u);
            EXPECT_EQ(countInCell(cell, REFUSED, 0, 24) + countInCell(cell, REFUSED, 40, 24), 64u * 48);
        } else {
            const fs::path thumbnail = directory / "thumbnail.png";
            ASSERT_EQ(vexo("--thumbnail " + quoted(thumbnail) + " --size 64 " + quoted(folder / order[cell])).status, 0);
            EXPECT_EQ(cellDiffers(cell, Picture(thumbnail)), 0u);
        }
        EXPECT_EQ(nameStrip > 20, cell < 4) << "the name under the picture";
    }
    // Between the cells, the ground.
    EXPECT_EQ(sheet.countIn({GROUND}, 0, 0, 200, 2), 200u * 2);
    EXPECT_EQ(sheet.countIn({GROUND}, 66, 0, 2, 164), 2u * 164);

    // Without --columns, about as many columns as rows: two for four files.
    ASSERT_EQ(vexo("--sheet " + quoted(sheetPng) + " --size 64 " + quoted(folder)).status, 1);
    EXPECT_EQ(Picture(sheetPng).width(), 134);
}

// Thirty-three files on one processor: enough for each thread to draw two at a time; the cells
// keep the walk's order all the same (those of the first and last pairs are checked).
TEST_F(Pictures, ASheetDrawnTwoFilesAtATimeKeepsTheirOrder)
{
#ifdef _WIN32
    GTEST_SKIP() << "pins the process to one processor with taskset";
#else
    if (std::system("command -v taskset >/dev/null") != 0) GTEST_SKIP() << "no taskset";
    const std::string spread = spreadMotion();
    const fs::path folder = directory / "many";
    fs::create_directories(folder);
    for (int k = 0; k < 33; ++k) {
        char name[16];
        std::snprintf(name, sizeof name, "m%02d.bvh", k);
        std::ofstream(folder / name) << spread.substr(0, spread.find("Frames:")) << "Frames: 1\nFrame Time: 0.04\n0 10 0 "
                                     << 11 * k << " " << 7 * k << " 0\n";
    }
    const fs::path sheetPng = directory / "sheet.png";
    const std::string command = "taskset -c 0 env -u DISPLAY " + std::string(VEXO_BINARY) + " --sheet " +
                                quoted(sheetPng) + " --size 32 --columns 8 " + quoted(folder);
    ASSERT_EQ(std::system(command.c_str()), 0);
    const Picture sheet(sheetPng);
    ASSERT_TRUE(sheet.ok());
    for (const int cell : {0, 1, 2, 31, 32}) {
        SCOPED_TRACE(cell);
        char name[16];
        std::snprintf(name, sizeof name, "m%02d.bvh", cell);
        const fs::path thumbnail = directory / "thumbnail.png";
        ASSERT_EQ(vexo("--thumbnail " + quoted(thumbnail) + " --size 32 " + quoted(folder / name)).status, 0);
        const Picture picture(thumbnail);
        std::size_t differing = 0;  // 32-pixel cells 34 apart across, 49 down, after a gap of 2
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) differing += sheet.at(2 + cell % 8 * 34 + x, 2 + cell / 8 * 49 + y) != picture.at(x, y);
        }
        EXPECT_EQ(differing, 0u);
    }
#endif
}

TEST_F(Pictures, NothingIsWrittenForARefusedFileOrAFrameThatDoesNotExist)
{
    TempFile motion(spreadMotion());
    TempFile refused("HIERARCHY\nROOT Hips\n{\nOFFSET 0 0\n");
    const fs::path png = directory / "none.png", frames = directory / "none";
    EXPECT_EQ(vexo("--snapshot " + quoted(png) + " " + quoted(refused.fsPath())).status, 1);
    EXPECT_EQ(vexo("--snapshot " + quoted(png) + " --frame 6 " + quoted(motion.fsPath())).status, 2);
    EXPECT_EQ(vexo("--render " + quoted(frames) + " " + quoted(refused.fsPath())).status, 1);
    EXPECT_EQ(vexo("--render " + quoted(frames) + " --from 6 " + quoted(motion.fsPath())).status, 2);
    // A thumbnail needs only the first frame, but a file without its last is refused all the same.
    std::string shortMotion = spreadMotion();
    shortMotion.replace(shortMotion.find("Frames: 5"), 9, "Frames: 6");
    TempFile shortOfAFrame(shortMotion);
    EXPECT_EQ(vexo("--thumbnail " + quoted(png) + " " + quoted(shortOfAFrame.fsPath())).status, 1);
    EXPECT_FALSE(fs::exists(png));
    EXPECT_FALSE(fs::exists(frames));

    // A directory that cannot be made or written into, or a file where the directory should be.
    TempFile notADirectory("x", ".txt");
    EXPECT_EQ(vexo("--render " + quoted(notADirectory.fsPath()) + " " + quoted(motion.fsPath())).status, 1);
    EXPECT_EQ(vexo("--render " + quoted(directory / "no" / "parent") + " " + quoted(motion.fsPath())).status, 1);
    EXPECT_EQ(vexo("--snapshot " + quoted(directory / "no" / "x.png") + " " + quoted(motion.fsPath())).status, 1);
}

TEST_F(Pictures, OnATerminalRenderShowsItsProgress)
{
    if (std::system("command -v script >/dev/null") != 0) GTEST_SKIP() << "no script(1) to give a terminal";
    TempFile motion(spreadMotion());
    const std::string command = "env -u DISPLAY " + std::string(VEXO_BINARY) + " --render " + quoted(directory) +
                                " --size 64x48 " + quoted(motion.fsPath());
    FILE* pipe = popen(("script -qec \"" + command + "\" /dev/null").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) out.append(chunk, n);
    EXPECT_EQ(pclose(pipe), 0) << out;
    EXPECT_NE(out.find("\r[######"), std::string::npos) << out;
    EXPECT_NE(out.find("5/5 frames"), std::string::npos) << out;
    EXPECT_NE(out.find("vexo: wrote 5 frames"), std::string::npos) << out;
}
