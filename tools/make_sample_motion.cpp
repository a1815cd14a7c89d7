// Writes the sample motion shipped in assets/samples: a procedurally generated walk of a 21-joint
// humanoid, 8 strides of one second each, walking along +z (its left is +x, y is up).
// The figure is modelled in centimetres and written in decimetres: the viewer frames a motion from
// 25 units away, where a figure 17 units tall fills half the view. Angles are degrees.
//
// Usage: make_sample_motion OUTPUT.bvh

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "math/Mat4.h"
#include "math/Vec3.h"

namespace {

constexpr double PI = 3.141592653589793;
constexpr int FRAMES = 240;
constexpr int FRAMES_PER_STRIDE = 30;  // 240 frames hold exactly 8 strides, so the walk loops
constexpr const char* FRAME_TIME = "0.033333";
constexpr double FILE_UNITS_PER_CENTIMETRE = 0.1;
constexpr const char* TABS = "\t\t\t\t\t\t\t\t\t\t";  // more than the deepest line needs

enum Bone {
    Hips,
    LeftUpLeg, LeftLeg, LeftFoot, LeftToeBase,
    RightUpLeg, RightLeg, RightFoot, RightToeBase,
    Spine, Spine1, Neck, Head,
    LeftShoulder, LeftArm, LeftForeArm, LeftHand,
    RightShoulder, RightArm, RightForeArm, RightHand,
    BONE_COUNT
};

struct BoneInfo {
    const char* name;
    int parent;         // -1 for the root
    Vec3 offset;
    bool hasEndSite;
    Vec3 endSite;
};

// Rest pose: standing upright, arms hanging, feet flat with soles at y = 0 when Hips is at 92.
// Listed in depth-first file order, so the channels of a frame line follow this table.
constexpr BoneInfo BONES[BONE_COUNT] = {
    {"Hips", -1, {0, 0, 0}, false, {}},
    {"LeftUpLeg", Hips, {9, -7, 0}, false, {}},
    {"LeftLeg", LeftUpLeg, {0, -39, 0}, false, {}},
    {"LeftFoot", LeftLeg, {0, -38, 0}, false, {}},
    {"LeftToeBase", LeftFoot, {0, -6.5f, 12.5f}, true, {0, -1.5f, 6}},
    {"RightUpLeg", Hips, {-9, -7, 0}, false, {}},
    {"RightLeg", RightUpLeg, {0, -39, 0}, false, {}},
    {"RightFoot", RightLeg, {0, -38, 0}, false, {}},
    {"RightToeBase", RightFoot, {0, -6.5f, 12.5f}, true, {0, -1.5f, 6}},
    {"Spine", Hips, {0, 10, -1}, false, {}},
    {"Spine1", Spine, {0, 18, 0}, false, {}},
    {"Neck", Spine1, {0, 26, 1}, false, {}},
    {"Head", Neck, {0, 12, 1}, true, {0, 14, 0}},
    {"LeftShoulder", Spine1, {3, 21, 0}, false, {}},
    {"LeftArm", LeftShoulder, {15, 1, -1}, false, {}},
    {"LeftForeArm", LeftArm, {0, -29, 0}, false, {}},
    {"LeftHand", LeftForeArm, {0, -26, 0}, true, {0, -18, 0}},
    {"RightShoulder", Spine1, {-3, 21, 0}, false, {}},
    {"RightArm", RightShoulder, {-15, 1, -1}, false, {}},
    {"RightForeArm", RightArm, {0, -29, 0}, false, {}},
    {"RightHand", RightForeArm, {0, -26, 0}, true, {0, -18, 0}},
};

// The heel, in the foot's own frame: the ankle sits 8 above the sole when the foot is flat.
constexpr Vec3 HEEL = {0, -8, -4};

// Right-handed turns, applied like the channels Zrotation Xrotation Yrotation: local = Rz * Rx * Ry.
struct Rotation {
    double z = 0, x = 0, y = 0;
};

struct Frame {
    Vec3 root;  // the Hips position channels
    std::array<Rotation, BONE_COUNT> turn;
};

double radians(double degrees)
{
    return degrees * PI / 180.0;
}

double positivePart(double v)
{
    return v > 0 ? v : 0;
}

// One leg at its own phase: the thigh is furthest forward (heel strike) at phase pi/2 and furthest
// back (toe off) at -pi/2; it swings forward in between. The pelvis turn is undone so that the
// thigh swings in the walking direction.
void poseLeg(Frame& frame, Bone upLeg, double phase)
{
    const Rotation& pelvis = frame.turn[Hips];
    const double thighForward = 5 + 16 * std::sin(phase);
    const double swing = positivePart(std::cos(phase + 0.4));
    const double loading = positivePart(std::cos(phase - 2.2));  // the knee gives after heel strike
    const double knee = 5 + 55 * swing * swing + 12 * loading * loading;
    const double heelStrike = std::pow(positivePart(std::sin(phase)), 2);
    const double pushOff = std::pow(positivePart(std::cos(phase + 2.0)), 4);
    // A positive turn about x swings a hanging limb backward, and tips the toes down.
    frame.turn[upLeg] = {-pelvis.z, -thighForward - pelvis.x, -pelvis.y};
    frame.turn[upLeg + 1] = {0, knee, 0};
    frame.turn[upLeg + 2] = {0, thighForward - knee - 12 * heelStrike + 8 * pushOff, 0};
    frame.turn[upLeg + 3] = {0, -8 * pushOff, 0};
}

// One arm, swinging against the leg of its own side. mirror is -1 for the right side, whose turns
// about y and z are the left's mirrored.
void poseArm(Frame& frame, Bone shoulder, double phase, double mirror)
{
    const double forward = 2 - 16 * std::sin(phase);
    const double elbow = 15 + 15 * positivePart(-std::sin(phase));
    frame.turn[shoulder] = {0, 0, mirror * 2 * std::sin(phase)};
    frame.turn[shoulder + 1] = {mirror * 7, -forward, 0};
    frame.turn[shoulder + 2] = {0, -elbow, 0};
    frame.turn[shoulder + 3] = {0, -5, 0};
}

// The turns of every bone at a phase of the stride; the root position is settled later.
Frame pose(double phase)
{
    Frame frame;
    // The pelvis leads the forward leg, drops on the side of the swinging leg and tilts twice a stride.
    frame.turn[Hips] = {-4 * std::cos(phase), 3 + 1.5 * std::sin(2 * phase), -5 * std::sin(phase)};
    frame.root = {static_cast<float>(-2 * std::cos(phase)), 0, 0};  // sway over the standing leg
    poseLeg(frame, LeftUpLeg, phase);
    poseLeg(frame, RightUpLeg, phase + PI);
    // The chest turns against the pelvis; the head keeps looking ahead.
    frame.turn[Spine] = {3 * std::cos(phase), -3, 4 * std::sin(phase)};
    frame.turn[Spine1] = {1 * std::cos(phase), 0, 5 * std::sin(phase)};
    frame.turn[Neck] = {0, 2, -2 * std::sin(phase)};
    frame.turn[Head] = {0, -1.5 * std::sin(2 * phase), -2 * std::sin(phase)};
    poseArm(frame, LeftShoulder, phase, 1);
    poseArm(frame, RightShoulder, phase + PI, -1);
    return frame;
}

// As the viewer builds it from the channels: T * Rz * Rx * Ry.
Mat4 localMatrix(Bone bone, const Frame& frame)
{
    Mat4 m = Mat4::identity();
    const Rotation& r = frame.turn[bone];
    const double turns[3][4] = {{0, 0, 1, r.z}, {1, 0, 0, r.x}, {0, 1, 0, r.y}};
    for (const auto& t : turns) {
        const float angle = static_cast<float>(-radians(t[3]));  // axisAngle turns the other way
        matMul(m, Mat4::axisAngle(float(t[0]), float(t[1]), float(t[2]), angle), m);
    }
    const Vec3 base = bone == Hips ? frame.root : BONES[bone].offset;  // the root's offset is zero
    m.e[12] = base.x;
    m.e[13] = base.y;
    m.e[14] = base.z;
    return m;
}

std::array<Mat4, BONE_COUNT> worldMatrices(const Frame& frame)
{
    std::array<Mat4, BONE_COUNT> world;
    for (int b = 0; b < BONE_COUNT; ++b) {
        const Mat4 local = localMatrix(Bone(b), frame);
        if (BONES[b].parent < 0) world[b] = local;
        else matMul(world[b], local, world[BONES[b].parent]);
    }
    return world;
}

Vec3 pointIn(const Mat4& space, Vec3 p)
{
    p.transformPoint(space);
    return p;
}

// The points of a foot that can touch the floor: heel, ball and toe tip.
struct Sole {
    Vec3 points[3];
    int lowest;  // index of the point touching the floor when this foot is the lower one

