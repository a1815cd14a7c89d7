// Transparent huge pages for large arrays.

#include <cstdint>
#include <cstdio>
#include <sys/mman.h>

#include "platform/win32.h"

namespace {

// The size of a transparent huge page, or 0 when the kernel has none to offer.
std::uintptr_t hugePageSize()
{
    static const std::uintptr_t size = [] {
        unsigned long bytes = 0;
        if (std::FILE* file = std::fopen("/sys/kernel/mm/transparent_hugepage/hpage_pmd_size", "r")) {
            if (std::fscanf(file, "%lu", &bytes) != 1) bytes = 0;
            std::fclose(file);
        }
        return std::uintptr_t{bytes};
    }();
    return size;
}

}  // namespace

void VexoPreferLargePages(LPVOID address, SIZE_T size)
{
    // Only whole huge pages inside the block: the ends it shares with other allocations stay as they are.
    const std::uintptr_t huge = hugePageSize();
    if (huge == 0 || (huge & (huge - 1)) != 0) return;
    const auto first = reinterpret_cast<std::uintptr_t>(address);
    const std::uintptr_t begin = (first + huge - 1) & ~(huge - 1);
    const std::uintptr_t end = (first + size) & ~(huge - 1);
    if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}
