#include "motion/FileView.h"

FileView::FileView(HANDLE file, std::uint64_t size)
{
    // An empty file cannot be mapped; one larger than the address space is read as a stream.
    if (size == 0 || size > SIZE_MAX) return;
    const HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (mapping == nullptr) return;
    view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    CloseHandle(mapping);  // the view keeps the mapping
    if (view != nullptr) bytes = static_cast<size_t>(size);
}

FileView::~FileView()
{
    if (view != nullptr) UnmapViewOfFile(view);
}

void FileView::release(const char* begin, const char* end) const
{
    // Memory that was never locked leaves the working set; the result says only that it was not locked.
    VirtualUnlock(const_cast<char*>(begin), static_cast<SIZE_T>(end - begin));
}
