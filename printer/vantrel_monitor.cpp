// The "Vantrel Fax" port monitor: the spooler loads this DLL, and every job
// printed to one of its ports becomes a PostScript file in the spool folder
// under %ProgramData%\Vantrel, which KestridUI.exe is then started with, in
// the printing user's session and as that user. The decisions live in
// spool_job.cpp; this file only carries them out with Win32 calls. It runs
// inside the spooler: it shows nothing, never waits on anything but the disk,
// and closes every handle it opens.
#include "printer/spool_job.h"

#include <windows.h>
#include <sddl.h>
#include <shlobj.h>
#include <userenv.h>
#include <winsplp.h>
#include <winspool.h>
#include <wtsapi32.h>

#include <new>
#include <string>
#include <vector>

using printer::JobOutcome;

namespace {

const wchar_t kMonitorName[] = L"Vantrel Fax Monitor";
const wchar_t kPortDescription[] = L"Vantrel Fax";
const wchar_t kPortsKey[] = L"Ports";
const wchar_t kProgramValue[] = L"Program";
const wchar_t kMonitorKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Vantrel Fax Monitor";
const DWORD kPortMagic = 0x564E5450;  // "VNTP"
const DWORD kXcvMagic = 0x564E5458;   // "VNTX"

// The data folder: SYSTEM and administrators have it; other users may only
// pass through it to their own job's file, whose path they are given.
const wchar_t kFolderSecurity[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;;0x100020;;;AU)";

SRWLOCK trace_lock = SRWLOCK_INIT;

struct Monitor {
    HANDLE spooler = nullptr;
    HANDLE root = nullptr;
    MONITORREG reg = {};
    SRWLOCK ports_lock = SRWLOCK_INIT;
};

struct Job {
    bool active = false;
    DWORD id = 0;
    std::wstring printer_name;
    std::wstring path;
    HANDLE file = INVALID_HANDLE_VALUE;
    printer::JobRecord record;
    printer::PageCounter pages;
    // The spooler's impersonation of the printing user, when it was
    // impersonating at StartDocPort.
    HANDLE client_token = nullptr;
    std::wstring user;
};

struct Port {
    DWORD magic = kPortMagic;
    Monitor* monitor = nullptr;
    std::wstring name;
    Job job;
};

struct Xcv {
    DWORD magic = kXcvMagic;
    Monitor* monitor = nullptr;
    ACCESS_MASK granted = 0;
};

// -- small helpers

std::wstring DataFolder() {
    wchar_t common[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, common))) {
        const DWORD length = GetEnvironmentVariableW(L"ProgramData", common, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return L"";
    }
    std::wstring folder = common;
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return folder + L"Vantrel\\";
}

std::wstring SpoolFolder() {
    const std::wstring data = DataFolder();
    return data.empty() ? data : data + L"Spool\\";
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size : 0, '\0');
    if (size > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
    }
    return out;
}

std::wstring ErrorText(DWORD error) { return L"error " + std::to_wstring(error); }

// A folder made with the monitor's security (left as it is when it exists).
bool MakeFolder(const std::wstring& folder) {
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), nullptr, FALSE};
    ConvertStringSecurityDescriptorToSecurityDescriptorW(kFolderSecurity, SDDL_REVISION_1,
                                                         &attributes.lpSecurityDescriptor, nullptr);
    const BOOL made = CreateDirectoryW(folder.c_str(), &attributes);
    const DWORD error = GetLastError();
    if (attributes.lpSecurityDescriptor) LocalFree(attributes.lpSecurityDescriptor);
    return made || error == ERROR_ALREADY_EXISTS;
}

// Runs as the spooler itself for its lifetime, even where the calling thread
// impersonates the printing user: the monitor's folders and files are made
// with the spooler's rights, the program started with its privilege.
class AsSpooler {
public:
    explicit AsSpooler(HANDLE client_token) : token_(client_token) {
        if (token_) RevertToSelf();
    }
    ~AsSpooler() {
        if (token_) SetThreadToken(nullptr, token_);
    }
    AsSpooler(const AsSpooler&) = delete;
    AsSpooler& operator=(const AsSpooler&) = delete;

private:
    HANDLE token_;
};

