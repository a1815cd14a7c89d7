#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win32.h"

// The bytes of a regular file, mapped read-only for as long as this lives, so that they are read
// where the system keeps them rather than copied. Empty when the file cannot be mapped (a pipe, a
// device, an empty file); such a file is read as a stream instead.
class FileView {
public:
    // size: the file's size as GetFileSizeEx gives it.
    FileView(HANDLE file, std::uint64_t size);
    ~FileView();
    FileView(const FileView&) = delete;
    FileView& operator=(const FileView&) = delete;

    bool mapped() const { return view != nullptr; }
    const char* data() const { return static_cast<const char*>(view); }
    size_t size() const { return bytes; }

    // Lets the system take back the memory holding [begin, end) of the view (whole pages, so also the
    // bytes around the range that share a page with it). Advisory only: the whole view stays readable,
    // and a page taken back is read again from the file's cache when touched, with the same bytes. So
    // another thread may read any part of the view meanwhile, as the threaded frame reader does.
    void release(const char* begin, const char* end) const;

private:
    LPVOID view = nullptr;
    size_t bytes = 0;
};

// Releases the pages of a view that a reader moving from front to back has passed, a few megabytes at
// a time, so that reading a large file holds only a little of it in memory at once.
class PassedPages {
public:
    // view: null when the text read is not a view, which is then left alone.
    PassedPages(const FileView* view, const char* start) : view(view), released(start) {}
    void passed(const char* position)
    {
        if (static_cast<size_t>(position - released) >= RELEASE_STEP) passedAll(position);
    }
    // The reader is done up to position: everything before it goes.
    void passedAll(const char* position)
    {
        if (view != nullptr && position > released) view->release(released, position);
        released = position;
    }

    static constexpr size_t RELEASE_STEP = size_t{4} << 20;

private:
    const FileView* view;
    const char* released;
};
