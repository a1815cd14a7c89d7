#include "formats/Mp4Writer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>

#include "platform/Workers.h"
#include "resources/WideText.h"

namespace {

// The H.264 encoders in order of preference, with their settings: libx264 at its own defaults
// (what `ffmpeg -c:v libx264` gives); libopenh264, which has no constant-quality mode that holds
// thin lines, at a bit rate for the picture's size and rate (0.2 bit a pixel: 2.9 Mbit/s at
// 800x600 and 30 frames a second, where its default of 200 kbit/s smears the floor's grid).
struct Encoder {
    const char* name;
    const char* options;  // key=value:key=value
    double bitsPerPixel;  // 0: the options set the quality
};
constexpr double MIN_BIT_RATE = 100e3;
constexpr std::int32_t MIN_SIDE = 16;  // OpenH264's smallest frame
constexpr Encoder ENCODERS[] = {
    {"libx264", "preset=medium:crf=23", 0},
    {"libopenh264", "rc_mode=bitrate", 0.2},
};

// The frame rate one picture each seconds is, as the fraction it was written from: a BVH frame
// time is a rounded decimal (0.033333 for 1/30 s), so a whole rate, or a whole multiple of
// 1000/1001 (NTSC's 29.97), within a part in 10,000 is the one meant; any other rate is kept as
// closely as a fraction can.
AVRational frameRate(double seconds)
{
    const double rate = 1 / seconds;
    for (const int denominator : {1, 1001}) {
        const double numerator = std::round(rate * denominator);
        const bool ntsc = denominator == 1 || std::fmod(numerator, 1000) == 0;
        if (ntsc && numerator >= 1 && numerator <= INT_MAX && std::abs(numerator / denominator - rate) <= rate * 1e-4) {
            return {static_cast<int>(numerator), denominator};
        }
    }
    return av_d2q(rate, 1 << 20);
}

std::string errorText(int error)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return text;
}

// Makes the frame's odd last column or row a copy of the one before it: the converter fills only
// the picture's own width x height of the luma plane (the chroma planes round up and are whole).
void padToEven(AVFrame& frame, std::int32_t width, std::int32_t height)
{
    std::uint8_t* luma = frame.data[0];
    const int stride = frame.linesize[0];
    if (width < frame.width) {
        for (std::int32_t y = 0; y < height; ++y) luma[y * stride + width] = luma[y * stride + width - 1];
    }
    if (height < frame.height) std::memcpy(luma + height * stride, luma + (height - 1) * stride, size_t(frame.width));
}

}  // namespace

Mp4Writer::~Mp4Writer()
{
    if (format != nullptr) {
        avio_closep(&format->pb);
        avformat_free_context(format);
        format = nullptr;
    }
    avcodec_free_context(&encoder);
    sws_freeContext(converter);
    converter = nullptr;
    av_frame_free(&frame);
    av_packet_free(&packet);
}

bool Mp4Writer::failAv(int error)
{
    return fail(errorText(error));
}

bool Mp4Writer::openEncoder(const Clip& clip)
{
    const Encoder* chosen = nullptr;
    const AVCodec* codec = nullptr;
    for (const Encoder& candidate : ENCODERS) {
        if ((codec = avcodec_find_encoder_by_name(candidate.name)) != nullptr) {
            chosen = &candidate;
            break;
        }
    }
    if (codec == nullptr) return fail("this program's FFmpeg has no H.264 encoder");
    encoder = avcodec_alloc_context3(codec);
    if (encoder == nullptr) return fail("out of memory");
    const AVRational rate = frameRate(clip.secondsPerPicture);
    encoder->width = (clip.width + 1) & ~1;
    encoder->height = (clip.height + 1) & ~1;
    encoder->pix_fmt = AV_PIX_FMT_YUV420P;
    encoder->framerate = rate;
    encoder->time_base = av_inv_q(rate);
    encoder->color_range = AVCOL_RANGE_MPEG;
    encoder->colorspace = AVCOL_SPC_SMPTE170M;  // the converter's BT.601 matrix
    encoder->thread_count = usableProcessors();
    if (chosen->bitsPerPixel > 0) {
        const double bits = chosen->bitsPerPixel * encoder->width * encoder->height * av_q2d(rate);
        // OpenH264 takes an int, and refuses a rate too low for its smallest frames.
        encoder->bit_rate = std::llround(std::clamp(bits, MIN_BIT_RATE, double(INT_MAX)));
    }
    if (format->oformat->flags & AVFMT_GLOBALHEADER) encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* options = nullptr;
    av_dict_parse_string(&options, chosen->options, "=", ":", 0);
    const int opened = avcodec_open2(encoder, codec, &options);
    av_dict_free(&options);
    if (opened < 0) return failAv(opened);
    stream->time_base = encoder->time_base;
    stream->avg_frame_rate = rate;
    const int copied = avcodec_parameters_from_context(stream->codecpar, encoder);
    return copied >= 0 || failAv(copied);
}

