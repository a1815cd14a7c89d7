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
        reason = "out of memory";
    } else if (!reader.read(path, *loaded, keep)) {
        line = reader.refusedLine();
        reason = reader.refusalReason();
    }
    if (!reason.empty()) refusalLine = toUtf8(path) + ":" + std::to_string(line) + ": refused: " + reason;
}

Skeleton* LoadedMotion::release()
{
    return std::exchange(loaded, nullptr);
}

LoadedMotion::~LoadedMotion()
{
    Skeleton::destroy(loaded);
}
