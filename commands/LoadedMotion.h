#pragma once

#include <string>

#include "motion/BvhReader.h"
#include "motion/Skeleton.h"
#include "platform/win32.h"

// A BVH file read for a command-line job: the skeleton when accepted, else the refusal line
// "FILE:LINE: refused: REASON". threads: how many the reader may use, 0 for as many as it finds worth it.
class LoadedMotion {
public:
    explicit LoadedMotion(LPCWSTR path, BvhReader::Keep keep = BvhReader::Keep::AllFrames, int threads = 0);
    ~LoadedMotion();
    LoadedMotion(const LoadedMotion&) = delete;
    LoadedMotion& operator=(const LoadedMotion&) = delete;

    bool ok() const { return loaded != nullptr && loaded->root != nullptr; }
    Skeleton& skeleton() const { return *loaded; }
    // Hands the accepted skeleton over to the caller.
    Skeleton* release();
    const std::string& refusal() const { return refusalLine; }

private:
    Skeleton* loaded;
    std::string refusalLine;
};
