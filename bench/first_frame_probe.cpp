// Preloaded into vexo (LD_PRELOAD) by first_frame.sh: at the first buffer swap, prints the
// CLOCK_MONOTONIC time in nanoseconds to stderr as "first-frame-ns N" and ends the process. The
// swap is intercepted by name and handed on, so the program is measured unchanged.

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

namespace {

void reportAndExit()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::fprintf(stderr, "first-frame-ns %lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    std::fflush(stderr);
    _exit(0);
}

template <typename Function>
Function next(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

// The swap calls of GLX and EGL, declared with opaque handle types.
extern "C" void glXSwapBuffers(void* display, unsigned long drawable)
{
    next<void (*)(void*, unsigned long)>("glXSwapBuffers")(display, drawable);
    reportAndExit();
}

extern "C" unsigned eglSwapBuffers(void* display, void* surface)
{
    next<unsigned (*)(void*, void*)>("eglSwapBuffers")(display, surface);
    reportAndExit();
    return 1;
}
