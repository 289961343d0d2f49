// Loaded into the program under test by uidriver's message hook, so the open
// pop-up menu is read where it lives: menus cannot be read from another
// process. On the probe message it writes one line per item of the thread's
// open pop-up menu to %TEMP%\kestrid-menu-probe.txt:
//   "id|text|left top right bottom|flag"
// with the item's rectangle on the screen, its text as the menu engine keeps
// it, and the 16 x 16 pixels painted at the picture's place (left + 3,
// top + 12) as RRGGBB hex, row by row.
#include "controls/menu/new_menu.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

BOOL CALLBACK FindMenuWindow(HWND window, LPARAM found) {
    char cls[16] = "";
    ::GetClassNameA(window, cls, sizeof cls);
    if (std::string(cls) == "#32768" && ::IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

std::string ProbePath() {
    char folder[MAX_PATH] = "";
    ::GetTempPathA(sizeof folder, folder);
    return std::string(folder) + "kestrid-menu-probe.txt";
}

void WriteItems() {
    HWND popup = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindMenuWindow, reinterpret_cast<LPARAM>(&popup));
    std::string lines;
    HMENU menu = popup ? reinterpret_cast<HMENU>(::SendMessageA(popup, 0x1E1 /* MN_GETHMENU */, 0, 0)) : nullptr;
    const int count = menu ? ::GetMenuItemCount(menu) : 0;
    HDC dc = popup ? ::GetDC(popup) : nullptr;
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_DATA;
        ::GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
        RECT place{};
        ::GetMenuItemRect(nullptr, menu, static_cast<UINT>(i), &place);
        const auto* data = reinterpret_cast<const CNewMenuItemData*>(info.dwItemData);
        const std::string text = (info.fType & MFT_OWNERDRAW) && data ? data->m_szMenuText.str() : "";
        POINT origin{place.left, place.top};
        ::ScreenToClient(popup, &origin);
        std::string flag;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const COLORREF c = ::GetPixel(dc, origin.x + 3 + x, origin.y + 12 + y);
                char hex[8];
                std::snprintf(hex, sizeof hex, "%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
                flag += hex;
            }
        char head[160];
        std::snprintf(head, sizeof head, "%u|%s|%ld %ld %ld %ld|", info.wID, text.c_str(), place.left, place.top,
                      place.right, place.bottom);
        lines += head + flag + "\n";
    }
    if (dc) ::ReleaseDC(popup, dc);
    // Written whole under another name, then renamed: the driver never reads half a file.
    const std::string path = ProbePath();
    const std::string part = path + ".part";
    if (FILE* out = std::fopen(part.c_str(), "wb")) {
        std::fwrite(lines.data(), 1, lines.size(), out);
        std::fclose(out);
        ::MoveFileExA(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK MenuProbeHook(int code, WPARAM wParam, LPARAM lParam) {
    static const UINT probe = ::RegisterWindowMessageA("KestridUiDriverMenuProbe");
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && msg && msg->message == probe) {
        msg->message = WM_NULL;  // answered here, not by the window
        WriteItems();
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
