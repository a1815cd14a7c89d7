// malloc and its relatives, defined in the program so that every library's calls land here first
// (ELF symbol interposition), then handed to the C library's own implementation. While counting,
// each allocation walks its call stack to find whose it is.

#include "AllocationCounter.h"

#include "Sanitized.h"

#ifndef VEXO_MALLOC_INTERPOSABLE

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
std::size_t AllocationCounter::ourLiveBytes() const
{
    return 0;
}
std::size_t AllocationCounter::ourLiveBlocks() const
{
    return 0;
}
bool AllocationCounter::tracksEveryBlock() const
{
    return false;
}

#else

#include <dlfcn.h>
#include <execinfo.h>
#include <link.h>
#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
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

// The address span of the loaded segments of the program and of the two runtime libraries, found
// once, so that an allocation made straight from any other library (the GL driver makes millions)
// is told apart without walking its stack.
struct Span {
    std::uintptr_t begin = 0, end = 0;
    bool holds(const void* address) const
    {
        const auto a = reinterpret_cast<std::uintptr_t>(address);
        return begin <= a && a < end;
    }
};
Span knownSpans[3];

int noteSpan(dl_phdr_info* info, std::size_t, void*)
{
    const void* bases[3] = {programBase, libcBase, libstdcxxBase};
    for (int k = 0; k < 3; ++k) {
        for (int i = 0; i < info->dlpi_phnum; ++i) {
            const ElfW(Phdr)& segment = info->dlpi_phdr[i];
            if (segment.p_type != PT_LOAD) continue;
            const std::uintptr_t begin = info->dlpi_addr + segment.p_vaddr;
            if (baseOf(reinterpret_cast<const void*>(begin)) != bases[k]) break;
            Span& span = knownSpans[k];
            if (span.begin == 0 || begin < span.begin) span.begin = begin;
            span.end = std::max<std::uintptr_t>(span.end, begin + segment.p_memsz);
        }
    }
    return 0;
}

