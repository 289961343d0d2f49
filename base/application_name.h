// The application's name, which the framework uses as the caption of its own
// boxes: the executable's file name without its extension (the program has
// no title string of its own).
#pragma once

#include "framework/cstring.h"

CString ApplicationNameFromModulePath(const char* module_path);
