#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

#include "formats/FrameWriter.h"

// Pictures drawn on the calling thread (where the OpenGL context is) and written on a worker
// thread, in the order drawn, so that drawing one picture overlaps encoding the one before: a video
// costs about the slower of the two instead of their sum. At most SLOTS pictures are held; when all
// are waiting, the drawing side writes the oldest itself, so the run completes also when no worker
// could be started. One write runs at a time.
//
//     PictureHandoff handoff(writer);
//     const bool written = handoff.run([&] {
//         while (Image* picture = more ? handoff.blank() : nullptr) { draw(*picture); handoff.pass(frame); }
//     });
class PictureHandoff {
public:
    explicit PictureHandoff(FrameWriter& writer) : writer(writer) {}
    PictureHandoff(const PictureHandoff&) = delete;
    PictureHandoff& operator=(const PictureHandoff&) = delete;

    // Runs draw on the calling thread, and writes what it passes; returns once every picture passed
    // is written, false when a write failed (the writer's failure() says why).
    bool run(const std::function<void()>& draw);
    // A picture to draw into, once one is free; null after a write failed (drawing should stop).
    Image* blank();
    // Hands the picture from blank() over to be written, as the motion's frame.
    void pass(std::int32_t frame);

private:
    // Writes the oldest picture passed and not yet taken; false when there is none.
    bool writeOldest();
    void writeUntilDrawn();

    static constexpr int SLOTS = 3;
    FrameWriter& writer;
    Image pictures[SLOTS];  // picture n in slot n % SLOTS
    std::int32_t frames[SLOTS] = {};
    std::mutex writing;  // held through each write, so that they go out in order
    std::mutex mutex;    // guards the counts below
    std::condition_variable changed;
    std::int64_t passed = 0;
    std::int64_t taken = 0;    // by a writer
    std::int64_t written = 0;  // its slot free again
    bool drawn = false;
    bool failed = false;
};
