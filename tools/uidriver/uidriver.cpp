// Drives the program's windows from outside, for end-to-end tests under Wine.
// One command per run; results on stdout, exit code 0 on success, 1 when the
// window or control was not found in time, 2 on bad usage.
//
//   uidriver serve                                   run the commands that come on stdin, one a line,
//                                                    and answer each (Serve below): no Wine start
//                                                    per command
//   uidriver find <title-part> [timeout-ms]          wait for a top-level window
//   uidriver gone <title-part> [timeout-ms]          wait until no such window
//   uidriver close <title-part>                      post WM_CLOSE to it
//   uidriver post <title-part> <msg> <wparam> <lparam>
//                                                    post that message (numbers) to the window
//   uidriver text <title-part> <control-id>          print a control's text
//   uidriver set-text <title-part> <control-id> <text>
//   uidriver click <title-part> <control-id>         press a button
//   uidriver box [timeout-ms]                        wait for a message box, print
//                                                    "caption|text|icon-less", press OK, wait till it goes
//   uidriver windows                                 list visible top-level windows
//   uidriver hold <path> <ms> [rename]               keep the file open for reading, sharing only
//                                                    reading (as a scanner or backup tool may) and, with
//                                                    "rename", renaming (as a loaded DLL); print "held",
//                                                    end after ms
//   uidriver run <program> [command-line-text]       start a program with exactly that
//                                                    command-line text, wait, exit with its code
//   uidriver type <title-part> <control-id> <text>   type the characters into a control
//   uidriver type-timed <title-part> <control-id> <text> <gap-ms>
//                                                    type the characters one at a time, each once the
//                                                    one before was taken and gap-ms passed; print
//                                                    "last|<ms since 1970>" taken just before the last
//   uidriver visible <title-part> <control-id>       print 1 when the control is visible, else 0
//   uidriver password-char <title-part> <control-id> print an edit's password character code (0: none)
//   uidriver box-icon [timeout-ms]                   like box, printing "caption|text|icon" with icon
//                                                    hand, exclamation, information, question or none
//   uidriver shot <title-part> <png-path>            save the window as the screen shows it
//   uidriver panel-rows <title-part>                 the rows of the window's panel, one line each:
//                                                    "index|visible|top|name|count|fax"
//   uidriver panel-click <title-part> <row> [control-id]
//                                                    click a panel row, or a button in it
//   uidriver chars <title-part> <control-id> <text> [expected-text]
//                                                    post the characters; wait for the expected text
//   uidriver key <title-part> <control-id> <vk>      post a key press (virtual-key code) to a control
//   uidriver items <title-part> <control-id>         print a combo box's entries, one "item|<text>" line
//                                                    each, then "selected|<index>" (-1: none)
//   uidriver focus <title-part>                      print the ID of the control with the focus
//   uidriver select <title-part> <control-id> <n>    select entry n of a combo box, print its text
//   uidriver hover <title-part> <n> <control-id>     rest the pointer on that control of row n and
//                                                    print the tool tip that shows
//   uidriver menu <title-part> <control-id>          press the button, wait for the pop-up menu,
//                                                    print its size "WxH"
//   uidriver menu-key <title-part> <vk>              post a key press to the open pop-up menu
//   uidriver shot-busy <title-part> <png-path> [control-id ...]
//                                                    save a window whose thread may be busy (found
//                                                    without messages); print "id:1|0" visibility
//   uidriver watch <timeout-ms> <program> [command-line-text]
//                                                    run it, print "window|class|title" for each of its
//                                                    windows that shows, then "exit|<code>"; 1 when it
//                                                    did not end in time (it is then ended); when it
//                                                    ended, first "times|<shown>|<answered>|<gone>|<exit>":
//                                                    when its first window was seen, its thread answered
//                                                    (its text came back), it was seen destroyed, and the
//                                                    program ended, in ms since the program's start
//                                                    (-1: not seen)
//   uidriver enabled <title-part> <control-id>       print 1 when the control is enabled, else 0
//   uidriver panel-visible <title-part> <row> <control-id>
//                                                    print 1 when that control of panel row n is visible
//   uidriver probe <title-part> <control-id> <until-ms> [limit-ms]
//                                                    time WM_NULL sent with a limit every 50 ms until a
//                                                    box shows or the control hides; print the control's
//                                                    texts as they change
//   uidriver states <title-part> <control-id> ...    print "id:visible:enabled" for each control
//   uidriver rect <title-part> <control-id>          print the control's place on the screen
//                                                    "left top right bottom", for real pointer input
//   uidriver sel <title-part> <control-id>           print an edit's selection "start end"
//   uidriver menu-items <title-part>                 read the window's open pop-up menu inside its
//                                                    process (uidriver_menu_probe.dll): one line per
//                                                    item "id|text|left top right bottom|flag pixels"
//
// A title part "@<control-id>=<text>" names the window by a control instead:
// a visible top-level window whose control <control-id> shows <text> (for
// windows without a title).
#include <windows.h>

#include <gdiplus.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Where a command prints: straight to stdout, or into a served reply, with
// the line breaks stdout's text mode writes.
struct Output {
    std::string* reply = nullptr;

