// Shared textures on a real GL context: reference counts, one GL texture per locator, bucket
// chains, and what an upload leaves in OpenGL.

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "OffscreenGl.h"
#include "OwnResource.h"
#include "resources/Image.h"
#include "resources/TextureCache.h"
#include "resources/WideText.h"

namespace {

const WideText PLAY_LOCATOR = ownResource(TEXT("play.png"));
const WCHAR* const PLAY = PLAY_LOCATOR.c_str();

class TextureCacheTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { gl = new OffscreenGl(16, 16); }
    static void TearDownTestSuite()
    {
        delete gl;
        gl = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(gl->ok()); }
    void TearDown() override
    {
        textureCache.clear();
        EXPECT_EQ(entryCount(), 0);
    }

    static int entryCount()
    {
        int count = 0;
        for (std::uint32_t bucket = 0; bucket < TextureCache::BUCKET_COUNT; ++bucket) {
            for (Texture* t = textureCache.bucketHead(bucket); t != nullptr; t = t->next) ++count;
        }
        return count;
    }

    static OffscreenGl* gl;
};

OffscreenGl* TextureCacheTest::gl = nullptr;

TEST(LocatorHash, DoublesAndAddsEachCodeUnit)
{
    EXPECT_EQ(locatorHash(TEXT("")), 0u);
    EXPECT_EQ(locatorHash(TEXT("abc")), 683u);
    EXPECT_EQ(locatorHash(TEXT("abc")) % TextureCache::BUCKET_COUNT, 7u);
    // 33 units: the first one's contribution has been doubled out of the 32 bits.
    EXPECT_EQ(locatorHash(TEXT("zaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa")), locatorHash(TEXT("aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa")));
}

TEST_F(TextureCacheTest, OneLocatorSharesOneGlTexture)
{
    std::int32_t width = 0, height = 0;
    Texture* first = textureCache.acquire(PLAY, &width, &height);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(width, 16);
    EXPECT_EQ(height, 16);
    width = height = 0;
    Texture* second = textureCache.acquire(PLAY, &width, &height);
    EXPECT_EQ(second, first);
    EXPECT_EQ(first->refCount, 2);
    EXPECT_EQ(width, 16);
    EXPECT_EQ(textureCache.find(PLAY), first);
    EXPECT_EQ(entryCount(), 1);

    const GLuint name = textureGlName(first);
    ASSERT_NE(name, 0u);
    EXPECT_TRUE(glIsTexture(name));
    EXPECT_TRUE(textureCache.release(first));
    EXPECT_TRUE(glIsTexture(name));
    EXPECT_EQ(textureCache.find(PLAY), first);
    EXPECT_TRUE(textureCache.release(first));
    EXPECT_FALSE(glIsTexture(name));
    EXPECT_EQ(textureCache.find(PLAY), nullptr);
    EXPECT_FALSE(textureCache.release(nullptr));
    EXPECT_EQ(textureGlName(nullptr), 0u);
}

TEST_F(TextureCacheTest, LocatorsDifferingInCaseAreTwoEntries)
{
    Texture* lower = textureCache.acquire(PLAY, nullptr, nullptr);
    Texture* upper = textureCache.acquire(ownResource(TEXT("PLAY.PNG")).c_str(), nullptr, nullptr);
    ASSERT_NE(lower, nullptr);
    ASSERT_NE(upper, nullptr);
    EXPECT_NE(lower, upper);
    EXPECT_NE(textureGlName(lower), textureGlName(upper));
    EXPECT_EQ(lower->refCount, 1);
    EXPECT_EQ(upper->refCount, 1);
    EXPECT_EQ(entryCount(), 2);
}

// Three locators of the program's play icon that land in one bucket: case variants of the name,
// which all name the same resource.
std::vector<WideText> threeInOneBucket()
{
    std::vector<WideText> buckets[TextureCache::BUCKET_COUNT];
    const WideText name = TEXT("play.png");
    for (unsigned mask = 0; mask < (1u << name.size()); ++mask) {
        WideText variant = name;
        for (std::size_t i = 0; i < name.size(); ++i) {
            if ((mask >> i & 1) != 0 && variant[i] >= TEXT('a')) variant[i] = WCHAR(variant[i] - 32);
        }
        const WideText locator = ownResource(variant.c_str());
        std::vector<WideText>& bucket = buckets[locatorHash(locator.c_str()) % TextureCache::BUCKET_COUNT];
        if (std::find(bucket.begin(), bucket.end(), locator) == bucket.end()) bucket.push_back(locator);
        if (bucket.size() == 3) return bucket;
    }
    return {};
}

