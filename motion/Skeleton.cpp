#include "motion/Skeleton.h"

#include <cstdlib>

#include "platform/win32.h"

bool Skeleton::valuesFit(std::int32_t frames, std::int32_t perFrame)
{
    const std::uint64_t bytes = std::uint64_t(frames) * std::uint64_t(perFrame) * sizeof(float);
    return frames >= 0 && perFrame >= 0 && bytes < (std::uint64_t{1} << 32);
}

bool Skeleton::allocValues(std::int32_t frames, float time, std::int32_t perFrame)
{
    if (!valuesFit(frames, perFrame)) return false;
    const size_t count = size_t(frames) * size_t(perFrame);
    // One element at least, so that a zero-length array is still allocated.
    auto* array = static_cast<float*>(std::calloc(count > 0 ? count : 1, sizeof(float)));
    if (array == nullptr) return false;
    // A large motion's rows are all written right after this: large pages make that cheaper.
    VexoPreferLargePages(array, count * sizeof(float));
    values = array;
    frameCount = frames;
    frameTime = time;
    channelsPerFrame = perFrame;
    return true;
}

float* Skeleton::frameValues(std::int32_t f) const
{
    return values + std::int64_t(f) * channelsPerFrame;
}

void Skeleton::destroy(Skeleton* skeleton)
{
    if (skeleton == nullptr) return;
    Joint::free(skeleton->root);
    std::free(skeleton->values);
    std::free(skeleton);
}
