// The baseline reader of BaselineReader.h as a program of its own, so that whole processes can be
// timed side by side with `vexo --check`. Usage: baseline_reader FILE.bvh

#include <cstdio>
#include <cstdlib>

#include "BaselineReader.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: baseline_reader FILE.bvh\n", stderr);
        return 2;
    }
    BaselineMotion motion;
    const bool ok = baselineRead(argv[1], motion);
    std::printf("%s: %s: channels=%d frames=%d\n", argv[1], ok ? "ok" : "refused", motion.channels, motion.frames);
    std::free(motion.values);
    return ok ? 0 : 1;
}
