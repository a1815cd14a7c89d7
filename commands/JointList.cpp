#include "commands/JointList.h"

#include "motion/Pose.h"

JointList::JointList(const Skeleton& skeleton)
{
    std::int32_t channel = 0;
    add(skeleton.root, -1, channel);
}

void JointList::add(const Joint* joint, std::int32_t parent, std::int32_t& channel)
{
    const std::int32_t index = std::int32_t(listed.size());
    listed.push_back({joint, parent, channel});
    channel += joint->channelCount;
    for (const Joint* child = joint->firstChild; child != nullptr; child = child->nextSibling) add(child, index, channel);
}

void JointList::worldTransforms(const float* values, Mat4* world) const
{
    for (size_t j = 0; j < listed.size(); ++j) {
        const ListedJoint& listedJoint = listed[j];
        const Mat4 local = jointLocal(*listedJoint.joint, values + listedJoint.firstChannel);
        if (listedJoint.parent < 0) {
            world[j] = local;
        } else {
            matMul(world[j], local, world[size_t(listedJoint.parent)]);
        }
    }
}
