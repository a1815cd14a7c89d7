#include "motion/Pose.h"

#include "math/Vec3.h"

namespace {

constexpr double PI = 3.141592653589793;

float radians(float degrees)
{
    return static_cast<float>(degrees * PI / 180.0);
}

}  // namespace

Mat4 jointLocal(const Joint& joint, const float* values)
{
    float t[3] = {joint.offset[0], joint.offset[1], joint.offset[2]};
    Mat4 local = Mat4::identity();
    for (std::int32_t i = 0; i < joint.channelCount; ++i) {
        const float v = values != nullptr ? values[i] : 0.0f;
        switch (joint.channels[i].kind) {
        case Xposition: t[0] += v; break;
        case Yposition: t[1] += v; break;
        case Zposition: t[2] += v; break;
        case Xrotation: matMul(local, Mat4::axisAngle(1, 0, 0, -radians(v)), local); break;
        case Yrotation: matMul(local, Mat4::axisAngle(0, 1, 0, -radians(v)), local); break;
        case Zrotation: matMul(local, Mat4::axisAngle(0, 0, 1, -radians(v)), local); break;
        case Unrecognized: break;
        }
    }
    local.e[12] = t[0];
    local.e[13] = t[1];
    local.e[14] = t[2];
    return local;
}

const float* evaluatePose(Joint* joint, const float* values)
{
    joint->local = jointLocal(*joint, values);
    if (values != nullptr) values += joint->channelCount;
    for (Joint* child = joint->firstChild; child != nullptr; child = child->nextSibling) {
        values = evaluatePose(child, values);
    }
    return values;
}

float longestBone(const Joint* joint)
{
    float best = 0.0f;
    for (const Joint* child = joint->firstChild; child != nullptr; child = child->nextSibling) {
        const float d = Vec3{child->offset[0], child->offset[1], child->offset[2]}.length();
        if (best < d) best = d;
        const float b = longestBone(child);
        if (best < b) best = b;
    }
    return best;
}
