// The bytes of a resource in a module, as the module holds them (read-only,
// valid while the module is loaded).
#pragma once

#include <windows.h>

struct ResourceData {
    const void* bytes = nullptr;
    DWORD size = 0;
};

// The resource name of type in module; empty when it is missing, cannot be
// loaded or holds nothing.
ResourceData FindResourceData(HMODULE module, const char* name, const char* type);
