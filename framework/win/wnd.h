// CWnd: one C++ object per window handle. A window is attached (FromHandle
// finds the object) and usually subclassed, so that its messages run through
// the class's message map before the window's original procedure.
#pragma once

#include "framework/cstring.h"
#include "framework/win/gdi.h"
#include "framework/win/geometry.h"
#include "framework/win/message_map.h"
#include "framework/win/win_app.h"

#include <windows.h>

// Root of the framework's objects.
class CObject {
public:
    virtual ~CObject() = default;
};

class CDataExchange;
class CMenu;
class CScrollBar;

class CWnd : public CObject {
public:
    CWnd() = default;
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // Insert-after markers for SetWindowPos.
    static const CWnd wndTop;
    static const CWnd wndBottom;
    static const CWnd wndTopMost;
    static const CWnd wndNoTopMost;

    // The object attached to the handle, else a temporary wrapper (valid
    // while the window lives); null for a null handle.
    static CWnd* FromHandle(HWND handle);
    // Only attached objects; null otherwise.
    static CWnd* FromHandlePermanent(HWND handle);

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }  // NOLINT(google-explicit-constructor)

    BOOL Attach(HWND handle);
    HWND Detach();
    // Attach and route the window's messages through this object.
    BOOL SubclassWindow(HWND handle);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);

    // A window of a registered class, subclassed at once.
    BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, const RECT& rect,
                  CWnd* parent, UINT id);
    virtual BOOL DestroyWindow();

    // The usual thin wrappers.
    CWnd* GetDlgItem(int id) const;
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    CWnd* GetParent() const;
    CWnd* GetWindow(UINT relation) const;
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
    BOOL MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    BOOL MoveWindow(LPCRECT rect, BOOL repaint = TRUE);
    BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    void InvalidateRect(LPCRECT rect, BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, rect, erase); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    BOOL RedrawWindow(LPCRECT rect = nullptr, HRGN region = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE) {
        return ::RedrawWindow(m_hWnd, rect, region, flags);
    }
    void GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }
    void GetWindowRect(LPRECT rect) const { ::GetWindowRect(m_hWnd, rect); }
    void ScreenToClient(LPPOINT point) const { ::ScreenToClient(m_hWnd, point); }
    void ScreenToClient(LPRECT rect) const;
    void ClientToScreen(LPPOINT point) const { ::ClientToScreen(m_hWnd, point); }
    void ClientToScreen(LPRECT rect) const;
    BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }

    UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc = nullptr) {
        return ::SetTimer(m_hWnd, id, elapse, proc);
    }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }

    void SetWindowText(const char* text) { ::SetWindowTextA(m_hWnd, text); }
    void GetWindowText(CString& text) const;
    int GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
    void SetDlgItemText(int id, const char* text) { ::SetDlgItemTextA(m_hWnd, id, text); }
    void GetDlgItemText(int id, CString& text) const;

    void SetFont(CFont* font, BOOL redraw = TRUE);
    CFont* GetFont() const;
    HICON SetIcon(HICON icon, BOOL big);
    HICON GetIcon(BOOL big) const;

    CWnd* SetFocus();
    static CWnd* GetFocus();
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE)); }
    // Style changed in place; with flags, SetWindowPos(flags) refreshes the frame.
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::PostMessageA(m_hWnd, message, wParam, lParam);
    }
    CDC* GetDC();
    int ReleaseDC(CDC* dc);

    int SetScrollInfo(int bar, LPSCROLLINFO info, BOOL redraw = TRUE) {
        return ::SetScrollInfo(m_hWnd, bar, info, redraw);
    }
    BOOL GetScrollInfo(int bar, LPSCROLLINFO info, UINT mask = SIF_ALL);
    int SetScrollPos(int bar, int pos, BOOL redraw = TRUE) { return ::SetScrollPos(m_hWnd, bar, pos, redraw); }
    void ScrollWindow(int dx, int dy, LPCRECT rect = nullptr, LPCRECT clip = nullptr) {
        ::ScrollWindow(m_hWnd, dx, dy, rect, clip);
    }

    // Data exchange between the controls and the members.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    // Hooks.
    // Called by the modal loop for every message addressed to this window or
    // to one of its children, before translation; TRUE swallows the message.
    virtual BOOL PreTranslateMessage(MSG* msg);
    // Called when the window is subclassed, before its messages come here.
    virtual void PreSubclassWindow() {}
    // A message the parent reflected back to this control; TRUE when handled.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual void DoDataExchange(CDataExchange*) {}
    // After the last message (WM_NCDESTROY), once the handle is detached.
    virtual void PostNcDestroy() {}

    // The modal loop's pre-translation: offers the message to the window it
    // is addressed to and to each of its parents up to stop, inner first.
    static BOOL WalkPreTranslateTree(HWND stop, MSG* msg);

    HWND m_hWnd = nullptr;