TEST_F(TextureCacheTest, ReleasingTheHeadOfABucketKeepsTheRestInOrder)
{
    const std::vector<WideText> locators = threeInOneBucket();
    ASSERT_EQ(locators.size(), 3u);
    Texture* entries[3];
    for (int i = 0; i < 3; ++i) ASSERT_NE(entries[i] = textureCache.acquire(locators[i].c_str(), nullptr, nullptr), nullptr);
    const std::uint32_t bucket = entries[0]->hash % TextureCache::BUCKET_COUNT;
    // New entries go to the front: the chain is 2, 1, 0.
    ASSERT_EQ(textureCache.bucketHead(bucket), entries[2]);

    ASSERT_TRUE(textureCache.release(entries[2]));
    EXPECT_EQ(textureCache.bucketHead(bucket), entries[1]);
    EXPECT_EQ(entries[1]->prev, nullptr);
    EXPECT_EQ(entries[1]->next, entries[0]);
    EXPECT_EQ(entries[0]->prev, entries[1]);
    EXPECT_EQ(textureCache.find(locators[0].c_str()), entries[0]);
    EXPECT_EQ(textureCache.find(locators[1].c_str()), entries[1]);
    EXPECT_EQ(textureCache.find(locators[2].c_str()), nullptr);

    // And the last of the chain, then the only one.
    ASSERT_TRUE(textureCache.release(entries[0]));
    EXPECT_EQ(entries[1]->next, nullptr);
    ASSERT_TRUE(textureCache.release(entries[1]));
    EXPECT_EQ(textureCache.bucketHead(bucket), nullptr);
}

TEST_F(TextureCacheTest, LocatorsThatGiveNoImageLeaveTheCacheUnchanged)
{
    Texture* kept = textureCache.acquire(PLAY, nullptr, nullptr);
    ASSERT_NE(kept, nullptr);
    const WideText refused[] = {
        TEXT("res://0x0040000/play.png"),  // 7 digits
        ownResource(TEXT("missing.png")),  // no such resource
        TEXT("res://0x10000000/play.png"), // no such module
        TEXT("RES") + ownResource(TEXT("play.png")).substr(3),  // a file path that does not exist
        TEXT("file:///nonexistent/play.png"),
        TEXT("file://"),
    };
    for (const WideText& text : refused) {
        const WCHAR* locator = text.c_str();
        std::int32_t width = -7, height = -7;
        EXPECT_EQ(textureCache.acquire(locator, &width, &height), nullptr);
        EXPECT_EQ(width, -7);
        EXPECT_EQ(height, -7);
        EXPECT_EQ(textureCache.find(locator), nullptr);
    }
    EXPECT_EQ(entryCount(), 1);
    EXPECT_EQ(kept->refCount, 1);
    EXPECT_EQ(textureCache.acquire(nullptr, nullptr, nullptr), nullptr);
}

TEST_F(TextureCacheTest, ClearDestroysEveryEntryWhateverItsReferences)
{
    std::vector<GLuint> names;
    for (const WCHAR* name : {TEXT("play.png"), TEXT("pause.png"), TEXT("button_normal.png"), TEXT("button_press.png"),
                                 TEXT("slider_body.png"), TEXT("slider_thumb.png")}) {
        const WideText locator = ownResource(name);
        Texture* texture = textureCache.acquire(locator.c_str(), nullptr, nullptr);
        ASSERT_NE(texture, nullptr);
        textureCache.acquire(locator.c_str(), nullptr, nullptr);
        names.push_back(textureGlName(texture));
    }
    EXPECT_EQ(entryCount(), 6);
    textureCache.clear();
    for (std::uint32_t bucket = 0; bucket < TextureCache::BUCKET_COUNT; ++bucket) {
        EXPECT_EQ(textureCache.bucketHead(bucket), nullptr);
    }
    for (GLuint name : names) EXPECT_FALSE(glIsTexture(name));
}

TEST_F(TextureCacheTest, UploadKeepsThePixelsTopRowFirstWithLinearFilters)
{
    std::uint32_t name = 0;
    std::int32_t width = 0, height = 0;
    ASSERT_TRUE(createTextureFromResource(ownModule(), TEXT("slider_body.png"), &name, &width, &height));
    EXPECT_EQ(width, 8);
    EXPECT_EQ(height, 4);
    GLint bound = 0, magnify = 0, minify = 0, format = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), name);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magnify);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minify);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_EQ(magnify, GL_LINEAR);
    EXPECT_EQ(minify, GL_LINEAR);
    EXPECT_EQ(format, 4);  // four components, reported as given

    std::vector<BYTE> texels(8 * 4 * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    Image image;
    ASSERT_TRUE(image.loadPngResource(ownModule(), TEXT("slider_body.png")));
    EXPECT_EQ(0, std::memcmp(texels.data(), image.pixels, texels.size()));
    // Row t = 0 is the top of the picture: white there, dark at the bottom.
    EXPECT_EQ(texels[4 * 3], 255);
    EXPECT_EQ(texels[3 * 32 + 4 * 3], 128);

    const GLuint uploaded = name;
    glDeleteTextures(1, &uploaded);
}

TEST_F(TextureCacheTest, FailedUploadsMakeNoTexture)
{
    std::uint32_t name = 99;
    std::int32_t width = -1, height = -1;
    EXPECT_FALSE(createTextureFromResource(ownModule(), TEXT("missing.png"), &name, &width, &height));
    EXPECT_EQ(name, 99u);
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);
    EXPECT_FALSE(createTextureFromFile(TEXT("/nonexistent.png"), &name, &width, &height));
    EXPECT_EQ(name, 99u);
}

}  // namespace
