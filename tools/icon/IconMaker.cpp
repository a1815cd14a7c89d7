// Draws VEXO's icon, a stick figure in mid-stride on a rounded tile. The program's icon is a 32 x 32
// icon file with one 32-bit image (a bottom-up BGRA bitmap with its all-zero AND mask), the form
// LoadIconW reads, and optionally the same pixels as a PNG for the desktop's icon theme. The Windows
// shell's icon (.bvh files, the installed programs) holds the usual sizes, 16, 32, 48 and 256, the
// largest as a PNG, as Windows keeps it. Run by hand when the design changes; its outputs
// assets/vexo.ico, assets/vexo-shell.ico and packaging/vexo.png are committed.
//
// Usage: vexo_icon OUTPUT.ico [OUTPUT.png]
//        vexo_icon --shell OUTPUT.ico

#include <png.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int SIZE = 32;       // the design's units, and the program's icon
constexpr int SUBSAMPLES = 4;  // per axis, for smooth edges
constexpr int SHELL_SIZES[] = {16, 32, 48, 256};

struct Colour {
    float r, g, b, a;
};

struct Point {
    float x, y;
};

float segmentDistance(Point p, Point a, Point b)
{
    const float dx = b.x - a.x, dy = b.y - a.y;
    const float t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

bool insideRoundedTile(Point p)
{
    constexpr float margin = 1.0f, radius = 6.0f;
    const float cx = std::clamp(p.x, margin + radius, SIZE - margin - radius);
    const float cy = std::clamp(p.y, margin + radius, SIZE - margin - radius);
    return std::hypot(p.x - cx, p.y - cy) <= radius;
}

// The figure: joints of a walking pose in pixel coordinates, bones between them.
const std::array<Point, 11> JOINTS = {{
    {16.0f, 7.5f},   // 0 head
    {16.0f, 12.0f},  // 1 neck
    {15.5f, 18.0f},  // 2 hips
    {11.0f, 15.5f},  // 3 left elbow
    {9.0f, 19.5f},   // 4 left hand
    {20.5f, 15.0f},  // 5 right elbow
    {23.0f, 18.5f},  // 6 right hand
    {12.5f, 22.5f},  // 7 left knee
    {10.0f, 27.0f},  // 8 left foot
    {19.0f, 22.5f},  // 9 right knee
    {20.5f, 27.0f},  // 10 right foot
}};
const std::array<std::array<int, 2>, 9> BONES = {{{1, 2}, {1, 3}, {3, 4}, {1, 5}, {5, 6}, {2, 7}, {7, 8}, {2, 9}, {9, 10}}};

// Later layers paint over earlier ones.
Colour sample(Point p)
{
    if (!insideRoundedTile(p)) return {0, 0, 0, 0};
    const float shade = p.y / SIZE;
    Colour c{0.10f + 0.05f * shade, 0.32f - 0.14f * shade, 0.52f - 0.20f * shade, 1.0f};

    // A floor line under the feet, as the viewer draws its grid.
    if (std::fabs(p.y - 28.0f) < 0.6f && p.x > 5.0f && p.x < 27.0f) c = {0.55f, 0.62f, 0.70f, 1.0f};
    for (const auto& bone : BONES) {
        if (segmentDistance(p, JOINTS[bone[0]], JOINTS[bone[1]]) < 1.1f) c = {1.0f, 1.0f, 1.0f, 1.0f};
    }
    if (std::hypot(p.x - JOINTS[0].x, p.y - JOINTS[0].y) < 3.0f) c = {1.0f, 0.80f, 0.25f, 1.0f};
    const std::array<Colour, 3> jointColours = {{{1.0f, 0.25f, 0.2f, 1}, {0.3f, 0.9f, 0.3f, 1}, {0.35f, 0.6f, 1.0f, 1}}};
    for (size_t i = 1; i < JOINTS.size(); ++i) {
        if (std::hypot(p.x - JOINTS[i].x, p.y - JOINTS[i].y) < 1.6f) c = jointColours[i % jointColours.size()];
    }
    return c;
}

// The design drawn size x size pixels: the premultiplied average of the subsamples of each pixel,
// then straight RGBA bytes, top row first.
std::vector<std::uint8_t> render(int size = SIZE)
{
    const float scale = static_cast<float>(SIZE) / size;
    std::vector<std::uint8_t> rgba(size * size * 4);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < SUBSAMPLES; ++sy) {
                for (int sx = 0; sx < SUBSAMPLES; ++sx) {
                    const Point at{(x + (sx + 0.5f) / SUBSAMPLES) * scale, (y + (sy + 0.5f) / SUBSAMPLES) * scale};
                    const Colour c = sample(at);
                    r += c.r * c.a, g += c.g * c.a, b += c.b * c.a, a += c.a;
                }
            }
            std::uint8_t* out = &rgba[(y * size + x) * 4];
            const float n = SUBSAMPLES * SUBSAMPLES;
            const auto byte = [](float v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255)); };
            out[0] = byte(a > 0 ? r / a : 0);
            out[1] = byte(a > 0 ? g / a : 0);
            out[2] = byte(a > 0 ? b / a : 0);
            out[3] = byte(a / n);
        }
    }
    return rgba;
}

