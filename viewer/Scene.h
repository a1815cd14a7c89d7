#pragma once

#include <GL/glu.h>
#include <cstdint>

#include "math/Vec3.h"
#include "motion/Skeleton.h"
#include "platform/win32.h"
#include "resources/Image.h"
#include "viewer/OrbitCamera.h"

// The axis of a motion's file that points up. The scene is y-up: a z-up motion is turned a quarter
// about +x, so that its +z is the scene's +y and its +y points away from the viewer (as if the file
// had been written y-up).
enum class UpAxis { Y, Z };

// The pixel format the scene is drawn in: RGBA, double-buffered, 32 colour bits and a 16-bit depth
// buffer; every other size 0.
constexpr PIXELFORMATDESCRIPTOR scenePixelFormat()
{
    PIXELFORMATDESCRIPTOR format{};
    format.nSize = sizeof format;
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 32;
    format.cDepthBits = 16;
    format.iLayerType = PFD_MAIN_PLANE;
    return format;
}

// The 3D part of the viewer's picture: the floor grid and a skeleton's joint spheres and bones,
// drawn with fixed-function OpenGL from display lists that belong to the context current when they
// were made. Scene units are the motion's; the floor lies in the plane y = 0. A Scene serves one
// context at a time, so pictures drawn on several threads take a Scene each.
//
//     scene.rebuildLists(longestBone(skeleton.root));
//     scene.frameWholeSkeleton(camera, skeleton, width, height, margin);
//     scene.draw(&skeleton, camera, false, true);
class Scene {
public:
    Scene() = default;
    // Frees the sphere's quadric and list (the floor list goes with deleteLists or its context).
    ~Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    // The point p of the motion's world (its file's axes) in scene coordinates.
    Vec3 toScene(const Vec3& p) const;

    // The sphere and floor lists for a skeleton whose longest bone is size, made anew in the current
    // context.
    void rebuildLists(float size);
    // Frees both lists in the current context.
    void deleteLists();

    // Clears to the viewer's grey and draws the floor (with showFloor) and the skeleton as posed (when
    // there is one) as the camera sees them through the current projection; with lighting, a light
    // sits at the eye.
    void draw(const Skeleton* skeleton, const OrbitCamera& camera, bool lighting, bool showFloor);

    // The nearest distance, along +z from center, at which every joint of the pose with its sphere
    // shows in a picture width x height through the viewer's field of view but for the margin (a
    // fraction of each half of the picture); 0 when no joint has a place (every value non-finite).
    // front, when asked, is how far the nearest sphere reaches in front of center along +z.
    double fittedDistance(const Skeleton& skeleton, const Vec3& center, std::int32_t width, std::int32_t height,
                          float margin, double* front = nullptr) const;

    // Looks at the whole skeleton as posed, from the direction the viewer frames it from (along -z,
    // +y up), near enough that every joint and its sphere fill the picture but for the margin, and
    // fits the projection's near and far planes to the skeleton and the floor, whatever the units.
    void frameWholeSkeleton(OrbitCamera& camera, const Skeleton& skeleton, std::int32_t width, std::int32_t height,
                            float margin) const;

    UpAxis up = UpAxis::Y;
    std::uint32_t sphereList = 0;     // 0 = none
    GLUquadric* sphereQuadric = nullptr;
    std::uint32_t floorList = 0;      // 0 = none
    std::uint32_t paletteIndex = 0;   // joint colour counter, reset by every draw

private:
    void deleteSphere();
    // The joint marker sphere. False (and no list) when GLU or GL cannot provide it.
    bool buildSphereList(float radius, int slices, int stacks);
    // The floor grid for a skeleton whose longest bone is size.
    void buildFloorList(float size);
    // The joint and everything below it, pre-order, each with the next palette colour.
    void drawJoint(const Joint* joint);
    // drawJoint with the GL matrix stack while it has room for pushesLeft more matrices, then with
    // world matrices computed here.
    void drawJointStacked(const Joint* joint, int pushesLeft);
    void drawJointFlat(const Joint* joint, const Mat4& parentWorld);
    void drawJointMarker();
    static void drawBone(const Joint* child);
    // Calls visit with the scene position of every joint of the pose that has one (a non-finite
    // value puts a joint nowhere).
    template <typename Visit>
    void forEachPlacedJoint(const Skeleton& skeleton, Visit&& visit) const;
};

// The viewer's perspective for a picture width x height (a height of 0 counts as 1), its near and
// far planes scale times the viewer's own.
void setViewerProjection(std::int32_t width, std::int32_t height, float scale = 1.0f);

// The picture last drawn in the current context, width x height, as 8-bit RGBA with the top row
// first and every pixel opaque, as a window is. False when memory runs out.
bool readPicture(Image& image, std::int32_t width, std::int32_t height);
