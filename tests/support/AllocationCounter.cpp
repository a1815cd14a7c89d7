// malloc and its relatives, defined in the program so that every library's calls land here first
// (ELF symbol interposition), then handed to the C library's own implementation. While counting,
// each allocation walks its call stack to find whose it is.

#include "AllocationCounter.h"

#include "Sanitized.h"

#ifdef VEXO_SANITIZED

bool AllocationCounter::available()
{
    return false;
}
AllocationCounter::AllocationCounter() = default;
AllocationCounter::~AllocationCounter() = default;
std::size_t AllocationCounter::ours() const
{
    return 0;
}
std::size_t AllocationCounter::libraries() const
{
    return 0;
}

#else

#include <dlfcn.h>
#include <execinfo.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* memory, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* memory);
}

namespace {

std::atomic<bool> counting{false};
std::atomic<std::size_t> ownCount{0};
std::atomic<std::size_t> libraryCount{0};
thread_local bool walking = false;  // the walk itself may allocate: not counted

// Load addresses of the test program and of the runtime libraries that allocate for their callers.
void* programBase = nullptr;
void* libcBase = nullptr;
void* libstdcxxBase = nullptr;

void* baseOf(const void* address)
{
    Dl_info info{};
    return dladdr(address, &info) != 0 ? info.dli_fbase : nullptr;
}

// Whether a frame belongs to the runtime: the C and C++ libraries, or a standard-library template
// instantiated in the program and exported from it (the C++ library then calls the program's copy).
bool inRuntime(const void* address)
{
    Dl_info info{};
    if (dladdr(address, &info) == 0) return false;
    if (info.dli_fbase == libcBase || info.dli_fbase == libstdcxxBase) return true;
    const char* name = info.dli_sname;
    return info.dli_fbase == programBase && name != nullptr &&
           (std::strncmp(name, "_ZNSt", 5) == 0 || std::strncmp(name, "_ZNKSt", 6) == 0 ||
            std::strncmp(name, "_ZSt", 4) == 0);
}

// Inlined into each interposer, so that frame 0 of the walk is the interposer and frame 1 its caller.
[[gnu::always_inline]] inline void note()
{
    if (!counting.load(std::memory_order_relaxed) || walking) return;
    walking = true;
    void* frames[48];
    const int n = backtrace(frames, 48);
    bool own = false;
    for (int i = 1; i < n; ++i) {  // frame 0 is the interposer
        if (inRuntime(frames[i])) continue;
        own = baseOf(frames[i]) == programBase;
        break;
    }
    (own ? ownCount : libraryCount).fetch_add(1, std::memory_order_relaxed);
    walking = false;
}

}  // namespace

extern "C" {

void* malloc(std::size_t size)
{
    note();
    return __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size)
{
    note();
    return __libc_calloc(count, size);
}

void* realloc(void* memory, std::size_t size)
{
    note();
    return __libc_realloc(memory, size);
}

void* memalign(std::size_t alignment, std::size_t size)
{
    note();
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(std::size_t alignment, std::size_t size)
{
    note();
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** out, std::size_t alignment, std::size_t size)
{
    note();
    void* memory = __libc_memalign(alignment, size);
    if (memory == nullptr) return ENOMEM;
    *out = memory;
    return 0;
}

void free(void* memory)
{
    __libc_free(memory);
}

}  // extern "C"

bool AllocationCounter::available()
{
    return true;
}

AllocationCounter::AllocationCounter()
{
    if (programBase == nullptr) {
        programBase = baseOf(reinterpret_cast<const void*>(&baseOf));
        libcBase = baseOf(reinterpret_cast<const void*>(&__libc_malloc));
        libstdcxxBase = baseOf(reinterpret_cast<const void*>(&std::terminate));
        void* warmUp[4];
        backtrace(warmUp, 4);  // loads the unwinder now rather than while counting
    }
    ownCount = 0;
    libraryCount = 0;
    counting = true;
}

AllocationCounter::~AllocationCounter()
{
    counting = false;
}

std::size_t AllocationCounter::ours() const
{
    return ownCount.load();
}

std::size_t AllocationCounter::libraries() const
{
    return libraryCount.load();
}

#endif  // VEXO_SANITIZED