void Trace(DWORD job_id, const std::wstring& text) {
    const std::wstring folder = DataFolder();
    if (folder.empty()) return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    printer::TraceTime time;
    time.year = now.wYear;
    time.month = now.wMonth;
    time.day = now.wDay;
    time.hour = now.wHour;
    time.minute = now.wMinute;
    time.second = now.wSecond;
    const std::string line = Utf8(printer::TraceLine(time, job_id, text));
    const std::wstring log = folder + L"monitor.log";

    const DWORD saved_error = GetLastError();
    // Users may not write in the data folder: the line is written as the
    // spooler even while the thread impersonates the printing user.
    HANDLE client_token = nullptr;
    OpenThreadToken(GetCurrentThread(), TOKEN_IMPERSONATE, TRUE, &client_token);
    {
        AsSpooler self(client_token);
        AcquireSRWLockExclusive(&trace_lock);
        MakeFolder(folder);
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (GetFileAttributesExW(log.c_str(), GetFileExInfoStandard, &data) &&
            printer::TraceNeedsRotation((static_cast<unsigned long long>(data.nFileSizeHigh) << 32) |
                                        data.nFileSizeLow)) {
            MoveFileExW(log.c_str(), (folder + L"monitor.old.log").c_str(), MOVEFILE_REPLACE_EXISTING);
        }
        const HANDLE file = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
            CloseHandle(file);
        }
        ReleaseSRWLockExclusive(&trace_lock);
    }
    if (client_token) CloseHandle(client_token);
    SetLastError(saved_error);
}

// -- who printed

// The user a token stands for: "DOMAIN\name" and the SID as text.
void TokenUser(HANDLE token, std::wstring& name, std::wstring& sid_text) {
    DWORD size = 0;
    GetTokenInformation(token, ::TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size ? size : 1);
    if (!GetTokenInformation(token, ::TokenUser, buffer.data(), size, &size)) return;
    const PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    wchar_t* text = nullptr;
    if (ConvertSidToStringSidW(sid, &text)) {
        sid_text = text;
        LocalFree(text);
    }
    wchar_t account[256] = L"", domain[256] = L"";
    DWORD account_size = 256, domain_size = 256;
    SID_NAME_USE use;
    if (LookupAccountSidW(nullptr, sid, account, &account_size, domain, &domain_size, &use)) {
        name = domain[0] ? std::wstring(domain) + L"\\" + account : std::wstring(account);
    } else {
        name = sid_text;
    }
}

bool IsLocalSystem(HANDLE token) {
    std::wstring name, sid;
    TokenUser(token, name, sid);
    return sid == L"S-1-5-18";
}

// -- the spool file

HANDLE CreateSpoolFile(const std::wstring& path, const std::wstring& user_sid) {
    // Only the printing user (who converts and then deletes it) and SYSTEM.
    std::wstring sddl = L"D:P(A;;FA;;;SY)";
    if (!user_sid.empty() && user_sid != L"S-1-5-18") sddl += L"(A;;FA;;;" + user_sid + L")";
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), nullptr, FALSE};
    ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                         &attributes.lpSecurityDescriptor, nullptr);
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, &attributes, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    const DWORD error = GetLastError();
    if (attributes.lpSecurityDescriptor) LocalFree(attributes.lpSecurityDescriptor);
    SetLastError(error);
    return file;
}

void CloseSpoolFile(Job& job) {
    if (job.file != INVALID_HANDLE_VALUE) {
        CloseHandle(job.file);
        job.file = INVALID_HANDLE_VALUE;
    }
}

// Ends the job's bookkeeping; the file, if any, is already dealt with.
void ClearJob(Job& job) {
    CloseSpoolFile(job);
    if (job.client_token) CloseHandle(job.client_token);
    job = Job();
}

