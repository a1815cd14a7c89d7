// Draws the six skin images of the control bar and writes them as PNG files (8-bit RGBA, not
// interlaced). The PNGs are kept in assets/skins and compiled into the program; run this only to
// make them again.
//
// Usage: vexo_skins DIRECTORY

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Colour {
    unsigned char r, g, b, a;
};

constexpr Colour CLEAR{0, 0, 0, 0};
constexpr Colour WHITE{255, 255, 255, 255};
constexpr Colour LIGHT{219, 219, 219, 255};
constexpr Colour PRESSED{181, 181, 181, 255};
constexpr Colour SILVER{192, 192, 192, 255};
constexpr Colour DARK{128, 128, 128, 255};

// Rows counted from the top, columns from the left; everything starts clear.
class Picture {
public:
    Picture(int width, int height) : width(width), height(height), pixels(size_t(width) * height, CLEAR) {}

    void set(int column, int row, Colour colour) { pixels[size_t(row) * width + column] = colour; }

    // Columns first to last (inclusive) of one row.
    void row(int row, int first, int last, Colour colour)
    {
        for (int column = first; column <= last; ++column) set(column, row, colour);
    }

    // Rows first to last (inclusive) of one column.
    void column(int column, int first, int last, Colour colour)
    {
        for (int row = first; row <= last; ++row) set(column, row, colour);
    }

    void fill(int left, int top, int right, int bottom, Colour colour)
    {
        for (int r = top; r <= bottom; ++r) row(r, left, right, colour);
    }

    bool writePng(const std::string& path) const
    {
        FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr) return false;
        png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
        bool written = false;
        if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
            png_init_io(png, file);
            png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                         PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
            png_write_info(png, info);
            for (int r = 0; r < height; ++r) {
                png_write_row(png, reinterpret_cast<png_const_bytep>(&pixels[size_t(r) * width]));
            }
            png_write_end(png, nullptr);
            written = true;
        }
        png_destroy_write_struct(&png, &info);
        return std::fclose(file) == 0 && written;
    }

private:
    int width, height;
    std::vector<Colour> pixels;
};

// A 32 x 16 button face with a one-pixel bevel and rounded (clear) corners.
Picture buttonFace(Colour face, Colour lit, Colour shaded)
{
    Picture picture(32, 16);
    picture.fill(1, 1, 30, 14, face);
    picture.row(0, 2, 29, lit);
    picture.column(0, 2, 13, lit);
    picture.row(15, 2, 29, shaded);
    picture.column(31, 2, 13, shaded);
    picture.set(1, 1, lit);
    picture.set(30, 1, lit);
    picture.set(1, 14, lit);
    picture.set(30, 14, shaded);
    return picture;
}

// A raised bar of the given height, 8 wide: white top and left, dark bottom and right, clear
// corners.
Picture raisedBar(int height, Colour face)
{
    Picture picture(8, height);
    picture.row(0, 1, 6, WHITE);
    picture.fill(1, 1, 6, height - 2, face);
    picture.column(0, 1, height - 2, WHITE);
    picture.column(7, 1, height - 2, DARK);
    picture.row(height - 1, 1, 6, DARK);
    return picture;
}

// A white triangle pointing right, outlined in dark.
Picture playIcon()
{
    Picture picture(16, 16);
    for (int r = 1; r <= 15; ++r) {
        const int k = 8 - std::abs(r - 8);
        picture.set(4, r, DARK);
        picture.row(r, 5, 3 + k, WHITE);
        picture.set(4 + k, r, DARK);
    }
    return picture;
}

// Two white bars outlined in dark.
Picture pauseIcon()
{
    Picture picture(16, 16);
    for (int left : {3, 9}) {
        const int right = left + 3;
        picture.fill(left, 3, right, 13, DARK);
        picture.fill(left + 1, 4, right - 1, 12, WHITE);
    }
    return picture;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vexo_skins DIRECTORY\n");
        return 2;
    }
    const std::string directory = std::string(argv[1]) + "/";
    const struct {
        const char* name;
        Picture picture;
    } skins[] = {
        {"BUTTON_NORMAL.PNG", buttonFace(LIGHT, WHITE, DARK)},
        {"BUTTON_PRESS.PNG", buttonFace(PRESSED, DARK, WHITE)},
        {"SLIDER_BODY.PNG", raisedBar(4, LIGHT)},
        {"SLIDER_THUMB.PNG", raisedBar(16, SILVER)},
        {"PLAY.PNG", playIcon()},
        {"PAUSE.PNG", pauseIcon()},
    };
    for (const auto& skin : skins) {
        if (!skin.picture.writePng(directory + skin.name)) {
            std::fprintf(stderr, "vexo_skins: cannot write %s%s\n", directory.c_str(), skin.name);
            return 1;
        }
    }
    return 0;
}
