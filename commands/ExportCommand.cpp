#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "commands/Commands.h"
#include "commands/FolderWalk.h"
#include "commands/JointList.h"
#include "commands/LoadedMotion.h"
#include "commands/OrderedBatches.h"
#include "commands/Progress.h"
#include "commands/WholeFile.h"
#include "formats/NpzWriter.h"

namespace {

// Bytes of a per-frame array made at a time on one core (or one frame's, when that is more): large
// enough that handing batches between threads costs nothing, small enough that the batches in
// flight stay a few megabytes whatever the motion's size.
constexpr size_t BATCH_BYTES = size_t{1} << 20;

constexpr double PI = 3.141592653589793;

// The frames exported, 0-based: first, first + 1, ..., first + count - 1.
struct FrameRange {
    std::int32_t first;
    std::int32_t count;
};

// A rotation as a unit quaternion (w, x, y, z): Hamilton's product, so that q1 * q2 turns as the
// matrix R1 * R2 does, a vector v turning to q v q*.
struct Quaternion {
    double w = 1, x = 0, y = 0, z = 0;

    // This rotation followed, in the rotated frame, by a right-handed turn of degrees about one axis
    // (this * turn), as the matrices of a joint's rotation channels are multiplied in their order.
    void turn(ChannelKind axis, float degrees)
    {
        const double half = double(degrees) * PI / 360.0;
        const double c = std::cos(half), s = std::sin(half);
        const Quaternion q = *this;
        if (axis == Xrotation) *this = {q.w * c - q.x * s, q.x * c + q.w * s, q.y * c + q.z * s, q.z * c - q.y * s};
        if (axis == Yrotation) *this = {q.w * c - q.y * s, q.x * c - q.z * s, q.y * c + q.w * s, q.z * c + q.x * s};
        if (axis == Zrotation) *this = {q.w * c - q.z * s, q.x * c + q.y * s, q.y * c - q.x * s, q.z * c + q.w * s};
    }
};

// The arrays of one motion, over a range of its frames, written into an archive.
class MotionArrays {
public:
    MotionArrays(const Skeleton& skeleton, FrameRange frames) : skeleton(skeleton), frames(frames), list(skeleton) {}

    // Every array: the per-frame ones made in batches on every core when onEveryCore, else on this
    // thread alone (when files are exported several at a time).
    bool write(NpzWriter& npz, bool onEveryCore) const
    {
        return writePerFrame(npz, "positions", 3, &MotionArrays::positions, onEveryCore) &&
               writePerFrame(npz, "rotations", 4, &MotionArrays::rotations, onEveryCore) &&
               writePerFrame(npz, "translations", 3, &MotionArrays::translations, onEveryCore) && writeSkeleton(npz) &&
               writeChannels(npz) &&
               npz.writeArray("frame_time", NpyType::float32(), {}, &skeleton.frameTime);
    }

private:
    // Writes one frame's values of a per-frame array, values being the frame's row; world is scratch
    // room for one matrix per joint.
    using MakeFrame = void (MotionArrays::*)(const float* values, float* out, Mat4* world) const;

    struct Slot {
        std::vector<float> data;
        std::vector<Mat4> world;
        size_t floats = 0;  // made
    };

    // The world positions: the same floats as --positions writes, made the same way.
    void positions(const float* values, float* out, Mat4* world) const
    {
        list.worldTransforms(values, world);
        for (size_t j = 0; j < list.size(); ++j, out += 3) std::copy_n(&world[j].e[12], 3, out);
    }

    // Each joint's rotation channels in the file's order as one quaternion; identity without any.
    void rotations(const float* values, float* out, Mat4*) const
    {
        for (const ListedJoint& listed : list.joints()) {
            Quaternion q;
            for (std::int32_t i = 0; i < listed.joint->channelCount; ++i) {
                const ChannelKind kind = listed.joint->channels[i].kind;
                if (isRotation(kind)) q.turn(kind, values[listed.firstChannel + i]);
            }
            *out++ = float(q.w);
            *out++ = float(q.x);
            *out++ = float(q.y);
            *out++ = float(q.z);
        }
    }

