#pragma once

#include <cstdint>

#include "platform/win32.h"

// What a HANDLE of the kernel's file calls points to: an open file, or a file mapping (which holds its
// own descriptor, so that it outlives the file handle as on Windows). CloseHandle closes either.
struct KernelObject {
    enum Kind { FILE, MAPPING } kind;
    int fd;
    std::uint64_t size;  // a mapping's size in bytes
};

// The object behind a handle if it is of that kind, else null.
inline KernelObject* kernelObject(HANDLE handle, KernelObject::Kind kind)
{
    auto* object = static_cast<KernelObject*>(handle);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && object->kind == kind ? object : nullptr;
}
