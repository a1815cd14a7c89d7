// malloc and its relatives, defined in the program so that every library's calls land here first
// (ELF symbol interposition), then handed to the C library's own implementation.

#include "AllocationCounter.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* memory, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* memory);
}

namespace {

std::atomic<bool> counting{false};
std::atomic<std::size_t> allocations{0};

void note()
{
    if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
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

AllocationCounter::AllocationCounter()
{
    allocations = 0;
    counting = true;
}

AllocationCounter::~AllocationCounter()
{
    counting = false;
}

std::size_t AllocationCounter::count() const
{
    return allocations.load();
}
