#include <cstdio>

#include "commands/Commands.h"
#include "commands/OffscreenViewer.h"

int runSnapshot(LPCWSTR file, LPCWSTR output, std::int32_t frame, CommandLine::Size size)
{
    OffscreenViewer offscreen;
    if (!offscreen.open(file, size)) {
        std::fprintf(stderr, "%s\n", offscreen.failure().c_str());
        return 1;
    }
    if (frame > offscreen.lastFrame()) return frameBeyondLast("--frame", frame, offscreen.lastFrame());
    offscreen.stepTo(frame);
    Image picture;
    return writePicture(offscreen.draw(picture), picture, output);
}

int writePicture(bool drawn, const Image& picture, LPCWSTR output)
{
    if (!drawn) {
        std::fputs("vexo: out of memory for the picture\n", stderr);
        return 1;
    }
    if (!picture.savePng(output)) {
        std::fprintf(stderr, "vexo: cannot write %s\n", toUtf8(output).c_str());
        return 1;
    }
    return 0;
}
