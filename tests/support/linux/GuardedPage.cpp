// Two anonymous pages, the second one made inaccessible.

#include "GuardedPage.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

GuardedPage::GuardedPage() : pageSize(static_cast<size_t>(::sysconf(_SC_PAGESIZE)))
{
    void* pages = ::mmap(nullptr, 2 * pageSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages == MAP_FAILED) {
        ADD_FAILURE() << "no pages: " << std::strerror(errno);
        return;
    }
    if (::mprotect(static_cast<char*>(pages) + pageSize, pageSize, PROT_NONE) != 0) {
        ADD_FAILURE() << "no guard: " << std::strerror(errno);
        ::munmap(pages, 2 * pageSize);
        return;
    }
    memory = static_cast<char*>(pages);
}

GuardedPage::~GuardedPage()
{
    if (memory != nullptr) ::munmap(memory, 2 * pageSize);
}
