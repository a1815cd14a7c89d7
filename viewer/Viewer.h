#pragma once

#include <GL/glu.h>
#include <cstdint>

#include "motion/Skeleton.h"
#include "platform/win32.h"
#include "resources/Image.h"
#include "shell/Window.h"
#include "viewer/OrbitCamera.h"
#include "viewer/PlaybackPacing.h"
#include "viewer/Scene.h"
#include "widgets/CaptureHost.h"

struct Overlay;
struct Font;
class Panel;
class Button;
class Slider;

// The one application object: the main window, the loaded motion, the playback clock, the camera
// and the OpenGL scene. Everything runs on the main thread: the main loop calls tick and then
// render whenever no message is waiting, and messages reach handleMessage in between.
//
// A motion is loaded exactly when skeleton is set. Before that the scene is the clear colour only,
// tick and setPaused do nothing, and the flags can still be toggled (a single step requested then
// fires at the first tick after a load).
//
// With a motion loaded, a control bar (play/pause button and timeline slider) sits centred at the
// bottom of the client area and takes the mouse; the frame counter and key list are drawn over the
// scene while showControls is set.
//
// Sources: Viewer.cpp (creation, loading, playback), SceneRenderer.cpp (GL context and drawing),
// ViewerInput.cpp (messages, keys, commands, dialogs, dropped files), ControlBar.cpp (control bar,
// heads-up text, mouse routing and capture); the camera is OrbitCamera, the floor and skeleton Scene.
class Viewer final : public Window, public CaptureHost {
public:
    Viewer() = default;
    // Frees the motion.
    ~Viewer() override;

    // ---- State and playback -------------------------------------------------------------------

    // At WM_CREATE: the GL context, the control bar and text objects, then the start-up file if one
    // was named. 0, or -1 to abort window creation.
    int onCreate();
    // Replaces the shown motion by the BVH file at path and shows its first frame. On failure
    // (unreadable or refused file) nothing changes and false is returned.
    bool loadFile(LPCWSTR path);
    // Replaces the shown motion by one already read (the viewer owns it from now on) and shows its
    // first frame.
    void showMotion(Skeleton* loaded);
    // One idle pass: while playing, or when a single step is pending, show the next frame (wrapping
    // with loop, else stopping paused on the last). Playback advances one frame a call and the
    // elapsed time is not used, unless pacing.realtime is set: then playing shows the frame that
    // the elapsed times handed over have reached by the motion's frame time (see PlaybackPacing).
    void tick(double elapsedSeconds);
    // Evaluates the pose of frameIndex and, with moveCamera, carries the eye with the root.
    void applyFrame();
    // Nothing without a motion. The play button shows what a click will do: play while paused.
    void setPaused(bool value);
    // Puts the camera the framing distance in front of the root joint.
    void frameRoot();
    // Scales the camera's distances (and the projection's near and far planes) so that the framing
    // distance shows the whole skeleton as posed with FIT_MARGIN, for the client area's shape.
    void fitCameraToSkeleton();
    // Moves the eye by the root's move from p0 to p1 (translations of the root's local before and
    // after a pose update).
    void followRoot(const Vec3& p0, const Vec3& p1);

    bool motionLoaded() const { return skeleton != nullptr; }

    // ---- Scene renderer (OpenGL) ----------------------------------------------------------------

    bool createGlContext();
    // Viewport and projection (scaled as the camera is) for the client size; a height of 0 counts as 1.
    void onSize(WPARAM type, WORD width, WORD height);
    // Draws and presents one frame: floor, skeleton, overlay.
    void render();
    // The scene alone, without the overlay and not presented: floor and skeleton on the clear colour.
    void drawScene();
    // Scene::frameWholeSkeleton for the client area, until the next resize.
    void frameWholeSkeleton(float margin);
    // The client area as last drawn, 8-bit RGBA with the top row first, opaque as the window is.
    // Meant for offscreen windows, whose one buffer keeps the frame after the swap. False when
    // memory runs out.
    bool readFrame(Image& image) const;
    // At WM_DESTROY: releases the control bar, the scene's lists, the GL context and the device
    // context.
    void onDestroy();

