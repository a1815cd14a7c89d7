#pragma once

#include <cstdint>

#include "motion/Skeleton.h"
#include "platform/win32.h"
#include "resources/Image.h"
#include "viewer/OrbitCamera.h"
#include "viewer/Scene.h"

// Thumbnails drawn on whichever thread holds the painter: an OpenGL context of its own, with no
// window, and the viewer's scene in it, framed on the whole skeleton as `vexo --thumbnail` frames
// it. So pictures are drawn on several processors at once, a painter each.
//
//     ScenePainter painter(256, UpAxis::Y);   // after VexoUseOffscreenWindows
//     Image picture;
//     if (painter.ok() && painter.paint(motion, picture)) use(picture);
class ScenePainter {
public:
    // Kept free on each side of a thumbnail, as a fraction of half the picture: the figure never
    // touches an edge.
    static constexpr float MARGIN = 0.08f;

    // A painter of side x side pictures of motions turned by up. Made on the calling thread, and
    // current on none.
    ScenePainter(std::int32_t side, UpAxis up);
    // Frees the context, which must be current on no thread.
    ~ScenePainter();
    ScenePainter(const ScenePainter&) = delete;
    ScenePainter& operator=(const ScenePainter&) = delete;

    bool ok() const { return gl != nullptr; }

    // The motion posed at its first frame (the rest pose when it has none) and drawn as the
    // thumbnail of it, into picture; on the calling thread, which holds no other context, and the
    // painter is current on none afterwards. False when memory runs out.
    bool paint(Skeleton& motion, Image& picture);

private:
    VexoOffscreenGl* gl;
    std::int32_t side;
    Scene scene;
    OrbitCamera camera;
};
