// Overlay state and brush rectangles, drawn offscreen and read back.

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "OffscreenGl.h"
#include "OwnResource.h"
#include "overlay/Overlay.h"
#include "resources/Image.h"
#include "resources/Locator.h"
#include "resources/ScratchArena.h"

namespace {

using Rgba = std::array<std::uint8_t, 4>;

std::string ascii(const WCHAR* text)
{
    return std::string(text, text + std::char_traits<WCHAR>::length(text));
}

Rgba imagePixel(const Image& image, int x, int y)
{
    const BYTE* p = image.pixels + y * image.stride + x * 4;
    return {p[0], p[1], p[2], p[3]};
}

Rgba readPixel(const std::vector<std::uint8_t>& pixels, int width, int x, int y)
{
    const std::uint8_t* p = &pixels[(static_cast<size_t>(y) * width + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

// An offscreen window of the given size with an overlay of the same size, cleared to magenta.
struct OverlayFixture {
    OverlayFixture(int width, int height) : gl(width, height), width(width), height(height)
    {
        setOverlaySize(overlay, width, height);
        glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    ~OverlayFixture()
    {
        textureCache.clear();
        destroyOverlay(overlay);
    }

    OffscreenGl gl;
    int width, height;
    Overlay* overlay = createOverlay();
};

struct Skin {
    const WCHAR* name;
    int border;
};
const Skin SKINS[] = {{TEXT("button_normal.png"), 5}, {TEXT("button_press.png"), 5}, {TEXT("slider_body.png"), 2}, {TEXT("slider_thumb.png"), 4}};

class Overlays : public ::testing::Test {
protected:
    void SetUp() override { createScratchArena(); }
    void TearDown() override { destroyScratchArena(); }
};

}  // namespace

TEST_F(Overlays, ANineSliceOfTheImagesOwnSizeReproducesIt)
{
    constexpr int X = 3, Y = 5;
    for (int width : {64, 63}) {  // even and odd viewports
        OverlayFixture f(width, 32);
        ASSERT_TRUE(f.gl.ok());
        for (const Skin& skin : SKINS) {
            SCOPED_TRACE(ascii(skin.name) + " in a viewport " + std::to_string(width) + " wide");
            Image image;
            ASSERT_TRUE(image.loadPngResource(ownModule(), skin.name));
            Brush* brush = createSkinBrush(skin.name, ownModule(), skin.border, skin.border, skin.border, skin.border);
            ASSERT_NE(brush, nullptr);
            glClearColor(0, 0, 0, 1);
            glClear(GL_COLOR_BUFFER_BIT);
            beginOverlay(f.overlay);
            drawBrushRect(f.overlay, X, Y, X + image.width, Y + image.height, brush);
            endOverlay(f.overlay);
            const std::vector<std::uint8_t> pixels = f.gl.readPixels();
            // Blended over black: each colour channel is the image's times its alpha.
            for (int y = 0; y < image.height; ++y) {
                for (int x = 0; x < image.width; ++x) {
                    const Rgba source = imagePixel(image, x, y), drawn = readPixel(pixels, width, X + x, Y + y);
                    for (int c = 0; c < 3; ++c) {
                        const int expected = (source[c] * source[3] + 127) / 255;
                        EXPECT_NEAR(drawn[c], expected, source[3] == 255 ? 0 : 1) << x << "," << y;
                    }
                }
            }
            // Nothing outside the rectangle.
            for (int y = 0; y < 32; ++y) {
                for (int x = 0; x < width; ++x) {
                    if (x >= X && x < X + image.width && y >= Y && y < Y + image.height) continue;
                    EXPECT_EQ(readPixel(pixels, width, x, y), (Rgba{0, 0, 0, 255})) << x << "," << y;
                }
            }
            destroyBrush(brush);
        }
    }
}

TEST_F(Overlays, AViewportCoveringNineSliceCoversItExactly)
{
    // Geometry only: with blending off every covered pixel takes the texture's colour, alpha
    // included, so any magenta left shows a pixel the rectangle missed.
    for (auto [width, height] : {std::pair{64, 32}, {63, 31}, {640, 480}}) {
        OverlayFixture f(width, height);
        ASSERT_TRUE(f.gl.ok());
        Brush* brush = createSkinBrush(TEXT("button_normal.png"), ownModule(), 5, 5, 5, 5);
        ASSERT_NE(brush, nullptr);
        beginOverlay(f.overlay);
        glDisable(GL_BLEND);
        drawBrushRect(f.overlay, 0, 0, static_cast<float>(width), static_cast<float>(height), brush);
        endOverlay(f.overlay);
        const std::vector<std::uint8_t> pixels = f.gl.readPixels();
        int missed = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) missed += readPixel(pixels, width, x, y) == Rgba{255, 0, 255, 255};
        }
        EXPECT_EQ(missed, 0) << width << " x " << height;
        destroyBrush(brush);
    }
}

TEST_F(Overlays, AStretchBrushOfTheImagesSizeReproducesIt)
{
    OverlayFixture f(64, 32);
    ASSERT_TRUE(f.gl.ok());
    WideString locator;
    ASSERT_TRUE(makeLocator(ownModule(), TEXT("play.png"), locator));
    Brush* brush = createImageBrush(locator.data);
    locator.release();
    ASSERT_NE(brush, nullptr);
    Image image;
    ASSERT_TRUE(image.loadPngResource(ownModule(), TEXT("play.png")));
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    beginOverlay(f.overlay);
    drawBrushRect(f.overlay, 10, 4, 10.0f + image.width, 4.0f + image.height, brush);
    endOverlay(f.overlay);
    const std::vector<std::uint8_t> pixels = f.gl.readPixels();
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const Rgba source = imagePixel(image, x, y), drawn = readPixel(pixels, 64, 10 + x, 4 + y);
            for (int c = 0; c < 3; ++c) EXPECT_NEAR(drawn[c], (source[c] * source[3] + 127) / 255, 1) << x << "," << y;
        }
    }
    destroyBrush(brush);
}