    void Print(const char* format, ...) __attribute__((format(__MINGW_PRINTF_FORMAT, 2, 3))) {
        va_list args;
        va_start(args, format);
        if (!reply) {
            std::vprintf(format, args);
        } else {
            va_list again;
            va_copy(again, args);
            const int length = std::vsnprintf(nullptr, 0, format, args);
            std::string text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
            std::vsnprintf(&text[0], text.size(), format, again);
            va_end(again);
            text.pop_back();
            for (const char c : text) {
                if (c == '\n') reply->push_back('\r');
                reply->push_back(c);
            }
        }
        va_end(args);
    }
};

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

// "@<id>=<text>": the window's control <id> shows <text>.
bool MatchesByControl(HWND window, const char* part) {
    const char* equals = std::strchr(part, '=');
    if (part[0] != '@' || !equals) return false;
    HWND control = GetDlgItem(window, std::atoi(part + 1));
    return control && TextOf(control).find(equals + 1) != std::string::npos;
}

BOOL CALLBACK MatchTitle(HWND window, LPARAM param) {
    Found* found = reinterpret_cast<Found*>(param);
    if (!IsWindowVisible(window)) return TRUE;
    const bool match = found->part[0] == '@' ? MatchesByControl(window, found->part)
                                             : TextOf(window).find(found->part) != std::string::npos;
    if (match) {
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

// Pixels of a screen rectangle, as the display shows them (0x00RRGGBB).
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<DWORD> pixels;
    DWORD At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

Picture CaptureScreen(const RECT& rect) {
    Picture picture;
    picture.width = rect.right - rect.left;
    picture.height = rect.bottom - rect.top;
    if (picture.width <= 0 || picture.height <= 0) return Picture();
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib && bits) {
        HGDIOBJ old = SelectObject(memory, dib);
        BitBlt(memory, 0, 0, picture.width, picture.height, screen, rect.left, rect.top, SRCCOPY);
        GdiFlush();
        const DWORD* from = static_cast<const DWORD*>(bits);
        picture.pixels.assign(from, from + static_cast<size_t>(picture.width) * picture.height);
        for (DWORD& pixel : picture.pixels) pixel &= 0xFFFFFF;
        SelectObject(memory, old);
    }
    if (dib) DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (picture.pixels.empty()) return Picture();
    return picture;
}

bool PngEncoder(CLSID* clsid) {
    UINT count = 0;
    UINT size = 0;
    Gdiplus::GetImageEncodersSize(&count, &size);
    if (!size) return false;
    std::vector<BYTE> buffer(size);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    Gdiplus::GetImageEncoders(count, size, encoders);
    for (UINT i = 0; i < count; ++i) {
        if (std::wstring(encoders[i].MimeType) == L"image/png") {
            *clsid = encoders[i].Clsid;
            return true;
        }
    }
    return false;
}

bool SavePng(const Picture& picture, const char* path) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return false;
    bool saved = false;
    {
        Gdiplus::Bitmap bitmap(picture.width, picture.height, picture.width * 4, PixelFormat32bppRGB,
                               reinterpret_cast<BYTE*>(const_cast<DWORD*>(picture.pixels.data())));
        CLSID png;
        const int length = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
        std::wstring wide(static_cast<size_t>(length > 0 ? length : 1), L'\0');
        MultiByteToWideChar(CP_ACP, 0, path, -1, &wide[0], length);
        saved = PngEncoder(&png) && bitmap.Save(wide.c_str(), &png, nullptr) == Gdiplus::Ok;
    }
    Gdiplus::GdiplusShutdown(token);
    return saved;
}

// Which standard icon a message box shows: its icon control's pixels are
// compared with each standard icon drawn over the box's own background.
const char* BoxIconName(HWND box) {
    HWND icon = nullptr;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[32] = "";
        GetClassNameA(child, cls, sizeof cls);
        if (lstrcmpiA(cls, "Static") == 0 && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            icon = child;
            break;
        }
    }
    if (!icon || !IsWindowVisible(icon)) return "none";
    RECT place;
    GetWindowRect(icon, &place);
    const int size = GetSystemMetrics(SM_CXICON);
    place.right = place.left + size;
    place.bottom = place.top + size;
    const Picture shown = CaptureScreen(place);
    if (shown.pixels.empty()) return "unknown";

    struct Candidate {
        const char* name;
        LPCSTR id;
    } candidates[] = {{"hand", IDI_HAND},
                      {"exclamation", IDI_EXCLAMATION},
                      {"information", IDI_ASTERISK},
                      {"question", IDI_QUESTION}};
    const char* best = "unknown";
    long long best_difference = -1;
    for (const Candidate& candidate : candidates) {
        HICON standard = LoadIconA(nullptr, candidate.id);
        if (!standard) continue;
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
        HGDIOBJ old = SelectObject(memory, bitmap);
        HBRUSH background =
            CreateSolidBrush(RGB(shown.At(0, 0) >> 16, (shown.At(0, 0) >> 8) & 0xFF, shown.At(0, 0) & 0xFF));
        RECT all = {0, 0, size, size};
        FillRect(memory, &all, background);
        DrawIconEx(memory, 0, 0, standard, size, size, 0, nullptr, DI_NORMAL);
        long long difference = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const COLORREF drawn = GetPixel(memory, x, y);
                const DWORD seen = shown.At(x, y);
                difference += std::abs(static_cast<int>(GetRValue(drawn)) - static_cast<int>(seen >> 16)) +
                              std::abs(static_cast<int>(GetGValue(drawn)) - static_cast<int>((seen >> 8) & 0xFF)) +
                              std::abs(static_cast<int>(GetBValue(drawn)) - static_cast<int>(seen & 0xFF));
            }
        SelectObject(memory, old);
        DeleteObject(background);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        if (best_difference < 0 || difference < best_difference) {
            best_difference = difference;
            best = candidate.name;
        }
    }
    // A poor best match (an icon not yet painted) is no match.
    const long long tolerance = 12LL * 3 * size * size;
    return best_difference >= 0 && best_difference <= tolerance ? best : "unknown";
}

