#include "commands/LoadedMotion.h"

#include <cstdlib>
#include <utility>

#include "commands/CommandLine.h"

LoadedMotion::LoadedMotion(LPCWSTR path, BvhReader::Keep keep, int threads)
    : loaded(static_cast<Skeleton*>(std::calloc(1, sizeof(Skeleton))))
{
    BvhReader reader;
    if (threads > 0) reader.limitThreads(threads);
    if (loaded == nullptr) {
        refusalLine = toUtf8(path) + ":0: refused: out of memory";
    } else if (!reader.read(path, *loaded, keep)) {
        refusalLine = toUtf8(path) + ":" + std::to_string(reader.refusedLine()) + ": refused: " + reader.refusalReason();
    }
}

Skeleton* LoadedMotion::release()
{
    return std::exchange(loaded, nullptr);
}

LoadedMotion::~LoadedMotion()
{
    Skeleton::destroy(loaded);
}
