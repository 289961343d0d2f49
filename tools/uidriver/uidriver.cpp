// Drives the program's windows from outside, for end-to-end tests under Wine.
// One command per run; results on stdout, exit code 0 on success, 1 when the
// window or control was not found in time, 2 on bad usage.
//
//   uidriver find <title-part> [timeout-ms]          wait for a top-level window
//   uidriver gone <title-part> [timeout-ms]          wait until no such window
//   uidriver close <title-part>                      post WM_CLOSE to it
//   uidriver text <title-part> <control-id>          print a control's text
//   uidriver set-text <title-part> <control-id> <text>
//   uidriver click <title-part> <control-id>         press a button
//   uidriver box [timeout-ms]                        wait for a message box, print
//                                                    "caption|text|icon-less", press OK
//   uidriver windows                                 list visible top-level windows
//   uidriver run <program> [command-line-text]       start a program with exactly that
//                                                    command-line text, wait, exit with its code
//   uidriver panel-rows <title-part>                 the rows of the window's panel, one line each:
//                                                    "index|visible|top|name|count|fax"
//   uidriver panel-click <title-part> <row> [control-id]
//                                                    click a panel row, or a button in it
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Found {
    const char* part;
    HWND window;
};

std::string TextOf(HWND window) {
    char text[4096] = "";
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                        nullptr);
    return text;
}

BOOL CALLBACK MatchTitle(HWND window, LPARAM param) {
    Found* found = reinterpret_cast<Found*>(param);
    if (!IsWindowVisible(window)) return TRUE;
    if (TextOf(window).find(found->part) != std::string::npos) {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindTopLevel(const char* part) {
    Found found{part, nullptr};
    EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&found));
    return found.window;
}

HWND WaitTopLevel(const char* part, DWORD timeout_ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND window = FindTopLevel(part)) return window;
        if (GetTickCount() - start >= timeout_ms) return nullptr;
        Sleep(50);
    }
}

bool IsMessageBox(HWND window) {
    char cls[64] = "";
    GetClassNameA(window, cls, sizeof cls);
    return std::strcmp(cls, "#32770") == 0 && GetDlgItem(window, 0xFFFF) != nullptr && IsWindowVisible(window);
}

BOOL CALLBACK MatchBox(HWND window, LPARAM param) {
    if (!IsMessageBox(window)) return TRUE;
    *reinterpret_cast<HWND*>(param) = window;
    return FALSE;
}

int Usage() {
    std::fprintf(stderr, "usage: uidriver find|gone|close|text|set-text|click|box|windows ...\n");
    return 2;
}

DWORD TimeoutArg(int argc, char** argv, int index, DWORD fallback) {
    return argc > index ? static_cast<DWORD>(std::strtoul(argv[index], nullptr, 10)) : fallback;
}

HWND Control(const char* part, const char* id) {
    HWND window = WaitTopLevel(part, 10000);
    return window ? GetDlgItem(window, std::atoi(id)) : nullptr;
}

BOOL CALLBACK PrintWindowLine(HWND window, LPARAM) {
    if (IsWindowVisible(window)) {
        char cls[128] = "";
        GetClassNameA(window, cls, sizeof cls);
        std::printf("%s|%s\n", cls, TextOf(window).c_str());
    }
    return TRUE;
}


