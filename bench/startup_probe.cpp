// Preloaded into vexo (LD_PRELOAD) by startup.sh: where start-up goes. At the library calls that
// mark its stages (display, OpenGL driver and context, fonts, drawing, the picture's PNG) it
// prints "stage NAME WALL_NS CPU_NS THREAD" to stderr: CLOCK_MONOTONIC, the calling thread's CPU
// time, and "main" or "other" for the thread. Calls are intercepted by name and handed on, so the
// program is measured unchanged. With VEXO_PROBE_EXIT_AT_SWAP set, the first GLX buffer swap (the
// window's first frame) ends the process.

#include <dlfcn.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <type_traits>

namespace {

long long nanoseconds(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

void stage(const char* name)
{
    const bool mainThread = syscall(SYS_gettid) == getpid();
    std::fprintf(stderr, "stage %s %lld %lld %s\n", name, nanoseconds(CLOCK_MONOTONIC),
                 nanoseconds(CLOCK_THREAD_CPUTIME_ID), mainThread ? "main" : "other");
}

template <typename Function>
Function next(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

// Marks the call's start as "NAME>" and its end as "NAME<".
template <typename Result, typename... Arguments>
Result around(const char* name, Arguments... arguments)
{
    static auto function = next<Result (*)(Arguments...)>(name);
    char mark[64];
    std::snprintf(mark, sizeof mark, "%s>", name);
    stage(mark);
    if constexpr (std::is_void_v<Result>) {
        function(arguments...);
        std::snprintf(mark, sizeof mark, "%s<", name);
        stage(mark);
    } else {
        Result result = function(arguments...);
        std::snprintf(mark, sizeof mark, "%s<", name);
        stage(mark);
        return result;
    }
}

}  // namespace

// Opaque handles are declared as void* and integers of the same size.
extern "C" {

int __libc_start_main(int (*main)(int, char**, char**), int argc, char** argv, void (*init)(), void (*fini)(),
                      void (*loaderFini)(), void* stack)
{
    stage("main");
    return next<int (*)(int (*)(int, char**, char**), int, char**, void (*)(), void (*)(), void (*)(), void*)>(
        "__libc_start_main")(main, argc, argv, init, fini, loaderFini, stack);
}

void* XOpenDisplay(const char* name) { return around<void*>("XOpenDisplay", name); }
void* glXChooseVisual(void* display, int screen, int* attributes)
{
    return around<void*>("glXChooseVisual", display, screen, attributes);
}
void* glXCreateContext(void* display, void* visual, void* share, int direct)
{
    return around<void*>("glXCreateContext", display, visual, share, direct);
}
unsigned eglInitialize(void* display, int* major, int* minor) { return around<unsigned>("eglInitialize", display, major, minor); }
void* eglCreateContext(void* display, void* config, void* share, const int* attributes)
{
    return around<void*>("eglCreateContext", display, config, share, attributes);
}
void* FcInitLoadConfigAndFonts() { return around<void*>("FcInitLoadConfigAndFonts"); }
int FcInit() { return around<int>("FcInit"); }
int FT_New_Face(void* library, const char* path, long index, void* face)
{
    return around<int>("FT_New_Face", library, path, index, face);
}

void glClear(unsigned mask)
{
    static bool first = true;
    if (first) stage("glClear");
    first = false;
    next<void (*)(unsigned)>("glClear")(mask);
}

void glXSwapBuffers(void* display, unsigned long drawable)
{
    around<void>("glXSwapBuffers", display, drawable);
    if (std::getenv("VEXO_PROBE_EXIT_AT_SWAP") != nullptr) _exit(0);
}

void glReadPixels(int x, int y, int width, int height, unsigned format, unsigned type, void* pixels)
{
    around<void>("glReadPixels", x, y, width, height, format, type, pixels);
}
void* png_create_write_struct(const char* version, void* error, void* errorFunction, void* warningFunction)
{
    return around<void*>("png_create_write_struct", version, error, errorFunction, warningFunction);
}
void png_destroy_write_struct(void* png, void* info) { around<void>("png_destroy_write_struct", png, info); }

}  // extern "C"
