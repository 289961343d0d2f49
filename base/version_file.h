#pragma once

#include "framework/cstring.h"

// The text of the version file shown after "Vantrel v" in the windows' titles:
// at most 90000 bytes, up to the first zero byte, unchanged (a trailing line
// break stays). Empty when the file cannot be opened.
CString ReadVersionFile(const char* path);

// The title label of the windows.
CString VersionLabel(const CString& program_folder);
