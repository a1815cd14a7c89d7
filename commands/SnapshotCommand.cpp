#include <cstdio>

#include "commands/Commands.h"
#include "commands/OffscreenViewer.h"
#include "commands/WholeFile.h"

int runSnapshot(const CommandLine& line)
{
    const std::int32_t frame = line.frame.value_or(1);
    OffscreenViewer offscreen;
    if (!offscreen.open(line)) {
        std::fprintf(stderr, "%s\n", offscreen.failure().c_str());
        return 1;
    }
    if (frame > offscreen.lastFrame()) return frameBeyondLast("--frame", frame, offscreen.lastFrame());
    offscreen.stepTo(frame);
    Image picture;
    return writePicture(offscreen.draw(picture), picture, line.output);
}

int writePicture(bool drawn, const Image& picture, LPCWSTR output)
{
    if (!drawn) {
        std::fputs("vexo: out of memory for the picture\n", stderr);
        return 1;
    }
    WholeFile file(output);
    if (!picture.savePng(file.temporaryPath())) {
        std::fprintf(stderr, "vexo: cannot write %s\n", toUtf8(output).c_str());
        return 1;
    }
    if (!file.commit()) {
        std::fprintf(stderr, "%s\n", file.failure().c_str());
        return 1;
    }
    return 0;
}
