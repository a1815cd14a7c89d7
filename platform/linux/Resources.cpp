// Resources of the program's own module, from the table compiled out of assets/vexo.rc.

#include "platform/linux/ResourceTable.h"
#include "platform/win32.h"

namespace {

bool sameName(const ResourceEntry& entry, LPCWSTR name)
{
    if (IS_INTRESOURCE(name)) return entry.name == nullptr && entry.id == reinterpret_cast<ULONG_PTR>(name);
    return entry.name != nullptr && lstrcmpiW(entry.name, name) == 0;
}

}  // namespace

HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type)
{
    if (module != PROGRAM_MODULE_HANDLE || name == nullptr || !IS_INTRESOURCE(type)) return nullptr;
    for (DWORD i = 0; i < RESOURCE_COUNT; ++i) {
        const ResourceEntry& entry = RESOURCE_TABLE[i];
        if (entry.type == reinterpret_cast<ULONG_PTR>(type) && sameName(entry, name)) {
            return reinterpret_cast<HRSRC>(const_cast<ResourceEntry*>(&entry));
        }
    }
    return nullptr;
}

HGLOBAL LoadResource(HMODULE, HRSRC resource)
{
    return resource;
}

LPVOID LockResource(HGLOBAL loaded)
{
    return loaded == nullptr ? nullptr : const_cast<BYTE*>(static_cast<const ResourceEntry*>(loaded)->data);
}

DWORD SizeofResource(HMODULE, HRSRC resource)
{
    return resource == nullptr ? 0 : reinterpret_cast<const ResourceEntry*>(resource)->size;
}
