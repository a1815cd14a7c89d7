#pragma once

#include <cstdint>

#include "formats/FrameWriter.h"

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct AVStream;
struct SwsContext;

// A clip as an MP4 video through FFmpeg's libraries: H.264 in yuv420p (BT.601, limited range),
// every picture a frame, at one frame per clip.secondsPerPicture. The rate is the fraction that
// period was written from: 30/1 for 0.033333 s, 30000/1001 for 0.033367 s. H.264 wants even
// sides: an odd width or height gets one more column or row, a copy of the last. Each side must be
// 16 pixels or more.
//
// The encoder is libx264 where libavcodec has it (Debian's does, and it compresses best), else
// libopenh264 (BSD-licensed, the one built into the Windows program).
class Mp4Writer final : public FrameWriter {
public:
    ~Mp4Writer() override;

    bool open(LPCWSTR path, const Clip& clip) override;
    bool write(const Image& picture, std::int32_t frame) override;
    bool finish() override;

private:
    bool openEncoder(const Clip& clip);
    bool failAv(int error);
    // Hands the encoder frame (null: the end) and writes every packet it gives back.
    bool encode(const AVFrame* frame);

    AVFormatContext* format = nullptr;
    AVStream* stream = nullptr;
    AVCodecContext* encoder = nullptr;
    SwsContext* converter = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    std::int64_t nextPts = 0;
};