void DiscardJob(Job& job, JobOutcome outcome) {
    CloseSpoolFile(job);
    if (!job.path.empty()) {
        AsSpooler self(job.client_token);
        if (!DeleteFileW(job.path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) {
            Trace(job.id, L"could not delete " + job.path + L": " + ErrorText(GetLastError()));
        }
    }
    Trace(job.id, std::wstring(printer::OutcomeText(outcome)) + L" (" + std::to_wstring(job.record.bytes) + L" bytes)");
    ClearJob(job);
}

// -- the spooler's view of the job

struct SpoolerJob {
    bool known = false;
    bool gone = false;  // the printer answered, the job no longer exists
    DWORD status = 0;
    DWORD total_pages = 0;
};

// Asks the spooler about the job and tells it the job has left for the
// "device" (a port monitor without a language monitor must, or the job stays
// in the queue).
SpoolerJob FinishWithSpooler(const Job& job) {
    SpoolerJob answer;
    if (job.printer_name.empty()) return answer;
    HANDLE printer = nullptr;
    std::wstring name = job.printer_name;
    if (!OpenPrinterW(&name[0], &printer, nullptr)) return answer;
    DWORD needed = 0;
    GetJobW(printer, job.id, 1, nullptr, 0, &needed);
    if (needed > 0) {
        std::vector<BYTE> buffer(needed);
        if (GetJobW(printer, job.id, 1, buffer.data(), needed, &needed)) {
            const JOB_INFO_1W* info = reinterpret_cast<const JOB_INFO_1W*>(buffer.data());
            answer.known = true;
            answer.status = info->Status;
            answer.total_pages = info->TotalPages;
        }
    } else if (GetLastError() == ERROR_INVALID_PARAMETER) {
        answer.gone = true;
    }
    SetJobW(printer, job.id, 0, nullptr, JOB_CONTROL_SENT_TO_PRINTER);
    ClosePrinter(printer);
    return answer;
}

// -- the monitor's registry key: through the spooler's functions, which
// keep it right on a cluster; where the spooler does not implement them
// (Wine's), the key the spooler keeps for the monitor, opened directly.

struct RegKey {
    HANDLE handle = nullptr;
    bool direct = false;
};

bool NotImplemented(LONG result) { return result == ERROR_CALL_NOT_IMPLEMENTED || result == ERROR_NOT_SUPPORTED; }

LONG OpenMonitorSubkey(Monitor* monitor, const wchar_t* sub, bool create, REGSAM sam, RegKey& key) {
    key = RegKey();
    DWORD disposition = 0;
    LONG result = create ? monitor->reg.fpCreateKey(monitor->root, sub, 0, sam, nullptr, &key.handle, &disposition,
                                                    monitor->spooler)
                         : monitor->reg.fpOpenKey(monitor->root, sub, sam, &key.handle, monitor->spooler);
    if (!NotImplemented(result)) return result;
    key.direct = true;
    const std::wstring path = sub && *sub ? std::wstring(kMonitorKey) + L"\\" + sub : std::wstring(kMonitorKey);
    HKEY direct = nullptr;
    result = create
                 ? RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, sam, nullptr, &direct, &disposition)
                 : RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, sam, &direct);
    key.handle = direct;
    return result;
}

void CloseMonitorKey(Monitor* monitor, RegKey& key) {
    if (!key.handle) return;
    if (key.direct) {
        RegCloseKey(static_cast<HKEY>(key.handle));
    } else {
        monitor->reg.fpCloseKey(key.handle, monitor->spooler);
    }
    key = RegKey();
}

LONG QueryMonitorValue(Monitor* monitor, const wchar_t* name, DWORD* type, BYTE* data, DWORD* size) {
    const DWORD capacity = *size;
    const LONG result = monitor->reg.fpQueryValue(monitor->root, name, type, data, size, monitor->spooler);
    if (!NotImplemented(result)) return result;
    *size = capacity;
    return RegGetValueW(HKEY_LOCAL_MACHINE, kMonitorKey, name, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                        type, data, size);
}

LONG EnumMonitorValue(Monitor* monitor, const RegKey& key, DWORD index, wchar_t* name, DWORD* count) {
    if (key.direct) {
        return RegEnumValueW(static_cast<HKEY>(key.handle), index, name, count, nullptr, nullptr, nullptr, nullptr);
    }
    return monitor->reg.fpEnumValue(key.handle, index, name, count, nullptr, nullptr, nullptr, monitor->spooler);
}

