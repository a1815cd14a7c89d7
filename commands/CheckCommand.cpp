#include <cstdio>

#include "commands/CommandLine.h"
#include "commands/Commands.h"
#include "commands/LoadedMotion.h"

namespace {

void countJoints(const Joint* joint, long& joints, long& endSites)
{
    ++joints;
    if (joint->channels == nullptr) ++endSites;  // only end sites have no CHANNELS line
    for (const Joint* child = joint->firstChild; child != nullptr; child = child->nextSibling) {
        countJoints(child, joints, endSites);
    }
}

}  // namespace

int runCheck(const std::vector<LPCWSTR>& files)
{
    int status = 0;
    for (LPCWSTR file : files) {
        LoadedMotion motion(file);
        if (!motion.ok()) {
            std::puts(motion.refusal().c_str());
            status = 1;
            continue;
        }
        const Skeleton& skeleton = motion.skeleton();
        long joints = 0, endSites = 0;
        countJoints(skeleton.root, joints, endSites);
        std::printf("%s: ok: joints=%ld end_sites=%ld channels=%d frames=%d frame_time=%g\n", toUtf8(file).c_str(),
                    joints, endSites, skeleton.channelsPerFrame, skeleton.frameCount, skeleton.frameTime);
    }
    return status;
}
