#pragma once

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

// BVH texts for the viewer's tests.

// A root with position channels and one end site one unit above it. Frame f puts the root at
// (f, 10 + f, -f), so a pose tells which row it came from.
inline std::string walkingRoot(int frames)
{
    std::string text =
        "HIERARCHY\nROOT Hips\n{\nOFFSET 0 0 0\nCHANNELS 3 Xposition Yposition Zposition\n"
        "End Site\n{\nOFFSET 0 1 0\n}\n}\nMOTION\nFrames: " +
        std::to_string(frames) + "\nFrame Time: 0.1\n";
    for (int f = 0; f < frames; ++f) {
        text += std::to_string(f) + " " + std::to_string(10 + f) + " " + std::to_string(-f) + "\n";
    }
    return text;
}

// A joint tree for drawing tests: offsets in file units, children in file order.
struct TreeJoint {
    float x, y, z;
    std::vector<TreeJoint> children;
};

// A one-frame motion of the tree whose root sits at the origin turned about +z by turnDegrees
// (its only channel); the other joints have no channels.
inline std::string treeMotion(const TreeJoint& root, float turnDegrees)
{
    std::string text = "HIERARCHY\n";
    int count = 0;
    auto write = [&](auto& self, const TreeJoint& joint, int depth) -> void {
        text += (depth == 0 ? "ROOT j" : "JOINT j") + std::to_string(count++) + "\n{\nOFFSET " +
                std::to_string(joint.x) + " " + std::to_string(joint.y) + " " + std::to_string(joint.z) + "\n" +
                (depth == 0 ? "CHANNELS 1 Zrotation\n" : "CHANNELS 0\n");
        for (const TreeJoint& child : joint.children) self(self, child, depth + 1);
        text += "}\n";
    };
    write(write, root, 0);
    return text + "MOTION\nFrames: 1\nFrame Time: 0.1\n" + std::to_string(turnDegrees) + "\n";
}

struct Point3 {
    float x, y, z;
};

// World positions of the tree's joints in pre-order, for the root at the origin turned about +z.
inline std::vector<Point3> treePositions(const TreeJoint& root, float turnDegrees)
{
    const double turn = turnDegrees * std::numbers::pi / 180.0;
    const double c = std::cos(turn), s = std::sin(turn);
    std::vector<Point3> positions;
    auto walk = [&](auto& self, const TreeJoint& joint, double x, double y, double z) -> void {
        positions.push_back({float(x), float(y), float(z)});
        for (const TreeJoint& child : joint.children) {
            self(self, child, x + c * child.x - s * child.y, y + s * child.x + c * child.y, z + child.z);
        }
    };
    walk(walk, root, 0, 0, 0);  // the root's own offset is ignored: it sits at the origin
    return positions;
}
