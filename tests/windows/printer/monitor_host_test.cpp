// The print monitor as the spooler sees it: the DLL is loaded with
// LoadLibrary, initialised through InitializePrintMonitor2 with a registry
// root of its own, its port is added through the Xcv interface, and jobs go
// through OpenPort, StartDocPort, WritePort in chunks, EndDocPort and
// ClosePort. The program it starts is a stand-in that records its command
// line. What a real spooler adds (its impersonation of a remote user, the
// user's own session and desktop) cannot happen here; the impersonating case
// below impersonates this process's own user.
#include "printer/spool_job.h"
#include "tools/print-host/spooler_registry.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <winsplp.h>
#include <winspool.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

const wchar_t kTestRoot[] = L"Software\\Vantrel monitor host test";
const wchar_t kSpoolFolder[] = L"C:\\ProgramData\\Vantrel\\Spool\\";
const wchar_t kLog[] = L"C:\\ProgramData\\Vantrel\\monitor.log";

std::wstring Wide(const std::string& text) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring out(size > 0 ? size - 1 : 0, L'\0');
    if (size > 1) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &out[0], size);
    return out;
}

// A build-time Unix path as Wine's Windows name for it.
std::wstring FromBuildPath(const std::string& unix_path) {
    std::wstring path = L"Z:" + Wide(unix_path);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

std::string ReadAll(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::wstring> FilesIn(const std::wstring& folder, const wchar_t* pattern = L"*") {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

void EmptyFolder(const std::wstring& folder) {
    for (const std::wstring& name : FilesIn(folder)) DeleteFileW((folder + name).c_str());
}

typedef LPMONITOR2(WINAPI* InitializeFunction)(PMONITORINIT, PHANDLE);

// What a stand-in start left: the command line it was given.
struct Started {
    std::wstring command_line;
};

class MonitorHost : public ::testing::Test {
public:
    static void SetUpTestSuite() { dll_ = LoadLibraryW(FromBuildPath(MONITOR_DLL).c_str()); }
    static void TearDownTestSuite() {
        if (dll_) FreeLibrary(dll_);
    }

    void SetUp() override {
        ASSERT_NE(dll_, nullptr) << "LoadLibrary: " << GetLastError();
        const auto initialize = reinterpret_cast<InitializeFunction>(
            reinterpret_cast<void*>(GetProcAddress(dll_, "InitializePrintMonitor2")));
        ASSERT_NE(initialize, nullptr) << "no InitializePrintMonitor2 export";

        // The program, in a folder whose name holds a blank, as installed.
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        program_folder_ = std::wstring(temp) + L"Vantrel host test\\";
        CreateDirectoryW(program_folder_.c_str(), nullptr);
        program_ = program_folder_ + L"KestridUI.exe";
        ASSERT_TRUE(CopyFileW(FromBuildPath(PROGRAM_STANDIN).c_str(), program_.c_str(), FALSE));
        started_folder_ = program_folder_ + L"started\\";
        EmptyFolder(started_folder_);
        EmptyFolder(kSpoolFolder);
        DeleteFileW(kLog);

        RegDeleteTreeW(HKEY_CURRENT_USER, kTestRoot);
        ASSERT_EQ(
            RegCreateKeyExW(HKEY_CURRENT_USER, kTestRoot, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root_, nullptr),
            ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(root_, L"Program", 0, REG_SZ, reinterpret_cast<const BYTE*>(program_.c_str()),
                                 static_cast<DWORD>((program_.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);

        reg_ = spooler_registry::Functions();
        MONITORINIT init = {};
        init.cbSize = sizeof(init);
        init.hSpooler = reinterpret_cast<HANDLE>(0x5F00);
        init.hckRegistryRoot = reinterpret_cast<decltype(init.hckRegistryRoot)>(root_);
        init.pMonitorReg = &reg_;
        init.bLocal = TRUE;
        table_ = initialize(&init, &monitor_);
        ASSERT_NE(table_, nullptr);
        ASSERT_GE(table_->cbSize, static_cast<DWORD>(MONITOR2_SIZE_WIN2K));
        ASSERT_EQ(Xcv(L"AddPort", printer::kDefaultPortName, SERVER_ACCESS_ADMINISTER), ERROR_SUCCESS);
    }

    void TearDown() override {
        if (table_) table_->pfnShutdown(monitor_);
        if (root_) RegCloseKey(root_);
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestRoot);
        EmptyFolder(kSpoolFolder);
        EmptyFolder(started_folder_);
    }

    // One Xcv call with a port name as its input, as the spooler passes on
    // XcvData from an installer.
    DWORD Xcv(const wchar_t* what, const std::wstring& port, ACCESS_MASK access, DWORD* output = nullptr) {
        HANDLE xcv = nullptr;
        if (!table_->pfnXcvOpenPort(monitor_, L"", access, &xcv)) return GetLastError();
        DWORD out = 0, needed = 0;
        const DWORD result =
            table_->pfnXcvDataPort(xcv, what, reinterpret_cast<PBYTE>(const_cast<wchar_t*>(port.c_str())),
                                   static_cast<DWORD>((port.size() + 1) * sizeof(wchar_t)),
                                   reinterpret_cast<PBYTE>(&out), sizeof(out), &needed);
        EXPECT_TRUE(table_->pfnXcvClosePort(xcv));
        if (output) *output = out;
        return result;
    }

    std::vector<std::wstring> Ports(DWORD level) {
        DWORD needed = 0, count = 0;
        EXPECT_FALSE(table_->pfnEnumPorts(monitor_, nullptr, level, nullptr, 0, &needed, &count));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
        std::vector<BYTE> buffer(needed + 1);
        std::vector<std::wstring> names;
        if (!table_->pfnEnumPorts(monitor_, nullptr, level, buffer.data(), needed, &needed, &count)) {
            ADD_FAILURE() << "EnumPorts level " << level << ": " << GetLastError();
            return names;
        }
        for (DWORD i = 0; i < count; ++i) {
            if (level == 1) {
                names.push_back(reinterpret_cast<PORT_INFO_1W*>(buffer.data())[i].pName);
            } else {
                const PORT_INFO_2W& info = reinterpret_cast<PORT_INFO_2W*>(buffer.data())[i];
                names.push_back(std::wstring(info.pPortName) + L"|" + info.pMonitorName + L"|" + info.pDescription);
            }
        }
        return names;
    }

    HANDLE Open(const wchar_t* port = printer::kDefaultPortName) {
        HANDLE handle = nullptr;
        std::wstring name = port;
        EXPECT_TRUE(table_->pfnOpenPort(monitor_, &name[0], &handle)) << GetLastError();
        return handle;
    }

    bool StartDoc(HANDLE port, DWORD job) {
        wchar_t printer_name[] = L"Vantrel Fax";
        wchar_t document[] = L"Quarterly report";
        DOC_INFO_1W info = {document, nullptr, nullptr};
        return table_->pfnStartDocPort(port, printer_name, job, 1, reinterpret_cast<LPBYTE>(&info));
    }

    // Writes the data in chunks of chunk bytes, as the print processor does.
    void Write(HANDLE port, const std::string& data, size_t chunk) {
        for (size_t at = 0; at < data.size(); at += chunk) {
            const DWORD size = static_cast<DWORD>(std::min(chunk, data.size() - at));
            DWORD written = 0;
            ASSERT_TRUE(table_->pfnWritePort(port, reinterpret_cast<LPBYTE>(const_cast<char*>(data.data() + at)), size,
                                             &written))
                << GetLastError();
            ASSERT_EQ(written, size);
        }
    }

    // The starts of the stand-in recorded so far, waiting up to timeout_ms
    // for at least count of them.
    std::vector<Started> StartsSeen(size_t count, DWORD timeout_ms = 20000) {
        for (DWORD waited = 0;; waited += 100) {
            const std::vector<std::wstring> records = FilesIn(started_folder_, L"*.txt");
            if (records.size() >= count || waited >= timeout_ms) {
                std::vector<Started> starts;
                for (const std::wstring& name : records) starts.push_back({Wide(ReadAll(started_folder_ + name))});
                return starts;
            }
            Sleep(100);
        }
    }

    std::wstring ExpectedCommandLine(DWORD job, unsigned long pages) {
        return L"\"" + program_ + L"\" -fromspooler -pages " + std::to_wstring(pages) + L" \"" + kSpoolFolder +
               L"Fax job " + std::to_wstring(job) + L".ps\"";
    }

    static std::string Example(const char* name) {
        return ReadAll(FromBuildPath(std::string(KESTRID_SOURCE_DIR "/examples/") + name));
    }

    static HMODULE dll_;
    HKEY root_ = nullptr;
    MONITORREG reg_ = {};
    HANDLE monitor_ = nullptr;
    LPMONITOR2 table_ = nullptr;
    std::wstring program_folder_, program_, started_folder_;
};

HMODULE MonitorHost::dll_ = nullptr;

TEST_F(MonitorHost, PortsAreAddedListedAndDeletedThroughXcv) {
    EXPECT_EQ(Ports(1), std::vector<std::wstring>({L"VANTREL:"}));
    EXPECT_EQ(Ports(2), std::vector<std::wstring>({L"VANTREL:|Vantrel Fax Monitor|Vantrel Fax"}));

    DWORD exists = 7;
    EXPECT_EQ(Xcv(L"PortExists", L"VANTREL:", SERVER_ACCESS_ADMINISTER, &exists), ERROR_SUCCESS);
    EXPECT_EQ(exists, 1u);
    EXPECT_EQ(Xcv(L"PortExists", L"OTHER:", SERVER_ACCESS_ADMINISTER, &exists), ERROR_SUCCESS);
    EXPECT_EQ(exists, 0u);

    struct Case {
        const wchar_t* what;
        const wchar_t* port;
        ACCESS_MASK access;
        DWORD result;
    };
    const Case cases[] = {
        {L"AddPort", L"VANTREL:", SERVER_ACCESS_ADMINISTER, ERROR_ALREADY_EXISTS},
        {L"AddPort", L"vantrel:", SERVER_ACCESS_ADMINISTER, ERROR_ALREADY_EXISTS},  // port names ignore case
        {L"AddPort", L"FAX 2:", SERVER_ACCESS_ENUMERATE, ERROR_ACCESS_DENIED},
        {L"AddPort", L"C:\\x:", SERVER_ACCESS_ADMINISTER, ERROR_INVALID_NAME},
        {L"AddPort", L"FAX 2:", SERVER_ACCESS_ADMINISTER, ERROR_SUCCESS},
        {L"DeletePort", L"NONE:", SERVER_ACCESS_ADMINISTER, ERROR_UNKNOWN_PORT},
        {L"DeletePort", L"VANTREL:", SERVER_ACCESS_ENUMERATE, ERROR_ACCESS_DENIED},
        {L"MonitorUI", L"", SERVER_ACCESS_ADMINISTER, ERROR_INVALID_PARAMETER},  // no UI DLL
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Xcv(c.what, c.port, c.access), c.result) << static_cast<const void*>(c.what);
    }
    std::vector<std::wstring> both = Ports(1);
    std::sort(both.begin(), both.end());
    EXPECT_EQ(both, std::vector<std::wstring>({L"FAX 2:", L"VANTREL:"}));
    EXPECT_EQ(Xcv(L"DeletePort", L"VANTREL:", SERVER_ACCESS_ADMINISTER), ERROR_SUCCESS);
    EXPECT_EQ(Ports(1), std::vector<std::wstring>({L"FAX 2:"}));

    HANDLE port = nullptr;
    wchar_t gone[] = L"VANTREL:";
    EXPECT_FALSE(table_->pfnOpenPort(monitor_, gone, &port));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_UNKNOWN_PORT));
}

TEST_F(MonitorHost, AJobWrittenInChunksStartsTheProgramWithItsSpoolFile) {
    const std::string job = Example("three-page.ps");
    // Chunks of odd sizes cut the page comments anywhere.
    for (size_t chunk : {size_t(4096), size_t(7)}) {
        SCOPED_TRACE(chunk);
        EmptyFolder(started_folder_);
        const DWORD id = static_cast<DWORD>(40 + chunk);
        HANDLE port = Open();
        ASSERT_TRUE(StartDoc(port, id)) << GetLastError();
        Write(port, job, chunk);
        ASSERT_TRUE(table_->pfnEndDocPort(port));
        EXPECT_TRUE(table_->pfnClosePort(port));

        const std::vector<Started> starts = StartsSeen(1);
        ASSERT_EQ(starts.size(), 1u);
        EXPECT_EQ(starts[0].command_line, ExpectedCommandLine(id, 3));
        // The program owns the file now: it is there, byte for byte.
        const std::wstring spool_file = std::wstring(kSpoolFolder) + L"Fax job " + std::to_wstring(id) + L".ps";
        EXPECT_EQ(ReadAll(spool_file), job);
    }
    const std::string log = ReadAll(kLog);
    EXPECT_NE(log.find("job 47: started on VANTREL:"), std::string::npos) << log;
    EXPECT_NE(log.find("job 47: " + std::to_string(job.size()) + " bytes, 3 pages, handed to the program"),
              std::string::npos)
        << log;
}

TEST_F(MonitorHost, EmptyAbandonedAndFailedJobsStartNothingAndLeaveNoFile) {
    const std::string job = Example("one-page.ps");
    struct Case {
        const char* name;
        DWORD id;
        // How the job ends after StartDocPort.
        void (*end)(MonitorHost&, HANDLE, const std::string&);
        const char* logged;
    };
    const Case cases[] = {
        {"empty: no byte written", 61,
         [](MonitorHost& host, HANDLE port, const std::string&) { EXPECT_TRUE(host.table_->pfnEndDocPort(port)); },
         "job 61: empty, discarded (0 bytes)"},
        {"abandoned: closed without EndDocPort", 62,
         [](MonitorHost& host, HANDLE port, const std::string& data) { host.Write(port, data, 100); },
         "job 62: cancelled, discarded"},
        {"a write the monitor cannot make fails the job with its error", 63,
         [](MonitorHost& host, HANDLE port, const std::string& data) {
             host.Write(port, data, 100);
             DWORD written = 5;
             EXPECT_FALSE(host.table_->pfnWritePort(port, nullptr, 10, &written));
             EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
             EXPECT_EQ(written, 0u);
             // Nothing more is taken for the job.
             char more[] = "more";
             EXPECT_FALSE(host.table_->pfnWritePort(port, reinterpret_cast<LPBYTE>(more), 4, &written));
             EXPECT_TRUE(host.table_->pfnEndDocPort(port));
         },
         "job 63: failed, discarded"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HANDLE port = Open();
        ASSERT_TRUE(StartDoc(port, c.id));
        EXPECT_EQ(FilesIn(kSpoolFolder).size(), 1u);
        c.end(*this, port, job);
        EXPECT_TRUE(table_->pfnClosePort(port));
        EXPECT_EQ(FilesIn(kSpoolFolder), std::vector<std::wstring>());
        EXPECT_NE(ReadAll(kLog).find(c.logged), std::string::npos) << ReadAll(kLog);
    }
    // A job that StartDocPort begins again on the same port gives up the
    // one the spooler never ended.
    HANDLE port = Open();
    ASSERT_TRUE(StartDoc(port, 64));
    Write(port, job, 100);
    ASSERT_TRUE(StartDoc(port, 65));
    Write(port, job, 100);
    ASSERT_TRUE(table_->pfnEndDocPort(port));
    EXPECT_TRUE(table_->pfnClosePort(port));
    const std::vector<Started> starts = StartsSeen(1);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].command_line, ExpectedCommandLine(65, 1));
    EXPECT_EQ(FilesIn(kSpoolFolder), std::vector<std::wstring>({L"Fax job 65.ps"}));
    // Nothing else was started, however long one waits.
    Sleep(2000);
    EXPECT_EQ(StartsSeen(0, 0).size(), 1u);
}

TEST_F(MonitorHost, TwoJobsAtOnceOnTwoThreadsKeepTheirOwnFiles) {
    ASSERT_EQ(Xcv(L"AddPort", L"VANTREL 2:", SERVER_ACCESS_ADMINISTER), ERROR_SUCCESS);
    const std::string jobs[2] = {Example("three-page.ps"), Example("one-page.ps")};
    const wchar_t* ports[2] = {L"VANTREL:", L"VANTREL 2:"};
    std::atomic<int> open_jobs(0);
    auto print = [&](int which) {
        HANDLE port = Open(ports[which]);
        ASSERT_TRUE(StartDoc(port, 80 + which));
        // Both jobs are open before either writes: their writes interleave.
        ++open_jobs;
        while (open_jobs < 2) Sleep(1);
        Write(port, jobs[which], 97);
        ASSERT_TRUE(table_->pfnEndDocPort(port));
        EXPECT_TRUE(table_->pfnClosePort(port));
    };
    std::thread first(print, 0), second(print, 1);
    first.join();
    second.join();

    std::vector<Started> starts = StartsSeen(2);
    ASSERT_EQ(starts.size(), 2u);
    std::vector<std::wstring> lines = {starts[0].command_line, starts[1].command_line};
    std::vector<std::wstring> expected = {ExpectedCommandLine(80, 3), ExpectedCommandLine(81, 1)};
    std::sort(lines.begin(), lines.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(ReadAll(std::wstring(kSpoolFolder) + L"Fax job 80.ps"), jobs[0]);
    EXPECT_EQ(ReadAll(std::wstring(kSpoolFolder) + L"Fax job 81.ps"), jobs[1]);
}

TEST_F(MonitorHost, AJobNumberSeenBeforeGetsANameOfItsOwn) {
    // Job numbers start again when the spooler does; a file of an earlier
    // run that the program has not taken yet is never overwritten.
    const std::string left = "left from an earlier run";
    {
        std::ofstream earlier((std::wstring(kSpoolFolder) + L"Fax job 90.ps").c_str(), std::ios::binary);
        earlier << left;
    }
    const std::string job = Example("one-page.ps");
    HANDLE port = Open();
    ASSERT_TRUE(StartDoc(port, 90));
    Write(port, job, 512);
    ASSERT_TRUE(table_->pfnEndDocPort(port));
    EXPECT_TRUE(table_->pfnClosePort(port));
    const std::vector<Started> starts = StartsSeen(1);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].command_line,
              L"\"" + program_ + L"\" -fromspooler -pages 1 \"" + kSpoolFolder + L"Fax job 90 (2).ps\"");
    EXPECT_EQ(ReadAll(std::wstring(kSpoolFolder) + L"Fax job 90.ps"), left);
    EXPECT_EQ(ReadAll(std::wstring(kSpoolFolder) + L"Fax job 90 (2).ps"), job);
}

