#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "math/Mat4.h"
#include "motion/Skeleton.h"

// A skeleton's joints in pre-order, the root first and end sites included: the order of the rows of
// --positions and of the joints of an export. Each with its parent's index (-1 for the root) and the
// index of its first channel in a frame's row.
struct ListedJoint {
    const Joint* joint;
    std::int32_t parent;
    std::int32_t firstChannel;
};

class JointList {
public:
    explicit JointList(const Skeleton& skeleton);

    const std::vector<ListedJoint>& joints() const { return listed; }
    size_t size() const { return listed.size(); }

    // Every joint's world transform at one frame, values being its row: world = world(parent) *
    // local, the root's world its local transform exactly. A joint's position is its world
    // translation (e[12], e[13], e[14]).
    void worldTransforms(const float* values, Mat4* world) const;

private:
    void add(const Joint* joint, std::int32_t parent, std::int32_t& channel);

    std::vector<ListedJoint> listed;
};
