#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "formats/FrameWriter.h"

struct GifFileType;

// A clip as an animated GIF (GIF89a, played in a loop) through giflib. A picture of at most 256
// colours keeps them exactly; one with more is reduced to 256 by median cut.
//
// GIF delays are whole centiseconds, and players show a delay under 2 cs as 10 cs, so the
// pictures are picked by real time: a picture is kept when its time, rounded to centiseconds, is
// at least 2 cs after the last one kept, and shown until the next kept one's time (the last until
// the clip's end). The animation lasts as long as the clip, to the centisecond; a clip of 30
// pictures a second shows each for 3, 3 and 4 cs in turn, one of 120 a second every other picture.
class GifWriter final : public FrameWriter {
public:
    ~GifWriter() override;

    bool open(LPCWSTR path, const Clip& clip) override;
    bool wants(std::int64_t index) override;
    bool write(const Image& picture, std::int32_t frame) override;
    bool finish() override;

private:
    // Centiseconds from the clip's start to picture index (to its end for clip.pictures).
    std::int64_t centisecondsAt(std::int64_t index) const;
    // The picture kept after the one at index, or clip.pictures when none is.
    std::int64_t keptAfter(std::int64_t index) const;
    bool failGif(int error);
    bool close();

    Clip clip;
    std::FILE* file = nullptr;
    GifFileType* gif = nullptr;
    std::int64_t nextWanted = 0;  // the drawing side's count
    std::int64_t nextKept = 0;    // the writing side's: the picture write() gets next
    std::vector<std::uint8_t> indexes;  // the picture as palette indexes, reused
};
