// What the command line means. The routing rule only asks whether the text is
// empty; the windows decide what a non-empty text names.
#pragma once

#include "framework/cstring.h"

enum class StartWindow { KeySetup, SendFax };

// The send-fax window needs both a command line and a stored key; anything
// else goes to key setup. An installer's "/KEY=" goes to key setup, stored key
// or not, so it can replace the key; a spooler line never does, even when its
// job path holds "/KEY=".
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

// The installer form: everything after the first "/KEY=". When the marker
// opens a quoted argument ("/KEY=abc def", as Windows quotes an argument with
// a blank), the key ends before that argument's closing quote. False when the
// text holds no "/KEY=", or when it is a spooler line (-fromspooler).
bool ExtractSilentKey(const CString& command_line, CString& key);