LONG SetMonitorValue(Monitor* monitor, const RegKey& key, const wchar_t* name, const BYTE* data, DWORD size) {
    if (key.direct) return RegSetValueExW(static_cast<HKEY>(key.handle), name, 0, REG_SZ, data, size);
    return monitor->reg.fpSetValue(key.handle, name, REG_SZ, data, size, monitor->spooler);
}

LONG DeleteMonitorValue(Monitor* monitor, const RegKey& key, const wchar_t* name) {
    if (key.direct) return RegDeleteValueW(static_cast<HKEY>(key.handle), name);
    return monitor->reg.fpDeleteValue(key.handle, name, monitor->spooler);
}

// -- the program

std::wstring ProgramPath(Monitor* monitor) {
    wchar_t value[MAX_PATH + 1] = L"";
    DWORD type = 0, size = sizeof(value) - sizeof(wchar_t);
    if (QueryMonitorValue(monitor, kProgramValue, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return L"";
    }
    value[size / sizeof(wchar_t)] = L'\0';
    return value;
}

// Starts the program as the printing user on that user's desktop; returns
// how it was started for the trace, or an empty text with the error set.
std::wstring StartProgram(Job& job, const std::wstring& program, const std::wstring& command_line) {
    std::vector<wchar_t> line(command_line.begin(), command_line.end());
    line.push_back(L'\0');
    const std::wstring folder = printer::FolderOf(program);
    PROCESS_INFORMATION process = {};
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    std::wstring how;

    HANDLE user_token = nullptr;
    if (job.client_token) {
        // The spooler's impersonation of the printing user, made a primary
        // token: the program runs as that user, in that user's session.
        if (!DuplicateTokenEx(job.client_token, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenPrimary,
                              &user_token)) {
            return L"";
        }
        how = L"as the printing user " + job.user;
    } else {
        HANDLE own = nullptr;
        if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own)) {
            // Without an impersonation the job's user is unknown. As SYSTEM
            // (the spooler) the program goes to the user at the console,
            // never into the service session.
            if (IsLocalSystem(own)) {
                const DWORD session = WTSGetActiveConsoleSessionId();
                if (session != 0xFFFFFFFF && WTSQueryUserToken(session, &user_token)) {
                    how = L"as the user of console session " + std::to_wstring(session);
                } else {
                    CloseHandle(own);
                    SetLastError(ERROR_NO_SUCH_LOGON_SESSION);
                    return L"";
                }
            }
            CloseHandle(own);
        }
    }

    BOOL started = FALSE;
    DWORD error = 0;
    if (user_token) {
        void* environment = nullptr;
        CreateEnvironmentBlock(&environment, user_token, FALSE);
        wchar_t desktop[] = L"winsta0\\default";
        startup.lpDesktop = desktop;
        {
            AsSpooler self(job.client_token);
            started = CreateProcessAsUserW(user_token, program.c_str(), line.data(), nullptr, nullptr, FALSE,
                                           CREATE_UNICODE_ENVIRONMENT | CREATE_DEFAULT_ERROR_MODE, environment,
                                           folder.empty() ? nullptr : folder.c_str(), &startup, &process);
            error = GetLastError();
        }
        if (environment) DestroyEnvironmentBlock(environment);
        CloseHandle(user_token);
    } else {
        // Not the spooler and no impersonation: a host that loaded the
        // monitor itself; the program runs as that host's user.
        started = CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE,
                                 nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &process);
        error = GetLastError();
        how = L"as the monitor's own user";
    }
    if (!started) {
        SetLastError(error);
        return L"";
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return how + L", process " + std::to_wstring(process.dwProcessId);
}

// -- ports in the monitor's registry key

std::vector<std::wstring> ReadPorts(Monitor* monitor) {
    std::vector<std::wstring> ports;
    RegKey key;
    if (OpenMonitorSubkey(monitor, kPortsKey, false, KEY_READ, key) != ERROR_SUCCESS) {
        CloseMonitorKey(monitor, key);
        return ports;
    }
    for (DWORD index = 0; index < 1000; ++index) {
        // The count is in characters; the buffer holds twice as many, so a
        // count read as bytes is safe too.
        wchar_t name[512] = L"";
        DWORD count = 256;
        if (EnumMonitorValue(monitor, key, index, name, &count) != ERROR_SUCCESS) {
            break;
        }
        name[511] = L'\0';
        ports.push_back(name);
    }
    CloseMonitorKey(monitor, key);
    return ports;
}

