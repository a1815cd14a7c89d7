// Brushes hold one reference each to the shared texture of their locator.

#include <gtest/gtest.h>

#include "OffscreenGl.h"
#include "OwnResource.h"
#include "resources/Brush.h"

namespace {

const WideText PLAY_LOCATOR = ownResource(TEXT("play.png"));
const WCHAR* const PLAY = PLAY_LOCATOR.c_str();

class BrushTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(gl.ok()); }
    void TearDown() override { textureCache.clear(); }

    OffscreenGl gl{16, 16};
};

TEST_F(BrushTest, ImageBrushStretchesThePlayIcon)
{
    Brush* brush = createImageBrush(PLAY);
    ASSERT_NE(brush, nullptr);
    EXPECT_EQ(brush->kind, BrushKind::Stretch);
    std::int32_t width = 0, height = 0;
    EXPECT_TRUE(brushSize(brush, &width, &height));
    EXPECT_EQ(width, 16);
    EXPECT_EQ(height, 16);
    EXPECT_NE(textureGlName(brush->texture), 0u);
    destroyBrush(brush);
    EXPECT_EQ(textureCache.find(PLAY), nullptr);
}

TEST_F(BrushTest, SkinBrushIsANineSliceOfTheProgramsResource)
{
    Brush* brush = createSkinBrush(TEXT("button_normal.png"), ownModule(), 5, 4, 3, 2);
    ASSERT_NE(brush, nullptr);
    ASSERT_EQ(brush->kind, BrushKind::NineSlice);
    const auto* nine = static_cast<NineSliceBrush*>(brush);
    EXPECT_EQ(nine->left, 5);
    EXPECT_EQ(nine->top, 4);
    EXPECT_EQ(nine->right, 3);
    EXPECT_EQ(nine->bottom, 2);
    std::int32_t width = 0, height = 0;
    EXPECT_TRUE(brushSize(brush, &width, &height));
    EXPECT_EQ(width, 32);
    EXPECT_EQ(height, 16);
    EXPECT_EQ(textureCache.find(ownResource(TEXT("button_normal.png")).c_str()), brush->texture);
    destroyBrush(brush);
}

TEST_F(BrushTest, BrushesOfOneLocatorShareItsTextureUntilTheLastGoes)
{
    Brush* first = createImageBrush(PLAY);
    Brush* second = createNineSliceBrush(PLAY, 1, 1, 1, 1);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->texture, second->texture);
    EXPECT_EQ(first->texture->refCount, 2);
    const GLuint name = textureGlName(first->texture);

    destroyBrush(first);
    EXPECT_EQ(second->texture->refCount, 1);
    EXPECT_TRUE(glIsTexture(name));
    destroyBrush(second);
    EXPECT_FALSE(glIsTexture(name));
    EXPECT_EQ(textureCache.find(PLAY), nullptr);
}

TEST_F(BrushTest, NoImageNoBrush)
{
    EXPECT_EQ(createImageBrush(ownResource(TEXT("missing.png")).c_str()), nullptr);
    EXPECT_EQ(createNineSliceBrush(TEXT("res://0x0040000/play.png"), 1, 1, 1, 1), nullptr);
    EXPECT_EQ(createSkinBrush(TEXT("missing.png"), ownModule(), 5, 5, 5, 5), nullptr);
    for (std::uint32_t bucket = 0; bucket < TextureCache::BUCKET_COUNT; ++bucket) {
        EXPECT_EQ(textureCache.bucketHead(bucket), nullptr);
    }
    std::int32_t width = 3, height = 3;
    EXPECT_FALSE(brushSize(nullptr, &width, &height));
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);
    destroyBrush(nullptr);
}

}  // namespace
