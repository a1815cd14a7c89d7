#pragma once

#include <cstdint>

#include "motion/Skeleton.h"
#include "platform/win32.h"
#include "resources/Image.h"
#include "viewer/OrbitCamera.h"
#include "viewer/Scene.h"

// Thumbnails drawn on whichever thread holds the painter: an OpenGL context of its own, with no
// window, and the viewer's scene in it, framed on the whole skeleton as `vexo --thumbnail` frames
// it. So pictures are drawn on several processors at once, a painter each. A picture is made in two
// steps: draw() issues it, and the driver makes it while the thread goes on (with another painter's
// picture, say); read() waits for it and takes it.
//
//     ScenePainter painter(256, UpAxis::Y);   // after VexoUseOffscreenWindows
//     Image picture;
//     if (painter.ok() && painter.draw(motion) && painter.read(picture)) use(picture);
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

    // Issues the motion posed at its first frame (the rest pose when it has none) drawn as the
    // thumbnail of it; the motion is not needed afterwards. Each step runs on the calling thread,
    // which holds no other context, and leaves the painter current on none. False when the context
    // cannot be made current.
    bool draw(Skeleton& motion);
    // The picture last drawn, once the driver has made it. False when memory runs out or the
    // context cannot be made current.
    bool read(Image& picture);

private:
    VexoOffscreenGl* gl;
    std::int32_t side;
    Scene scene;
    OrbitCamera camera;
};
