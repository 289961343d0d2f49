// Where the program's own files are: the folder of the running executable.
#pragma once

#include "framework/cstring.h"

// The module path cut just after its last backslash. A path without a
// backslash is used whole.
CString ProgramFolderFromModulePath(const char* module_path);