    float height() const { return points[lowest].y; }
};

Sole sole(const std::array<Mat4, BONE_COUNT>& world, Bone foot, Bone toe)
{
    Sole s{{pointIn(world[foot], HEEL), pointIn(world[toe], {0, 0, 0}), pointIn(world[toe], BONES[toe].endSite)}, 0};
    for (int i = 1; i < 3; ++i) {
        if (s.points[i].y < s.points[s.lowest].y) s.lowest = i;
    }
    return s;
}

// Settles the root so that the lower foot touches the floor (which gives the hip its bob) and the
// point it stands on does not slide (which gives the forward travel, rolling from heel to toe).
void placeRoots(std::array<Frame, FRAMES>& frames)
{
    std::array<Sole, FRAMES> left, right;
    for (int f = 0; f < FRAMES; ++f) {
        const auto world = worldMatrices(frames[f]);
        left[f] = sole(world, LeftFoot, LeftToeBase);
        right[f] = sole(world, RightFoot, RightToeBase);
    }
    float travelled = 0;
    for (int f = 0; f < FRAMES; ++f) {
        const auto& standing = left[f].height() <= right[f].height() ? left : right;
        const int contact = standing[f].lowest;
        if (f > 0) travelled += standing[f - 1].points[contact].z - standing[f].points[contact].z;
        frames[f].root.y = -standing[f].height();
        frames[f].root.z = travelled;
    }
}

// Six decimals, with no "-0.000000".
void writeNumber(std::FILE* out, double v)
{
    const double rounded = std::round(v * 1e6) / 1e6;
    std::fprintf(out, "%.6f", rounded == 0 ? 0.0 : rounded);
}

// A length of the model, in the file's units.
void writeLength(std::FILE* out, double centimetres)
{
    writeNumber(out, centimetres * FILE_UNITS_PER_CENTIMETRE);
}

void writeOffset(std::FILE* out, int depth, Vec3 offset)
{
    std::fprintf(out, "%.*sOFFSET ", depth, TABS);
    writeLength(out, offset.x);
    std::fputc(' ', out);
    writeLength(out, offset.y);
    std::fputc(' ', out);
    writeLength(out, offset.z);
    std::fputc('\n', out);
}

void writeBone(std::FILE* out, int bone, int depth)
{
    const BoneInfo& info = BONES[bone];
    std::fprintf(out, "%.*s%s %s\n%.*s{\n", depth, TABS, bone == Hips ? "ROOT" : "JOINT", info.name, depth, TABS);
    writeOffset(out, depth + 1, info.offset);
    std::fprintf(out, "%.*sCHANNELS %s\n", depth + 1, TABS,
                 bone == Hips ? "6 Xposition Yposition Zposition Zrotation Xrotation Yrotation"
                              : "3 Zrotation Xrotation Yrotation");
    for (int child = 0; child < BONE_COUNT; ++child) {
        if (BONES[child].parent == bone) writeBone(out, child, depth + 1);
    }
    if (info.hasEndSite) {
        std::fprintf(out, "%.*sEnd Site\n%.*s{\n", depth + 1, TABS, depth + 1, TABS);
        writeOffset(out, depth + 2, info.endSite);
        std::fprintf(out, "%.*s}\n", depth + 1, TABS);
    }
    std::fprintf(out, "%.*s}\n", depth, TABS);
}

// One line: the root's position, then each bone's turns in CHANNELS order.
void writeFrame(std::FILE* out, const Frame& frame)
{
    writeLength(out, frame.root.x);
    for (double v : {frame.root.y, frame.root.z}) {
        std::fputc(' ', out);
        writeLength(out, v);
    }
    for (const Rotation& r : frame.turn) {
        for (double v : {r.z, r.x, r.y}) {
            std::fputc(' ', out);
            writeNumber(out, v);
        }
    }
    std::fputc('\n', out);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: make_sample_motion OUTPUT.bvh\n", stderr);
        return 2;
    }
    static std::array<Frame, FRAMES> frames;
    for (int f = 0; f < FRAMES; ++f) frames[f] = pose(2 * PI * f / FRAMES_PER_STRIDE);
    placeRoots(frames);

    std::FILE* out = std::fopen(argv[1], "wb");  // binary: LF line ends on every platform
    if (out == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    std::fputs("HIERARCHY\n", out);
    writeBone(out, Hips, 0);
    std::fprintf(out, "MOTION\nFrames: %d\nFrame Time: %s\n", FRAMES, FRAME_TIME);
    for (const Frame& frame : frames) writeFrame(out, frame);
    const bool failed = std::ferror(out) != 0;
    if (std::fclose(out) != 0 || failed) {
        std::fprintf(stderr, "make_sample_motion: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