// The windows of one process seen so far.
struct Watch {
    DWORD process;
    Output* out;
    std::vector<HWND> seen;
    ULONGLONG first_shown = 0;     // system time (100 ns) the first window was seen; 0: none yet
    ULONGLONG first_answered = 0;  // when that window's thread answered (its text came back)
    ULONGLONG first_gone = 0;      // when that window was seen destroyed; 0: not yet
};

ULONGLONG SystemTime100ns() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

ULONGLONG Ticks100ns(const FILETIME& time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

BOOL CALLBACK ReportNewWindow(HWND window, LPARAM param) {
    Watch* watch = reinterpret_cast<Watch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != watch->process || !IsWindowVisible(window)) return TRUE;
    for (HWND known : watch->seen)
        if (known == window) return TRUE;
    // Taken before the window's text is asked for: that waits on its thread.
    if (!watch->first_shown) watch->first_shown = SystemTime100ns();
    watch->seen.push_back(window);
    char cls[128] = "";
    GetClassNameA(window, cls, sizeof cls);
    const std::string title = TextOf(window);
    if (!watch->first_answered) watch->first_answered = SystemTime100ns();
    watch->out->Print("window|%s|%s\n", cls, title.c_str());
    return TRUE;
}

// Controls with this ID inside the window's child dialogs (the rows of a
// panel), in z-order; the window's own control of that ID is not among them.
struct Nested {
    HWND top;
    int id;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectNested(HWND window, LPARAM param) {
    Nested* nested = reinterpret_cast<Nested*>(param);
    if (GetDlgCtrlID(window) == nested->id && GetParent(window) != nested->top && IsWindowVisible(window))
        nested->found.push_back(window);
    return TRUE;
}

std::vector<HWND> NestedControls(HWND top, int id) {
    Nested nested{top, id, {}};
    EnumChildWindows(top, CollectNested, reinterpret_cast<LPARAM>(&nested));
    return nested.found;
}

// A visible window of the given class that belongs to the window's thread.
struct ThreadWindow {
    DWORD thread;
    const char* cls;
    HWND found;
};

BOOL CALLBACK MatchThreadWindow(HWND window, LPARAM param) {
    ThreadWindow* wanted = reinterpret_cast<ThreadWindow*>(param);
    char cls[64] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (GetWindowThreadProcessId(window, nullptr) == wanted->thread && IsWindowVisible(window) &&
        std::strcmp(cls, wanted->cls) == 0) {
        wanted->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitThreadWindow(HWND top, const char* cls, DWORD timeout_ms) {
    ThreadWindow wanted{GetWindowThreadProcessId(top, nullptr), cls, nullptr};
    for (const DWORD start = GetTickCount();; Sleep(50)) {
        wanted.found = nullptr;
        EnumWindows(MatchThreadWindow, reinterpret_cast<LPARAM>(&wanted));
        if (wanted.found || GetTickCount() - start >= timeout_ms) return wanted.found;
    }
}

// A visible top-level window by the title the system keeps for it: no
// message is sent, so a window whose thread is busy is found too.
struct QuietFind {
    const char* part;
    HWND window;
};

BOOL CALLBACK MatchTitleQuietly(HWND window, LPARAM param) {
    QuietFind* find = reinterpret_cast<QuietFind*>(param);
    wchar_t wide[512] = L"";
    InternalGetWindowText(window, wide, 512);
    char title[1024] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, -1, title, sizeof title, nullptr, nullptr);
    if (!IsWindowVisible(window) || !std::strstr(title, find->part)) return TRUE;
    find->window = window;
    return FALSE;
}

int Usage() {
    std::fprintf(stderr, "usage: uidriver <command> ...  (the commands are listed at the top of uidriver.cpp)\n");
    return 2;
}

DWORD TimeoutArg(int argc, char** argv, int index, DWORD fallback) {
    return argc > index ? static_cast<DWORD>(std::strtoul(argv[index], nullptr, 10)) : fallback;
}

HWND Control(const char* part, const char* id) {
    HWND window = WaitTopLevel(part, 10000);
    return window ? GetDlgItem(window, std::atoi(id)) : nullptr;
}

HWND WaitBox(DWORD timeout_ms) {
    HWND box = nullptr;
    for (const DWORD start = GetTickCount(); EnumWindows(MatchBox, reinterpret_cast<LPARAM>(&box)), !box; Sleep(50))
        if (GetTickCount() - start >= timeout_ms) return nullptr;
    return box;
}

// Presses the box's OK and waits for the box to go: the next command, even at
// once, must not find it again.
void PressOk(HWND box) {
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    for (const DWORD start = GetTickCount(); IsWindowVisible(box) && GetTickCount() - start < 5000; Sleep(10)) {
    }
}

// Starts argv[index] with exactly the command-line text argv[index + 1]:
// Wine re-quotes Unix arguments, this hands the text over unchanged.
bool StartProgram(int argc, char** argv, int index, PROCESS_INFORMATION* pi) {
    std::string line = std::string("\"") + argv[index] + "\"";
    if (argc > index + 1) line += std::string(" ") + argv[index + 1];
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, pi)) {
        std::fprintf(stderr, "cannot start %s (%lu)\n", argv[index], GetLastError());
        return false;
    }
    CloseHandle(pi->hThread);
    return true;
}

