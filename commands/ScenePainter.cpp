#include "commands/ScenePainter.h"

#include <GL/gl.h>

#include "motion/Pose.h"

namespace {

constexpr PIXELFORMATDESCRIPTOR PIXEL_FORMAT = scenePixelFormat();

}  // namespace

ScenePainter::ScenePainter(std::int32_t side, UpAxis up) : gl(VexoCreateOffscreenGl(side, side, &PIXEL_FORMAT)), side(side)
{
    scene.up = up;
}

ScenePainter::~ScenePainter()
{
    if (gl == nullptr) return;
    // The lists belong to the context: freed in it, with the sphere's quadric.
    if (VexoMakeOffscreenGlCurrent(gl)) {
        scene.deleteLists();
        VexoMakeOffscreenGlCurrent(nullptr);
    }
    VexoDeleteOffscreenGl(gl);
}

bool ScenePainter::draw(Skeleton& motion)
{
    if (!VexoMakeOffscreenGlCurrent(gl)) return false;
    // As the viewer's window shows a motion it opens: the first row posed, lists sized by it.
    const float* firstRow = motion.values != nullptr && motion.frameCount > 0 ? motion.frameValues(0) : nullptr;
    evaluatePose(motion.root, firstRow);
    scene.rebuildLists(longestBone(motion.root));
    glViewport(0, 0, side, side);
    scene.frameWholeSkeleton(camera, motion, side, side, MARGIN);
    scene.draw(&motion, camera, false, true);
    glFlush();  // the driver starts on the picture now
    VexoMakeOffscreenGlCurrent(nullptr);
    return true;
}

bool ScenePainter::read(Image& picture)
{
    if (!VexoMakeOffscreenGlCurrent(gl)) return false;
    const bool read = readPicture(picture, side, side);
    VexoMakeOffscreenGlCurrent(nullptr);
    return read;
}