    // Each joint's offset plus its position channels, added as pose evaluation adds them.
    void translations(const float* values, float* out, Mat4*) const
    {
        for (const ListedJoint& listed : list.joints()) {
            float t[3] = {listed.joint->offset[0], listed.joint->offset[1], listed.joint->offset[2]};
            for (std::int32_t i = 0; i < listed.joint->channelCount; ++i) {
                const ChannelKind kind = listed.joint->channels[i].kind;
                if (isPosition(kind)) t[kind - Xposition] += values[listed.firstChannel + i];
            }
            out = std::copy_n(t, 3, out);
        }
    }

    void makeBatch(MakeFrame make, std::int64_t framesPerBatch, std::int64_t batch, Slot& slot) const
    {
        const size_t frameFloats = slot.data.size() / size_t(framesPerBatch);
        const std::int64_t from = batch * framesPerBatch, to = std::min<std::int64_t>(from + framesPerBatch, frames.count);
        for (std::int64_t f = from; f < to; ++f) {
            (this->*make)(skeleton.frameValues(frames.first + std::int32_t(f)), slot.data.data() + size_t(f - from) * frameFloats,
                          slot.world.data());
        }
        slot.floats = size_t(to - from) * frameFloats;
    }

    // A float32 array of shape (frames, joints, perJoint), streamed into the archive in frame order.
    bool writePerFrame(NpzWriter& npz, const char* name, std::uint64_t perJoint, MakeFrame make, bool onEveryCore) const
    {
        if (!npz.beginArray(name, NpyType::float32(), {std::uint64_t(frames.count), list.size(), perJoint})) return false;
        const size_t frameFloats = list.size() * perJoint;
        const std::int64_t framesPerBatch = std::max<std::int64_t>(1, std::int64_t(BATCH_BYTES / (frameFloats * sizeof(float))));
        const std::int64_t batches = (frames.count + framesPerBatch - 1) / framesPerBatch;
        const auto newSlot = [&] { return Slot{std::vector<float>(size_t(framesPerBatch) * frameFloats), std::vector<Mat4>(list.size())}; };
        const auto consume = [&](const Slot& slot) { return npz.write(slot.data.data(), slot.floats * sizeof(float)); };
        bool written = true;
        if (onEveryCore) {
            OrderedBatches ordered(batches);
            std::vector<Slot> slots;
            for (int s = 0; s < ordered.slots(); ++s) slots.push_back(newSlot());
            ordered.run([&](std::int64_t batch, int s) { makeBatch(make, framesPerBatch, batch, slots[size_t(s)]); },
                        [&](int s) { return written = consume(slots[size_t(s)]); });
        } else {
            Slot slot = newSlot();
            for (std::int64_t batch = 0; batch < batches && written; ++batch) {
                makeBatch(make, framesPerBatch, batch, slot);
                written = consume(slot);
            }
        }
        return written && npz.endArray();
    }

    bool writeSkeleton(NpzWriter& npz) const
    {
        std::vector<float> offsets;
        std::vector<std::int32_t> parents;
        std::vector<std::string> names;
        std::vector<char> endSites;
        for (const ListedJoint& listed : list.joints()) {
            offsets.insert(offsets.end(), listed.joint->offset, listed.joint->offset + 3);
            parents.push_back(listed.parent);
            names.push_back(listed.joint->name);
            endSites.push_back(listed.joint->channels == nullptr);  // only end sites have no CHANNELS line
        }
        const std::uint64_t joints = list.size();
        return npz.writeArray("offsets", NpyType::float32(), {joints, 3}, offsets.data()) &&
               npz.writeArray("parents", NpyType::int32(), {joints}, parents.data()) && npz.writeTexts("names", names) &&
               npz.writeArray("end_sites", NpyType::boolean(), {joints}, endSites.data());
    }

