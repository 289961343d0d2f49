#include "controls/resource_data.h"

ResourceData FindResourceData(HMODULE module, const char* name, const char* type) {
    HRSRC found = ::FindResourceA(module, name, type);
    if (!found) return {};
    const DWORD size = ::SizeofResource(module, found);
    HGLOBAL loaded = ::LoadResource(module, found);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes || !size) return {};
    return {bytes, size};
}
