// Measures start-up under Wine: starts a program with exactly the given
// command-line text and reports how long it took until a visible top-level
// window of that process whose title or any child's text holds the marker
// showed. Then closes it and waits for the process to end.
// usage: startup_probe <timeout-ms> <marker> <program> [command-line-text]
// prints "window|<ms>|<title>" and "exit|<code>"; exit code 1 when no such
// window showed in time (the program is then ended).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Search {
    DWORD process;
    const char* marker;
    HWND found;
};

BOOL CALLBACK ChildHolds(HWND child, LPARAM param) {
    Search* s = reinterpret_cast<Search*>(param);
    if (!IsWindowVisible(child)) return TRUE;
    if (s->marker[0] == '#') {
        if (GetDlgCtrlID(child) == std::atoi(s->marker + 1)) {
            s->found = child;
            return FALSE;
        }
        return TRUE;
    }
    char text[512] = "";
    GetWindowTextA(child, text, sizeof text);
    if (std::strstr(text, s->marker)) {
        s->found = child;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK TopLevel(HWND window, LPARAM param) {
    Search* s = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != s->process || !IsWindowVisible(window)) return TRUE;
    char title[512] = "";
    GetWindowTextA(window, title, sizeof title);
    if (s->marker[0] != '#' && std::strstr(title, s->marker)) {
        s->found = window;
        return FALSE;
    }
    Search inner{s->process, s->marker, nullptr};
    EnumChildWindows(window, ChildHolds, reinterpret_cast<LPARAM>(&inner));
    if (inner.found) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: startup_probe <timeout-ms> <marker> <program> [command-line-text]\n");
        return 2;
    }
    const DWORD timeout = static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10));
    std::string command = std::string("\"") + argv[3] + "\"";
    if (argc > 4) command += std::string(" ") + argv[4];

    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::printf("cannot start %s (%lu)\n", argv[3], GetLastError());
        return 1;
    }
    Search s{pi.dwProcessId, argv[2], nullptr};
    double ms = 0;
    for (;;) {
        EnumWindows(TopLevel, reinterpret_cast<LPARAM>(&s));
        QueryPerformanceCounter(&now);
        ms = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
        if (s.found || ms > timeout || WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) break;
        Sleep(2);
    }
    int result = 0;
    if (s.found) {
        char title[512] = "";
        GetWindowTextA(s.found, title, sizeof title);
        std::printf("window|%.1f|%s\n", ms, title);
        PostMessageA(s.found, WM_CLOSE, 0, 0);
    } else {
        std::printf("no window holding \"%s\" after %.0f ms\n", argv[2], ms);
        result = 1;
    }
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, 5000);
        result = 1;
    }
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    std::printf("exit|%lu\n", code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return result;
}
