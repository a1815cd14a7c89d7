#include <cstdio>

#include "commands/Commands.h"
#include "commands/LoadedMotion.h"
#include "commands/OffscreenViewer.h"
#include "commands/ScenePainter.h"

int runThumbnail(const CommandLine& line)
{
    LoadedMotion motion(line.files[0], BvhReader::Keep::FirstFrame);
    if (!motion.ok()) {
        std::fprintf(stderr, "%s\n", motion.refusal().c_str());
        return 1;
    }
    OffscreenViewer offscreen;
    if (!offscreen.openScene(motion.release(), line.size, line.up)) {
        std::fprintf(stderr, "%s\n", offscreen.failure().c_str());
        return 1;
    }
    Image picture;
    return writePicture(offscreen.drawWholeSkeleton(picture, ScenePainter::MARGIN), picture, line.output);
}
