// What the command line means. The routing rule only asks whether the text is
// empty; the windows decide what a non-empty text names.
#pragma once

#include "framework/cstring.h"

enum class StartWindow { KeySetup, SendFax };

// The send-fax window needs both a command line and a stored key; anything
// else goes to key setup. "/KEY=" always goes to key setup, stored key or not,
// so an installer can replace the key (it is never a print file).
StartWindow ChooseStartWindow(const CString& command_line, const CString& stored_key);

// The print-file path named by the command line. The spooler form
// (-fromspooler -pages N "path") yields the text between the two quotes that
// follow "-pages "; any other text is the path itself, less one pair of
// double quotes when such a pair encloses the whole text (as Explorer's Send
// To passes a path with blanks), otherwise unchanged (not trimmed).
CString ExtractPrintFilePath(const CString& command_line);

// The virtual printer's form: the named file is its spooled job, which the
// program may delete. In any other form the file is the user's own.
bool IsSpoolerForm(const CString& command_line);

extern const char kSilentKeyMarker[];  // "/KEY="

// The installer form: everything after the first "/KEY=". False when the text
// holds no "/KEY=".
bool ExtractSilentKey(const CString& command_line, CString& key);
