// A broken property found by a fuzz target: print it and abort, so libFuzzer
// keeps the input that did it.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                         \
    do {                                                                                              \
        if (!(condition)) {                                                                           \
            std::fprintf(stderr, "fuzz check failed at %s:%d: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                             \
        }                                                                                             \
    } while (0)

#include "framework/cstring.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Text as the program receives it from a transfer or a command line: a C
// string, so it ends at the first NUL.
inline CString TextOf(const uint8_t* data, size_t size) {
    return CString(std::string(reinterpret_cast<const char*>(data), size).c_str());
}
