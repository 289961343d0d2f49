#include "framework/win/wnd.h"

#include "framework/win/data_exchange.h"
#include "framework/win/handle_maps.h"
#include "framework/win/menu.h"

#include <vector>

namespace {

PermanentHandles<HWND, CWnd>& PermanentWindows() { return PermanentHandles<HWND, CWnd>::Instance(); }

// The message being handled on this thread, for Default() and reflection.
thread_local MSG t_current{};

class CTempWnd : public CWnd {
public:
    explicit CTempWnd(HWND handle) {
        m_hWnd = handle;
        m_temporary = true;
    }
    ~CTempWnd() override { m_hWnd = nullptr; }
};

}  // namespace

const CWnd CWnd::wndTop(HWND_TOP);
const CWnd CWnd::wndTopMost(HWND_TOPMOST);
const CWnd CWnd::wndNoTopMost(HWND_NOTOPMOST);

CWnd::~CWnd() {
    // Normally the guard of the class's message map destroyed the window
    // already; here only CWnd's own handling is left.
    DestroyOwnedWindow();
}

void CWnd::DestroyOwnedWindow() {
    if (m_temporary || !m_hWnd) return;
    if (FromHandlePermanent(m_hWnd) != this) return;
    if (::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this) Detach();
}

WindowDestroyGuard::~WindowDestroyGuard() {
    if (m_owner) m_owner->DestroyOwnedWindow();
}

CWnd* CWnd::FromHandlePermanent(HWND handle) { return handle ? PermanentWindows().Find(handle) : nullptr; }

CWnd* CWnd::FromHandle(HWND handle) {
    if (!handle) return nullptr;
    if (CWnd* wnd = FromHandlePermanent(handle)) return wnd;
    return TemporaryWrapper<CTempWnd>(
        handle, [](HWND h) { return new CTempWnd(h); }, [](HWND h) { return ::IsWindow(h) != FALSE; });
}

BOOL CWnd::Attach(HWND handle) {
    if (!handle || m_hWnd) return FALSE;
    if (!PermanentWindows().Add(handle, this)) return FALSE;
    m_hWnd = handle;
    return TRUE;
}

HWND CWnd::Detach() {
    HWND handle = m_hWnd;
    if (handle) PermanentWindows().Remove(handle, this);
    m_hWnd = nullptr;
    return handle;
}

BOOL CWnd::SubclassWindow(HWND handle) {
    if (!Attach(handle)) return FALSE;
    PreSubclassWindow();
    auto current = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(handle, GWLP_WNDPROC));
    if (current != StandardWndProc) {
        m_pfnSuper = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrA(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StandardWndProc)));
    }
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    if (!parent || !parent->m_hWnd) return FALSE;
    HWND control = ::GetDlgItem(parent->m_hWnd, static_cast<int>(id));
    return control ? SubclassWindow(control) : FALSE;
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, const RECT& rect,
                    CWnd* parent, UINT id) {
    HWND handle =
        ::CreateWindowExA(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                          rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr,
                          reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), AfxGetInstanceHandle(), nullptr);
    if (!handle) return FALSE;
    if (!SubclassWindow(handle)) {
        ::DestroyWindow(handle);
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd) return FALSE;
    HWND handle = m_hWnd;
    BOOL destroyed = ::DestroyWindow(handle);
    // A window that was attached but never subclassed gets no WM_NCDESTROY here.
    if (destroyed && m_hWnd == handle) Detach();
    return destroyed;
}

LRESULT CALLBACK CWnd::StandardWndProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = FromHandlePermanent(handle);
    if (!wnd) return ::DefWindowProcA(handle, message, wParam, lParam);
    MSG saved = t_current;
    t_current.hwnd = handle;
    t_current.message = message;
    t_current.wParam = wParam;
    t_current.lParam = lParam;
    LRESULT result = wnd->WindowProc(message, wParam, lParam);
    t_current = saved;
    if (message == WM_NCDESTROY && wnd->m_hWnd == handle) {
        if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(handle, GWLP_WNDPROC)) == StandardWndProc && wnd->m_pfnSuper)
            ::SetWindowLongPtrA(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(wnd->m_pfnSuper));
        wnd->m_pfnSuper = nullptr;
        wnd->Detach();
    }
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper) return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() { return DefWindowProc(t_current.message, t_current.wParam, t_current.lParam); }

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam)) return FALSE;
        *result = 0;
        return TRUE;
    }
    if (message == WM_NOTIFY) {
        LRESULT notifyResult = 0;
        if (!OnNotify(wParam, lParam, &notifyResult)) return FALSE;
        *result = notifyResult;
        return TRUE;
    }
    return DispatchToMap(message, 0, 0, wParam, lParam, result);
}

