// Writes a BVH motion of a skeleton with many joints, for the picture benchmarks: a root with five
// limbs, each a chain of five joints ending in five fingers of five joints (151 joints and 25 end
// sites), waving for 300 frames at 30 frames per second while the root drifts forward. Units are
// those of the sample (decimetres), so the viewer's framing shows all of it.
//
// Usage: many_joints_motion OUTPUT.bvh

#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr int LIMBS = 5;
constexpr int CHAIN = 5;
constexpr int FINGERS = 5;
constexpr int FINGER_JOINTS = 5;
constexpr int FRAMES = 300;
constexpr double PI = 3.141592653589793;

int joints = 0;  // written so far, the root included

void indent(std::FILE* out, int depth)
{
    for (int i = 0; i < depth; ++i) std::fputc('\t', out);
}

// A chain of `length` joints, each `step` from its parent along the direction (dx, dy); the last
// joint ends in an end site, or in the fingers when it is a limb's.
void writeChain(std::FILE* out, int depth, int length, double step, double dx, double dy, bool limb)
{
    if (length == 0) {
        if (limb) {
            for (int finger = 0; finger < FINGERS; ++finger) {
                const double angle = std::atan2(dy, dx) + (finger - FINGERS / 2) * 0.35;
                writeChain(out, depth, FINGER_JOINTS, step * 0.4, std::cos(angle), std::sin(angle), false);
            }
        } else {
            indent(out, depth);
            std::fprintf(out, "End Site\n");
            indent(out, depth);
            std::fprintf(out, "{\n");
            indent(out, depth + 1);
            std::fprintf(out, "OFFSET %.4f %.4f 0.0000\n", dx * step, dy * step);
            indent(out, depth);
            std::fprintf(out, "}\n");
        }
        return;
    }
    indent(out, depth);
    std::fprintf(out, "JOINT j%d\n", joints++);
    indent(out, depth);
    std::fprintf(out, "{\n");
    indent(out, depth + 1);
    std::fprintf(out, "OFFSET %.4f %.4f 0.0000\n", dx * step, dy * step);
    indent(out, depth + 1);
    std::fprintf(out, "CHANNELS 3 Zrotation Xrotation Yrotation\n");
    writeChain(out, depth + 1, length - 1, step, dx, dy, limb);
    indent(out, depth);
    std::fprintf(out, "}\n");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: many_joints_motion OUTPUT.bvh\n", stderr);
        return 2;
    }
    std::FILE* out = std::fopen(argv[1], "w");
    if (out == nullptr) return 1;
    std::fprintf(out, "HIERARCHY\nROOT root\n{\n\tOFFSET 0.0000 0.0000 0.0000\n");
    std::fprintf(out, "\tCHANNELS 6 Xposition Yposition Zposition Zrotation Xrotation Yrotation\n");
    joints = 1;
    for (int limb = 0; limb < LIMBS; ++limb) {
        const double angle = PI / 2 + 2 * PI * limb / LIMBS;  // the first limb points up
        writeChain(out, 1, CHAIN, 1.2, std::cos(angle), std::sin(angle), true);
    }
    std::fprintf(out, "}\nMOTION\nFrames: %d\nFrame Time: 0.033333\n", FRAMES);
    for (int frame = 0; frame < FRAMES; ++frame) {
        const double t = frame / 30.0;
        std::fprintf(out, "%.4f 10.0000 %.4f %.4f 0.0000 0.0000", 0.5 * std::sin(t), 0.2 * frame, 5 * std::sin(t));
        for (int joint = 1; joint < joints; ++joint) {
            std::fprintf(out, " %.4f %.4f %.4f", 8 * std::sin(2 * t + joint * 0.3), 6 * std::cos(t + joint * 0.1),
                         4 * std::sin(t + joint));
        }
        std::fputc('\n', out);
    }
    std::fprintf(stderr, "many_joints_motion: %d joints, %d frames\n", joints, FRAMES);
    return std::fclose(out) == 0 ? 0 : 1;
}
