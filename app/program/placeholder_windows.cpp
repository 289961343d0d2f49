// Stand-in for the send-fax window until it is built: a plain window whose
// title tells what it was given, with the key button (1057) that opens the
// key-setup window and takes the verified key it hands back.
#include "app/program/start_windows.h"

#include "framework/win/framework.h"
#include "resource.h"
#include "ui/keysetup/kestrid_ui_login_dlg.h"

#include <windows.h>

namespace {

struct Placeholder {
    CString command_line;
    CString key;
};
Placeholder g_placeholder;

CString Title() { return "Send fax [" + g_placeholder.command_line + "] key [" + g_placeholder.key + "]"; }

void ChangeKey(HWND window) {
    CKestridUILoginDlg dialog(CWnd::FromHandle(window));
    if (dialog.DoModal() != IDOK) return;  // Cancel changes nothing
    g_placeholder.key = dialog.m_strKey;
    SetWindowTextA(window, Title());
    SetDlgItemTextA(window, 1, Title());
}

LRESULT CALLBACK PlaceholderProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_COMMAND && LOWORD(wparam) == IDC_SEND_KEY && HIWORD(wparam) == BN_CLICKED) {
        ChangeKey(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

void RunSendFaxWindow(const CString& command_line, const CString& stored_key) {
    g_placeholder = {command_line, stored_key};
    WNDCLASSA wc = {};
    wc.lpfnWndProc = PlaceholderProc;
    wc.hInstance = AfxGetInstanceHandle();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "KestridPlaceholder";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, wc.lpszClassName, Title(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 520,
                                  200, nullptr, nullptr, wc.hInstance, nullptr);
    if (!window) return;
    // No window manager draws a caption under Xvfb: repeat the title inside.
    CreateWindowExA(0, "STATIC", Title(), WS_CHILD | WS_VISIBLE, 16, 16, 480, 80, window,
                    reinterpret_cast<HMENU>(1), wc.hInstance, nullptr);
    CreateWindowExA(0, "BUTTON", "Key", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 16, 110, 80, 28, window,
                    reinterpret_cast<HMENU>(IDC_SEND_KEY), wc.hInstance, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
