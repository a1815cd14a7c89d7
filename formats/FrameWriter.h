#pragma once

#include <cstdint>
#include <string>

#include "platform/win32.h"
#include "resources/Image.h"

// The shape of a clip: pictures of one size, at equal steps of real time.
struct Clip {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int64_t pictures = 0;     // how many the writer will be offered
    double secondsPerPicture = 0;  // real time from one to the next; positive
};

// Where the pictures of a clip go, one after another: a video file or a folder of pictures. The
// caller asks about every picture in order, writes those the writer wants, and finishes; a writer
// that failed has written nothing whole (what it wrote is the caller's to remove). wants() and
// write() may be called on different threads (the drawing side asks, the writing side writes),
// each from one thread at a time.
//
//     writer.open(path, clip);
//     for (index = 0; index < clip.pictures; ++index)
//         if (writer.wants(index) && !writer.write(picture, frame)) fail(writer.failure());
//     if (!writer.finish()) fail(writer.failure());
class FrameWriter {
public:
    FrameWriter() = default;
    FrameWriter(const FrameWriter&) = delete;  // a writer holds its open output
    FrameWriter& operator=(const FrameWriter&) = delete;
    virtual ~FrameWriter() = default;

    virtual bool open(LPCWSTR path, const Clip& clip) = 0;
    // Whether picture index (from 0) of the clip is kept; one not wanted need not be drawn. Asked
    // once for each picture, in order.
    virtual bool wants(std::int64_t index)
    {
        (void)index;
        return true;
    }
    // picture: clip.width x clip.height, RGBA, top row first; frame: the motion's frame it shows
    // (1-based), for a writer that names its pictures by frame.
    virtual bool write(const Image& picture, std::int32_t frame) = 0;
    // Completes the output; false when any part of it could not be written.
    virtual bool finish() = 0;

    // Why the last call failed, in a few words ("cannot create it", "No space left on device").
    const std::string& failure() const { return reason; }

protected:
    bool fail(std::string why)
    {
        reason = std::move(why);
        return false;
    }

private:
    std::string reason;
};
