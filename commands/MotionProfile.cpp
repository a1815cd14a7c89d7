#include "commands/MotionProfile.h"

#include <algorithm>
#include <cmath>

#include "motion/Pose.h"

namespace {

// Heights of standing adults (1 to 2.5 m) in each unit; the ranges do not overlap.
struct UnitRange {
    const char* unit;
    float low, high;
};
constexpr UnitRange HUMAN_HEIGHTS[] = {{"metres", 1.0f, 2.5f}, {"inches", 39.0f, 99.0f}, {"centimetres", 100.0f, 250.0f}};

// The order of a joint's rotation channels, "" when it has none.
std::string rotationOrder(const Joint& joint)
{
    std::string order;
    for (std::int32_t i = 0; i < joint.channelCount; ++i) {
        const ChannelKind kind = joint.channels[i].kind;
        if (isRotation(kind)) order += char('X' + (kind - Xrotation));
    }
    return order;
}

void addOrder(MotionProfile& profile, const std::string& order)
{
    auto& orders = profile.rotationOrders;
    const auto used = std::find_if(orders.begin(), orders.end(), [&](const auto& entry) { return entry.first == order; });
    if (used != orders.end()) ++used->second;
    else orders.emplace_back(order, 1);
}

// The lowest and highest world coordinates of the joints along y and z.
struct Extent {
    float low[2] = {INFINITY, INFINITY};
    float high[2] = {-INFINITY, -INFINITY};
};

// Counts the joint and those below it, and takes in their positions: world = parent's world x local
// for the frame's row (null: the rest pose), which each joint's channels follow in.
const float* addJoint(const Joint& joint, const Mat4& parentWorld, const float* values, MotionProfile& profile, Extent& extent)
{
    ++profile.joints;
    if (joint.channels == nullptr) {
        ++profile.endSites;  // only end sites have no CHANNELS line
    } else {
        if (joint.channelCount == 3) ++profile.threeChannels;
        else if (joint.channelCount == 6) ++profile.sixChannels;
        else ++profile.otherChannels;
        if (const std::string order = rotationOrder(joint); !order.empty()) addOrder(profile, order);
    }
    Mat4 world;
    matMul(world, jointLocal(joint, values), parentWorld);
    for (int axis = 0; axis < 2; ++axis) {
        extent.low[axis] = std::min(extent.low[axis], world.e[13 + axis]);
        extent.high[axis] = std::max(extent.high[axis], world.e[13 + axis]);
    }
    if (values != nullptr) values += joint.channelCount;
    for (const Joint* child = joint.firstChild; child != nullptr; child = child->nextSibling) {
        values = addJoint(*child, world, values, profile, extent);
    }
    return values;
}

}  // namespace

MotionProfile profileOf(const Skeleton& skeleton)
{
    MotionProfile profile;
    profile.channels = skeleton.channelsPerFrame;
    profile.frames = skeleton.frameCount;
    profile.frameTime = skeleton.frameTime;
    profile.duration = float(double(skeleton.frameCount) * double(skeleton.frameTime));
    Extent extent;
    addJoint(*skeleton.root, Mat4::identity(), skeleton.frameCount > 0 ? skeleton.frameValues(0) : nullptr, profile, extent);
    const float tall[2] = {extent.high[0] - extent.low[0], extent.high[1] - extent.low[1]};
    const bool zUp = tall[1] > tall[0];
    profile.up = zUp ? "z" : "y";
    profile.height = tall[zUp];
    for (const UnitRange& range : HUMAN_HEIGHTS) {
        if (profile.height >= range.low && profile.height <= range.high) profile.unit = range.unit;
    }
    return profile;
}
