#pragma once

// A page of memory whose next page cannot be read: text placed at its end is followed by nothing
// readable, so a reader that looks past it faults. Realised per platform in
// tests/support/<platform>/GuardedPage.cpp.

#include <cstddef>
#include <cstring>
#include <string>

class GuardedPage {
public:
    GuardedPage();
    ~GuardedPage();
    GuardedPage(const GuardedPage&) = delete;
    GuardedPage& operator=(const GuardedPage&) = delete;

    // Copies the text to the end of the page and returns where it starts there (null when the pages
    // could not be had).
    const char* atEnd(const std::string& text) const
    {
        if (memory == nullptr || text.size() > pageSize) return nullptr;
        char* begin = memory + pageSize - text.size();
        std::memcpy(begin, text.data(), text.size());
        return begin;
    }
    size_t size() const { return pageSize; }

private:
    char* memory = nullptr;
    size_t pageSize = 0;
};
