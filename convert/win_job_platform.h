// Processes and files through the Win32 calls the program has always used.
#pragma once

#include "convert/job_platform.h"

#include <windows.h>

class WinJobPlatform : public JobPlatform {
public:
    CString ModulePath() override;
    RunResult RunAndWait(const CString& command_line) override;
    bool CopyOver(const CString& from, const CString& to) override;
    bool Remove(const CString& path) override;
    bool Exists(const CString& path) override;
    long long SizeOf(const CString& path) override;
    bool MakeFolder(const CString& path) override;
    ClaimResult ClaimNew(const CString& path) override;
    LocalTime Now() override;
    CString ShortForm(const CString& path) override;
    void ShowWaitCursor() override;
    void RestoreCursor() override;

private:
    HCURSOR m_previousCursor = nullptr;
    bool m_waitCursorShown = false;
};
