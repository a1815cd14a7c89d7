// A long session in one Viewer: a thousand loads, good and refused files alternating, the skeleton
// growing and shrinking, playback toggled (so the play button's icon texture comes and goes), a
// frame drawn after each. After every cycle of loads the program's own heap blocks, the live GL
// display lists and textures, and the entries of the texture and font caches are back to the same
// counts. The heap is the program's own (AllocationCounter): Mesa's llvmpipe keeps rendering pools
// that rise and fall by megabytes, and it loses a few hundred bytes with every display list it
// compiles, however the list is deleted. Under AddressSanitizer the heap is left to LeakSanitizer.

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "AllocationCounter.h"
#include "TempFile.h"
#include "ViewerSession.h"
#include "overlay/FontCache.h"
#include "resources/TextureCache.h"

namespace {

// What a session holds: the program's own heap, GL objects alive in the context, cache entries.
struct Footprint {
    std::size_t heapBlocks = 0;
    std::size_t heapBytes = 0;
    int displayLists = 0;
    int textures = 0;
    int textureCacheEntries = 0;
    int fontCacheEntries = 0;

    bool operator==(const Footprint&) const = default;
};

void PrintTo(const Footprint& f, std::ostream* out)
{
    *out << "{heap " << f.heapBlocks << " blocks of " << f.heapBytes << " bytes, " << f.displayLists << " lists, " << f.textures << " textures, "
         << f.textureCacheEntries << " texture and " << f.fontCacheEntries << " font cache entries}";
}

// GL object names in use: every name up to well past the largest one known is asked about, as the
// driver may hand out ever larger names.
template <typename IsName>
int liveNames(GLuint largestKnown, IsName isName)
{
    const GLuint limit = 4096 + 2 * largestKnown;
    int live = 0;
    for (GLuint name = 1; name <= limit; ++name) live += isName(name) == GL_TRUE;
    return live;
}

// heap: counting since the baseline; blocks of the program allocated before it and still alive are
// not seen, which is no matter as long as the session returns to the same state.
Footprint footprintOf(const Viewer& viewer, const AllocationCounter& heap)
{
    Footprint f;
    f.heapBlocks = heap.ourLiveBlocks();
    f.heapBytes = heap.ourLiveBytes();
    GLuint largestTexture = 0;
    for (std::uint32_t b = 0; b < TextureCache::BUCKET_COUNT; ++b) {
        for (const Texture* t = textureCache.bucketHead(b); t != nullptr; t = t->next) {
            ++f.textureCacheEntries;
            largestTexture = std::max<GLuint>(largestTexture, t->glName);
        }
    }
    GLuint largestList = std::max(viewer.scene.floorList, viewer.scene.sphereList);
    for (std::uint32_t b = 0; b < FontCache::BUCKET_COUNT; ++b) {
        for (const FontCacheEntry* e = fontCache.bucketHead(b); e != nullptr; e = e->next) {
            ++f.fontCacheEntries;
            largestList = std::max<GLuint>(largestList, e->font.listBase + 256);
        }
    }
    f.displayLists = liveNames(largestList, [](GLuint n) { return glIsList(n); });
    f.textures = liveNames(largestTexture, [](GLuint n) { return glIsTexture(n); });
    return f;
}

// A tree of joints: a spine of `spine` joints, each with an arm of `arm` joints, every joint with
// three rotation channels, and `frames` rows of values.
std::string branchingMotion(int spine, int arm, int frames)
{
    std::string text = "HIERARCHY\nROOT Hips\n{\nOFFSET 0 0 0\nCHANNELS 6 Xposition Yposition Zposition "
                       "Zrotation Xrotation Yrotation\n";
    int channels = 6;
    const auto joint = [&](const std::string& name, const char* offset) {
        text += "JOINT " + name + "\n{\nOFFSET " + offset + "\nCHANNELS 3 Zrotation Xrotation Yrotation\n";
        channels += 3;
    };
    for (int s = 0; s < spine; ++s) {
        joint("spine" + std::to_string(s), "0 2 0");
        for (int a = 0; a < arm; ++a) joint("arm" + std::to_string(s) + "_" + std::to_string(a), "1.5 0 0");
        text += "End Site\n{\nOFFSET 1 0 0\n}\n";
        for (int a = 0; a < arm; ++a) text += "}\n";
    }
    text += "End Site\n{\nOFFSET 0 1 0\n}\n";
    for (int s = 0; s < spine; ++s) text += "}\n";
    text += "}\nMOTION\nFrames: " + std::to_string(frames) + "\nFrame Time: 0.0333\n";
    for (int f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) text += std::to_string((f * 7 + c * 3) % 40 - 20) + (c + 1 < channels ? " " : "\n");
    }
    return text;
}