void put16(std::vector<std::uint8_t>& out, unsigned value)
{
    out.push_back(value & 0xFF);
    out.push_back((value >> 8) & 0xFF);
}

void put32(std::vector<std::uint8_t>& out, unsigned value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// An icon image as a BITMAPINFOHEADER (its height counts the colour and the mask rows), the
// bottom-up BGRA rows, and the all-zero AND mask (1 bit per pixel, rows padded to 32 bits).
std::vector<std::uint8_t> bitmapImage(const std::vector<std::uint8_t>& rgba, int size)
{
    const unsigned maskBytes = (size + 31) / 32 * 4 * size;
    std::vector<std::uint8_t> out;
    put32(out, 40), put32(out, size), put32(out, size * 2), put16(out, 1), put16(out, 32);
    put32(out, 0), put32(out, size * size * 4 + maskBytes), put32(out, 0), put32(out, 0), put32(out, 0), put32(out, 0);
    for (int y = size - 1; y >= 0; --y) {
        for (int x = 0; x < size; ++x) {
            const std::uint8_t* p = &rgba[(y * size + x) * 4];
            out.push_back(p[2]), out.push_back(p[1]), out.push_back(p[0]), out.push_back(p[3]);
        }
    }
    out.insert(out.end(), maskBytes, 0);
    return out;
}

// 8-bit RGBA, top row first, through libpng's simplified writer; empty when it fails.
std::vector<std::uint8_t> pngImage(const std::vector<std::uint8_t>& rgba, int size)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = size;
    image.height = size;
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t bytes = 0;
    if (!png_image_write_to_memory(&image, nullptr, &bytes, 0, rgba.data(), size * 4, nullptr)) return {};
    std::vector<std::uint8_t> out(bytes);
    if (!png_image_write_to_memory(&image, out.data(), &bytes, 0, rgba.data(), size * 4, nullptr)) return {};
    return out;
}

// An icon file: the directory, then each image (a 256-pixel side is written as 0).
std::vector<std::uint8_t> iconFile(const std::vector<std::pair<int, std::vector<std::uint8_t>>>& images)
{
    std::vector<std::uint8_t> out;
    put16(out, 0), put16(out, 1), put16(out, static_cast<unsigned>(images.size()));
    unsigned offset = 6 + 16 * static_cast<unsigned>(images.size());
    for (const auto& [size, bytes] : images) {
        out.push_back(size & 0xFF), out.push_back(size & 0xFF), out.push_back(0), out.push_back(0);
        put16(out, 1), put16(out, 32), put32(out, static_cast<unsigned>(bytes.size())), put32(out, offset);
        offset += static_cast<unsigned>(bytes.size());
    }
    for (const auto& image : images) out.insert(out.end(), image.second.begin(), image.second.end());
    return out;
}

bool writeFile(const char* path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// The largest image as a PNG, the others as bitmaps.
std::vector<std::uint8_t> shellIcon()
{
    std::vector<std::pair<int, std::vector<std::uint8_t>>> images;
    for (const int size : SHELL_SIZES) {
        const std::vector<std::uint8_t> rgba = render(size);
        images.emplace_back(size, size >= 256 ? pngImage(rgba, size) : bitmapImage(rgba, size));
        if (images.back().second.empty()) return {};
    }
    return iconFile(images);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--shell") {
        const std::vector<std::uint8_t> icon = shellIcon();
        return !icon.empty() && writeFile(argv[2], icon) ? 0 : 1;
    }
    if (argc != 2 && argc != 3) {
        std::fputs("usage: vexo_icon OUTPUT.ico [OUTPUT.png]\n       vexo_icon --shell OUTPUT.ico\n", stderr);
        return 1;
    }
    const std::vector<std::uint8_t> rgba = render();
    if (!writeFile(argv[1], iconFile({{SIZE, bitmapImage(rgba, SIZE)}}))) return 1;
    if (argc == 2) return 0;
    const std::vector<std::uint8_t> png = pngImage(rgba, SIZE);
    return !png.empty() && writeFile(argv[2], png) ? 0 : 1;
}
