#include "shell/LoadedMotion.h"

#include <cstdlib>

#include "motion/BvhReader.h"
#include "shell/CommandLine.h"

LoadedMotion::LoadedMotion(LPCWSTR path)
    : loaded(static_cast<Skeleton*>(std::calloc(1, sizeof(Skeleton))))
{
    BvhReader reader;
    if (loaded == nullptr) {
        refusalLine = toUtf8(path) + ":0: refused: out of memory";
    } else if (!reader.read(path, *loaded)) {
        refusalLine = toUtf8(path) + ":" + std::to_string(reader.refusedLine()) + ": refused: " + reader.refusalReason();
    }
}

LoadedMotion::~LoadedMotion()
{
    Skeleton::destroy(loaded);
}
