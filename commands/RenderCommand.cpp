#include <cstdio>
#include <cstring>
#include <string>

#include "commands/Commands.h"
#include "commands/FolderWalk.h"
#include "commands/OffscreenViewer.h"
#include "commands/Progress.h"
#include "resources/WideText.h"

namespace {

// The directory, made when it is missing (its parent must exist).
bool ensureDirectory(LPCWSTR directory)
{
    const DWORD attributes = GetFileAttributesW(directory);
    if (attributes == INVALID_FILE_ATTRIBUTES) return CreateDirectoryW(directory, nullptr) != FALSE;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;  // other attribute bits may come with it
}

// DIRECTORY/frame_000012.png for frame 12.
WideText framePath(LPCWSTR directory, std::int32_t frame)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06d.png", frame);
    return joinPath(directory, WideText(name, name + std::strlen(name)));
}

void reportWritten(std::int32_t frames, const std::string& directory, const Progress& progress)
{
    std::fprintf(stderr, "vexo: wrote %d frames to %s in %.2f s, %.1f frames per second\n", frames, directory.c_str(),
                 progress.seconds(), progress.itemsPerSecond());
}

}  // namespace

int runRender(const CommandLine& line)
{
    LPCWSTR directory = line.output;
    const std::int32_t from = line.from.value_or(1);
    OffscreenViewer offscreen;
    if (!offscreen.open(line.files[0], line.size)) {
        std::fprintf(stderr, "%s\n", offscreen.failure().c_str());
        return 1;
    }
    const std::int32_t last = offscreen.lastFrame();
    const std::int32_t until = line.to.value_or(last);
    if (from > last) return frameBeyondLast("--from", from, last);
    if (until > last) return frameBeyondLast("--to", until, last);
    const std::string directoryName = toUtf8(directory);
    if (!ensureDirectory(directory)) {
        std::fprintf(stderr, "vexo: cannot write into the directory %s\n", directoryName.c_str());
        return 1;
    }

    offscreen.stepTo(from);
    offscreen.play();
    Progress progress(until - from + 1, "frames");
    Image picture;
    std::int32_t written = 0;
    for (std::int32_t frame = from;; ++frame) {
        const WideText path = framePath(directory, frame);
        if (const int status = writePicture(offscreen.draw(picture), picture, path.c_str()); status != 0) {
            progress.wipe();
            reportWritten(written, directoryName, progress);
            return status;
        }
        ++written;
        progress.advance();
        if (frame == until) break;
        offscreen.tick();
    }
    progress.wipe();
    reportWritten(written, directoryName, progress);
    return 0;
}
