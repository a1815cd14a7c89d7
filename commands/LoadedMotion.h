#pragma once

#include <cstdint>
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
    // Its parts: the line (0 when the file could not be opened) and the reason.
    std::int64_t refusedLine() const { return line; }
    const std::string& refusalReason() const { return reason; }

private:
    Skeleton* loaded;
    std::string refusalLine;
    std::int64_t line = 0;
    std::string reason;
};