// The rows of a window's scrolling panel: the child dialogs of its first
// child dialog, in the order they were made.
std::vector<HWND> PanelRows(HWND window) {
    std::vector<HWND> rows;
    HWND panel = nullptr;
    for (HWND child = GetWindow(window, GW_CHILD); child && !panel; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[32] = "";
        GetClassNameA(child, cls, sizeof cls);
        if (std::strcmp(cls, "#32770") == 0) panel = child;
    }
    if (!panel) return rows;
    for (HWND row = GetWindow(panel, GW_CHILD); row; row = GetWindow(row, GW_HWNDNEXT)) {
        char cls[32] = "";
        GetClassNameA(row, cls, sizeof cls);
        if (std::strcmp(cls, "#32770") == 0) rows.push_back(row);
    }
    return rows;
}

}  // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc < 2) return Usage();
    const std::string command = argv[1];

    if (command == "find" && argc >= 3) {
        HWND window = WaitTopLevel(argv[2], TimeoutArg(argc, argv, 3, 20000));
        if (!window) return 1;
        std::printf("%s\n", TextOf(window).c_str());
        return 0;
    }
    if (command == "gone" && argc >= 3) {
        const DWORD timeout = TimeoutArg(argc, argv, 3, 20000);
        const DWORD start = GetTickCount();
        while (FindTopLevel(argv[2])) {
            if (GetTickCount() - start >= timeout) return 1;
            Sleep(50);
        }
        return 0;
    }
    if (command == "close" && argc >= 3) {
        HWND window = FindTopLevel(argv[2]);
        if (!window) return 1;
        PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    }
    if (command == "text" && argc >= 4) {
        HWND control = Control(argv[2], argv[3]);
        if (!control) return 1;
        std::printf("%s\n", TextOf(control).c_str());
        return 0;
    }
    if (command == "set-text" && argc >= 5) {
        HWND control = Control(argv[2], argv[3]);
        if (!control) return 1;
        SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]));
        return 0;
    }
    if (command == "click" && argc >= 4) {
        HWND control = Control(argv[2], argv[3]);
        if (!control) return 1;
        // Posted: the click may open a modal box that would block a sent message.
        PostMessageA(control, BM_CLICK, 0, 0);
        return 0;
    }
    if (command == "panel-rows" && argc >= 3) {
        HWND window = WaitTopLevel(argv[2], 10000);
        if (!window) return 1;
        const std::vector<HWND> rows = PanelRows(window);
        for (size_t i = 0; i < rows.size(); ++i) {
            RECT place;
            GetWindowRect(rows[i], &place);
            POINT top = {place.left, place.top};
            ScreenToClient(GetParent(rows[i]), &top);
            auto text = [&](int id) { return TextOf(GetDlgItem(rows[i], id)); };
            std::printf("%u|%d|%ld|%s|%s|%s\n", static_cast<unsigned>(i), IsWindowVisible(rows[i]) ? 1 : 0, top.y,
                        text(1050).c_str(), text(1052).c_str(), text(1051).c_str());
        }
        return 0;
    }
    if (command == "panel-click" && argc >= 4) {
        HWND window = WaitTopLevel(argv[2], 10000);
        const std::vector<HWND> rows = window ? PanelRows(window) : std::vector<HWND>();
        const size_t index = static_cast<size_t>(std::strtoul(argv[3], nullptr, 10));
        if (index >= rows.size()) return 1;
        if (argc >= 5) {
            HWND control = GetDlgItem(rows[index], std::atoi(argv[4]));
            if (!control) return 1;
            PostMessageA(control, BM_CLICK, 0, 0);
        } else {
            PostMessageA(rows[index], WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 20));
            PostMessageA(rows[index], WM_LBUTTONUP, 0, MAKELPARAM(200, 20));
        }
        return 0;
    }
    if (command == "box") {
        const DWORD timeout = TimeoutArg(argc, argv, 2, 20000);
        const DWORD start = GetTickCount();
        HWND box = nullptr;
        while (EnumWindows(MatchBox, reinterpret_cast<LPARAM>(&box)), !box) {
            if (GetTickCount() - start >= timeout) return 1;
            Sleep(50);
        }
        std::printf("%s|%s\n", TextOf(box).c_str(), TextOf(GetDlgItem(box, 0xFFFF)).c_str());
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return 0;
    }
    if (command == "run" && argc >= 3) {
        // Wine re-quotes Unix arguments; this hands the text over unchanged.
        std::string line = std::string("\"") + argv[2] + "\"";
        if (argc >= 4) line += std::string(" ") + argv[3];
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            std::fprintf(stderr, "cannot start %s (%lu)\n", argv[2], GetLastError());
            return 1;
        }
        CloseHandle(pi.hThread);
        WaitForSingleObject(pi.hProcess, INFINITE);
        DWORD code = 1;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hProcess);
        return static_cast<int>(code);
    }
    if (command == "windows") {
        EnumWindows(PrintWindowLine, 0);
        return 0;
    }
    return Usage();
}
