// Watches a program start under Wine from outside it.
//
// startup_probe run <program> [command-line-text]
//     starts the program and waits for it to end (at most 120 s); prints
//     "ran|<ms>|<exit code>".
// startup_probe watch <timeout-ms> <program> <command-line-text> <step>...
//     starts the program with exactly that command-line text (may be empty)
//     and goes through the steps, each within the time-out from the start:
//       see:<marker>  a visible window of the process holds the marker:
//                     "#<id>" a visible control with that ID, otherwise a text
//                     in a top-level title or in a visible control. Steps
//                     next to each other are watched together, so one that
//                     shows only briefly, or not before the next, is still
//                     seen or reported as missed.
//       made:<marker> the same, hidden windows included: a window that is
//                     made before it is shown.
//       click:#<id>   a left click by mouse input in the middle of that
//                     visible control.
//     prints "start|<epoch s>", then "seen|<marker>|<ms>|<epoch s>|<title>",
//     "missed|<marker>" or "clicked|<marker>|<ms>|<epoch s>" per step, then
//     closes the program's windows and prints "exit|<code>". Exit code 1 when
//     a step could not be done in time or the program did not end.
// Times in ms are from just before CreateProcess; epoch times are the system
// clock, which Wine takes from the host, so they compare with host logs.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

double EpochSeconds() {
    FILETIME ft;
    GetSystemTimePreciseAsFileTime(&ft);
    ULARGE_INTEGER t;
    t.LowPart = ft.dwLowDateTime;
    t.HighPart = ft.dwHighDateTime;
    return static_cast<double>(t.QuadPart - 116444736000000000ULL) / 1e7;
}

class Clock {
public:
    Clock() {
        QueryPerformanceFrequency(&m_frequency);
        QueryPerformanceCounter(&m_start);
        m_epoch = EpochSeconds();
    }
    double Ms() const {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return 1000.0 * static_cast<double>(now.QuadPart - m_start.QuadPart) /
               static_cast<double>(m_frequency.QuadPart);
    }
    double Epoch() const { return m_epoch; }

private:
    LARGE_INTEGER m_frequency, m_start;
    double m_epoch;
};

struct Search {
    DWORD process;
    const char* marker;
    bool hidden_too;
    HWND found;      // the control (or the top-level window for a title)
    HWND top_level;  // the window that holds it
};

bool Holds(HWND window, const char* marker) {
    if (marker[0] == '#') return GetDlgCtrlID(window) == std::atoi(marker + 1);
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return std::strstr(text, marker) != nullptr;
}

BOOL CALLBACK ChildHolds(HWND child, LPARAM param) {
    Search* s = reinterpret_cast<Search*>(param);
    if ((!s->hidden_too && !IsWindowVisible(child)) || !Holds(child, s->marker)) return TRUE;
    s->found = child;
    return FALSE;
}

BOOL CALLBACK TopLevel(HWND window, LPARAM param) {
    Search* s = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != s->process || (!s->hidden_too && !IsWindowVisible(window))) return TRUE;
    if (s->marker[0] != '#' && Holds(window, s->marker)) {
        s->found = s->top_level = window;
        return FALSE;
    }
    EnumChildWindows(window, ChildHolds, param);
    if (s->found) {
        s->top_level = window;
        return FALSE;
    }
    return TRUE;
}

Search Find(DWORD process, const char* marker, bool hidden_too = false) {
    Search s{process, marker, hidden_too, nullptr, nullptr};
    EnumWindows(TopLevel, reinterpret_cast<LPARAM>(&s));
    return s;
}

BOOL CALLBACK CloseTopLevel(HWND window, LPARAM param) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    // A window under a modal one is disabled: the modal one goes first.
    if (pid == static_cast<DWORD>(param) && IsWindowVisible(window) && IsWindowEnabled(window))
        PostMessageA(window, WM_CLOSE, 0, 0);
    return TRUE;
}

void Click(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    SetCursorPos(x, y);
    INPUT input[3] = {};
    for (INPUT& i : input) i.type = INPUT_MOUSE;
    input[0].mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    input[0].mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(3, input, sizeof(INPUT));
}

