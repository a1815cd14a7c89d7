// File mappings and their views, and VirtualUnlock for the pages of views.
//
// On Windows a file cannot be shortened while a view of it exists, so a view stays readable to its
// end. Here another program may truncate the file, and touching a page of the view past the new end
// raises SIGBUS. Views keep their Windows meaning: a handler turns such pages into zeros, so a reader
// sees the file end early (in NULs) instead of the process being killed.

#include <atomic>
#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <mutex>
#include <sys/mman.h>
#include <unistd.h>

#include "platform/linux/KernelObject.h"
#include "platform/win32.h"

namespace {

// The views mapped and not yet unmapped. The SIGBUS handler reads the table, so it is a fixed array of
// atomics rather than a container; only mapping and unmapping, under the lock, write it.
struct ViewSlot {
    std::atomic<std::uintptr_t> begin{0};  // 0: a free slot
    std::atomic<std::size_t> length{0};
};
constexpr int MAX_VIEWS = 64;
ViewSlot views[MAX_VIEWS];
std::mutex viewsLock;

std::uintptr_t pageSize()
{
    static const auto size = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    return size;
}

// The slot of the view holding the address, or null.
ViewSlot* viewHolding(std::uintptr_t address)
{
    for (ViewSlot& slot : views) {
        const std::uintptr_t begin = slot.begin.load(std::memory_order_acquire);
        if (begin != 0 && address >= begin && address - begin < slot.length.load(std::memory_order_relaxed)) return &slot;
    }
    return nullptr;
}

struct sigaction previousBusAction;

// A page of a view past the end of its shortened file: the rest of the view becomes zeros. Any other
// SIGBUS goes where it went before.
void onBusError(int signal, siginfo_t* info, void* context)
{
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    if (const ViewSlot* view = viewHolding(address); view != nullptr) {
        const std::uintptr_t page = address / pageSize() * pageSize();
        const std::uintptr_t end = view->begin.load(std::memory_order_relaxed) + view->length.load(std::memory_order_relaxed);
        if (::mmap(reinterpret_cast<void*>(page), end - page, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) !=
            MAP_FAILED) {
            return;  // the read is retried, now from zeros
        }
    }
    if ((previousBusAction.sa_flags & SA_SIGINFO) != 0 && previousBusAction.sa_sigaction != nullptr) {
        previousBusAction.sa_sigaction(signal, info, context);
    } else if (previousBusAction.sa_handler != SIG_DFL && previousBusAction.sa_handler != SIG_IGN) {
        previousBusAction.sa_handler(signal);
    } else {
        ::signal(SIGBUS, SIG_DFL);  // the fault happens again and ends the process, as it would have
    }
}

void guardViews()
{
    static const bool installed = [] {
        pageSize();  // known before the handler can need it
        struct sigaction action = {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        return ::sigaction(SIGBUS, &action, &previousBusAction) == 0;
    }();
    (void)installed;
}

}  // namespace

HANDLE CreateFileMappingW(HANDLE file, SECURITY_ATTRIBUTES*, DWORD protect, DWORD maximumSizeHigh, DWORD maximumSizeLow,
                          LPCWSTR name)
{
    LARGE_INTEGER size;
    const KernelObject* object = kernelObject(file, KernelObject::FILE);
    if (object == nullptr || protect != PAGE_READONLY || maximumSizeHigh != 0 || maximumSizeLow != 0 || name != nullptr ||
        !GetFileSizeEx(file, &size) || size.QuadPart <= 0) {
        return nullptr;
    }
    const int fd = ::fcntl(object->fd, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) return nullptr;
    return new KernelObject{KernelObject::MAPPING, fd, static_cast<std::uint64_t>(size.QuadPart)};
}

LPVOID MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow, SIZE_T bytes)
{
    const KernelObject* object = kernelObject(mapping, KernelObject::MAPPING);
    if (object == nullptr || access != FILE_MAP_READ || offsetHigh != 0 || offsetLow != 0 || bytes > object->size ||
        object->size > SIZE_MAX) {
        return nullptr;
    }
    guardViews();
    const size_t length = bytes == 0 ? static_cast<size_t>(object->size) : bytes;
    const std::lock_guard<std::mutex> hold(viewsLock);
    for (ViewSlot& slot : views) {
        if (slot.begin.load(std::memory_order_relaxed) != 0) continue;
        void* view = ::mmap(nullptr, length, PROT_READ, MAP_SHARED, object->fd, 0);
        if (view == MAP_FAILED) return nullptr;
        slot.length.store(length, std::memory_order_relaxed);
        slot.begin.store(reinterpret_cast<std::uintptr_t>(view), std::memory_order_release);
        return view;
    }
    return nullptr;  // as many views as this realisation keeps
}

BOOL UnmapViewOfFile(LPCVOID address)
{
    const std::lock_guard<std::mutex> hold(viewsLock);
    for (ViewSlot& slot : views) {
        if (slot.begin.load(std::memory_order_relaxed) != reinterpret_cast<std::uintptr_t>(address)) continue;
        const size_t length = slot.length.load(std::memory_order_relaxed);
        slot.begin.store(0, std::memory_order_release);
        return ::munmap(const_cast<void*>(address), length) == 0;
    }
    return FALSE;
}

BOOL VirtualUnlock(LPVOID address, SIZE_T size)
{
    const auto first = reinterpret_cast<std::uintptr_t>(address);
    const std::uintptr_t begin = first / pageSize() * pageSize();
    const std::uintptr_t end = (first + size + pageSize() - 1) / pageSize() * pageSize();
    const std::lock_guard<std::mutex> hold(viewsLock);
    // Dropping pages of a shared file mapping loses nothing: they are the file's, read back when touched.
    const ViewSlot* view = size > 0 ? viewHolding(first) : nullptr;
    if (view != nullptr && first + size - view->begin.load(std::memory_order_relaxed) <= view->length.load(std::memory_order_relaxed)) {
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_DONTNEED);
    }
    return FALSE;  // nothing was locked
}