// The window as the screen shows it, saved as a PNG; empty when not saved.
Picture SaveShot(HWND window, const char* path) {
    RECT place;
    GetWindowRect(window, &place);
    const Picture picture = CaptureScreen(place);
    if (picture.pixels.empty() || !SavePng(picture, path)) {
        std::fprintf(stderr, "cannot save %s\n", path);
        return Picture();
    }
    return picture;
}

BOOL CALLBACK PrintWindowLine(HWND window, LPARAM out) {
    if (IsWindowVisible(window)) {
        char cls[128] = "";
        GetClassNameA(window, cls, sizeof cls);
        reinterpret_cast<Output*>(out)->Print("%s|%s\n", cls, TextOf(window).c_str());
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

// One command, in the one-shot and the served form alike.
int RunCommand(int argc, char** argv, Output& out) {
    if (argc < 2) return Usage();
    const std::string command = argv[1];

    if (command == "find" && argc >= 3) {
        HWND window = WaitTopLevel(argv[2], TimeoutArg(argc, argv, 3, 20000));
        if (!window) return 1;
        out.Print("%s\n", TextOf(window).c_str());
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
    if (command == "post" && argc >= 6) {
        HWND window = FindTopLevel(argv[2]);
        if (!window) return 1;
        const UINT message = static_cast<UINT>(std::strtoul(argv[3], nullptr, 0));
        const WPARAM wparam = static_cast<WPARAM>(std::strtoull(argv[4], nullptr, 0));
        const LPARAM lparam = static_cast<LPARAM>(std::strtoll(argv[5], nullptr, 0));
        return PostMessageA(window, message, wparam, lparam) ? 0 : 1;
    }
    if (command == "text" && argc >= 4) {
        HWND control = Control(argv[2], argv[3]);
        if (!control) return 1;
        out.Print("%s\n", TextOf(control).c_str());
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
            out.Print("%u|%d|%ld|%s|%s|%s\n", static_cast<unsigned>(i), IsWindowVisible(rows[i]) ? 1 : 0, top.y,
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
        HWND box = WaitBox(TimeoutArg(argc, argv, 2, 20000));
        if (!box) return 1;
        out.Print("%s|%s\n", TextOf(box).c_str(), TextOf(GetDlgItem(box, 0xFFFF)).c_str());
        PressOk(box);
        return 0;
    }
    if (command == "run" && argc >= 3) {
        PROCESS_INFORMATION pi = {};
        if (!StartProgram(argc, argv, 2, &pi)) return 1;
        WaitForSingleObject(pi.hProcess, INFINITE);
        DWORD code = 1;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hProcess);
        return static_cast<int>(code);
    }
    if (command == "hold" && argc >= 4) {
        const DWORD share =
            FILE_SHARE_READ | (argc >= 5 && std::strcmp(argv[4], "rename") == 0 ? FILE_SHARE_DELETE : 0);
        HANDLE file = CreateFileA(argv[2], GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return 1;
        out.Print("held\n");
        Sleep(static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10)));
        CloseHandle(file);
        return 0;
    }
    if (command == "windows") {
        EnumWindows(PrintWindowLine, reinterpret_cast<LPARAM>(&out));
        return 0;
    }
    if (command == "type" && argc >= 5) {
        HWND control = Control(argv[2], argv[3]);
        if (!control) return 1;
        // Posted like the keyboard's characters, so they pass the program's
        // own message loop; done once the control has taken them all.
        const size_t before = TextOf(control).size();
        const std::string text = argv[4];
        for (const char c : text) PostMessageA(control, WM_CHAR, static_cast<unsigned char>(c), 1);
        const DWORD start = GetTickCount();
        while (TextOf(control).size() < before + text.size()) {
            if (GetTickCount() - start >= 5000) return 1;
            Sleep(20);
        }
        return 0;
    }
    if (command == "type-timed" && argc >= 6) {
        HWND control = Control(argv[2], argv[3]);
        if (!control) return 1;
        const std::string text = argv[4];
        const DWORD gap = static_cast<DWORD>(std::strtoul(argv[5], nullptr, 10));
        size_t length = TextOf(control).size();
        for (size_t i = 0; i < text.size(); ++i) {
            if (i > 0) Sleep(gap);
            if (i + 1 == text.size()) {
                FILETIME now;
                GetSystemTimeAsFileTime(&now);
                const ULONGLONG unix_epoch = 116444736000000000ULL;  // 1970 in 100 ns since 1601
                out.Print("last|%llu\n", static_cast<unsigned long long>((Ticks100ns(now) - unix_epoch) / 10000));
            }
            PostMessageA(control, WM_CHAR, static_cast<unsigned char>(text[i]), 1);
            for (const DWORD start = GetTickCount(); TextOf(control).size() <= length; Sleep(5))
                if (GetTickCount() - start >= 5000) return 1;
            length = TextOf(control).size();
        }
        return 0;
    }
    if (command == "visible" && argc >= 4) {
        HWND control = Control(argv[2], argv[3]);
        if (!control) return 1;
        out.Print("%d\n", IsWindowVisible(control) ? 1 : 0);
        return 0;
    }
    if (command == "password-char" && argc >= 4) {
        HWND control = Control(argv[2], argv[3]);
        if (!control) return 1;
        DWORD_PTR code = 0;
        SendMessageTimeoutA(control, EM_GETPASSWORDCHAR, 0, 0, SMTO_ABORTIFHUNG, 5000, &code);
        out.Print("%u\n", static_cast<unsigned>(code));
        return 0;
    }
    if (command == "box-icon") {
        HWND box = WaitBox(TimeoutArg(argc, argv, 2, 20000));
        if (!box) return 1;
        // The icon is painted a moment after the box shows.
        const char* icon = "unknown";
        for (const DWORD painted = GetTickCount(); GetTickCount() - painted < 3000; Sleep(100)) {
            icon = BoxIconName(box);
            if (std::strcmp(icon, "unknown") != 0) break;
        }
        out.Print("%s|%s|%s\n", TextOf(box).c_str(), TextOf(GetDlgItem(box, 0xFFFF)).c_str(), icon);
        PressOk(box);
        return 0;
    }
    if (command == "shot" && argc >= 4) {
        HWND window = WaitTopLevel(argv[2], 10000);
        if (!window) return 1;
        const Picture picture = SaveShot(window, argv[3]);
        if (picture.pixels.empty()) return 1;
        out.Print("%dx%d\n", picture.width, picture.height);
        return 0;
    }
    if (command == "chars" && argc >= 5) {
        HWND control = Control(argv[2], argv[3]);
        if (!control) return 1;
        // Like the keyboard's characters; with an expected text, done once
        // the control shows it (a masked field keeps its length).
        for (const char c : std::string(argv[4])) PostMessageA(control, WM_CHAR, static_cast<unsigned char>(c), 1);
        if (argc < 6) {
            Sleep(300);
            return 0;
        }
        // A busy machine may take seconds over ten characters.
        for (const DWORD start = GetTickCount(); TextOf(control) != argv[5]; Sleep(20))
            if (GetTickCount() - start >= 15000) return 1;
        return 0;
    }
    if (command == "key" && argc >= 5) {
        HWND control = Control(argv[2], argv[3]);
        if (!control) return 1;
        const WPARAM vk = static_cast<WPARAM>(std::atoi(argv[4]));
        PostMessageA(control, WM_KEYDOWN, vk, 1);
        PostMessageA(control, WM_KEYUP, vk, 0xC0000001);
        return 0;
    }
    if (command == "items" && argc >= 4) {
        HWND control = Control(argv[2], argv[3]);
        if (!control) return 1;
        DWORD_PTR count = 0, selected = 0;
        if (!SendMessageTimeoutA(control, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count)) return 1;
        for (DWORD_PTR i = 0; i < count; ++i) {
            // Asked in UTF-16: Wine carries the ANSI text of another process's
            // combo box only one character long.
            DWORD_PTR length = 0;
            SendMessageTimeoutW(control, CB_GETLBTEXTLEN, i, 0, SMTO_ABORTIFHUNG, 5000, &length);
            if (static_cast<LRESULT>(length) < 0) length = 0;
            std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
            DWORD_PTR got = 0;
            SendMessageTimeoutW(control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&wide[0]), SMTO_ABORTIFHUNG, 5000,
                                &got);
            char text[4096] = "";
            WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, text, sizeof text, nullptr, nullptr);
            out.Print("item|%s\n", text);
        }
        SendMessageTimeoutA(control, CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &selected);
        out.Print("selected|%d\n", static_cast<int>(static_cast<LRESULT>(selected)));
        return 0;
    }
    if (command == "focus" && argc >= 3) {
        HWND window = WaitTopLevel(argv[2], 10000);
        if (!window) return 1;
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return 1;
        out.Print("%d\n", info.hwndFocus ? GetDlgCtrlID(info.hwndFocus) : 0);
        return 0;
    }
    if (command == "select" && argc >= 5) {
        HWND control = Control(argv[2], argv[3]);
        if (!control) return 1;
        DWORD_PTR got = 0;
        SendMessageTimeoutA(control, CB_SETCURSEL, static_cast<WPARAM>(std::atoi(argv[4])), 0, SMTO_ABORTIFHUNG, 5000,
                            &got);
        out.Print("%s\n", TextOf(control).c_str());
        return 0;
    }
    if (command == "hover" && argc >= 5) {
        HWND window = WaitTopLevel(argv[2], 10000);
        if (!window) return 1;
        const std::vector<HWND> controls = NestedControls(window, std::atoi(argv[4]));
        const size_t row = static_cast<size_t>(std::atoi(argv[3]));
        if (row >= controls.size()) return 1;
        RECT place;
        GetWindowRect(controls[row], &place);
        // Two moves, so the control sees the pointer arrive and rest.
        SetCursorPos(place.left + 2, place.top + 2);
        Sleep(100);
        SetCursorPos(place.left + 6, place.top + 6);
        HWND tip = WaitThreadWindow(window, "tooltips_class32", 5000);
        if (!tip) return 1;
        out.Print("%s\n", TextOf(tip).c_str());
        return 0;
    }
    if (command == "menu" && argc >= 4) {
        HWND control = Control(argv[2], argv[3]);
        if (!control) return 1;
        PostMessageA(control, BM_CLICK, 0, 0);
        HWND menu = WaitThreadWindow(GetParent(control), "#32768", 5000);
        if (!menu) return 1;
        Sleep(300);  // painted
        RECT place;
        GetWindowRect(menu, &place);
        out.Print("%ldx%ld\n", place.right - place.left, place.bottom - place.top);
        return 0;
    }
    if (command == "menu-key" && argc >= 4) {
        HWND window = WaitTopLevel(argv[2], 10000);
        if (!window) return 1;
        HWND menu = WaitThreadWindow(window, "#32768", 2000);
        if (!menu) return 1;
        const WPARAM vk = static_cast<WPARAM>(std::atoi(argv[3]));
        PostMessageA(menu, WM_KEYDOWN, vk, 1);
        PostMessageA(menu, WM_KEYUP, vk, 0xC0000001);
        return 0;
    }
    if (command == "shot-busy" && argc >= 4) {
        // Found by the title the system keeps, so no message goes to a
        // window whose thread is busy; shown a moment before the capture.
        QuietFind find{argv[2], nullptr};
        for (const DWORD start = GetTickCount(); !find.window && GetTickCount() - start < 20000; Sleep(20))
            EnumWindows(MatchTitleQuietly, reinterpret_cast<LPARAM>(&find));
        if (!find.window) return 1;
        Sleep(300);
        for (int i = 4; i < argc; ++i) {
            HWND control = GetDlgItem(find.window, std::atoi(argv[i]));
            out.Print("%s:%d\n", argv[i], control && IsWindowVisible(control) ? 1 : 0);
        }
        return SaveShot(find.window, argv[3]).pixels.empty() ? 1 : 0;
    }
    if (command == "watch" && argc >= 4) {
        const DWORD timeout = TimeoutArg(argc, argv, 2, 60000);
        PROCESS_INFORMATION pi = {};
        if (!StartProgram(argc, argv, 3, &pi)) return 2;
        // Any window the program shows stays long enough to be seen here: it
        // waits for the user, or the program ends first.
        Watch watch{pi.dwProcessId, &out, {}};
        const DWORD start = GetTickCount();
        bool ended = false;
        for (;;) {
            EnumWindows(ReportNewWindow, reinterpret_cast<LPARAM>(&watch));
            if (watch.first_shown && !watch.first_gone && !IsWindow(watch.seen.front()))
                watch.first_gone = SystemTime100ns();
            if (WaitForSingleObject(pi.hProcess, 10) == WAIT_OBJECT_0) {
                ended = true;
                break;
            }
            if (GetTickCount() - start >= timeout) break;
        }
        if (!ended) {
            TerminateProcess(pi.hProcess, 1);
            WaitForSingleObject(pi.hProcess, 5000);
        }
        DWORD code = 1;
        GetExitCodeProcess(pi.hProcess, &code);
        FILETIME created, exited, kernel, user;
        if (ended && GetProcessTimes(pi.hProcess, &created, &exited, &kernel, &user)) {
            auto since_start = [&](ULONGLONG at) {
                return static_cast<long>((static_cast<LONGLONG>(at) - static_cast<LONGLONG>(Ticks100ns(created))) /
                                         10000);
            };
            auto seen = [&](ULONGLONG at) { return at ? since_start(at) : -1L; };
            out.Print("times|%ld|%ld|%ld|%ld\n", seen(watch.first_shown), seen(watch.first_answered),
                      seen(watch.first_gone), since_start(Ticks100ns(exited)));
        }
        CloseHandle(pi.hProcess);
        out.Print("exit|%lu\n", code);
        return ended ? 0 : 1;
    }
    if (command == "enabled" && argc >= 4) {
        HWND control = Control(argv[2], argv[3]);
        if (!control) return 1;
        out.Print("%d\n", IsWindowEnabled(control) ? 1 : 0);
        return 0;
    }
    if (command == "panel-visible" && argc >= 5) {
        HWND window = WaitTopLevel(argv[2], 10000);
        const std::vector<HWND> rows = window ? PanelRows(window) : std::vector<HWND>();
        const size_t index = static_cast<size_t>(std::strtoul(argv[3], nullptr, 10));
        if (index >= rows.size()) return 1;
        HWND control = GetDlgItem(rows[index], std::atoi(argv[4]));
        if (!control) return 1;
        out.Print("%d\n", IsWindowVisible(control) ? 1 : 0);
        return 0;
    }
    if (command == "probe" && argc >= 5) {
        // Sends WM_NULL with a time limit every 50 ms until a message box
        // shows, the window goes, the control hides after showing or
        // until-ms pass; prints each new text of the control ("text|..." with
        // bytes above 0x7E as \xNN), then "found|<ms>" and "ended|<ms>|<unix
        // ms>" (the window found, the probing over: since the window's process
        // started, and the time of day in ms since 1970) and
        // "probes|<n>|slowest|<ms>|late|<n>|end|box|gone|hidden|time".
        HWND window = WaitTopLevel(argv[2], 10000);
        if (!window) return 1;
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, owner);
        const ULONGLONG found_at = SystemTime100ns();
        HWND control = GetDlgItem(window, std::atoi(argv[3]));
        const DWORD until = TimeoutArg(argc, argv, 4, 30000);
        const DWORD limit = TimeoutArg(argc, argv, 5, 100);
        std::string last = "\x01";
        int probes = 0, late = 0;
        DWORD slowest = 0;
        const char* end = "time";
        bool shown = false;
        const DWORD start = GetTickCount();
        for (; GetTickCount() - start < until; Sleep(50)) {
            HWND box = nullptr;
            EnumWindows(MatchBox, reinterpret_cast<LPARAM>(&box));
            if (box) {
                end = "box";
                break;
            }
            if (!IsWindow(window)) {
                end = "gone";
                break;
            }
            // A control that showed and is hidden again: its view is over.
            if (control && IsWindowVisible(control)) shown = true;
            else if (control && shown) {
                end = "hidden";
                break;
            }
            const DWORD sent = GetTickCount();
            DWORD_PTR reply = 0;
            const bool answered = SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, limit, &reply) != 0;
            const DWORD took = GetTickCount() - sent;
            // Answered only once the view was gone: the wait belongs to its end.
            if (control && shown && !IsWindowVisible(control)) {
                end = "hidden";
                break;
            }
            ++probes;
            if (took > slowest) slowest = took;
            if (!answered || took > limit) ++late;
            // Slow answers are listed with when they came, to tell a busy
            // window from a busy machine.
            if (took > limit / 2) out.Print("slow|%lu|at|%lu\n", took, sent - start);
            char text[512] = "";
            if (control)
                SendMessageTimeoutA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                                    limit, &reply);
            if (last != text) {
                last = text;
                std::string shown;
                for (const char* c = text; *c; ++c) {
                    const unsigned char byte = static_cast<unsigned char>(*c);
                    char escaped[8];
                    if (byte > 0x7E || byte < 0x20) std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
                    else std::snprintf(escaped, sizeof escaped, "%c", *c);
                    shown += escaped;
                }
                out.Print("text|%s\n", shown.c_str());
            }
        }
        // When the window was found and when the probing ended, in ms since
        // the window's process started.
        const ULONGLONG ended_at = SystemTime100ns();
        FILETIME created, exited, kernel, user;
        if (process && GetProcessTimes(process, &created, &exited, &kernel, &user)) {
            const auto since_start = [&](ULONGLONG at) {
                return static_cast<long>((static_cast<LONGLONG>(at) - static_cast<LONGLONG>(Ticks100ns(created))) /
                                         10000);
            };
            const ULONGLONG unix_epoch = 116444736000000000ULL;  // 1970 in 100 ns since 1601
            out.Print("found|%ld\nended|%ld|%llu\n", since_start(found_at), since_start(ended_at),
                      static_cast<unsigned long long>((ended_at - unix_epoch) / 10000));
        }
        if (process) CloseHandle(process);
        out.Print("probes|%d|slowest|%lu|late|%d|end|%s\n", probes, slowest, late, end);
        return 0;
    }
    if (command == "states" && argc >= 4) {
        // "id:visible:enabled" of each control, in one line, found without
        // waiting on a busy window.
        HWND window = WaitTopLevel(argv[2], 10000);
        if (!window) return 1;
        for (int i = 3; i < argc; ++i) {
            HWND control = GetDlgItem(window, std::atoi(argv[i]));
            out.Print("%s%s:%d:%d", i > 3 ? " " : "", argv[i], control && IsWindowVisible(control) ? 1 : 0,
                      control && IsWindowEnabled(control) ? 1 : 0);
        }
        out.Print("\n");
        return 0;
    }
    if (command == "rect" && argc >= 4) {
        HWND control = Control(argv[2], argv[3]);
        if (!control) return 1;
        RECT place;
        GetWindowRect(control, &place);
        out.Print("%ld %ld %ld %ld\n", place.left, place.top, place.right, place.bottom);
        return 0;
    }
    if (command == "sel" && argc >= 4) {
        HWND control = Control(argv[2], argv[3]);
        if (!control) return 1;
        // Packed in the result: pointers would not reach another process.
        const LRESULT selection = SendMessageA(control, EM_GETSEL, 0, 0);
        out.Print("%u %u\n", LOWORD(selection), HIWORD(selection));
        return 0;
    }
    if (command == "menu-items" && argc >= 3) {
        HWND window = WaitTopLevel(argv[2], 10000);
        HWND menu = window ? WaitThreadWindow(window, "#32768", 5000) : nullptr;
        if (!menu) return 1;
        char self[MAX_PATH] = "";
        GetModuleFileNameA(nullptr, self, sizeof self);
        std::string probe = self;
        probe = probe.substr(0, probe.find_last_of('\\') + 1) + "uidriver_menu_probe.dll";
        HMODULE library = LoadLibraryA(probe.c_str());
        auto hook =
            library ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)()>(GetProcAddress(library, "MenuProbeHook")))
                    : nullptr;
        if (!hook) {
            if (library) FreeLibrary(library);
            std::fprintf(stderr, "cannot load %s\n", probe.c_str());
            return 1;
        }
        char folder[MAX_PATH] = "";
        GetTempPathA(sizeof folder, folder);
        const std::string answer = std::string(folder) + "kestrid-menu-probe.txt";
        DeleteFileA(answer.c_str());
        HHOOK installed = SetWindowsHookExA(WH_GETMESSAGE, hook, library, GetWindowThreadProcessId(window, nullptr));
        std::string lines;
        if (installed) {
            PostMessageA(menu, RegisterWindowMessageA("KestridUiDriverMenuProbe"), 0, 0);
            for (const DWORD start = GetTickCount(); GetTickCount() - start < 5000; Sleep(50)) {
                if (FILE* in = std::fopen(answer.c_str(), "rb")) {
                    char buffer[4096];
                    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, in)) > 0;) lines.append(buffer, got);
                    std::fclose(in);
                    break;
                }
            }
            UnhookWindowsHookEx(installed);
        }
        // Not left loaded for the next served command.
        FreeLibrary(library);
        if (lines.empty()) return 1;
        out.Print("%s", lines.c_str());
        return 0;
    }
    return Usage();
}

