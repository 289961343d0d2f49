// Processes and files for native builds. Paths arrive in the program's
// Windows spelling; every backslash is taken as a path separator, since the
// names the program builds never hold a literal backslash.
#pragma once

#include "convert/job_platform.h"

#include <string>
#include <vector>

// Splits a command line the way the child sees it on Windows for our lines:
// blanks separate words outside double quotes, the quotes themselves are
// dropped. Backslashes are kept as they are.
std::vector<std::string> SplitCommandLine(const CString& command_line);

class PosixJobPlatform : public JobPlatform {
public:
    CString ModulePath() override;
    // Starts the first word as the program (posix_spawn, no shell) with the
    // others as its arguments, each with backslashes turned into slashes.
    RunResult RunAndWait(const CString& command_line) override;
    bool CopyOver(const CString& from, const CString& to) override;
    bool Remove(const CString& path) override;
    bool Exists(const CString& path) override;
    long long SizeOf(const CString& path) override;
    bool MakeFolder(const CString& path) override;
    ClaimResult ClaimNew(const CString& path) override;
    LocalTime Now() override;
    // There are no short names here; paths are quoted anyway.
    CString ShortForm(const CString& path) override { return path; }
    void ShowWaitCursor() override {}
    void RestoreCursor() override {}
};

// The native spelling of a path the program built with backslashes.
std::string NativePath(const CString& path);