bool inKnownSpan(const void* address)
{
    for (const Span& span : knownSpans) {
        if (span.holds(address)) return true;
    }
    return false;
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

// The program's own blocks allocated while counting and not yet freed, with their sizes: an
// open-addressing table in memory of its own (mmap), so that keeping it allocates nothing. Any
// thread may allocate (the GL driver's do), so it is locked.
class OwnBlocks {
public:
    void clear()
    {
        lock();
        if (slots == nullptr) {
            void* memory = mmap(nullptr, SLOTS * sizeof(Slot), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            slots = memory == MAP_FAILED ? nullptr : static_cast<Slot*>(memory);
        } else {
            std::memset(static_cast<void*>(slots), 0, SLOTS * sizeof(Slot));
        }
        blocks = bytes = 0;
        overflowed = false;
        unlock();
    }

    void add(void* block, std::size_t size)
    {
        if (block == nullptr) return;
        lock();
        if (slots == nullptr || blocks + 1 >= SLOTS / 2) {
            overflowed = true;
        } else {
            std::size_t i = slotOf(block);
            while (slots[i].block != nullptr) i = (i + 1) % SLOTS;
            slots[i] = {block, size};
            ++blocks;
            bytes += size;
        }
        unlock();
    }

    // Forgets the block if it is one of ours.
    void remove(void* block)
    {
        if (block == nullptr) return;
        lock();
        if (slots != nullptr) {
            std::size_t i = slotOf(block);
            while (slots[i].block != nullptr && slots[i].block != block) i = (i + 1) % SLOTS;
            if (slots[i].block == block) {
                --blocks;
                bytes -= slots[i].size;
                erase(i);
            }
        }
        unlock();
    }

    std::size_t liveBytes() const { return bytes; }
    std::size_t liveBlocks() const { return blocks; }
    bool complete() const { return slots != nullptr && !overflowed; }

private:
    struct Slot {
        void* block;
        std::size_t size;
    };
    static constexpr std::size_t SLOTS = std::size_t{1} << 20;

    static std::size_t slotOf(const void* block) { return (reinterpret_cast<std::uintptr_t>(block) >> 4) * 2654435761u % SLOTS; }

    // Backward-shift deletion: later entries of the probe run move up into the gap.
    void erase(std::size_t gap)
    {
        slots[gap].block = nullptr;
        for (std::size_t i = (gap + 1) % SLOTS; slots[i].block != nullptr; i = (i + 1) % SLOTS) {
            const std::size_t home = slotOf(slots[i].block);
            const bool movable = gap <= i ? (home <= gap || home > i) : (home <= gap && home > i);
            if (!movable) continue;
            slots[gap] = slots[i];
            slots[i].block = nullptr;
            gap = i;
        }
    }

    void lock()
    {
        while (busy.test_and_set(std::memory_order_acquire)) {}
    }
    void unlock() { busy.clear(std::memory_order_release); }

    Slot* slots = nullptr;
    std::size_t blocks = 0;
    std::size_t bytes = 0;
    bool overflowed = false;
    std::atomic_flag busy = ATOMIC_FLAG_INIT;
};

OwnBlocks ownBlocks;

// Inlined into each interposer, so that frame 0 of the walk is the interposer and frame 1 its caller.
// Whether the allocation being made is the program's own (false when not counting).
[[gnu::always_inline]] inline bool note()
{
    if (!counting.load(std::memory_order_relaxed) || walking) return false;
    if (!inKnownSpan(__builtin_return_address(0))) {  // straight from another library
        libraryCount.fetch_add(1, std::memory_order_relaxed);
        return false;
    }
    walking = true;
    // Deep enough for the program's own calls through the C++ library and inlined standard templates;
    // each frame more costs an unwinding step on every allocation.
    void* frames[16];
    const int n = backtrace(frames, 16);
    bool own = false;
    for (int i = 1; i < n; ++i) {  // frame 0 is the interposer
        if (inRuntime(frames[i])) continue;
        own = baseOf(frames[i]) == programBase;
        break;
    }
    (own ? ownCount : libraryCount).fetch_add(1, std::memory_order_relaxed);
    walking = false;
    return own;
}

void* kept(bool own, void* block, std::size_t size)
{
    if (own) ownBlocks.add(block, size);
    return block;
}

void forget(void* block)
{
    if (counting.load(std::memory_order_relaxed)) ownBlocks.remove(block);
}

}  // namespace

extern "C" {

void* malloc(std::size_t size)
{
    const bool own = note();
    return kept(own, __libc_malloc(size), size);
}

void* calloc(std::size_t count, std::size_t size)
{
    const bool own = note();
    return kept(own, __libc_calloc(count, size), count * size);
}

void* realloc(void* memory, std::size_t size)
{
    const bool own = note();
    void* moved = __libc_realloc(memory, size);
    if (moved != nullptr || size == 0) forget(memory);
    return kept(own, moved, size);
}

void* memalign(std::size_t alignment, std::size_t size)
{
    const bool own = note();
    return kept(own, __libc_memalign(alignment, size), size);
}

void* aligned_alloc(std::size_t alignment, std::size_t size)
{
    const bool own = note();
    return kept(own, __libc_memalign(alignment, size), size);
}

int posix_memalign(void** out, std::size_t alignment, std::size_t size)
{
    const bool own = note();
    void* memory = __libc_memalign(alignment, size);
    if (memory == nullptr) return ENOMEM;
    *out = kept(own, memory, size);
    return 0;
}

void free(void* memory)
{
    forget(memory);
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
        dl_iterate_phdr(noteSpan, nullptr);
    }
    ownCount = 0;
    libraryCount = 0;
    ownBlocks.clear();
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

std::size_t AllocationCounter::ourLiveBytes() const
{
    return ownBlocks.liveBytes();
}

std::size_t AllocationCounter::ourLiveBlocks() const
{
    return ownBlocks.liveBlocks();
}

bool AllocationCounter::tracksEveryBlock() const
{
    return ownBlocks.complete();
}

#endif  // VEXO_MALLOC_INTERPOSABLE
