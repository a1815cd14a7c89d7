#include "viewer/Viewer.h"

#include <cmath>
#include <cstdlib>

#include "motion/BvhReader.h"
#include "motion/Pose.h"
#include "shell/StartupFile.h"

Viewer::~Viewer()
{
    Skeleton::destroy(skeleton);
}

int Viewer::onCreate()
{
    if (!createGlContext()) return -1;
    if (!sceneOnly) createControlBar();
    if (startupFilePath != nullptr) loadFile(startupFilePath);  // a refused file leaves the viewer empty
    return 0;
}

bool Viewer::loadFile(LPCWSTR path)
{
    auto* loaded = static_cast<Skeleton*>(std::calloc(1, sizeof(Skeleton)));
    if (loaded == nullptr) return false;
    BvhReader reader;
    if (!reader.read(path, *loaded)) {
        Skeleton::destroy(loaded);
        return false;
    }
    showMotion(loaded);
    return true;
}

void Viewer::showMotion(Skeleton* loaded)
{
    Skeleton::destroy(skeleton);
    skeleton = loaded;
    // A frame number of the previous motion means nothing in this one.
    frameIndex = 0;
    setTimelineRange();
    showFrameOnTimeline();
    const float size = longestBone(skeleton->root);
    evaluatePose(skeleton->root, currentRow());
    if (fit) fitCameraToSkeleton();
    frameRoot();
    rebuildSceneLists(size);
    layoutControlBar();
}

const float* Viewer::currentRow() const
{
    if (skeleton->values == nullptr || frameIndex < 0 || frameIndex >= skeleton->frameCount) return nullptr;
    return skeleton->frameValues(frameIndex);
}

Vec3 Viewer::rootPosition() const
{
    const Mat4& local = skeleton->root->local;
    return scene.toScene({local.e[12], local.e[13], local.e[14]});
}

void Viewer::tick(double elapsedSeconds)
{
    if (!motionLoaded()) return;
    const std::int32_t last = skeleton->frameCount - 1;
    if (last < 0) {
        // No rows: the rest pose stays, and playback is at its end at once. A step asked for is
        // used up here, not carried over to the next motion, and nothing plays on.
        if (singleStep || !paused) {
            singleStep = false;
            pacing.restart();
            setPaused(true);
        }
        return;
    }
    if (singleStep) {
        frameIndex += 1;
        if (frameIndex > last) frameIndex = loop ? 0 : last;
        singleStep = false;
        pacing.restart();
        setPaused(true);
    } else {
        if (paused) {
            pacing.restart();
            return;
        }
        const std::int64_t due = pacing.framesDue(elapsedSeconds, skeleton->frameTime);
        if (due == 0) return;  // real time has not yet reached the next frame
        std::int64_t next = std::int64_t{frameIndex} + due;
        if (next > last) {
            if (!loop) {
                if (frameIndex == last) {
                    setPaused(true);
                    return;  // the last frame is already shown
                }
                next = last;
            } else {
                next %= std::int64_t{last} + 1;
            }
        }
        frameIndex = static_cast<std::int32_t>(next);
    }
    applyFrame();
    showFrameOnTimeline();
}

void Viewer::applyFrame()
{
    const Vec3 before = rootPosition();
    evaluatePose(skeleton->root, currentRow());
    if (moveCamera) followRoot(before, rootPosition());
}

void Viewer::setPaused(bool value)
{
    if (!motionLoaded()) return;
    paused = value;
    showPlaybackIcon();
}

void Viewer::frameRoot()
{
    Vec3 root{0.0f, 0.0f, 0.0f};
    root.transformPoint(skeleton->root->local);
    camera.frame(scene.toScene(root));
}

void Viewer::fitCameraToSkeleton()
{
    RECT client{};
    GetClientRect(hwnd, &client);  // during WM_CREATE, before the first WM_SIZE has set clientWidth
    const double distance = scene.fittedDistance(*skeleton, rootPosition(), client.right, client.bottom, FIT_MARGIN);
    // A skeleton without size (or without a place) keeps the default distances.
    camera.scale = distance > 0.0 && std::isfinite(distance) ? float(distance / OrbitCamera::FRAMING_DISTANCE) : 1.0f;
    if (glContext != nullptr && clientHeight > 0) setViewerProjection(clientWidth, clientHeight, camera.scale);
}

void Viewer::followRoot(const Vec3& p0, const Vec3& p1)
{
    camera.follow(p0, p1);
}