bool Start(const char* program, const char* line, PROCESS_INFORMATION& pi) {
    std::string command = std::string("\"") + program + "\"";
    if (line && *line) command += std::string(" ") + line;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::printf("cannot start %s (%lu)\n", program, GetLastError());
        return false;
    }
    return true;
}

int Run(const char* program, const char* line) {
    Clock clock;
    PROCESS_INFORMATION pi{};
    if (!Start(program, line, pi)) return 1;
    if (WaitForSingleObject(pi.hProcess, 120000) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 1);
        std::printf("%s did not end within 120 s\n", program);
        return 1;
    }
    const double ms = clock.Ms();
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    std::printf("ran|%.1f|%lu\n", ms, code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 0;
}

int Watch(double timeout, const char* program, const char* line, const std::vector<std::string>& steps) {
    Clock clock;
    PROCESS_INFORMATION pi{};
    if (!Start(program, line, pi)) return 1;
    std::printf("start|%.6f\n", clock.Epoch());
    int result = 0;
    size_t next = 0;
    while (next < steps.size() && result == 0) {
        if (steps[next].rfind("click:", 0) == 0) {
            const char* marker = steps[next].c_str() + 6;
            Search s{};
            while (!(s = Find(pi.dwProcessId, marker)).found && clock.Ms() < timeout) Sleep(2);
            if (!s.found) {
                std::printf("no control %s to click after %.0f ms\n", marker, clock.Ms());
                result = 1;
                break;
            }
            Click(s.found);
            std::printf("clicked|%s|%.1f|%.6f\n", marker, clock.Ms(), EpochSeconds());
            ++next;
            continue;
        }
        // The see and made steps up to the next click (or the end), watched together.
        size_t end = next;
        while (end < steps.size() && (steps[end].rfind("see:", 0) == 0 || steps[end].rfind("made:", 0) == 0)) ++end;
        if (end == next) {
            std::printf("unknown step %s\n", steps[next].c_str());
            return 2;
        }
        std::vector<bool> seen(end - next, false);
        for (;;) {
            for (size_t k = next; k < end; ++k) {
                if (seen[k - next]) continue;
                const bool made = steps[k][0] == 'm';
                const char* marker = steps[k].c_str() + (made ? 5 : 4);
                const Search s = Find(pi.dwProcessId, marker, made);
                if (!s.found) continue;
                const double ms = clock.Ms();
                char title[512] = "";
                GetWindowTextA(s.top_level, title, sizeof title);
                std::printf("%s|%s|%.1f|%.6f|%s\n", made ? "made" : "seen", marker, ms, EpochSeconds(), title);
                seen[k - next] = true;
            }
            if (seen.back()) break;
            if (clock.Ms() > timeout || WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) {
                std::printf("no window holding \"%s\" after %.0f ms\n", steps[end - 1].c_str(), clock.Ms());
                result = 1;
                break;
            }
            Sleep(2);
        }
        for (size_t k = next; k < end; ++k)
            if (!seen[k - next]) std::printf("missed|%s\n", steps[k].c_str());
        next = end;
    }
    std::fflush(stdout);
    // Close whatever is open (a picker, then the window under it), as the
    // close button would.
    DWORD waited = 0;
    while (WaitForSingleObject(pi.hProcess, 250) != WAIT_OBJECT_0) {
        EnumWindows(CloseTopLevel, static_cast<LPARAM>(pi.dwProcessId));
        waited += 250;
        if (waited >= 15000) {
            TerminateProcess(pi.hProcess, 1);
            WaitForSingleObject(pi.hProcess, 5000);
            std::printf("the program did not end when its windows were closed\n");
            result = 1;
            break;
        }
    }
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    std::printf("exit|%lu\n", code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "run") == 0) return Run(argv[2], argc > 3 ? argv[3] : "");
    if (argc >= 6 && std::strcmp(argv[1], "watch") == 0)
        return Watch(std::strtod(argv[2], nullptr), argv[3], argv[4], std::vector<std::string>(argv + 5, argv + argc));
    std::fprintf(stderr,
                 "usage: startup_probe run <program> [command-line-text]\n"
                 "       startup_probe watch <timeout-ms> <program> <command-line-text> "
                 "see:<marker>|made:<marker>|click:#<id>...\n");
    return 2;
}