std::vector<std::string> malformedFiles()
{
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(VEXO_MALFORMED_DIR)) {
        if (entry.path().extension() == ".bvh") files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

using LongSession = ViewerSession;

}  // namespace

TEST_F(LongSession, AThousandLoadsLeaveNothingBehind)
{
    const TempFile small(branchingMotion(1, 0, 3));
    const TempFile large(branchingMotion(12, 4, 40));
    const std::vector<std::string> refused = malformedFiles();
    ASSERT_GE(refused.size(), 100u);

    constexpr int LOADS = 1000;
    constexpr int LOADS_PER_CYCLE = 4;
    constexpr int WARM_UP_CYCLES = 2;  // the driver sets up its state on first use
    std::size_t nextRefused = 0;
    const auto loadRefused = [&] {
        drop(refused[nextRefused++ % refused.size()]);
        ASSERT_TRUE(viewer.motionLoaded());
        viewer.render();
    };
    const auto loadGood = [&](const TempFile& file, int channels) {
        drop(file.fsPath().string());
        ASSERT_TRUE(viewer.motionLoaded());
        ASSERT_EQ(viewer.skeleton->channelsPerFrame, channels);
        viewer.setPaused(false);  // the button's icon becomes the pause image
        for (int i = 0; i < 3; ++i) viewer.tick(0.008);
        viewer.render();
        viewer.setPaused(true);
        viewer.render();
    };

    // Each refused file once first: what the reader sets up on first use (the C locale that unusual
    // numbers are converted in) is made once for the process, not per load.
    loadGood(small, 9);
    for (std::size_t i = 0; i < refused.size(); ++i) loadRefused();
    nextRefused = 0;

    std::unique_ptr<AllocationCounter> heap;
    Footprint baseline;
    for (int cycle = 0; cycle < LOADS / LOADS_PER_CYCLE; ++cycle) {
        loadGood(small, 9);  // shrinks the skeleton shown before
        loadRefused();
        loadGood(large, 6 + 3 * 12 * 5);  // grows it
        loadRefused();
        if (cycle + 1 < WARM_UP_CYCLES) continue;
        if (cycle + 1 == WARM_UP_CYCLES) {
            heap = std::make_unique<AllocationCounter>();
            baseline = footprintOf(viewer, *heap);
            EXPECT_GT(baseline.displayLists, 2) << "the scene's lists and the font's glyphs";
            EXPECT_GT(baseline.textures, 3) << "the control bar's skins and icon";
            continue;
        }
        Footprint now = footprintOf(viewer, *heap);
        if (cycle + 1 == WARM_UP_CYCLES + 1) {
            // The motion and icon made since the baseline replace those made before it.
            if (AllocationCounter::available()) {
                EXPECT_GT(now.heapBlocks, 100u);
            }
            baseline.heapBlocks = now.heapBlocks;
            baseline.heapBytes = now.heapBytes;
        }
        ASSERT_EQ(now, baseline) << "after " << (cycle + 1) * LOADS_PER_CYCLE << " loads";
    }
    EXPECT_TRUE(!AllocationCounter::available() || heap->tracksEveryBlock());
    EXPECT_EQ(nextRefused, std::size_t{LOADS / 2});
}
