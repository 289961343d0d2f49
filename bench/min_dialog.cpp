// The reference for start-up under Wine: the smallest dialog program, one
// modal dialog from an in-memory template with a button, nothing else.
#include <windows.h>

#include <cstring>
#include <vector>

namespace {

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL)) {
        EndDialog(window, LOWORD(wparam));
        return TRUE;
    }
    if (message == WM_CLOSE) {
        EndDialog(window, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

void Align(std::vector<WORD>& t) {
    if (t.size() % 2) t.push_back(0);  // DWORD alignment of each item
}

void Text(std::vector<WORD>& t, const wchar_t* s) {
    for (; *s; ++s) t.push_back(static_cast<WORD>(*s));
    t.push_back(0);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    std::vector<WORD> t;
    DLGTEMPLATE head{};
    head.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER;
    head.cdit = 1;
    head.cx = 200;
    head.cy = 80;
    t.resize(sizeof head / sizeof(WORD));
    std::memcpy(t.data(), &head, sizeof head);
    t.push_back(0);  // no menu
    t.push_back(0);  // default class
    Text(t, L"Minimal dialog");
    t.push_back(8);
    Text(t, L"MS Shell Dlg");
    Align(t);
    DLGITEMTEMPLATE item{};
    item.style = WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON;
    item.x = 70;
    item.y = 50;
    item.cx = 60;
    item.cy = 14;
    item.id = IDOK;
    const size_t at = t.size();
    t.resize(at + sizeof item / sizeof(WORD));
    std::memcpy(t.data() + at, &item, sizeof item);
    t.push_back(0xFFFF);
    t.push_back(0x0080);  // button
    Text(t, L"OK");
    t.push_back(0);  // no creation data
    return static_cast<int>(
        DialogBoxIndirectW(instance, reinterpret_cast<DLGTEMPLATE*>(t.data()), nullptr, DialogProc));
}