    // The stored values as they are, with each channel's name and joint.
    bool writeChannels(NpzWriter& npz) const
    {
        std::vector<std::string> names;
        std::vector<std::int32_t> joints;
        for (size_t j = 0; j < list.size(); ++j) {
            const Joint& joint = *list.joints()[j].joint;
            for (std::int32_t i = 0; i < joint.channelCount; ++i) {
                names.push_back(joint.channels[i].name);
                joints.push_back(std::int32_t(j));
            }
        }
        const std::uint64_t perFrame = std::uint64_t(skeleton.channelsPerFrame);
        const float* rows = skeleton.values + size_t(frames.first) * perFrame;
        return npz.writeArray("channels", NpyType::float32(), {std::uint64_t(frames.count), perFrame}, rows) &&
               npz.writeTexts("channel_names", names) &&
               npz.writeArray("channel_joints", NpyType::int32(), {joints.size()}, joints.data());
    }

    const Skeleton& skeleton;
    FrameRange frames;
    JointList list;
};

// Writes the arrays of the frames to output, whole or not at all: "" when written, else the line
// that says why not.
std::string exportMotion(const Skeleton& skeleton, FrameRange frames, LPCWSTR output, bool compress, bool onEveryCore)
{
    WholeFile file(output);
    FILE* stream = file.open();
    if (stream == nullptr) return file.failure();
    try {
        NpzWriter npz(stream, compress ? NpzWriter::Compression::Deflated : NpzWriter::Compression::Stored);
        if (!MotionArrays(skeleton, frames).write(npz, onEveryCore) || !npz.finish()) {
            return "vexo: cannot write " + toUtf8(output) + ": " + npz.failure();
        }
    } catch (const std::bad_alloc&) {
        return "vexo: out of memory for the arrays of " + toUtf8(output);
    }
    return file.commit() ? std::string() : file.failure();
}

// The frames --from and --to select (default: all); or, when one names a frame beyond the motion's
// last, that option and its frame.
struct FrameChoice {
    FrameRange frames{0, 0};
    const char* beyond = nullptr;
    std::int32_t frame = 0;
};

FrameChoice chooseFrames(const CommandLine& line, std::int32_t frameCount)
{
    if (line.from && *line.from > frameCount) return {{0, 0}, "--from", *line.from};
    if (line.to && *line.to > frameCount) return {{0, 0}, "--to", *line.to};
    const std::int32_t first = line.from.value_or(1), last = line.to.value_or(frameCount);
    return {{first - 1, last - first + 1}};
}

int exportOneArchive(const CommandLine& line)
{
    const LoadedMotion motion(line.files[0]);
    if (!motion.ok()) {
        std::fprintf(stderr, "%s\n", motion.refusal().c_str());
        return 1;
    }
    const Skeleton& skeleton = motion.skeleton();
    const FrameChoice choice = chooseFrames(line, skeleton.frameCount);
    if (choice.beyond != nullptr) return frameBeyondLast(choice.beyond, choice.frame, skeleton.frameCount);
    const std::string failure = exportMotion(skeleton, choice.frames, line.output, line.compress, true);
    if (failure.empty()) return 0;
    std::fprintf(stderr, "%s\n", failure.c_str());
    return 1;
}

// ===== Many motions into a directory =====

// The archive's path below the directory: the file's relative path with .npz for its .bvh (or
// after its name, when it has another).
WideText archivePath(LPCWSTR directory, const WideText& relative)
{
    constexpr WideTextView BVH = TEXT(".bvh");
    const size_t stem = hasExtension(relative, BVH) ? relative.size() - BVH.size() : relative.size();
    return joinPath(directory, relative.substr(0, stem) + TEXT(".npz"));
}

// The folders of a relative path (joined with the platform's separator) below directory, made
// where missing.
bool ensureFolders(LPCWSTR directory, const WideText& relative)
{
    for (size_t end = 0; (end = relative.find(VEXO_PATH_SEPARATOR, end + 1)) != WideText::npos;) {
        if (!ensureDirectory(joinPath(directory, relative.substr(0, end)).c_str())) return false;
    }
    return true;
}

// One archive per file. Two files that would be written to the same archive (files named alike in
// different folders) must not overwrite one another: the later one is left out, and said so.
struct Export {
    WideText archive;
    std::string clash;  // why it is left out, or ""
};

std::vector<Export> plannedExports(LPCWSTR directory, const std::vector<MotionFile>& files)
{
    std::vector<Export> exports;
    std::map<WideText, size_t> taken;
    for (size_t f = 0; f < files.size(); ++f) {
        Export planned{archivePath(directory, files[f].relative), {}};
        const auto [first, fresh] = taken.emplace(planned.archive, f);
        if (!fresh) {
            planned.clash = "vexo: " + toUtf8(files[f].path.c_str()) + " is not exported: " +
                            toUtf8(files[first->second].path.c_str()) + " is written to " + toUtf8(planned.archive.c_str());
        }
        exports.push_back(std::move(planned));
    }
    return exports;
}

// Reads one file and writes its archive; "" or what went wrong.
std::string exportFile(const CommandLine& line, const MotionFile& file, const Export& planned, int readerThreads)
{
    if (!planned.clash.empty()) return planned.clash;
    const LoadedMotion motion(file.path.c_str(), BvhReader::Keep::AllFrames, readerThreads);
    if (!motion.ok()) return motion.refusal();
    const Skeleton& skeleton = motion.skeleton();
    const FrameChoice choice = chooseFrames(line, skeleton.frameCount);
    if (choice.beyond != nullptr) {
        return "vexo: " + toUtf8(file.path.c_str()) + ": " + frameBeyondLastText(choice.beyond, choice.frame, skeleton.frameCount);
    }
    if (!ensureFolders(line.output, file.relative)) {
        return "vexo: cannot make the folders of " + toUtf8(planned.archive.c_str());
    }
    return exportMotion(skeleton, choice.frames, planned.archive.c_str(), line.compress, readerThreads == 0);
}

int exportIntoDirectory(const CommandLine& line)
{
    const FolderWalk walk = walkArguments(line.files);
    int status = reportFolders(walk);
    const std::vector<MotionFile>& files = walk.files;
    if (files.empty()) return status;
    const std::string directory = toUtf8(line.output);
    if (!ensureDirectory(line.output)) {
        std::fprintf(stderr, "vexo: cannot write into the directory %s\n", directory.c_str());
        return 1;
    }
    const std::vector<Export> exports = plannedExports(line.output, files);
    const int readerThreads = readerThreadsFor(files);
    OrderedBatches batches(std::int64_t(files.size()), FILES_AHEAD_PER_WORKER);
    std::vector<std::string> failures(size_t(batches.slots()));
    Progress progress(std::int64_t(files.size()), "files", totalBytes(files));
    size_t next = 0, written = 0;  // the file whose outcome comes next; the archives written
    batches.run(
        [&](std::int64_t f, int slot) { failures[size_t(slot)] = exportFile(line, files[size_t(f)], exports[size_t(f)], readerThreads); },
        [&](int slot) {
            const std::string& failure = failures[size_t(slot)];
            if (failure.empty()) {
                ++written;
            } else {
                status = 1;
                progress.wipe();
                std::fprintf(stderr, "%s\n", failure.c_str());
            }
            progress.advance(files[next++].bytes);
            return true;
        });
    progress.wipe();
    std::fprintf(stderr, "vexo: exported %zu of %zu motions to %s in %.2f s\n", written, files.size(), directory.c_str(),
                 progress.seconds());
    return status;
}

}  // namespace

int runExport(const CommandLine& line)
{
    return exportsOneArchive(line.output) ? exportOneArchive(line) : exportIntoDirectory(line);
}
