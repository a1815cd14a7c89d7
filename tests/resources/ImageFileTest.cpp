// Decoding image files: the extension chooses, and a short file is an error.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#include "PngWriter.h"
#include "TempFile.h"
#include "resources/Image.h"
#include "resources/WideString.h"
#include "resources/WideText.h"

namespace {

std::string pngBytes()
{
    PngDescription png{.width = 2, .height = 2, .colourType = PNG_COLOR_TYPE_RGB, .rows = {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}}};
    const std::vector<unsigned char> bytes = writePng(png);
    return std::string(bytes.begin(), bytes.end());
}

TEST(ImageFile, ChosenByExtension)
{
    const std::string png = pngBytes();
    const struct {
        const char* suffix;
        bool decoded;
    } cases[] = {
        {".png", true}, {".PNG", true}, {".Png", true}, {".jpg", false}, {".bmp", false}, {"", false}, {".png.txt", false},
    };
    for (const auto& c : cases) {
        TempFile file(png, c.suffix);
        Image image;
        EXPECT_EQ(image.loadImageFile(file.path()), c.decoded) << '"' << c.suffix << '"';
        if (c.decoded) {
            EXPECT_EQ(image.width, 2);
            EXPECT_EQ(image.pixels[4 * 3 + 2], 12);
            EXPECT_EQ(image.pixels[4 * 3 + 3], 255);
        }
    }
}

TEST(ImageFile, TruncatedFilesAndMissingFilesFail)
{
    const std::string png = pngBytes();
    for (std::size_t length : {std::size_t{0}, std::size_t{8}, png.size() / 2, png.size() - 1}) {
        TempFile file(png.substr(0, length), ".png");
        Image image;
        EXPECT_FALSE(image.loadPngFile(file.path())) << length;
    }
    Image image;
    EXPECT_FALSE(image.loadPngFile(TEXT("/nonexistent/image.png")));
    EXPECT_FALSE(image.loadImageFile(nullptr));
}

TEST(ImageFile, SavedPngsDecodeToTheSamePixels)
{
    Image image;
    ASSERT_TRUE(image.allocate(3, 2));
    const unsigned char rgba[] = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0,  // top row
                                  1, 2, 3, 4, 250, 251, 252, 253, 9, 9, 9, 255};
    std::copy(std::begin(rgba), std::end(rgba), image.pixels);
    TempFile file("old content, replaced", ".png");
    ASSERT_TRUE(image.savePng(file.path()));

    std::ifstream stream(file.fsPath(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(stream), {}};
    ASSERT_GT(bytes.size(), 26u);
    EXPECT_EQ(bytes.substr(12, 4), "IHDR");
    EXPECT_EQ(bytes[24], 8) << "bits per channel";
    EXPECT_EQ(bytes[25], 6) << "colour type RGBA";
    Image decoded;
    ASSERT_TRUE(decoded.loadPngFile(file.path()));
    EXPECT_EQ(decoded.width, 3);
    EXPECT_EQ(decoded.height, 2);
    EXPECT_TRUE(std::equal(std::begin(rgba), std::end(rgba), decoded.pixels));
}

TEST(ImageFile, ASaveThatFailsLeavesNoFileBehind)
{
    Image image;
    ASSERT_TRUE(image.allocate(64, 64));
    EXPECT_FALSE(image.savePng(TEXT("/nonexistent/picture.png")));
    if (std::filesystem::exists("/dev/full")) {  // where the system has a full device
        EXPECT_FALSE(image.savePng(TEXT("/dev/full"))) << "a full device: the write fails";
        EXPECT_TRUE(std::filesystem::exists("/dev/full")) << "a device is not removed";
    }

    const std::filesystem::path path = std::filesystem::temp_directory_path() / ("vexo_empty_" + std::to_string(::getpid()) + ".png");
    EXPECT_FALSE(Image().savePng(widePath(path).c_str())) << "no pixels";
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(WideString, AssignCurrentDirectory)
{
    WideString s;
    ASSERT_TRUE(s.assign(TEXT("old content")));
    ASSERT_TRUE(s.assignCurrentDirectory());
    EXPECT_EQ(WideText(s.data, s.length), widePath(std::filesystem::current_path()));
    EXPECT_EQ(s.data[s.length], 0);
    EXPECT_LT(s.length, s.capacity);
    s.release();
}

}  // namespace
