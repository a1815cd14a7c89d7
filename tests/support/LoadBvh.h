#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "TempFile.h"
#include "motion/BvhReader.h"

struct SkeletonDeleter {
    void operator()(Skeleton* s) const { Skeleton::destroy(s); }
};
using SkeletonPtr = std::unique_ptr<Skeleton, SkeletonDeleter>;

// The outcome of reading BVH text through a real file.
struct LoadResult {
    SkeletonPtr skeleton;
    std::int64_t line = 0;
    std::string reason;

    bool ok() const { return skeleton->root != nullptr; }
};

inline LoadResult loadBvhFile(const WCHAR* path, BvhReader::Keep keep = BvhReader::Keep::AllFrames)
{
    LoadResult result;
    result.skeleton.reset(static_cast<Skeleton*>(std::calloc(1, sizeof(Skeleton))));
    BvhReader reader;
    reader.read(path, *result.skeleton, keep);
    result.line = reader.refusedLine();
    result.reason = reader.refusalReason();
    return result;
}

inline LoadResult loadBvh(std::string_view text)
{
    TempFile file(text);
    return loadBvhFile(file.path());
}