BOOL CWnd::DispatchToMap(UINT message, UINT code, UINT id, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const bool command = message == WM_COMMAND || message == WM_NOTIFY;
    const bool reflectedCommand = message == WM_REFLECT_BASE + WM_COMMAND || message == WM_REFLECT_BASE + WM_NOTIFY;
    LRESULT scratch = 0;
    if (!result) result = &scratch;
    for (const MessageMap* map = GetMessageMap(); map; map = map->base ? map->base() : nullptr) {
        for (const MessageMapEntry* entry = map->entries; entry->thunk; ++entry) {
            if (message < entry->messageFirst || message > entry->messageLast) continue;
            if (command && (entry->code != code || id < entry->idFirst || id > entry->idLast)) continue;
            if (reflectedCommand && entry->code != code) continue;
            if (entry->thunk(this, message, wParam, lParam, result)) return TRUE;
        }
    }
    return FALSE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    HWND control = reinterpret_cast<HWND>(lParam);
    if (control && control != m_hWnd && ReflectMessage(control, WM_COMMAND, wParam, lParam, nullptr)) return TRUE;
    return DispatchToMap(WM_COMMAND, HIWORD(wParam), LOWORD(wParam), wParam, lParam, nullptr);
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (!header) return FALSE;
    if (header->hwndFrom && header->hwndFrom != m_hWnd &&
        ReflectMessage(header->hwndFrom, WM_NOTIFY, wParam, lParam, result))
        return TRUE;
    return DispatchToMap(WM_NOTIFY, header->code, static_cast<UINT>(header->idFrom), wParam, lParam, result);
}

BOOL CWnd::ReflectMessage(HWND child, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    CWnd* control = FromHandlePermanent(child);
    if (!control) return FALSE;
    LRESULT scratch = 0;
    return control->OnChildNotify(message, wParam, lParam, result ? result : &scratch);
}

BOOL CWnd::ReflectLastMsg(HWND child, LRESULT* result) {
    return ReflectMessage(child, t_current.message, t_current.wParam, t_current.lParam, result);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    return ReflectChildNotify(message, wParam, lParam, result);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    LRESULT scratch = 0;
    if (!result) result = &scratch;
    switch (message) {
    case WM_COMMAND:
        return DispatchToMap(WM_REFLECT_BASE + WM_COMMAND, HIWORD(wParam), 0, wParam, lParam, result);
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        return header && DispatchToMap(WM_REFLECT_BASE + WM_NOTIFY, header->code, 0, wParam, lParam, result);
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        // A control that answers with no brush leaves the request to its parent.
        LRESULT brush = 0;
        if (!DispatchToMap(WM_REFLECT_BASE + message, 0, 0, wParam, lParam, &brush) || !brush) return FALSE;
        *result = brush;
        return TRUE;
    }
    default:
        return DispatchToMap(WM_REFLECT_BASE + message, 0, 0, wParam, lParam, result);
    }
}

BOOL CWnd::ReflectCtlColor(CWnd* wnd, HBRUSH* brush) {
    LRESULT reflected = 0;
    if (!wnd || wnd->m_hWnd == m_hWnd || !ReflectLastMsg(wnd->m_hWnd, &reflected)) return FALSE;
    *brush = reinterpret_cast<HBRUSH>(reflected);
    return TRUE;
}

HBRUSH CWnd::OnCtlColor(CDC*, CWnd* wnd, UINT) {
    HBRUSH brush = nullptr;
    if (ReflectCtlColor(wnd, &brush)) return brush;
    return reinterpret_cast<HBRUSH>(Default());
}