bool HasPort(Monitor* monitor, const std::wstring& name) {
    for (const std::wstring& port : ReadPorts(monitor)) {
        if (CompareStringOrdinal(port.c_str(), -1, name.c_str(), -1, TRUE) == CSTR_EQUAL) return true;
    }
    return false;
}

DWORD AddPortName(Monitor* monitor, const std::wstring& name) {
    if (!printer::IsValidPortName(name)) return ERROR_INVALID_NAME;
    AcquireSRWLockExclusive(&monitor->ports_lock);
    DWORD result = ERROR_ALREADY_EXISTS;
    if (!HasPort(monitor, name)) {
        RegKey key;
        result = OpenMonitorSubkey(monitor, kPortsKey, true, KEY_ALL_ACCESS, key);
        if (result == ERROR_SUCCESS) {
            const wchar_t empty[] = L"";
            result = SetMonitorValue(monitor, key, name.c_str(), reinterpret_cast<const BYTE*>(empty), sizeof(empty));
        }
        CloseMonitorKey(monitor, key);
    }
    ReleaseSRWLockExclusive(&monitor->ports_lock);
    Trace(0, L"add port " + name + L": " + (result == ERROR_SUCCESS ? L"done" : ErrorText(result)));
    return result;
}

DWORD DeletePortName(Monitor* monitor, const std::wstring& name) {
    AcquireSRWLockExclusive(&monitor->ports_lock);
    RegKey key;
    DWORD result = ERROR_UNKNOWN_PORT;
    if (HasPort(monitor, name) && OpenMonitorSubkey(monitor, kPortsKey, false, KEY_ALL_ACCESS, key) == ERROR_SUCCESS) {
        result = DeleteMonitorValue(monitor, key, name.c_str());
    }
    CloseMonitorKey(monitor, key);
    ReleaseSRWLockExclusive(&monitor->ports_lock);
    Trace(0, L"delete port " + name + L": " + (result == ERROR_SUCCESS ? L"done" : ErrorText(result)));
    return result;
}

// The text of an Xcv input buffer, which need not end with a zero.
std::wstring InputText(const BYTE* data, DWORD size) {
    if (!data) return L"";
    const wchar_t* text = reinterpret_cast<const wchar_t*>(data);
    std::wstring out;
    for (DWORD i = 0; i < size / sizeof(wchar_t) && text[i]; ++i) out.push_back(text[i]);
    return out;
}

Port* AsPort(HANDLE handle) {
    Port* port = static_cast<Port*>(handle);
    return port && port->magic == kPortMagic ? port : nullptr;
}

// -- the MONITOR2 functions

BOOL WINAPI EnumPortsW2(HANDLE hMonitor, LPWSTR, DWORD level, LPBYTE ports, DWORD size, LPDWORD needed,
                        LPDWORD returned) {
    Monitor* monitor = static_cast<Monitor*>(hMonitor);
    if (!monitor || !needed || !returned || (level != 1 && level != 2)) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    AcquireSRWLockShared(&monitor->ports_lock);
    const std::vector<std::wstring> names = ReadPorts(monitor);
    ReleaseSRWLockShared(&monitor->ports_lock);

    const DWORD entry = level == 1 ? sizeof(PORT_INFO_1W) : sizeof(PORT_INFO_2W);
    auto bytes = [](const std::wstring& text) { return static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)); };
    DWORD total = 0;
    for (const std::wstring& name : names) {
        total += entry + bytes(name);
        if (level == 2) total += bytes(kMonitorName) + bytes(kPortDescription);
    }
    *needed = total;
    *returned = 0;
    if (total > size || (total > 0 && !ports)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    // Entries first, their texts after them.
    BYTE* text_at = ports + entry * names.size();
    auto put = [&text_at, &bytes](const std::wstring& text) {
        wchar_t* at = reinterpret_cast<wchar_t*>(text_at);
        CopyMemory(at, text.c_str(), bytes(text));
        text_at += bytes(text);
        return at;
    };
    for (size_t i = 0; i < names.size(); ++i) {
        if (level == 1) {
            PORT_INFO_1W* info = reinterpret_cast<PORT_INFO_1W*>(ports) + i;
            info->pName = put(names[i]);
        } else {
            PORT_INFO_2W* info = reinterpret_cast<PORT_INFO_2W*>(ports) + i;
            info->pPortName = put(names[i]);
            info->pMonitorName = put(kMonitorName);
            info->pDescription = put(kPortDescription);
            info->fPortType = PORT_TYPE_WRITE;
            info->Reserved = 0;
        }
    }
    *returned = static_cast<DWORD>(names.size());
    return TRUE;
}

