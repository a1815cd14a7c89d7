// Two committed pages, the second one made inaccessible.

#include "GuardedPage.h"

#include <gtest/gtest.h>

#include "platform/win32.h"

GuardedPage::GuardedPage()
{
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    pageSize = system.dwPageSize;
    auto* pages = static_cast<char*>(VirtualAlloc(nullptr, 2 * pageSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD previous;
    if (pages == nullptr || !VirtualProtect(pages + pageSize, pageSize, PAGE_NOACCESS, &previous)) {
        ADD_FAILURE() << "no guarded page: error " << GetLastError();
        if (pages != nullptr) VirtualFree(pages, 0, MEM_RELEASE);
        return;
    }
    memory = pages;
}

GuardedPage::~GuardedPage()
{
    if (memory != nullptr) VirtualFree(memory, 0, MEM_RELEASE);
}
