// Decoding image files: the extension chooses, and a short file is an error.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

#include "PngWriter.h"
#include "TempFile.h"
#include "resources/Image.h"
#include "resources/WideString.h"

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
    EXPECT_FALSE(image.loadPngFile(u"/nonexistent/image.png"));
    EXPECT_FALSE(image.loadImageFile(nullptr));
}

TEST(WideString, AssignCurrentDirectory)
{
    WideString s;
    ASSERT_TRUE(s.assign(u"old content"));
    ASSERT_TRUE(s.assignCurrentDirectory());
    EXPECT_EQ(std::u16string(s.data, s.length), std::filesystem::current_path().u16string());
    EXPECT_EQ(s.data[s.length], 0);
    EXPECT_LT(s.length, s.capacity);
    s.release();
}

}  // namespace