BOOL WINAPI OpenPortW2(HANDLE hMonitor, LPWSTR name, PHANDLE handle) {
    Monitor* monitor = static_cast<Monitor*>(hMonitor);
    if (!monitor || !name || !handle) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    AcquireSRWLockShared(&monitor->ports_lock);
    const bool known = HasPort(monitor, name);
    ReleaseSRWLockShared(&monitor->ports_lock);
    if (!known) {
        SetLastError(ERROR_UNKNOWN_PORT);
        return FALSE;
    }
    Port* port = new (std::nothrow) Port;
    if (!port) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    port->monitor = monitor;
    port->name = name;
    *handle = port;
    return TRUE;
}

BOOL WINAPI StartDocPortW2(HANDLE hPort, LPWSTR printer_name, DWORD job_id, DWORD, LPBYTE) {
    Port* port = AsPort(hPort);
    if (!port) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    Job& job = port->job;
    // A job the spooler never ended is given up before the next one starts.
    if (job.active) {
        job.record.cancelled = true;
        DiscardJob(job, JobOutcome::DiscardCancelled);
    }
    job.active = true;
    job.id = job_id;
    job.printer_name = printer_name ? printer_name : L"";

    HANDLE token = nullptr;
    std::wstring sid;
    if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_IMPERSONATE, TRUE, &token)) {
        job.client_token = token;
        TokenUser(token, job.user, sid);
    } else if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        TokenUser(token, job.user, sid);
        CloseHandle(token);
    }

    DWORD error = ERROR_PATH_NOT_FOUND;
    {
        AsSpooler self(job.client_token);
        const std::wstring data = DataFolder();
        const std::wstring spool = SpoolFolder();
        if (!spool.empty() && MakeFolder(data) && MakeFolder(spool)) {
            for (int attempt = 1; attempt <= printer::kSpoolNameAttempts; ++attempt) {
                const std::wstring path = printer::SpoolFilePath(spool, job_id, attempt);
                job.file = CreateSpoolFile(path, sid);
                if (job.file != INVALID_HANDLE_VALUE) {
                    job.path = path;
                    break;
                }
                error = GetLastError();
                if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
            }
        } else {
            error = GetLastError() ? GetLastError() : ERROR_PATH_NOT_FOUND;
        }
    }
    if (job.file == INVALID_HANDLE_VALUE) {
        Trace(job_id, L"started on " + port->name + L" for " + job.user + L": no spool file, " + ErrorText(error));
        ClearJob(job);
        SetLastError(error);
        return FALSE;
    }
    job.record.file_open = true;
    Trace(job_id,
          L"started on " + port->name + L" for " + job.user + L" (printer " + job.printer_name + L"): " + job.path);
    return TRUE;
}

BOOL WINAPI WritePortW2(HANDLE hPort, LPBYTE buffer, DWORD size, LPDWORD written) {
    Port* port = AsPort(hPort);
    if (written) *written = 0;
    if (!port || !written || !port->job.active || port->job.file == INVALID_HANDLE_VALUE) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    Job& job = port->job;
    if (job.record.write_failed) {
        SetLastError(ERROR_WRITE_FAULT);
        return FALSE;
    }
    DWORD done = 0;
    if (size > 0 && (!buffer || !WriteFile(job.file, buffer, size, &done, nullptr) || done != size)) {
        const DWORD error = buffer ? (GetLastError() ? GetLastError() : ERROR_WRITE_FAULT) : ERROR_INVALID_PARAMETER;
        job.record.write_failed = true;
        Trace(job.id, L"write failed: " + ErrorText(error));
        SetLastError(error);
        return FALSE;
    }
    job.pages.Feed(reinterpret_cast<const char*>(buffer), done);
    job.record.bytes += done;
    *written = done;
    return TRUE;
}

