// Reads each input as a file twice: its frame lines on one thread, and on three threads in shares of
// a sixteenth of the input, so that small inputs are cut into many shares, with lines across the cuts
// and shares of no frame at all. Both reads must agree on everything: the verdict, the refused line
// and its reason, the counts and every value's bits; a difference aborts, and libFuzzer keeps the
// input. At exit it prints how many inputs were read in several shares, to show that fuzzing reaches
// the boundaries between them.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "FuzzCheck.h"
#include "FuzzInputFile.h"
#include "motion/BvhReader.h"

namespace {

struct Read {
    Skeleton* skeleton = static_cast<Skeleton*>(std::calloc(1, sizeof(Skeleton)));
    std::int64_t line = 0;
    std::string reason;
    std::int64_t shares = 0;

    Read(LPCWSTR path, int threads, size_t shareBytes)
    {
        if (skeleton == nullptr) std::abort();
        BvhReader reader;
        reader.limitThreads(threads);
        reader.limitShareBytes(shareBytes);
        reader.read(path, *skeleton);
        line = reader.refusedLine();
        reason = reader.refusalReason();
        shares = reader.frameShares();
    }
    ~Read() { Skeleton::destroy(skeleton); }
    Read(const Read&) = delete;
    Read& operator=(const Read&) = delete;
};

void checkSame(const Read& one, const Read& shared)
{
    FUZZ_CHECK(one.line == shared.line);
    FUZZ_CHECK(one.reason == shared.reason);
    const Skeleton& a = *one.skeleton;
    const Skeleton& b = *shared.skeleton;
    FUZZ_CHECK((a.root == nullptr) == (b.root == nullptr));
    if (a.root == nullptr) return;
    FUZZ_CHECK(a.frameCount == b.frameCount && a.channelsPerFrame == b.channelsPerFrame);
    FUZZ_CHECK(std::memcmp(&a.frameTime, &b.frameTime, sizeof(float)) == 0);
    const size_t count = size_t(a.frameCount) * size_t(a.channelsPerFrame);
    FUZZ_CHECK(count == 0 || std::memcmp(a.values, b.values, count * sizeof(float)) == 0);
}

// How many inputs had their frames cut into several shares, and the shares in all.
struct Reach {
    long inputs = 0;
    long inShares = 0;
    long shares = 0;

    ~Reach()
    {
        std::fprintf(stderr, "frame_shares: %ld of %ld inputs had their frame lines read in 2 or more shares (%ld shares)\n",
                     inShares, inputs, shares);
    }
};
Reach reach;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    static InputFile input;
    input.store(data, size);
    const Read one(input.path(), 1, FrameLines::SHARE_BYTES);
    const Read shared(input.path(), 3, size / 16 + 1);
    FUZZ_CHECK(one.shares == 0);
    checkSame(one, shared);
    ++reach.inputs;
    if (shared.shares >= 2) {
        ++reach.inShares;
        reach.shares += shared.shares;
    }
    return 0;
}
