#include "framework/win/data_exchange.h"

#include "framework/win/wnd.h"

#include <cstdio>

void CDataExchange::Fail(int id, const char* what) {
    m_bFailed = TRUE;
    char line[160];
    std::snprintf(line, sizeof line, "data exchange: control %d: %s\n", id, what);
    ::OutputDebugStringA(line);
}

void DDX_Control(CDataExchange* exchange, int id, CWnd& control) {
    if (control.m_hWnd) return;
    HWND handle = ::GetDlgItem(exchange->m_pDlgWnd->m_hWnd, id);
    if (!handle) {
        exchange->Fail(id, "no such control");
        return;
    }
    if (!control.SubclassWindow(handle)) exchange->Fail(id, "already bound to another object");
}

void DDX_Text(CDataExchange* exchange, int id, CString& value) {
    HWND handle = ::GetDlgItem(exchange->m_pDlgWnd->m_hWnd, id);
    if (!handle) {
        exchange->Fail(id, "no such control");
        return;
    }
    if (exchange->m_bSaveAndValidate) CWnd::FromHandle(handle)->GetWindowText(value);
    else ::SetWindowTextA(handle, value);
}
