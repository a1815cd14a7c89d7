// Feeds each input to BvhReader as a whole file, opened by path like any file the user picks (so
// mapped, with its CR LF line ends read as LF), then checks the model it built or the refusal it
// recorded. A broken invariant aborts with a message; libFuzzer reports it as a crash.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "FuzzCheck.h"
#include "FuzzInputFile.h"
#include "motion/BvhReader.h"
#include "motion/Pose.h"

namespace {

bool isEndSite(const Joint* joint)
{
    return std::strncmp(joint->keyword, "End", 3) == 0 && std::strncmp(joint->name, "Site", 4) == 0;
}

ChannelKind kindNamed(const char* name)
{
    const char* const names[] = {"Xposition", "Yposition", "Zposition", "Xrotation", "Yrotation", "Zrotation"};
    for (std::uint32_t i = 0; i < 6; ++i) {
        if (std::strcmp(name, names[i]) == 0) return static_cast<ChannelKind>(i + 1);
    }
    return Unrecognized;
}

struct TreeTotals {
    std::int64_t channels = 0;
    std::int64_t joints = 0;
};

void checkJoint(const Joint* joint, int depth, TreeTotals& totals)
{
    FUZZ_CHECK(depth <= BvhReader::MAX_NESTING_DEPTH);
    FUZZ_CHECK(joint->keyword != nullptr && joint->name != nullptr);
    // Only an end site has no CHANNELS line, and only a CHANNELS line gives channels.
    FUZZ_CHECK((joint->channels == nullptr) == isEndSite(joint));
    FUZZ_CHECK(joint->channelCount >= 0);
    if (joint->channels == nullptr) FUZZ_CHECK(joint->channelCount == 0);
    for (std::int32_t i = 0; i < joint->channelCount; ++i) {
        FUZZ_CHECK(joint->channels[i].name != nullptr);
        FUZZ_CHECK(joint->channels[i].kind == kindNamed(joint->channels[i].name));
    }
    totals.channels += joint->channelCount;
    ++totals.joints;

    FUZZ_CHECK((joint->firstChild == nullptr) == (joint->lastChild == nullptr));
    const Joint* previous = nullptr;
    for (const Joint* child = joint->firstChild; child != nullptr; child = child->nextSibling) {
        FUZZ_CHECK(child->prevSibling == previous);
        FUZZ_CHECK(child != joint);
        checkJoint(child, depth + 1, totals);
        previous = child;
    }
    FUZZ_CHECK(joint->lastChild == previous);
}

// Physical lines of the text: LF-terminated ones plus a last one without LF.
std::int64_t countLines(const std::uint8_t* data, size_t size)
{
    std::int64_t lines = 0;
    for (size_t i = 0; i < size; ++i) lines += data[i] == '\n';
    return lines + (size > 0 && data[size - 1] != '\n');
}

// Posing every frame costs frames x (joints + channels), which grows with the square of the input
// (a long CHANNELS line and many short frame lines). Past this much work only evenly spaced frames,
// always including the first and the last, are posed, so each input still runs in bounded time.
constexpr std::int64_t POSE_WORK_BUDGET = std::int64_t{1} << 22;

void checkPoses(Skeleton& skeleton, const TreeTotals& totals)
{
    FUZZ_CHECK(evaluatePose(skeleton.root, nullptr) == nullptr);
    if (skeleton.frameCount == 0) return;
    const std::int64_t perFrame = totals.joints + totals.channels;
    const std::int64_t affordable = POSE_WORK_BUDGET / perFrame;
    const std::int64_t stride = affordable >= skeleton.frameCount ? 1 : skeleton.frameCount / (affordable + 1) + 1;
    for (std::int64_t f = 0;; f += stride) {
        if (f >= skeleton.frameCount) f = skeleton.frameCount - 1;
        const float* row = skeleton.frameValues(static_cast<std::int32_t>(f));
        FUZZ_CHECK(evaluatePose(skeleton.root, row) == row + skeleton.channelsPerFrame);
        if (f == skeleton.frameCount - 1) break;
    }
}

void checkLoaded(Skeleton& skeleton)
{
    FUZZ_CHECK(std::strcmp(skeleton.root->keyword, "ROOT") == 0);
    TreeTotals totals;
    checkJoint(skeleton.root, 1, totals);
    FUZZ_CHECK(skeleton.channelsPerFrame == totals.channels);
    FUZZ_CHECK(skeleton.frameCount >= 0);
    FUZZ_CHECK(skeleton.values != nullptr);
    const std::int64_t count = std::int64_t{skeleton.frameCount} * skeleton.channelsPerFrame;
    if (count > 0) {
        // Read the last value so that ASan sees whether the array really is that long.
        volatile float last = skeleton.values[count - 1];
        (void)last;
    }
    checkPoses(skeleton, totals);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    static InputFile input;
    input.store(data, size);

    auto* skeleton = static_cast<Skeleton*>(std::calloc(1, sizeof(Skeleton)));
    if (skeleton == nullptr) return 0;
    BvhReader reader;
    if (reader.read(input.path(), *skeleton)) {
        FUZZ_CHECK(skeleton->root != nullptr);
        checkLoaded(*skeleton);
    } else {
        FUZZ_CHECK(skeleton->root == nullptr);
        FUZZ_CHECK(skeleton->values == nullptr);  // a refused file leaves the skeleton untouched
        FUZZ_CHECK(!reader.refusalReason().empty());
        // The file opened, so the refusal names one of its lines or the one just past its end.
        FUZZ_CHECK(reader.refusedLine() >= 1);
        FUZZ_CHECK(reader.refusedLine() <= countLines(data, size) + 1);
    }
    Skeleton::destroy(skeleton);
    return 0;
}
