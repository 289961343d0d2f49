// Resources of the test program that hold no image GDI+ can decode, for the
// cases where loading one must fail.
#pragma once

#include "test_resources.h"

#include <windows.h>

namespace kestrid_test {

struct UndecodableResource {
    const char* what;
    UINT id;
    const char* type;
};

inline constexpr UndecodableResource kUndecodableResources[] = {
    {"bytes that are no image", IDP_TEXT, "PNG"},
    {"missing resource", 999, "PNG"},
    {"wrong type", IDP_RED, "GIF"},
};

}  // namespace kestrid_test
