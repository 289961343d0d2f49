// The two windows the start-up can run, each modal until it ends.
#pragma once

#include "framework/cstring.h"

void RunKeySetupWindow(const CString& command_line);
void RunSendFaxWindow(const CString& command_line, const CString& stored_key);
