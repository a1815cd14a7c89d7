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

private:
    LPVOID view = nullptr;
    size_t bytes = 0;
};
