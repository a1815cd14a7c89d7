#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "motion/Skeleton.h"

// What a dataset builder wants to know of an accepted motion before using it: its counts, how its
// channels are laid out, and the size and orientation of its skeleton.
struct MotionProfile {
    long joints = 0;    // end sites included
    long endSites = 0;
    std::int32_t channels = 0;
    std::int32_t frames = 0;
    float frameTime = 0;  // seconds, as written
    float duration = 0;   // frames x frame time
    // Joints (end sites aside) by their number of channels: 3, 6, or any other.
    long threeChannels = 0, sixChannels = 0, otherChannels = 0;
    // Each rotation order used ("ZXY": a joint's rotation channels in CHANNELS order) with the number of
    // joints that use it, in the order of first use.
    std::vector<std::pair<std::string, long>> rotationOrders;
    // The skeleton's extent along its likely up axis (y or z, whichever it is taller along) at frame 1,
    // or in its rest pose when there is no frame; the likely unit of a humanoid that tall.
    float height = 0;
    const char* up = "y";
    const char* unit = "unknown";  // "centimetres", "metres", "inches" or "unknown"
};

MotionProfile profileOf(const Skeleton& skeleton);