protected:
    explicit CWnd(HWND marker) : m_hWnd(marker), m_temporary(true) {}  // the insert-after markers

    // The default processing of the message being handled.
    LRESULT Default();
    // Handles the message through the map; FALSE when nothing in it did.
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Hands the message being handled back to the child that sent it.
    static BOOL ReflectLastMsg(HWND child, LRESULT* result = nullptr);
    static BOOL ReflectMessage(HWND child, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // The colour request being handled, handed to wnd when it is a control
    // other than this window; TRUE (and its brush) when the control answered.
    BOOL ReflectCtlColor(CWnd* wnd, HBRUSH* brush);
    // Walks the maps for an entry; TRUE when a handler took the message.
    BOOL DispatchToMap(UINT message, UINT code, UINT id, WPARAM wParam, LPARAM lParam, LRESULT* result);

    static LRESULT CALLBACK StandardWndProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);

    // Handlers with their default processing, for the map macros and for
    // derived handlers that call their base.
    void OnPaint() { Default(); }
    void OnNcPaint() { Default(); }
    BOOL OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
    int OnCreate(LPCREATESTRUCTA) { return static_cast<int>(Default()); }
    void OnDestroy() { Default(); }
    void OnClose() { Default(); }
    void OnTimer(UINT_PTR) { Default(); }
    void OnSize(UINT, int, int) { Default(); }
    void OnShowWindow(BOOL, UINT) { Default(); }
    void OnSysCommand(UINT, LPARAM) { Default(); }
    HCURSOR OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }
    UINT OnGetDlgCode() { return static_cast<UINT>(Default()); }
    void OnChildActivate() { Default(); }
    void OnActivateApp(BOOL, DWORD) { Default(); }
    void OnSetFocus(CWnd*) { Default(); }
    void OnKillFocus(CWnd*) { Default(); }
    BOOL OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }
    void OnKeyDown(UINT, UINT, UINT) { Default(); }
    void OnKeyUp(UINT, UINT, UINT) { Default(); }
    void OnChar(UINT, UINT, UINT) { Default(); }
    void OnSysKeyDown(UINT, UINT, UINT) { Default(); }
    void OnLButtonDown(UINT, CPoint) { Default(); }
    void OnLButtonUp(UINT, CPoint) { Default(); }
    void OnLButtonDblClk(UINT, CPoint) { Default(); }
    void OnRButtonDown(UINT, CPoint) { Default(); }
    void OnRButtonUp(UINT, CPoint) { Default(); }
    void OnMouseMove(UINT, CPoint) { Default(); }
    void OnMouseHover(UINT, CPoint) { Default(); }
    void OnMouseLeave() { Default(); }
    void OnNcMouseLeave() { Default(); }
    void OnNcLButtonDown(UINT, CPoint) { Default(); }
    LRESULT OnNcHitTest(CPoint) { return Default(); }
    BOOL OnMouseWheel(UINT, short, CPoint) { return static_cast<BOOL>(Default()); }
    void OnVScroll(UINT, UINT, CScrollBar*) { Default(); }
    void OnHScroll(UINT, UINT, CScrollBar*) { Default(); }
    // Reflects the request to the control first; its brush wins.
    HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);
    // Owner-drawn menu items go to their menu object, controls get the request reflected.
    void OnDrawItem(int id, LPDRAWITEMSTRUCT draw);
    void OnMeasureItem(int id, LPMEASUREITEMSTRUCT measure);

    static const MessageMap* GetThisMessageMap();
    virtual const MessageMap* GetMessageMap() const;

    WNDPROC m_pfnSuper = nullptr;  // the procedure the window had before subclassing
    bool m_temporary = false;      // a wrapper made by FromHandle

private:
    // Destroys the window this object owns, if any.
    void DestroyOwnedWindow();
    friend class WindowDestroyGuard;
};

CWnd* AfxGetMainWnd();
