// The Viewer's OpenGL side: context, viewport and projection, and one frame of the window: its Scene
// with the overlay over it.

#include <GL/gl.h>

#include "overlay/Overlay.h"
#include "viewer/Viewer.h"

namespace {

constexpr PIXELFORMATDESCRIPTOR PIXEL_FORMAT = scenePixelFormat();

}  // namespace

bool Viewer::createGlContext()
{
    deviceContext = VexoGetGlDC(hwnd, &PIXEL_FORMAT);  // offscreen, it may be a bitmap's
    if (deviceContext == nullptr) return false;
    glContext = wglCreateContext(deviceContext);
    if (glContext == nullptr) return false;
    return wglMakeCurrent(deviceContext, glContext) != FALSE;
}

void Viewer::onSize(WPARAM, WORD width, WORD height)
{
    if (height == 0) height = 1;
    glViewport(0, 0, width, height);
    setViewerProjection(width, height, camera.scale);
    clientWidth = width;
    clientHeight = height;
    glLoadIdentity();
    setOverlaySize(overlay, clientWidth, clientHeight);
    layoutControlBar();
}

void Viewer::render()
{
    RECT client{};
    GetClientRect(hwnd, &client);  // the key list is placed by this frame's width
    drawScene();
    drawOverlay(client.right);
    glLoadIdentity();  // the next frame's light is placed in eye coordinates

    SwapBuffers(deviceContext);
}

void Viewer::drawScene()
{
    scene.draw(skeleton, camera, lighting, showFloor);
}

void Viewer::frameWholeSkeleton(float margin)
{
    if (motionLoaded()) scene.frameWholeSkeleton(camera, *skeleton, clientWidth, clientHeight, margin);
}

bool Viewer::readFrame(Image& image) const
{
    return readPicture(image, clientWidth, clientHeight);
}

void Viewer::rebuildSceneLists(float size)
{
    if (glContext != nullptr) scene.rebuildLists(size);  // no GL yet: nothing can be compiled
}

void Viewer::onDestroy()
{
    releaseControlBar();
    scene.deleteLists();
    if (glContext != nullptr) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(glContext);
        glContext = nullptr;
    }
    if (deviceContext != nullptr) ReleaseDC(hwnd, deviceContext);
    deviceContext = nullptr;
}