bool Mp4Writer::open(LPCWSTR path, const Clip& clip)
{
    if (clip.width < MIN_SIDE || clip.height < MIN_SIDE) {
        return fail("a video needs pictures of " + std::to_string(MIN_SIDE) + " pixels a side or more");
    }
    // The libraries' notes (the encoder's settings and statistics) would bury vexo's own lines;
    // their errors still show.
    av_log_set_level(AV_LOG_ERROR);
    nextPts = 0;
    int result = avformat_alloc_output_context2(&format, nullptr, "mp4", nullptr);
    if (result < 0) return failAv(result);
    stream = avformat_new_stream(format, nullptr);
    frame = av_frame_alloc();
    packet = av_packet_alloc();
    if (stream == nullptr || frame == nullptr || packet == nullptr) return fail("out of memory");
    if (!openEncoder(clip)) return false;
    converter = sws_getContext(clip.width, clip.height, AV_PIX_FMT_RGBA, clip.width, clip.height, AV_PIX_FMT_YUV420P,
                               SWS_BICUBIC, nullptr, nullptr, nullptr);
    frame->format = encoder->pix_fmt;
    frame->width = encoder->width;
    frame->height = encoder->height;
    if (converter == nullptr || av_frame_get_buffer(frame, 0) < 0) return fail("out of memory");
    // "file:" keeps a name with a colon in it from being read as a protocol.
    result = avio_open(&format->pb, ("file:" + toUtf8(path)).c_str(), AVIO_FLAG_WRITE);
    if (result < 0) return failAv(result);
    result = avformat_write_header(format, nullptr);
    return result >= 0 || failAv(result);
}

bool Mp4Writer::encode(const AVFrame* picture)
{
    int result = avcodec_send_frame(encoder, picture);
    if (result < 0) return failAv(result);
    while ((result = avcodec_receive_packet(encoder, packet)) >= 0) {
        av_packet_rescale_ts(packet, encoder->time_base, stream->time_base);
        packet->stream_index = stream->index;
        result = av_interleaved_write_frame(format, packet);  // takes the packet's data
        if (result < 0) return failAv(result);
    }
    return result == AVERROR(EAGAIN) || result == AVERROR_EOF || failAv(result);
}

bool Mp4Writer::write(const Image& picture, std::int32_t)
{
    const int writable = av_frame_make_writable(frame);  // the encoder may still hold the last one
    if (writable < 0) return failAv(writable);
    const std::uint8_t* source[1] = {picture.pixels};
    const int stride[1] = {picture.stride};
    sws_scale(converter, source, stride, 0, picture.height, frame->data, frame->linesize);
    padToEven(*frame, picture.width, picture.height);
    frame->pts = nextPts++;
    return encode(frame);
}

bool Mp4Writer::finish()
{
    if (!encode(nullptr)) return false;
    int result = av_write_trailer(format);
    if (result < 0) return failAv(result);
    result = avio_closep(&format->pb);
    return result >= 0 || failAv(result);
}
