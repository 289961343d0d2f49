// print-host MONITOR.dll PROGRAM FILE [JOB]
// Loads the print monitor and prints FILE through its port as the spooler
// does (InitializePrintMonitor2, the port added through Xcv, OpenPort,
// StartDocPort, WritePort in 4 KB chunks, EndDocPort, ClosePort, Shutdown),
// with PROGRAM as the program the monitor starts. The monitor's registry
// root is HKCU\Software\Vantrel print host. Exit code 0 when every call
// succeeded; the monitor's own trace says what it did with the job.
#include "tools/print-host/spooler_registry.h"

#include <windows.h>
#include <winsplp.h>
#include <winspool.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

const wchar_t kRoot[] = L"Software\\Vantrel print host";
wchar_t kPort[] = L"VANTREL:";

int Fail(const char* step) {
    std::fprintf(stderr, "print-host: %s failed (%lu)\n", step, GetLastError());
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: print-host MONITOR.dll PROGRAM FILE [JOB]\n");
        return 2;
    }
    const DWORD job = argc > 4 ? static_cast<DWORD>(std::wcstoul(argv[4], nullptr, 10)) : 1;
    std::vector<char> data;
    {
        FILE* file = _wfopen(argv[3], L"rb");
        if (!file) return Fail("reading the file");
        char buffer[4096];
        size_t read;
        while ((read = std::fread(buffer, 1, sizeof(buffer), file)) > 0) data.insert(data.end(), buffer, buffer + read);
        std::fclose(file);
    }

    const HMODULE dll = LoadLibraryW(argv[1]);
    if (!dll) return Fail("LoadLibrary");
    typedef LPMONITOR2(WINAPI * Initialize)(PMONITORINIT, PHANDLE);
    const auto initialize =
        reinterpret_cast<Initialize>(reinterpret_cast<void*>(GetProcAddress(dll, "InitializePrintMonitor2")));
    if (!initialize) return Fail("GetProcAddress");

    RegDeleteTreeW(HKEY_CURRENT_USER, kRoot);
    HKEY root = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kRoot, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root, nullptr) !=
        ERROR_SUCCESS) {
        return Fail("the registry root");
    }
    const std::wstring program = argv[2];
    RegSetValueExW(root, L"Program", 0, REG_SZ, reinterpret_cast<const BYTE*>(program.c_str()),
                   static_cast<DWORD>((program.size() + 1) * sizeof(wchar_t)));

    MONITORREG reg = spooler_registry::Functions();
    MONITORINIT init = {};
    init.cbSize = sizeof(init);
    init.hckRegistryRoot = reinterpret_cast<decltype(init.hckRegistryRoot)>(root);
    init.pMonitorReg = &reg;
    init.bLocal = TRUE;
    HANDLE monitor = nullptr;
    const LPMONITOR2 table = initialize(&init, &monitor);
    if (!table) return Fail("InitializePrintMonitor2");

    int code = 0;
    HANDLE xcv = nullptr;
    DWORD needed = 0;
    if (!table->pfnXcvOpenPort(monitor, L"", SERVER_ACCESS_ADMINISTER, &xcv) ||
        table->pfnXcvDataPort(xcv, L"AddPort", reinterpret_cast<PBYTE>(kPort), sizeof(kPort), nullptr, 0, &needed) !=
            ERROR_SUCCESS) {
        code = Fail("AddPort");
    }
    if (xcv) table->pfnXcvClosePort(xcv);

    HANDLE port = nullptr;
    wchar_t printer_name[] = L"Vantrel Fax";
    wchar_t document[] = L"print-host";
    DOC_INFO_1W info = {document, nullptr, nullptr};
    if (code == 0 && !table->pfnOpenPort(monitor, kPort, &port)) code = Fail("OpenPort");
    if (code == 0 && !table->pfnStartDocPort(port, printer_name, job, 1, reinterpret_cast<LPBYTE>(&info))) {
        code = Fail("StartDocPort");
    }
    for (size_t at = 0; code == 0 && at < data.size(); at += 4096) {
        const DWORD size = static_cast<DWORD>(data.size() - at < 4096 ? data.size() - at : 4096);
        DWORD written = 0;
        if (!table->pfnWritePort(port, reinterpret_cast<LPBYTE>(&data[at]), size, &written) || written != size) {
            code = Fail("WritePort");
        }
    }
    if (code == 0 && !table->pfnEndDocPort(port)) code = Fail("EndDocPort");
    if (port && !table->pfnClosePort(port) && code == 0) code = Fail("ClosePort");
    table->pfnShutdown(monitor);
    RegCloseKey(root);
    RegDeleteTreeW(HKEY_CURRENT_USER, kRoot);
    FreeLibrary(dll);
    return code;
}
