#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "commands/Commands.h"
#include "commands/FolderWalk.h"
#include "commands/OffscreenViewer.h"
#include "commands/PictureHandoff.h"
#include "commands/PngFolderWriter.h"
#include "commands/Progress.h"
#include "commands/WholeFile.h"
#include "formats/GifWriter.h"
#include "formats/Mp4Writer.h"
#include "resources/WideText.h"

namespace {

// A motion whose frame time is not a positive number plays back one frame per drawing; a clip of
// it runs at 30 frames a second.
constexpr double FALLBACK_FRAME_SECONDS = 1.0 / 30;

enum class Output { Folder, Gif, Mp4 };

// The output's kind, by its extension in any case: a GIF or MP4 file, else a folder of PNGs.
Output outputKind(LPCWSTR path)
{
    if (hasExtension(path, TEXT(".gif"))) return Output::Gif;
    if (hasExtension(path, TEXT(".mp4"))) return Output::Mp4;
    return Output::Folder;
}

std::unique_ptr<FrameWriter> writerFor(Output kind)
{
    switch (kind) {
    case Output::Gif: return std::make_unique<GifWriter>();
    case Output::Mp4: return std::make_unique<Mp4Writer>();
    case Output::Folder: break;
    }
    return std::make_unique<PngFolderWriter>();
}

struct Drawn {
    std::int32_t pictures = 0;
    bool handedOver = false;  // false when a write failed
    bool outOfMemory = false;
};

// Plays the motion from frame from on, drawing the clip's pictures (frames from, from + every, ...)
// that the writer wants, each written on another thread while the next is drawn.
Drawn drawClip(OffscreenViewer& offscreen, FrameWriter& writer, const Clip& clip, std::int32_t from,
               std::int32_t every, Progress& progress)
{
    offscreen.stepTo(from);
    offscreen.play();
    PictureHandoff handoff(writer);
    Drawn drawn;
    drawn.handedOver = handoff.run([&] {
        for (std::int64_t index = 0, frame = from;; ++index) {
            if (writer.wants(index)) {
                Image* picture = handoff.blank();
                if (picture == nullptr) return;  // a write failed
                if (!offscreen.draw(*picture)) {
                    drawn.outOfMemory = true;
                    return;
                }
                handoff.pass(static_cast<std::int32_t>(frame));
                ++drawn.pictures;
            }
            progress.advance();
            if (index + 1 == clip.pictures) return;
            for (std::int32_t step = 0; step < every; ++step) offscreen.tick();
            frame += every;
        }
    });
    return drawn;
}

void reportWritten(std::int32_t frames, const std::string& output, const Progress& progress)
{
    std::fprintf(stderr, "vexo: wrote %d frames to %s in %.2f s, %.1f frames per second\n", frames, output.c_str(),
                 progress.seconds(), progress.itemsPerSecond());
}

}  // namespace

int runRender(const CommandLine& line)
{
    const std::int32_t from = line.from.value_or(1);
    const std::int32_t every = line.every.value_or(1);
    OffscreenViewer offscreen;
    if (!offscreen.open(line)) {
        std::fprintf(stderr, "%s\n", offscreen.failure().c_str());
        return 1;
    }
    const std::int32_t last = offscreen.lastFrame();
    const std::int32_t until = line.to.value_or(last);
    if (from > last) return frameBeyondLast("--from", from, last);
    if (until > last) return frameBeyondLast("--to", until, last);

    // Frames from, from + every, ... up to until, each shown for every frame times.
    const double frameSeconds = offscreen.frameTime() > 0 && std::isfinite(offscreen.frameTime())
                                    ? offscreen.frameTime()
                                    : FALLBACK_FRAME_SECONDS;
    const Clip clip{line.size.width, line.size.height, (until - from) / every + 1, frameSeconds * every};
    const Output kind = outputKind(line.output);
    // A file is written under a temporary name and takes its own when whole; the writer, closed
    // first, is declared after it.
    std::optional<WholeFile> whole;
    if (kind != Output::Folder) whole.emplace(line.output);
    const std::unique_ptr<FrameWriter> writer = writerFor(kind);
    const std::string outputName = toUtf8(line.output);
    Progress progress(clip.pictures, "frames");
    const auto failed = [&](const std::string& why) {
        progress.wipe();
        std::fprintf(stderr, "vexo: cannot write %s: %s\n", outputName.c_str(), why.c_str());
        return 1;
    };
    if (!writer->open(whole ? whole->temporaryPath() : line.output, clip)) return failed(writer->failure());
    const Drawn drawn = drawClip(offscreen, *writer, clip, from, every, progress);
    if (!drawn.handedOver) return failed(writer->failure());
    if (drawn.outOfMemory) return failed("out of memory for the picture");
    if (!writer->finish()) return failed(writer->failure());
    if (whole && !whole->commit()) {
        progress.wipe();
        std::fprintf(stderr, "%s\n", whole->failure().c_str());
        return 1;
    }
    progress.wipe();
    reportWritten(drawn.pictures, outputName, progress);
    return 0;
}
