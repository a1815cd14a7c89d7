// The viewer's 3D scene: the two display lists, one picture of floor and skeleton, framing the whole
// skeleton, and reading the picture back. Scene units are those of the BVH file, +y up once turned.

#include "viewer/Scene.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "motion/Pose.h"

namespace {

// Joint k in pre-order takes entry k mod 12. Entries 6 and 8 are the same colour.
constexpr GLubyte PALETTE[12][3] = {
    {128, 0, 0}, {255, 0, 0},   {0, 128, 0},   {0, 255, 0},   {0, 0, 128},   {0, 0, 255},
    {128, 128, 0}, {255, 128, 0}, {128, 128, 0}, {128, 255, 0}, {128, 0, 128}, {128, 0, 255},
};

constexpr GLfloat CLEAR_GREY = 0.6f;
constexpr GLdouble FIELD_OF_VIEW_DEGREES = 75.0;
constexpr GLdouble NEAR_PLANE = static_cast<GLdouble>(0.1f);
constexpr GLdouble FAR_PLANE = 1000.0;
constexpr GLfloat LIGHT_AMBIENT[4] = {0.5f, 0.5f, 0.5f, 1.0f};
constexpr GLfloat LIGHT_DIFFUSE[4] = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr int SPHERE_SLICES = 32;
constexpr int SPHERE_STACKS = 32;
constexpr float FLOOR_CELLS_PER_BONE = 0.5f;
constexpr float FLOOR_CELLS_ACROSS = 30.0f;  // in bone lengths: half extent is 15 bones

// A z-up motion's world in scene coordinates: (x, y, z) becomes (x, z, -y).
constexpr Mat4 Z_UP_TURN{{1, 0, 0, 0, 0, 0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1}};

// Calls visit with the world position (under parentWorld, when given) of the joint and of every
// joint below it, pre-order.
template <typename Visit>
void forEachJointPosition(const Joint* joint, const Mat4* parentWorld, Visit&& visit)
{
    Mat4 world = joint->local;
    if (parentWorld != nullptr) matMul(world, joint->local, *parentWorld);
    visit(Vec3{world.e[12], world.e[13], world.e[14]});
    for (const Joint* child = joint->firstChild; child != nullptr; child = child->nextSibling) {
        forEachJointPosition(child, &world, visit);
    }
}

bool isFinite(const Vec3& p)
{
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

double tanHalfFieldOfView()
{
    return std::tan(FIELD_OF_VIEW_DEGREES / 2.0 * std::numbers::pi / 180.0);
}

}  // namespace

Scene::~Scene()
{
    deleteSphere();
}

Vec3 Scene::toScene(const Vec3& p) const
{
    if (up == UpAxis::Y) return p;  // untouched, non-finite values too
    return {p.x, p.z, -p.y};
}

// ---- Drawing ------------------------------------------------------------------------------------

void Scene::draw(const Skeleton* skeleton, const OrbitCamera& camera, bool lighting, bool showFloor)
{
    glDisable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearColor(CLEAR_GREY, CLEAR_GREY, CLEAR_GREY, 1.0f);
    glClearDepth(1.0);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDisable(GL_BLEND);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);

    // Set while the modelview matrix is still the identity: the light's position is taken in eye
    // coordinates, so it moves with the camera. Without GL_COLOR_MATERIAL, lit surfaces take the
    // default material.
    if (lighting) {
        const Vec3& eye = camera.eye;
        const GLfloat position[4] = {eye.x, eye.y, eye.z, 1.0f};
        glLightfv(GL_LIGHT0, GL_AMBIENT, LIGHT_AMBIENT);
        glLightfv(GL_LIGHT0, GL_DIFFUSE, LIGHT_DIFFUSE);
        glLightfv(GL_LIGHT0, GL_POSITION, position);
        glEnable(GL_LIGHT0);
        glEnable(GL_LIGHTING);
    } else {
        glDisable(GL_LIGHTING);
    }

    glLoadIdentity();
    gluLookAt(camera.eye.x, camera.eye.y, camera.eye.z, camera.center.x, camera.center.y, camera.center.z,
              camera.up.x, camera.up.y, camera.up.z);

    if (floorList != 0 && showFloor) {
        // The floor's quads drawn as outlines: a grid of lines.
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        glCallList(floorList);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    }

    paletteIndex = 0;
    if (skeleton == nullptr || skeleton->root == nullptr) return;
    if (up == UpAxis::Z) glMultMatrixf(Z_UP_TURN.e);
    drawJoint(skeleton->root);
}

