#include "convert/win_job_platform.h"

#include "convert/print_job.h"

#include <io.h>

#include <vector>

// Ghostscript is started with the 68-byte start-up information of the 32-bit
// program; the 64-bit build uses its own larger layout.
static_assert(sizeof(void*) != 4 || sizeof(STARTUPINFOA) == 68, "STARTUPINFOA layout");

CString WinJobPlatform::ModulePath() {
    char path[260] = "";
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    if (length >= sizeof(path)) length = sizeof(path) - 1;
    path[length] = '\0';
    return CString(path);
}

RunResult WinJobPlatform::RunAndWait(const CString& command_line) {
    RunResult result;
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof(process));

    // CreateProcessA may write into the command line, so it gets its own copy.
    std::vector<char> line(command_line.GetString(), command_line.GetString() + command_line.GetLength() + 1);
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        return result;
    }
    result.started = true;
    if (process.hProcess && WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0) {
        DWORD code = 0;
        if (GetExitCodeProcess(process.hProcess, &code) && code != STILL_ACTIVE) {
            result.exit_code_known = true;
            result.exit_code = code;
        }
    }
    if (process.hProcess) CloseHandle(process.hProcess);
    if (process.hThread) CloseHandle(process.hThread);
    return result;
}

bool WinJobPlatform::CopyOver(const CString& from, const CString& to) { return CopyFileA(from, to, FALSE) != 0; }

bool WinJobPlatform::Remove(const CString& path) { return DeleteFileA(path) != 0; }

bool WinJobPlatform::Exists(const CString& path) { return _access(path, 0) == 0; }

long long WinJobPlatform::SizeOf(const CString& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return -1;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool WinJobPlatform::MakeFolder(const CString& path) { return CreateDirectoryA(path, nullptr) != 0; }

ClaimResult WinJobPlatform::ClaimNew(const CString& path) {
    const HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // A name pending deletion still answers, if only with another refusal.
        bool present = GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
        if (!present) {
            const DWORD lookup = GetLastError();
            present = lookup != ERROR_FILE_NOT_FOUND && lookup != ERROR_PATH_NOT_FOUND;
        }
        return ClaimResultForCreateError(error, present);
    }
    CloseHandle(file);
    return ClaimResult::Claimed;
}

LocalTime WinJobPlatform::Now() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    LocalTime time;
    time.year = now.wYear;
    time.month = now.wMonth;
    time.day = now.wDay;
    time.hour = now.wHour;
    time.minute = now.wMinute;
    time.second = now.wSecond;
    return time;
}

CString WinJobPlatform::ShortForm(const CString& path) {
    char shortPath[260] = "";
    const DWORD length = GetShortPathNameA(path, shortPath, sizeof(shortPath));
    // Without a short form (the folder is gone, or the short name would not
    // fit) the long path is still the best name for it.
    if (length == 0 || length >= sizeof(shortPath)) return path;
    return CString(shortPath);
}

void WinJobPlatform::ShowWaitCursor() {
    m_previousCursor = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    m_waitCursorShown = true;
}

void WinJobPlatform::RestoreCursor() {
    if (!m_waitCursorShown) return;
    SetCursor(m_previousCursor);
    m_waitCursorShown = false;
}
