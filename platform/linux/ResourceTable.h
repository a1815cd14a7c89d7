#pragma once

#include "platform/linux/win32/Types.h"

// The program's resources, compiled from assets/vexo.rc by tools/rc into a generated table.
struct ResourceEntry {
    WORD type;          // RT_* identifier
    WORD id;            // identifier, when name is null
    const WCHAR* name;  // upper-case name, or null
    const BYTE* data;
    DWORD size;
};

extern const ResourceEntry RESOURCE_TABLE[];
extern const DWORD RESOURCE_COUNT;