// ---- Skeleton -------------------------------------------------------------------------------------
//
// Each joint multiplies its local matrix onto its parent's. The GL modelview stack holds as few as
// 32 matrices while a skeleton may nest 1024 levels, so below the depth the stack can take the walk
// carries the world matrix itself (on the C++ stack, allocating nothing) and loads it.

void Scene::drawJointMarker()
{
    glColor3ubv(PALETTE[paletteIndex]);
    paletteIndex = (paletteIndex + 1) % 12;
    if (sphereList != 0) glCallList(sphereList);
}

void Scene::drawBone(const Joint* child)
{
    glColor4ub(255, 255, 255, 255);
    glBegin(GL_LINES);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(child->local.e[12], child->local.e[13], child->local.e[14]);
    glEnd();
}

void Scene::drawJoint(const Joint* joint)
{
    GLint capacity = 0, used = 0;
    glGetIntegerv(GL_MAX_MODELVIEW_STACK_DEPTH, &capacity);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &used);
    drawJointStacked(joint, capacity - used);
}

void Scene::drawJointStacked(const Joint* joint, int pushesLeft)
{
    if (pushesLeft <= 0) {
        Mat4 parentWorld;
        glGetFloatv(GL_MODELVIEW_MATRIX, parentWorld.e);
        drawJointFlat(joint, parentWorld);
        glLoadMatrixf(parentWorld.e);
        return;
    }
    glPushMatrix();
    glMultMatrixf(joint->local.e);
    drawJointMarker();
    for (const Joint* child = joint->firstChild; child != nullptr; child = child->nextSibling) {
        drawBone(child);
        drawJointStacked(child, pushesLeft - 1);
    }
    glPopMatrix();
}

void Scene::drawJointFlat(const Joint* joint, const Mat4& parentWorld)
{
    Mat4 world;
    matMul(world, joint->local, parentWorld);  // local first, then the parent's
    glLoadMatrixf(world.e);
    drawJointMarker();
    for (const Joint* child = joint->firstChild; child != nullptr; child = child->nextSibling) {
        glLoadMatrixf(world.e);  // the previous child's subtree left its own matrix
        drawBone(child);
        drawJointFlat(child, world);
    }
}

// ---- Framing the whole skeleton -----------------------------------------------------------------

template <typename Visit>
void Scene::forEachPlacedJoint(const Skeleton& skeleton, Visit&& visit) const
{
    forEachJointPosition(skeleton.root, up == UpAxis::Z ? &Z_UP_TURN : nullptr, [&](const Vec3& p) {
        if (isFinite(p)) visit(p);
    });
}

double Scene::fittedDistance(const Skeleton& skeleton, const Vec3& center, std::int32_t width, std::int32_t height,
                             float margin, double* front) const
{
    // Seen from center + (0, 0, distance), a point p with its sphere stays inside the picture but for
    // the margin while (|p.x - center.x| + radius) / depth <= the tangent of the half field of view,
    // scaled by what the margin leaves, horizontally and vertically; depth is distance - (p.z -
    // center.z) - radius. The nearest distance that keeps every joint in frames the skeleton.
    const double radius = longestBone(skeleton.root) / 12.0;
    const double tanHalfHeight = tanHalfFieldOfView() * (1.0 - margin);
    const double tanHalfWidth = tanHalfHeight * width / std::max(height, 1);
    double distance = 0.0, nearest = 0.0;
    forEachPlacedJoint(skeleton, [&](const Vec3& p) {
        const double ahead = double(p.z) - center.z + radius;
        const double across = std::max((std::fabs(double(p.x) - center.x) + radius) / tanHalfWidth,
                                       (std::fabs(double(p.y) - center.y) + radius) / tanHalfHeight);
        distance = std::max(distance, across + ahead);
        nearest = std::max(nearest, ahead);
    });
    if (front != nullptr) *front = nearest;
    return distance;
}

