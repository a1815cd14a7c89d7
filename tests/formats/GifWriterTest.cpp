// GIF clips: which pictures are kept and for how long, and their colours after the palette.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "GifFrames.h"
#include "TempFile.h"
#include "formats/GifWriter.h"

namespace {

// Writes a clip of 8x8 pictures, picture i all of grey level i, the way the render command does.
GifFrames writeGreyClip(double seconds, int pictures, std::vector<int>& wanted)
{
    TempFile out("", ".gif");
    GifWriter writer;
    EXPECT_TRUE(writer.open(out.path(), {8, 8, pictures, seconds})) << writer.failure();
    Image picture;
    picture.allocate(8, 8);
    for (int i = 0; i < pictures; ++i) {
        if (!writer.wants(i)) continue;
        wanted.push_back(i);
        for (int p = 0; p < 64 * 4; ++p) picture.pixels[p] = p % 4 == 3 ? 255 : BYTE(i);
        EXPECT_TRUE(writer.write(picture, i + 1)) << writer.failure();
    }
    EXPECT_TRUE(writer.finish()) << writer.failure();
    GifFrames frames;
    EXPECT_TRUE(frames.read(out.fsPath()));
    return frames;
}

}  // namespace

TEST(GifWriter, KeepsThePicturesRealTimeReachesAndLastsAsLongAsTheClip)
{
    const struct {
        double seconds;
        int pictures;
        std::vector<int> kept, delays;
    } cases[] = {
        {1.0 / 30, 6, {0, 1, 2, 3, 4, 5}, {3, 4, 3, 3, 4, 3}},  // 20 cs in all, as 6 x 1/30 s
        {1.0 / 120, 8, {0, 2, 5, 7}, {2, 2, 2, 2}},             // no delay under 2 cs
        {0.5, 3, {0, 1, 2}, {50, 50, 50}},
        {0.0, 3, {0}, {2}},                                     // a motion that takes no time
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seconds);
        std::vector<int> wanted;
        const GifFrames frames = writeGreyClip(c.seconds, c.pictures, wanted);
        EXPECT_EQ(wanted, c.kept);
        EXPECT_EQ(frames.delays, c.delays);
        EXPECT_TRUE(frames.loops);
        ASSERT_EQ(frames.rgb.size(), c.kept.size());
        for (size_t i = 0; i < c.kept.size(); ++i) EXPECT_EQ(frames.rgb[i][0], c.kept[i]);
    }
}

TEST(GifWriter, KeepsUpTo256ColoursExactlyAndReducesMore)
{
    // Shades of a few colours, as a lit scene has: 16 x 16 colours, then 64 x 12.
    const BYTE BASES[12][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}, {0, 255, 255}, {255, 0, 255},
                               {128, 0, 0}, {0, 128, 0}, {0, 0, 128}, {255, 128, 0}, {128, 0, 255}, {255, 255, 255}};
    for (const int side : {16, 64}) {
        SCOPED_TRACE(side);
        TempFile out("", ".gif");
        Image picture;
        ASSERT_TRUE(picture.allocate(side, side));
        for (int y = 0; y < side; ++y) {
            for (int x = 0; x < side; ++x) {
                BYTE* p = picture.pixels + (y * side + x) * 4;
                const BYTE* base = BASES[y % (side == 16 ? 1 : 12)];
                for (int c = 0; c < 3; ++c) p[c] = BYTE(base[c] * (side == 16 ? y * side + x : x * 4 + 3) / 255);
                p[3] = 255;
            }
        }
        GifWriter writer;
        ASSERT_TRUE(writer.open(out.path(), {side, side, 1, 0.04}));
        ASSERT_TRUE(writer.write(picture, 1));
        ASSERT_TRUE(writer.finish());
        GifFrames frames;
        ASSERT_TRUE(frames.read(out.fsPath()));
        ASSERT_EQ(frames.rgb.size(), 1u);
        double error = 0;
        for (int p = 0; p < side * side * 3; ++p) error += std::abs(frames.rgb[0][p] - picture.pixels[p / 3 * 4 + p % 3]);
        error /= side * side * 3;
        if (side == 16) EXPECT_EQ(error, 0);
        else EXPECT_LT(error, 3) << "mean error a channel";
    }
}