    // ---- Input and commands -------------------------------------------------------------------

    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void onKeyDown(WORD key);
    void onCommand(WORD command);
    // Check marks of the View items from the flags.
    void updateMenuChecks(HMENU menu);
    void showOpenDialog();
    // Loads the first of the dropped files that loads; the rest are not read.
    void onDropFiles(HDROP drop);
    void showAbout();

    // ---- Control bar and heads-up display --------------------------------------------------------

    // The overlay, the font of the text and the widget tree (placed for real by the first resize).
    void createControlBar();
    // At WM_DESTROY: the font, the overlay and the widget tree.
    void releaseControlBar();
    // The button and the slider centred at the bottom of the client area, bottom-aligned, 3 pixels
    // apart; the slider four pixels a frame where that fits, else as wide as fits up to 640.
    void layoutControlBar();
    // The overlay pass of render: the control bar with a motion, the text while the skeleton is
    // drawn and showControls is set. clientRight is the client area's right edge for this frame.
    void drawOverlay(int clientRight);
    // Hands a mouse move, or a left or right press or release, to the control bar while a motion is
    // loaded.
    void routeMouse(UINT message, LPARAM lParam);
    // The widgets' mouse capture (CaptureHost).
    void captureMouse() override;
    void releaseMouse() override;

    // ---- Record -----------------------------------------------------------------------------

    HGLRC glContext = nullptr;
    HDC deviceContext = nullptr;      // held from window creation to WM_DESTROY
    Scene scene;                      // floor and skeleton lists; its up axis is set before the window exists
    OrbitCamera camera;               // eye, up, center
    bool paused = true;
    bool singleStep = false;          // consumed by the next tick
    bool lighting = false;
    bool moveCamera = true;           // the eye follows the root during playback
    bool loop = true;
    bool showControls = true;         // frame counter and key list
    bool showFloor = true;
    Skeleton* skeleton = nullptr;     // owned
    std::int32_t frameIndex = 0;      // 0-based
    std::int32_t clientWidth = 0;
    std::int32_t clientHeight = 0;    // at least 1 after the first resize
    Overlay* overlay = nullptr;       // from window creation to WM_DESTROY
    Font* hudFont = nullptr;          // "Arial" 9, one reference held from creation to WM_DESTROY
    Panel* rootPanel = nullptr;       // owned with its two children, from window creation to WM_DESTROY
    Button* playButton = nullptr;
    Slider* timelineSlider = nullptr;
    PlaybackPacing pacing;            // one frame per tick unless realtime is set
    bool sceneOnly = false;           // set before the window exists: no control bar, no text
    bool fit = false;                 // set before the window exists: fitCameraToSkeleton after each load

    // What the fitted camera leaves free of each half of the client area (from the root to the edge),
    // room for the motion to move in: with it the bundled sample, fitted, shows as it does at the
    // default distance.
    static constexpr float FIT_MARGIN = 0.45f;

private:
    // The row of frameIndex, or null (the rest pose) when the motion has no such row.
    const float* currentRow() const;
    // The root joint's place in the scene.
    Vec3 rootPosition() const;
    // The sphere and floor lists sized for the current motion.
    void rebuildSceneLists(float size);
    // Play icon while paused, pause icon while playing.
    void showPlaybackIcon();
    // The timeline's range 1..frameCount of the motion, and frameIndex shown on it.
    void setTimelineRange();
    void showFrameOnTimeline();
    void destroyControlBar();
};

// Listeners of the play button and the timeline slider; target is the Viewer.
void onPlayButtonClicked(void* target, void* argument);
void onTimelineChanged(void* target, void* argument);