// Served commands, one a line on stdin: the arguments separated by tabs, with
// "\\", "\t", "\n" and "\r" escaped, in UTF-8. The arguments reach the
// command in the ANSI code page, as a one-shot run's command line does. Each
// reply is "<exit code> <byte count>\n" and the bytes the one-shot form
// prints.
std::vector<std::string> ServedArgs(const std::string& line) {
    std::vector<std::string> args(1);
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (c == '\t') {
            args.emplace_back();
            continue;
        }
        if (c == '\\' && i + 1 < line.size()) {
            c = line[++i];
            c = c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
        }
        args.back() += c;
    }
    for (std::string& arg : args) {
        const int wide_length = MultiByteToWideChar(CP_UTF8, 0, arg.data(), static_cast<int>(arg.size()), nullptr, 0);
        std::wstring wide(static_cast<size_t>(wide_length), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, arg.data(), static_cast<int>(arg.size()), &wide[0], wide_length);
        const int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), wide_length, nullptr, 0, nullptr, nullptr);
        arg.assign(static_cast<size_t>(length), '\0');
        WideCharToMultiByte(CP_ACP, 0, wide.data(), wide_length, &arg[0], length, nullptr, nullptr);
    }
    return args;
}

bool ReadLine(HANDLE in, std::string* pending, std::string* line) {
    size_t end;
    while ((end = pending->find('\n')) == std::string::npos) {
        char buffer[4096];
        DWORD got = 0;
        if (!ReadFile(in, buffer, sizeof buffer, &got, nullptr) || got == 0) return false;
        pending->append(buffer, got);
    }
    line->assign(*pending, 0, end);
    pending->erase(0, end + 1);
    return true;
}

