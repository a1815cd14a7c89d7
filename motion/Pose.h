#pragma once

#include "motion/Joint.h"

// Writes every joint's local transform for one frame row and returns the address just past the
// last value used; from the root it consumes exactly channelsPerFrame values. Per joint:
// local = T * R0 * R1 * ..., where T moves by the offset plus the position channels and R0 belongs
// to the first rotation channel listed (degrees, each a right-handed turn about its axis).
// Null values evaluate the rest pose (every value 0.0) and return null; a motion without frames
// has no row and is shown that way. Allocates nothing.
const float* evaluatePose(Joint* joint, const float* values);

// The local transform evaluatePose gives one joint from its own channels' values, which start at
// values (null: every value 0.0); the joint itself is not changed.
Mat4 jointLocal(const Joint& joint, const float* values);

// The greatest offset length of any joint below this one (its own offset does not count), or 0.0
// when it has no children.
float longestBone(const Joint* joint);
