// Stand-ins for the two windows until they are built: a plain window whose
// title tells which one was chosen and what it was given.
#include "app/program/start_windows.h"

#include "framework/win/win_app.h"

#include <windows.h>

namespace {

LRESULT CALLBACK PlaceholderProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

void RunPlaceholder(const CString& title) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = PlaceholderProc;
    wc.hInstance = AfxGetInstanceHandle();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "KestridPlaceholder";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, wc.lpszClassName, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100,
                                  520, 200, nullptr, nullptr, wc.hInstance, nullptr);
    if (!window) return;
    // No window manager draws a caption under Xvfb: repeat the title inside.
    CreateWindowExA(0, "STATIC", title, WS_CHILD | WS_VISIBLE, 16, 16, 480, 120, window, nullptr, wc.hInstance,
                    nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace

void RunKeySetupWindow(const CString& command_line) {
    RunPlaceholder("Key setup [" + command_line + "]");
}

void RunSendFaxWindow(const CString& command_line, const CString& stored_key) {
    RunPlaceholder("Send fax [" + command_line + "] key [" + stored_key + "]");
}
