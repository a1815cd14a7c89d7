#pragma once

#include <cstdint>
#include <string>

#include "platform/win32.h"
#include "motion/Skeleton.h"
#include "resources/Image.h"
#include "commands/CommandLine.h"

class Viewer;

// The viewer's main window made offscreen (no display needed) with a client area of the given
// size, opening a BVH file as the window opens its start-up file: the camera framed on the root,
// frame 1 shown, paused. Its pictures are those the window shows at that client size (offscreen,
// fonts are laid out at 96 dots per inch). One at a time per process.
//
//     OffscreenViewer offscreen;
//     if (!offscreen.open(commandLine)) fail(offscreen.failure());
//     offscreen.stepTo(12);
//     Image picture;
//     offscreen.draw(picture);
class OffscreenViewer {
public:
    OffscreenViewer() = default;
    // Destroys the window (as closing it would) and the viewer.
    ~OffscreenViewer();
    OffscreenViewer(const OffscreenViewer&) = delete;
    OffscreenViewer& operator=(const OffscreenViewer&) = delete;

    // False when there is no offscreen OpenGL or the file is refused; failure() then says why in
    // one line for stderr (for a refused file the line of `vexo --check`).
    // The file is the command line's first, the client size its --size; --fit and --up place the
    // camera and the motion as they do in the viewer.
    bool open(const CommandLine& line);
    // The scene alone (no control bar, no text) of a motion already read, which the viewer takes
    // over whatever the result, turned by up. False when there is no offscreen OpenGL.
    bool openScene(Skeleton* motion, CommandLine::Size size, UpAxis up);
    const std::string& failure() const { return reason; }

    // Frames the motion has; a motion without rows still shows one picture (the rest pose).
    std::int32_t lastFrame() const;
    std::int32_t frame() const;  // 1-based, the frame on show
    double frameTime() const;    // seconds per frame, as the file gives it (maybe 0 or less)

    // Single steps (as the X key does) up to frame (1-based, at most lastFrame): the camera follows
    // the root exactly as it does in playback, and playback stays paused.
    void stepTo(std::int32_t frame);
    // Starts playback, as the Space key does (the play button turns to pause).
    void play();
    // One idle pass of the main loop's clock: while playing, the next frame.
    void tick();

    // Renders the window's picture and reads it back. False when memory runs out.
    bool draw(Image& picture);
    // The scene alone, the camera framing the whole skeleton as posed with the margin (a fraction of
    // each half of the picture). False when memory runs out.
    bool drawWholeSkeleton(Image& picture, float margin);

private:
    bool fail(std::string why);
    // The viewer's window, offscreen, with the start-up file if one is named; the viewer is set up
    // by prepare before the window exists.
    template <typename Prepare>
    bool createWindow(LPCWSTR startupFile, CommandLine::Size size, Prepare&& prepare);
    // Hands waiting window messages to the viewer, as the main loop does before its first idle
    // pass.
    void dispatchWaitingMessages();

    Viewer* viewer = nullptr;
    bool classRegistered = false;
    bool guiStarted = false;
    std::string reason;
};
