// The processes and files a print job's conversion touches. The Windows build
// uses the Win32 calls; native builds use POSIX equivalents, so the whole
// sequence runs for real in tests.
#pragma once

#include "convert/work_files.h"
#include "framework/cstring.h"

struct RunResult {
    bool started = false;          // false: the process could not be created
    bool exit_code_known = false;  // the wait ended and the exit code was read
    unsigned long exit_code = 0;
};

enum class ClaimResult {
    Claimed,  // the file did not exist and is now ours (empty)
    Taken,    // a file of that name already exists
    Failed,   // could not be created for another reason (folder missing, no rights)
};

class JobPlatform {
public:
    virtual ~JobPlatform() = default;

    // Full path of the running executable, with backslashes as separators.
    virtual CString ModulePath() = 0;
    // Starts the command line (no separate program name, hidden, handles
    // inherited) and waits for it without a time-out.
    virtual RunResult RunAndWait(const CString& command_line) = 0;
    // Copies a file, replacing the target when it exists.
    virtual bool CopyOver(const CString& from, const CString& to) = 0;
    virtual bool Remove(const CString& path) = 0;
    virtual bool Exists(const CString& path) = 0;
    // Size in bytes; -1 when the file cannot be read.
    virtual long long SizeOf(const CString& path) = 0;
    virtual bool MakeFolder(const CString& path) = 0;
    // Creates the file only if no file of that name exists, atomically, so two
    // processes can never both own the same name.
    virtual ClaimResult ClaimNew(const CString& path) = 0;
    virtual LocalTime Now() = 0;
    // The short (8.3) form of an existing path; the path itself when there is none.
    virtual CString ShortForm(const CString& path) = 0;
    virtual void ShowWaitCursor() = 0;
    virtual void RestoreCursor() = 0;
};