BOOL WINAPI ReadPortW2(HANDLE, LPBYTE, DWORD, LPDWORD read) {
    // Nothing ever answers from a file.
    if (read) *read = 0;
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}

BOOL WINAPI EndDocPortW2(HANDLE hPort) {
    Port* port = AsPort(hPort);
    if (!port) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    Job& job = port->job;
    if (!job.active) return TRUE;
    CloseSpoolFile(job);
    SpoolerJob spooler;
    {
        AsSpooler self(job.client_token);
        spooler = FinishWithSpooler(job);
    }
    if (spooler.gone || (spooler.known && (spooler.status & (JOB_STATUS_DELETING | JOB_STATUS_DELETED |
                                                             JOB_STATUS_ERROR | JOB_STATUS_RESTART)))) {
        job.record.cancelled = true;
    }
    const JobOutcome outcome = printer::EndOfJob(job.record);
    if (outcome != JobOutcome::Deliver) {
        DiscardJob(job, outcome);
        return TRUE;
    }

    const std::wstring program = ProgramPath(port->monitor);
    const unsigned long pages = printer::JobPages(job.pages.Pages(), spooler.total_pages);
    const std::wstring command_line = printer::ProgramCommandLine(program, pages, job.path);
    std::wstring how;
    if (program.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        Trace(job.id, L"no program is registered (value \"Program\" of the monitor's key)");
    } else {
        how = StartProgram(job, program, command_line);
    }
    if (how.empty()) {
        const DWORD error = GetLastError();
        Trace(job.id, L"could not start " + command_line + L": " + ErrorText(error));
        DiscardJob(job, JobOutcome::DiscardFailed);
        return TRUE;
    }
    Trace(job.id, L"" + std::to_wstring(job.record.bytes) + L" bytes, " + std::to_wstring(pages) + L" pages, " +
                      printer::OutcomeText(outcome) + L" " + how + L": " + command_line);
    // The file is the program's now.
    job.path.clear();
    ClearJob(job);
    return TRUE;
}

BOOL WINAPI ClosePortW2(HANDLE hPort) {
    Port* port = AsPort(hPort);
    if (!port) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // A job still open here was dropped by the spooler.
    if (port->job.active) {
        port->job.record.cancelled = true;
        DiscardJob(port->job, JobOutcome::DiscardCancelled);
    }
    port->magic = 0;
    delete port;
    return TRUE;
}

BOOL WINAPI AddPortW2(HANDLE hMonitor, LPWSTR, HWND, LPWSTR) {
    // No dialog in the spooler: the one port there is to add.
    Monitor* monitor = static_cast<Monitor*>(hMonitor);
    if (!monitor) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const DWORD result = AddPortName(monitor, printer::kDefaultPortName);
    SetLastError(result);
    return result == ERROR_SUCCESS;
}

