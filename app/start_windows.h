// The two windows the start-up can run. Each runs modally until it ends and
// is the application's main window meanwhile.
#pragma once

#include "framework/cstring.h"

// The key-setup window, handed the command line (where "/KEY=" takes effect).
void RunKeySetupWindow(const CString& command_line);
// The send-fax window, handed the command line and the stored key.
void RunSendFaxWindow(const CString& command_line, const CString& stored_key);