void Scene::frameWholeSkeleton(OrbitCamera& camera, const Skeleton& skeleton, std::int32_t width,
                               std::int32_t height, float margin) const
{
    // The box around the joints that have a place.
    Vec3 low{INFINITY, INFINITY, INFINITY}, high{-INFINITY, -INFINITY, -INFINITY};
    forEachPlacedJoint(skeleton, [&](const Vec3& p) {
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    });
    if (!(low.x <= high.x)) return;  // no joint has a place: the camera stays on the root
    const Vec3 middle{(low.x + high.x) / 2, (low.y + high.y) / 2, (low.z + high.z) / 2};

    double front = 0.0;
    double distance = fittedDistance(skeleton, middle, width, height, margin, &front);
    if (!(distance > front)) distance = front + OrbitCamera::FRAMING_DISTANCE;  // one point, no size
    camera.center = middle;
    camera.eye = {middle.x, middle.y, static_cast<float>(middle.z + distance)};
    camera.up = {0.0f, 1.0f, 0.0f};

    // Near the nearest sphere; far beyond the farthest joint and floor corner.
    const double bone = longestBone(skeleton.root);
    const double radius = bone / 12.0;
    const double nearest = distance - front;
    const Vec3& eye = camera.eye;
    double farthest = distance + (middle.z - low.z) + radius;
    const double floorHalf = bone * FLOOR_CELLS_ACROSS / 2.0;
    for (const double x : {-floorHalf, floorHalf}) {
        for (const double z : {-floorHalf, floorHalf}) {
            farthest = std::max(farthest, std::hypot(x - eye.x, double(eye.y), z - eye.z));
        }
    }
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(FIELD_OF_VIEW_DEGREES, static_cast<GLdouble>(width) / std::max(height, 1), nearest / 2.0,
                   farthest * 1.01);
    glMatrixMode(GL_MODELVIEW);
}

// ---- Display lists --------------------------------------------------------------------------------

void Scene::rebuildLists(float size)
{
    deleteLists();
    buildSphereList(size / 12.0f, SPHERE_SLICES, SPHERE_STACKS);
    buildFloorList(size);
}

void Scene::deleteLists()
{
    deleteSphere();
    if (floorList != 0) glDeleteLists(floorList, 1);
    floorList = 0;
}

void Scene::deleteSphere()
{
    if (sphereQuadric != nullptr) gluDeleteQuadric(sphereQuadric);
    sphereQuadric = nullptr;
    if (sphereList != 0) glDeleteLists(sphereList, 1);
    sphereList = 0;
}

bool Scene::buildSphereList(float radius, int slices, int stacks)
{
    sphereQuadric = gluNewQuadric();
    if (sphereQuadric == nullptr) return false;
    gluQuadricNormals(sphereQuadric, GLU_SMOOTH);
    gluQuadricTexture(sphereQuadric, GL_TRUE);
    sphereList = glGenLists(1);
    if (sphereList == 0) return false;
    glNewList(sphereList, GL_COMPILE);
    gluSphere(sphereQuadric, radius, slices, stacks);
    glEndList();
    return true;
}

void Scene::buildFloorList(float size)
{
    floorList = glGenLists(1);
    if (floorList == 0) return;
    glNewList(floorList, GL_COMPILE);
    // Lit, the floor takes its own normal rather than whatever the previous frame's last sphere left
    // current, so that a frame depends only on the viewer's state.
    glNormal3f(0.0f, 1.0f, 0.0f);
    glBegin(GL_QUADS);
    glColor4ub(64, 64, 64, 255);
    // Coordinates accumulate in single precision with strict comparisons, so some sizes give a 61st
    // row and column. Each step adds a thirtieth of the extent, so the walk always ends.
    const float cell = size * FLOOR_CELLS_PER_BONE;
    const float half = size * FLOOR_CELLS_ACROSS * 0.5f;
    for (float z = -half; z < half; z = z + cell) {
        for (float x = -half; x < half; x = x + cell) {
            glVertex3f(x, 0.0f, z);
            glVertex3f(x + cell, 0.0f, z);
            glVertex3f(x + cell, 0.0f, z + cell);
            glVertex3f(x, 0.0f, z + cell);
        }
    }
    glColor4ub(255, 255, 255, 255);
    glEnd();
    glEndList();
}

// ---- Projection and reading back ------------------------------------------------------------------

void setViewerProjection(std::int32_t width, std::int32_t height, float scale)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(FIELD_OF_VIEW_DEGREES, static_cast<GLdouble>(width) / static_cast<GLdouble>(std::max(height, 1)),
                   NEAR_PLANE * scale, FAR_PLANE * scale);
    glMatrixMode(GL_MODELVIEW);
}

bool readPicture(Image& image, std::int32_t width, std::int32_t height)
{
    // A picture of the same size is read over: every pixel is written.
    const bool sameSize = image.pixels != nullptr && image.width == width && image.height == height;
    if (!sameSize && !image.allocate(width, height)) return false;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, image.pixels);
    // GL reads the bottom row first.
    const std::size_t stride = static_cast<std::size_t>(image.stride);
    for (std::int32_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
        std::swap_ranges(image.pixels + top * stride, image.pixels + (top + 1) * stride, image.pixels + bottom * stride);
    }
    // A window is opaque: the alpha that blending left in the buffer is not part of its picture.
    for (std::size_t alpha = 3; alpha < stride * static_cast<std::size_t>(height); alpha += 4) image.pixels[alpha] = 255;
    return true;
}
