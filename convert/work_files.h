// Names and command lines of a print job's work files. Pure text rules, so
// they are the same on every platform and testable without Windows.
#pragma once

#include "base/program_folder.h"
#include "framework/cstring.h"

struct LocalTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Program folder + "Files\".
CString WorkFolder(const CString& program_folder);

// "%2d%2d%4d-%2d%2d%2d" of month, day, year, hour, minute, second with every
// blank turned into 0, e.g. 12092026-020805.
CString TimeStamp(const LocalTime& time);

// Work folder + "Fax_" + time stamp: the name of a job's files without the
// extension.
CString WorkFileStem(const CString& work_folder, const LocalTime& time);

// The stem a job takes on its attempt-th try (1-based) when earlier names are
// taken: the stem itself first, then stem_2, stem_3, ...
CString NumberedStem(const CString& stem, int attempt);

// Program folder + "Xtra\PD\gswin32c.exe".
CString GhostscriptProgram(const CString& program_folder);

// The whole command line Ghostscript is started with. Only the program folder
// is in its short form (so it needs no escaping); both work files are long
// paths, each in its own quotes.
CString GhostscriptCommandLine(const CString& short_program_folder, const CString& pdf_path, const CString& ps_path);
