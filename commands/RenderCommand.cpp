#include <chrono>
#include <cstdio>
#include <string>

#include "resources/WideText.h"
#include "commands/Commands.h"
#include "commands/OffscreenViewer.h"

namespace {

using Clock = std::chrono::steady_clock;

// Frames written so far: a bar redrawn in place when stderr is a terminal, and a closing line.
class Progress {
public:
    explicit Progress(std::int32_t total) : total(total), terminal(_isatty(_fileno(stderr)) != 0) {}

    void frameWritten()
    {
        ++written;
        if (!terminal) return;
        constexpr int WIDTH = 30;
        const int filled = static_cast<int>(std::int64_t{written} * WIDTH / total);
        std::fprintf(stderr, "\r[%s%s] %d/%d frames, %.1f fps ", std::string(filled, '#').c_str(),
                     std::string(WIDTH - filled, '.').c_str(), written, total, framesPerSecond());
        std::fflush(stderr);
    }

    void finish(const std::string& directory) const
    {
        if (terminal && written > 0) std::fputc('\n', stderr);
        std::fprintf(stderr, "vexo: wrote %d frames to %s in %.2f s, %.1f frames per second\n", written,
                     directory.c_str(), seconds(), framesPerSecond());
    }

private:
    double seconds() const { return std::chrono::duration<double>(Clock::now() - start).count(); }
    double framesPerSecond() const { return seconds() > 0.0 ? written / seconds() : 0.0; }

    std::int32_t total;
    std::int32_t written = 0;
    bool terminal;
    Clock::time_point start = Clock::now();
};

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
    WideText path(directory);
    if (!path.empty() && path.back() != TEXT('/')) path += TEXT('/');
    for (const char* c = name; *c != '\0'; ++c) path += static_cast<WCHAR>(*c);
    return path;
}

}  // namespace

int runRender(LPCWSTR file, LPCWSTR directory, std::int32_t from, std::optional<std::int32_t> to,
              CommandLine::Size size)
{
    OffscreenViewer offscreen;
    if (!offscreen.open(file, size)) {
        std::fprintf(stderr, "%s\n", offscreen.failure().c_str());
        return 1;
    }
    const std::int32_t last = offscreen.lastFrame();
    const std::int32_t until = to.value_or(last);
    if (from > last) return frameBeyondLast("--from", from, last);
    if (until > last) return frameBeyondLast("--to", until, last);
    const std::string directoryName = toUtf8(directory);
    if (!ensureDirectory(directory)) {
        std::fprintf(stderr, "vexo: cannot write into the directory %s\n", directoryName.c_str());
        return 1;
    }

    offscreen.stepTo(from);
    offscreen.play();
    Progress progress(until - from + 1);
    Image picture;
    for (std::int32_t frame = from;; ++frame) {
        const WideText path = framePath(directory, frame);
        if (!offscreen.draw(picture) || !picture.savePng(path.c_str())) {
            progress.finish(directoryName);
            std::fprintf(stderr, "vexo: cannot write %s\n", toUtf8(path.c_str()).c_str());
            return 1;
        }
        progress.frameWritten();
        if (frame == until) break;
        offscreen.tick();
    }
    progress.finish(directoryName);
    return 0;
}
