#include <cstdio>
#include <string>

#include "commands/CommandLine.h"
#include "commands/Commands.h"
#include "commands/FolderWalk.h"
#include "commands/LoadedMotion.h"
#include "commands/OrderedBatches.h"
#include "commands/Progress.h"

namespace {

void countJoints(const Joint* joint, long& joints, long& endSites)
{
    ++joints;
    if (joint->channels == nullptr) ++endSites;  // only end sites have no CHANNELS line
    for (const Joint* child = joint->firstChild; child != nullptr; child = child->nextSibling) {
        countJoints(child, joints, endSites);
    }
}

struct Verdict {
    std::string line;  // "FILE: ok: ..." or the refusal
    bool accepted = false;
};

Verdict check(const MotionFile& file, int readerThreads)
{
    const LoadedMotion motion(file.path.c_str(), BvhReader::Keep::AllFrames, readerThreads);
    if (!motion.ok()) return {motion.refusal(), false};
    const Skeleton& skeleton = motion.skeleton();
    long joints = 0, endSites = 0;
    countJoints(skeleton.root, joints, endSites);
    char counts[160];
    std::snprintf(counts, sizeof counts, ": ok: joints=%ld end_sites=%ld channels=%d frames=%d frame_time=%g", joints,
                  endSites, skeleton.channelsPerFrame, skeleton.frameCount, skeleton.frameTime);
    return {toUtf8(file.path.c_str()) + counts, true};
}

}  // namespace

int runCheck(const CommandLine& line)
{
    const FolderWalk walk = walkArguments(line.files);
    int status = reportFolders(walk);
    const std::vector<MotionFile>& files = walk.files;
    const int readerThreads = readerThreadsFor(files);
    OrderedBatches batches(std::int64_t(files.size()));
    std::vector<Verdict> verdicts(size_t(batches.slots()));
    Progress progress(std::int64_t(files.size()), "files", totalBytes(files));
    size_t next = 0;  // the file whose verdict comes next
    batches.run([&](std::int64_t f, int slot) { verdicts[size_t(slot)] = check(files[size_t(f)], readerThreads); },
                [&](int slot) {
                    const Verdict& verdict = verdicts[size_t(slot)];
                    if (!verdict.accepted) status = 1;
                    progress.wipe();
                    const bool written = std::puts(verdict.line.c_str()) >= 0;
                    progress.advance(files[next++].bytes);
                    return written;
                });
    return status;
}