void CWnd::OnDrawItem(int, LPDRAWITEMSTRUCT draw) {
    if (draw->CtlType == ODT_MENU) {
        if (CMenu* menu = CMenu::FromHandlePermanent(reinterpret_cast<HMENU>(draw->hwndItem))) {
            menu->DrawItem(draw);
            return;
        }
    } else if (ReflectLastMsg(draw->hwndItem)) {
        return;
    }
    Default();
}

void CWnd::OnMeasureItem(int id, LPMEASUREITEMSTRUCT measure) {
    if (measure->CtlType == ODT_MENU) {
        if (CMenu* menu = CMenu::FindPermanentForItem(measure->itemID)) {
            menu->MeasureItem(measure);
            return;
        }
    } else if (HWND control = ::GetDlgItem(m_hWnd, id)) {
        if (ReflectLastMsg(control)) return;
    }
    Default();
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

BOOL CWnd::WalkPreTranslateTree(HWND stop, MSG* msg) {
    for (HWND handle = msg->hwnd; handle; handle = ::GetParent(handle)) {
        if (CWnd* wnd = FromHandlePermanent(handle)) {
            if (wnd->PreTranslateMessage(msg)) return TRUE;
        }
        if (handle == stop) break;
    }
    return FALSE;
}

const MessageMap* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

const MessageMap* CWnd::GetThisMessageMap() {
    typedef CWnd ThisClass;
    static const MessageMapEntry entries[] = {ON_WM_CTLCOLOR() ON_WM_DRAWITEM()
                                                  ON_WM_MEASUREITEM(){0, 0, 0, 0, 0, nullptr}};
    static const MessageMap map = {nullptr, entries};
    return &map;
}

CWnd* CWnd::GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }
CWnd* CWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
CWnd* CWnd::GetWindow(UINT relation) const { return FromHandle(::GetWindow(m_hWnd, relation)); }

BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) {
    return ::SetWindowPos(m_hWnd, insertAfter ? insertAfter->m_hWnd : nullptr, x, y, cx, cy, flags);
}

BOOL CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint) {
    return ::MoveWindow(m_hWnd, x, y, width, height, repaint);
}

void CWnd::ScreenToClient(LPRECT rect) const { ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<LPPOINT>(rect), 2); }

void CWnd::ClientToScreen(LPRECT rect) const { ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<LPPOINT>(rect), 2); }

void CWnd::GetWindowText(CString& text) const {
    int length = ::GetWindowTextLengthA(m_hWnd);
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    int copied = ::GetWindowTextA(m_hWnd, buffer.data(), length + 1);
    text = CString(buffer.data(), copied);
}

void CWnd::GetDlgItemText(int id, CString& text) const {
    HWND control = ::GetDlgItem(m_hWnd, id);
    if (!control) {
        text.Empty();
        return;
    }
    FromHandle(control)->GetWindowText(text);
}

void CWnd::SetFont(CFont* font, BOOL redraw) {
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font ? font->m_hObject : nullptr), redraw);
}

CFont* CWnd::GetFont() const { return CFont::FromHandle(reinterpret_cast<HFONT>(SendMessage(WM_GETFONT))); }

HICON CWnd::SetIcon(HICON icon, BOOL big) {
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
}

CWnd* CWnd::SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
CWnd* CWnd::GetFocus() { return FromHandle(::GetFocus()); }

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT flags) {
    DWORD style = GetStyle();
    DWORD changed = (style & ~remove) | add;
    if (changed == style) return FALSE;
    ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(changed));
    if (flags)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
    return TRUE;
}

BOOL CWnd::GetScrollInfo(int bar, LPSCROLLINFO info, UINT mask) {
    info->cbSize = sizeof(SCROLLINFO);
    info->fMask = mask;
    return ::GetScrollInfo(m_hWnd, bar, info);
}

BOOL CWnd::UpdateData(BOOL saveAndValidate) {
    CDataExchange exchange(this, saveAndValidate);
    DoDataExchange(&exchange);
    return !exchange.m_bFailed;
}

CWnd* AfxGetMainWnd() {
    CWinApp* app = AfxGetApp();
    return app ? app->m_pMainWnd : nullptr;
}