bool WriteAll(HANDLE out, const std::string& bytes) {
    for (size_t done = 0; done < bytes.size();) {
        DWORD wrote = 0;
        if (!WriteFile(out, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &wrote, nullptr) || !wrote)
            return false;
        done += wrote;
    }
    return true;
}

int Serve() {
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    HANDLE replies = GetStdHandle(STD_OUTPUT_HANDLE);
    // A program a command starts gets NUL, not the replies' pipe to write into.
    SetStdHandle(STD_INPUT_HANDLE, CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                               OPEN_EXISTING, 0, nullptr));
    SetStdHandle(STD_OUTPUT_HANDLE, CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                OPEN_EXISTING, 0, nullptr));
    std::string pending, line;
    while (ReadLine(in, &pending, &line)) {
        std::vector<std::string> args = ServedArgs(line);
        std::vector<char*> argv{const_cast<char*>("uidriver")};
        for (std::string& arg : args) argv.push_back(&arg[0]);
        argv.push_back(nullptr);
        std::string reply;
        Output out{&reply};
        const int code = RunCommand(static_cast<int>(argv.size()) - 1, argv.data(), out);
        if (!WriteAll(replies, std::to_string(code) + " " + std::to_string(reply.size()) + "\n" + reply)) break;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "serve") == 0) return Serve();
    setvbuf(stdout, nullptr, _IONBF, 0);
    Output out;
    return RunCommand(argc, argv, out);
}
