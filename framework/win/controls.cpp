#include "framework/win/controls.h"

#include <vector>

namespace {

// An owner-drawn button or static draws itself; everything else goes the usual way.
template <class Control>
BOOL DrawOrReflect(Control* control, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message != WM_DRAWITEM) return control->CWnd::OnChildNotify(message, wParam, lParam, result);
    control->DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
    if (result) *result = TRUE;
    return TRUE;
}

}  // namespace

BOOL CButton::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    return DrawOrReflect(this, message, wParam, lParam, result);
}

BOOL CStatic::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    return DrawOrReflect(this, message, wParam, lParam, result);
}

void CEdit::SetSel(int start, int end, BOOL noScroll) {
    SendMessage(EM_SETSEL, static_cast<WPARAM>(start), end);
    if (!noScroll) SendMessage(EM_SCROLLCARET);
}

void CEdit::GetSel(int& start, int& end) const {
    DWORD first = 0;
    DWORD last = 0;
    SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&first), reinterpret_cast<LPARAM>(&last));
    start = static_cast<int>(first);
    end = static_cast<int>(last);
}

BOOL CComboBox::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (message) {
    case WM_DRAWITEM:
        DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
        break;
    case WM_MEASUREITEM:
        MeasureItem(reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam));
        break;
    default:
        return CWnd::OnChildNotify(message, wParam, lParam, result);
    }
    if (result) *result = TRUE;
    return TRUE;
}

void CComboBox::GetLBText(int index, CString& text) const {
    const auto length = static_cast<int>(SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(index)));
    if (length < 0) {
        text.Empty();
        return;
    }
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    text = CString(buffer.data());
}

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style) {
    if (!parent || !parent->m_hWnd) return FALSE;
    HWND handle = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | style,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent->m_hWnd, nullptr,
                                    AfxGetInstanceHandle(), nullptr);
    if (!handle) return FALSE;
    if (!SubclassWindow(handle)) {
        ::DestroyWindow(handle);
        return FALSE;
    }
    m_owner = parent->m_hWnd;
    return TRUE;
}

TOOLINFOA CToolTipCtrl::ToolInfo(CWnd* wnd, const char* text) const {
    TOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.uFlags = TTF_IDISHWND;
    info.hwnd = ::GetParent(wnd->m_hWnd) ? ::GetParent(wnd->m_hWnd) : m_owner;
    info.uId = reinterpret_cast<UINT_PTR>(wnd->m_hWnd);
    info.lpszText = const_cast<char*>(text);
    return info;
}

BOOL CToolTipCtrl::AddTool(CWnd* wnd, const char* text) {
    if (!wnd || !wnd->m_hWnd) return FALSE;
    TOOLINFOA info = ToolInfo(wnd, text);
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)));
}

void CToolTipCtrl::UpdateTipText(const char* text, CWnd* wnd) {
    if (!wnd || !wnd->m_hWnd) return;
    TOOLINFOA info = ToolInfo(wnd, text);
    SendMessage(TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
}