BOOL WINAPI DeletePortW2(HANDLE hMonitor, LPWSTR, HWND, LPWSTR port_name) {
    Monitor* monitor = static_cast<Monitor*>(hMonitor);
    if (!monitor || !port_name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const DWORD result = DeletePortName(monitor, port_name);
    SetLastError(result);
    return result == ERROR_SUCCESS;
}

BOOL WINAPI ConfigurePortW2(HANDLE, LPWSTR, HWND, LPWSTR) {
    // Nothing to configure.
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}

BOOL WINAPI XcvOpenPortW2(HANDLE hMonitor, LPCWSTR, ACCESS_MASK granted, PHANDLE handle) {
    Monitor* monitor = static_cast<Monitor*>(hMonitor);
    if (!monitor || !handle) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Xcv* xcv = new (std::nothrow) Xcv;
    if (!xcv) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    xcv->monitor = monitor;
    xcv->granted = granted;
    *handle = xcv;
    return TRUE;
}

DWORD WINAPI XcvDataPortW2(HANDLE hXcv, LPCWSTR data_name, PBYTE input, DWORD input_size, PBYTE output,
                           DWORD output_size, PDWORD output_needed) {
    Xcv* xcv = static_cast<Xcv*>(hXcv);
    if (!xcv || xcv->magic != kXcvMagic || !data_name) return ERROR_INVALID_HANDLE;
    const std::wstring name = data_name;
    const std::wstring port = InputText(input, input_size);
    if (output_needed) *output_needed = 0;
    if (name == L"AddPort" || name == L"DeletePort") {
        if (!(xcv->granted & SERVER_ACCESS_ADMINISTER)) return ERROR_ACCESS_DENIED;
        return name == L"AddPort" ? AddPortName(xcv->monitor, port) : DeletePortName(xcv->monitor, port);
    }
    if (name == L"PortExists") {
        if (output_needed) *output_needed = sizeof(DWORD);
        if (!output || output_size < sizeof(DWORD)) return ERROR_INSUFFICIENT_BUFFER;
        AcquireSRWLockShared(&xcv->monitor->ports_lock);
        const DWORD exists = HasPort(xcv->monitor, port) ? 1 : 0;
        ReleaseSRWLockShared(&xcv->monitor->ports_lock);
        CopyMemory(output, &exists, sizeof(exists));
        return ERROR_SUCCESS;
    }
    // "MonitorUI" included: there is no UI DLL.
    return ERROR_INVALID_PARAMETER;
}

BOOL WINAPI XcvClosePortW2(HANDLE hXcv) {
    Xcv* xcv = static_cast<Xcv*>(hXcv);
    if (!xcv || xcv->magic != kXcvMagic) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    xcv->magic = 0;
    delete xcv;
    return TRUE;
}

VOID WINAPI ShutdownW2(HANDLE hMonitor) {
    Trace(0, L"monitor unloaded");
    delete static_cast<Monitor*>(hMonitor);
}

MONITOR2 MonitorTable() {
    MONITOR2 table = {};
    table.cbSize = sizeof(MONITOR2);
    table.pfnEnumPorts = EnumPortsW2;
    table.pfnOpenPort = OpenPortW2;
    table.pfnStartDocPort = StartDocPortW2;
    table.pfnWritePort = WritePortW2;
    table.pfnReadPort = ReadPortW2;
    table.pfnEndDocPort = EndDocPortW2;
    table.pfnClosePort = ClosePortW2;
    table.pfnAddPort = AddPortW2;
    table.pfnConfigurePort = ConfigurePortW2;
    table.pfnDeletePort = DeletePortW2;
    table.pfnXcvOpenPort = XcvOpenPortW2;
    table.pfnXcvDataPort = XcvDataPortW2;
    table.pfnXcvClosePort = XcvClosePortW2;
    table.pfnShutdown = ShutdownW2;
    return table;
}

MONITOR2 monitor_table = MonitorTable();

}  // namespace

extern "C" __declspec(dllexport) LPMONITOR2 WINAPI InitializePrintMonitor2(PMONITORINIT init, PHANDLE handle) {
    const MONITORREG* reg = init ? init->pMonitorReg : nullptr;
    if (!init || !handle || init->cbSize < sizeof(MONITORINIT) || !reg || reg->cbSize < sizeof(MONITORREG) ||
        !reg->fpCreateKey || !reg->fpOpenKey || !reg->fpCloseKey || !reg->fpSetValue || !reg->fpDeleteValue ||
        !reg->fpEnumValue || !reg->fpQueryValue) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    Monitor* monitor = new (std::nothrow) Monitor;
    if (!monitor) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    monitor->spooler = init->hSpooler;
    monitor->root = reinterpret_cast<HANDLE>(init->hckRegistryRoot);
    monitor->reg = *init->pMonitorReg;
    *handle = monitor;
    Trace(0, L"monitor loaded");
    return &monitor_table;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
    return TRUE;
}
