#include <cstdio>

#include "shell/Commands.h"
#include "shell/LoadedMotion.h"
#include "shell/OffscreenViewer.h"

namespace {

// Kept free on each side, as a fraction of half the picture: the figure never touches an edge.
constexpr float MARGIN = 0.08f;

}  // namespace

int runThumbnail(LPCWSTR file, LPCWSTR output, CommandLine::Size size)
{
    LoadedMotion motion(file, BvhReader::Keep::FirstFrame);
    if (!motion.ok()) {
        std::fprintf(stderr, "%s\n", motion.refusal().c_str());
        return 1;
    }
    OffscreenViewer offscreen;
    if (!offscreen.openScene(motion.release(), size)) {
        std::fprintf(stderr, "%s\n", offscreen.failure().c_str());
        return 1;
    }
    Image picture;
    if (!offscreen.drawWholeSkeleton(picture, MARGIN)) {
        std::fputs("vexo: out of memory for the picture\n", stderr);
        return 1;
    }
    if (!picture.savePng(output)) {
        std::fprintf(stderr, "vexo: cannot write %s\n", toUtf8(output).c_str());
        return 1;
    }
    return 0;
}
