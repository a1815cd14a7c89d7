#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "commands/Commands.h"
#include "commands/FloatText.h"
#include "commands/JointList.h"
#include "commands/LoadedMotion.h"
#include "commands/OrderedBatches.h"

namespace {

// Text per batch of frames made on one core, at most (or one frame's, when that is more): large
// enough that handing batches between threads costs nothing, small enough that the batches in
// flight stay a few megabytes.
constexpr size_t BATCH_BYTES = size_t{1} << 20;

// A name as written, quoted when it holds a character that CSV gives a meaning; a quote is written
// twice.
std::string csvField(const char* name)
{
    if (std::strpbrk(name, ",\"\r") == nullptr) return name;
    std::string field = "\"";
    for (const char* p = name; *p != '\0'; ++p) {
        if (*p == '"') field += '"';
        field += *p;
    }
    return field += '"';
}

// The rows of one frame: every joint in the order of the joint list, and the fixed middle of its row
// (",joint,name,").
class FrameRows {
public:
    explicit FrameRows(const Skeleton& skeleton) : skeleton(skeleton), list(skeleton)
    {
        for (size_t j = 0; j < list.size(); ++j) {
            std::string middle = ",";  // appended, not "," + ...: GCC 12 warns falsely (-Wrestrict) about that
            middle.append(std::to_string(j)).append(",").append(csvField(list.joints()[j].joint->name)).append(",");
            // frame, the middle, three numbers with their separators and the line end
            textBound += 11 + middle.size() + 3 * (FLOAT_TEXT_MAX + 1);
            middles.push_back(std::move(middle));
        }
    }

    // The most bytes writeFrame writes.
    size_t bound() const { return textBound; }
    // Scratch matrices writeFrame needs, one per joint.
    size_t joints() const { return list.size(); }

    // The rows of frame f (0-based), each joint at its world position.
    char* writeFrame(char* out, std::int32_t f, Mat4* world) const
    {
        char frameText[16];
        const size_t frameLength = size_t(std::to_chars(frameText, frameText + sizeof frameText, std::int64_t{f} + 1).ptr - frameText);
        list.worldTransforms(skeleton.frameValues(f), world);
        for (size_t j = 0; j < middles.size(); ++j) {
            std::memcpy(out, frameText, frameLength);
            out += frameLength;
            std::memcpy(out, middles[j].data(), middles[j].size());
            out += middles[j].size();
            out = writeFloatText(out, world[j].e[12]);
            *out++ = ',';
            out = writeFloatText(out, world[j].e[13]);
            *out++ = ',';
            out = writeFloatText(out, world[j].e[14]);
            *out++ = '\n';
        }
        return out;
    }

private:
    const Skeleton& skeleton;
    JointList list;
    std::vector<std::string> middles;
    size_t textBound = 0;
};

// Writes frames first to last (0-based) on stdout, batches of frames made on all cores.
bool writeFrames(const FrameRows& rows, std::int32_t first, std::int32_t last)
{
    const std::int64_t framesPerBatch = std::max<std::int64_t>(1, std::int64_t(BATCH_BYTES / rows.bound()));
    const std::int64_t frames = std::int64_t{last} - first + 1;
    OrderedBatches batches((frames + framesPerBatch - 1) / framesPerBatch);
    struct Slot {
        std::vector<char> text;
        std::vector<Mat4> world;
        size_t used = 0;
    };
    std::vector<Slot> slots(size_t(batches.slots()));
    for (Slot& slot : slots) {
        slot.text.resize(size_t(framesPerBatch) * rows.bound() + FLOAT_TEXT_ROOM);
        slot.world.resize(rows.joints());
    }
    bool written = true;
    batches.run(
        [&](std::int64_t batch, int s) {
            Slot& slot = slots[size_t(s)];
            const std::int64_t from = first + batch * framesPerBatch;
            const std::int64_t to = std::min<std::int64_t>(from + framesPerBatch - 1, last);
            char* out = slot.text.data();
            for (std::int64_t f = from; f <= to; ++f) out = rows.writeFrame(out, std::int32_t(f), slot.world.data());
            slot.used = size_t(out - slot.text.data());
        },
        [&](int s) {
            const Slot& slot = slots[size_t(s)];
            written = std::fwrite(slot.text.data(), 1, slot.used, stdout) == slot.used;
            return written;
        });
    return written;
}

}  // namespace

int runPositions(const CommandLine& line)
{
    const std::int32_t frame = line.frame.value_or(0);  // 0: every frame
    LoadedMotion motion(line.files[0]);
    if (!motion.ok()) {
        std::fprintf(stderr, "%s\n", motion.refusal().c_str());
        return 1;
    }
    const Skeleton& skeleton = motion.skeleton();
    if (frame > skeleton.frameCount) return frameBeyondLast("--frame", frame, skeleton.frameCount);
    bool written = std::fputs("frame,joint,name,x,y,z\n", stdout) >= 0;
    if (written && skeleton.frameCount > 0) {
        try {
            const FrameRows rows(skeleton);
            written = frame > 0 ? writeFrames(rows, frame - 1, frame - 1) : writeFrames(rows, 0, skeleton.frameCount - 1);
        } catch (const std::bad_alloc&) {
            std::fputs("vexo: out of memory for the positions\n", stderr);
            return 1;
        }
    }
    if (std::fflush(stdout) != 0 || !written) {
        std::perror("vexo: cannot write the positions");
        return 1;
    }
    return 0;
}
