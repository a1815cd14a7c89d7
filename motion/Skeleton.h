#pragma once

#include <cstdint>

#include "motion/Joint.h"

// One loaded motion: the joint tree and one row of channel values per frame. Loaded exactly when
// root is set; a loaded skeleton always has values (possibly of zero length).
//
// Row layout: channel k of frame f is values[f * channelsPerFrame + k]. Channels are numbered in
// file order, depth first, parent before children, each joint's own in CHANNELS order.
struct Skeleton {
    Joint* root;
    std::int32_t frameCount;
    float frameTime;  // seconds per frame, as written
    std::int32_t channelsPerFrame;
    float* values;

    // Allocates the zero-filled value array, then stores the three numbers. Fails, leaving values
    // null and the numbers unchanged, for a negative count or a size of 2^32 bytes or more.
    bool allocValues(std::int32_t frames, float time, std::int32_t perFrame);
    // Whether the value array of that many frames and channels is under 2^32 bytes.
    static bool valuesFit(std::int32_t frames, std::int32_t perFrame);

    // Address of row f; the caller guarantees f < frameCount.
    float* frameValues(std::int32_t f) const;

    // Frees the tree, the values and the record itself (allocated zero-filled with std::calloc).
    static void destroy(Skeleton* skeleton);
};
