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