TEST_F(Overlays, ASolidBrushFillsWithItsColourBlended)
{
    OverlayFixture f(16, 16);
    ASSERT_TRUE(f.gl.ok());
    SolidBrush brush;
    brush.colour[0] = 0;
    brush.colour[1] = 255;
    brush.colour[2] = 0;
    brush.colour[3] = 128;
    beginOverlay(f.overlay);
    drawBrushRect(f.overlay, 4, 4, 8, 12, &brush);
    endOverlay(f.overlay);
    const Rgba inside = readPixel(f.gl.readPixels(), 16, 5, 10);
    EXPECT_NEAR(inside[0], 127, 1);
    EXPECT_NEAR(inside[1], 128, 1);
    EXPECT_NEAR(inside[2], 127, 1);
    EXPECT_EQ(f.gl.pixel(8, 10), 0xFF00FFFFu);  // the right edge is exclusive
    EXPECT_EQ(f.gl.pixel(5, 12), 0xFF00FFFFu);
}

TEST_F(Overlays, NullOverlayOrBrushDrawsNothing)
{
    OverlayFixture f(16, 16);
    ASSERT_TRUE(f.gl.ok());
    Brush* brush = createSkinBrush(TEXT("button_normal.png"), ownModule(), 5, 5, 5, 5);
    beginOverlay(nullptr);
    drawBrushRect(nullptr, 0, 0, 16, 16, brush);
    beginOverlay(f.overlay);
    drawBrushRect(f.overlay, 0, 0, 16, 16, nullptr);
    Overlay empty{};
    drawBrushRect(&empty, 0, 0, 16, 16, brush);  // no size yet
    endOverlay(f.overlay);
    endOverlay(nullptr);
    const std::vector<std::uint8_t> pixels = f.gl.readPixels();
    for (int i = 0; i < 16 * 16; ++i) ASSERT_EQ(readPixel(pixels, 16, i % 16, i / 16), (Rgba{255, 0, 255, 255}));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    destroyBrush(brush);
}

TEST_F(Overlays, BeginAndEndSetTheOverlayStateAndRestoreTheProjection)
{
    OverlayFixture f(16, 16);
    ASSERT_TRUE(f.gl.ok());
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-2, 2, -3, 3, -1, 1);
    GLfloat scene[16];
    glGetFloatv(GL_PROJECTION_MATRIX, scene);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(1, 2, 3);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);

    beginOverlay(f.overlay);
    GLfloat projection[16], modelview[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(projection[i], i % 5 == 0 ? 1.0f : 0.0f);
        EXPECT_EQ(modelview[i], i % 5 == 0 ? 1.0f : 0.0f);
    }
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    GLint depth = 0;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 2);
    endOverlay(f.overlay);

    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(projection[i], scene[i]);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