TEST_F(MonitorHost, WhileTheSpoolerImpersonatesTheUserTheProgramIsStartedAsThatUser) {
    // The spooler calls StartDocPort impersonating the printing user. Here
    // the thread impersonates this process's own user: the monitor takes the
    // impersonation token, starts the program with CreateProcessAsUser on
    // winsta0\default, and the thread is still impersonating afterwards.
    ASSERT_TRUE(ImpersonateSelf(SecurityImpersonation)) << GetLastError();
    const std::string job = Example("three-page.ps");
    HANDLE port = Open();
    const bool started = StartDoc(port, 95);
    if (started) {
        Write(port, job, 1000);
        EXPECT_TRUE(table_->pfnEndDocPort(port));
    }
    HANDLE token = nullptr;
    const bool still_impersonating = OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token);
    if (token) CloseHandle(token);
    RevertToSelf();
    EXPECT_TRUE(table_->pfnClosePort(port));
    ASSERT_TRUE(started);
    EXPECT_TRUE(still_impersonating);

    const std::vector<Started> starts = StartsSeen(1);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].command_line, ExpectedCommandLine(95, 3));
    EXPECT_NE(ReadAll(kLog).find("handed to the program as the printing user"), std::string::npos) << ReadAll(kLog);
}

TEST_F(MonitorHost, WithoutARegisteredProgramTheJobIsDiscarded) {
    ASSERT_EQ(RegDeleteValueW(root_, L"Program"), ERROR_SUCCESS);
    HANDLE port = Open();
    ASSERT_TRUE(StartDoc(port, 99));
    Write(port, Example("one-page.ps"), 512);
    EXPECT_TRUE(table_->pfnEndDocPort(port));
    EXPECT_TRUE(table_->pfnClosePort(port));
    EXPECT_EQ(FilesIn(kSpoolFolder), std::vector<std::wstring>());
    const std::string log = ReadAll(kLog);
    EXPECT_NE(log.find("job 99: no program is registered"), std::string::npos) << log;
    EXPECT_NE(log.find("job 99: failed, discarded"), std::string::npos) << log;
}

}  // namespace
