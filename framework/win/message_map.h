// Message maps: every window class lists the messages it handles in one table,
// walked from the most derived class to CWnd. Entries are built with the
// ON_... macros below inside BEGIN_MESSAGE_MAP / END_MESSAGE_MAP; each macro
// makes a small thunk that unpacks the message parameters and calls a member.
#pragma once

#include <windows.h>

class CWnd;

// Unpacks one message and calls the handler; FALSE lets the search go on.
typedef BOOL (*MessageThunk)(CWnd* self, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

struct MessageMapEntry {
    UINT messageFirst;
    UINT messageLast;
    UINT code;     // notification code of command and notify entries
    UINT idFirst;  // control or command ID range of command and notify entries
    UINT idLast;
    MessageThunk thunk;
};

struct MessageMap {
    const MessageMap* (*base)();     // null for the root
    const MessageMapEntry* entries;  // ends with an entry whose thunk is null
};

// Messages that a parent hands back to the control that sent them arrive in
// the control's map shifted by this base.
constexpr UINT WM_REFLECT_BASE = 0xBC00;

// Destroys the window of the object it is a member of while that object is
// still whole (right after its class's destructor body, before its members
// and its bases go), so the class's own WM_DESTROY handlers run even when the
// object is deleted before its window. Every class with a message map has
// one, declared with the map: the most derived one acts, the others find the
// window gone. A destructor that releases what its WM_DESTROY handler uses
// calls DestroyWindow() itself first.
class WindowDestroyGuard {
public:
    explicit WindowDestroyGuard(CWnd* owner) : m_owner(owner) {}
    ~WindowDestroyGuard();
    WindowDestroyGuard(const WindowDestroyGuard&) = delete;
    WindowDestroyGuard& operator=(const WindowDestroyGuard&) = delete;

private:
    CWnd* m_owner;
};

#define DECLARE_MESSAGE_MAP()                         \
protected:                                            \
    static const MessageMap* GetThisMessageMap();     \
    const MessageMap* GetMessageMap() const override; \
    WindowDestroyGuard m_destroyGuard_{this};

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                        \
    const MessageMap* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const MessageMap* theClass::GetThisMessageMap() {                                 \
        typedef theClass ThisClass;                                                   \
        typedef baseClass TheBaseClass;                                               \
        static_assert(sizeof(ThisClass) > 0, "complete class");                       \
        static const MessageMapEntry entries_[] = {
#define END_MESSAGE_MAP()                                                        \
    { 0, 0, 0, 0, 0, nullptr }                                                   \
    }                                                                            \
    ;                                                                            \
    static const MessageMap map_ = {&TheBaseClass::GetThisMessageMap, entries_}; \
    return &map_;                                                                \
    }

// The thunk body sees self_ (the window as ThisClass), message_, wParam_,
// lParam_ and result_.
#define KESTRID_THUNK(...)                                                                     \
    [](CWnd* pWnd_, UINT message_, WPARAM wParam_, LPARAM lParam_, LRESULT* result_) -> BOOL { \
        ThisClass* self_ = static_cast<ThisClass*>(pWnd_);                                     \
        (void)self_;                                                                           \
        (void)message_;                                                                        \
        (void)wParam_;                                                                         \
        (void)lParam_;                                                                         \
        (void)result_;                                                                         \
        __VA_ARGS__                                                                            \
    }

#define KESTRID_ON(msg, ...) {msg, msg, 0, 0, 0, KESTRID_THUNK(__VA_ARGS__)},

// Window messages with the usual handler names and parameters.
#define ON_WM_PAINT() KESTRID_ON(WM_PAINT, self_->OnPaint(); *result_ = 0; return TRUE;)
#define ON_WM_NCPAINT() KESTRID_ON(WM_NCPAINT, self_->OnNcPaint(); *result_ = 0; return TRUE;)
#define ON_WM_ERASEBKGND()                                                                                     \
    KESTRID_ON(WM_ERASEBKGND, *result_ = self_->OnEraseBkgnd(CDC::FromHandle(reinterpret_cast<HDC>(wParam_))); \
               return TRUE;)
#define ON_WM_CREATE() \
    KESTRID_ON(WM_CREATE, *result_ = self_->OnCreate(reinterpret_cast<LPCREATESTRUCTA>(lParam_)); return TRUE;)
#define ON_WM_DESTROY() KESTRID_ON(WM_DESTROY, self_->OnDestroy(); *result_ = 0; return TRUE;)
#define ON_WM_CLOSE() KESTRID_ON(WM_CLOSE, self_->OnClose(); *result_ = 0; return TRUE;)
#define ON_WM_TIMER() KESTRID_ON(WM_TIMER, self_->OnTimer(static_cast<UINT_PTR>(wParam_)); *result_ = 0; return TRUE;)
#define ON_WM_SIZE()                                                                                   \
    KESTRID_ON(WM_SIZE, self_->OnSize(static_cast<UINT>(wParam_), static_cast<short>(LOWORD(lParam_)), \
                                      static_cast<short>(HIWORD(lParam_)));                            \
               *result_ = 0; return TRUE;)
#define ON_WM_SHOWWINDOW()                                                                                 \
    KESTRID_ON(WM_SHOWWINDOW, self_->OnShowWindow(static_cast<BOOL>(wParam_), static_cast<UINT>(lParam_)); \
               *result_ = 0; return TRUE;)
#define ON_WM_SYSCOMMAND() \
    KESTRID_ON(WM_SYSCOMMAND, self_->OnSysCommand(static_cast<UINT>(wParam_), lParam_); *result_ = 0; return TRUE;)
#define ON_WM_QUERYDRAGICON() \
    KESTRID_ON(WM_QUERYDRAGICON, *result_ = reinterpret_cast<LRESULT>(self_->OnQueryDragIcon()); return TRUE;)
#define ON_WM_GETDLGCODE() KESTRID_ON(WM_GETDLGCODE, *result_ = self_->OnGetDlgCode(); return TRUE;)
#define ON_WM_CHILDACTIVATE() KESTRID_ON(WM_CHILDACTIVATE, self_->OnChildActivate(); *result_ = 0; return TRUE;)
#define ON_WM_ACTIVATEAPP()                                                                                   \
    KESTRID_ON(WM_ACTIVATEAPP, self_->OnActivateApp(static_cast<BOOL>(wParam_), static_cast<DWORD>(lParam_)); \
               *result_ = 0; return TRUE;)
#define ON_WM_SETFOCUS()                                                                                        \
    KESTRID_ON(WM_SETFOCUS, self_->OnSetFocus(CWnd::FromHandle(reinterpret_cast<HWND>(wParam_))); *result_ = 0; \
               return TRUE;)
#define ON_WM_KILLFOCUS()                                                                                         \
    KESTRID_ON(WM_KILLFOCUS, self_->OnKillFocus(CWnd::FromHandle(reinterpret_cast<HWND>(wParam_))); *result_ = 0; \
               return TRUE;)
#define ON_WM_SETCURSOR()                                                                                     \
    KESTRID_ON(WM_SETCURSOR, *result_ = self_->OnSetCursor(CWnd::FromHandle(reinterpret_cast<HWND>(wParam_)), \
                                                           LOWORD(lParam_), HIWORD(lParam_));                 \
               return TRUE;)

#define KESTRID_ON_KEY(msg, fn) \
    KESTRID_ON(msg, self_->fn(static_cast<UINT>(wParam_), LOWORD(lParam_), HIWORD(lParam_)); *result_ = 0; return TRUE;)
#define ON_WM_KEYDOWN() KESTRID_ON_KEY(WM_KEYDOWN, OnKeyDown)
#define ON_WM_KEYUP() KESTRID_ON_KEY(WM_KEYUP, OnKeyUp)
#define ON_WM_CHAR() KESTRID_ON_KEY(WM_CHAR, OnChar)
#define ON_WM_SYSKEYDOWN() KESTRID_ON_KEY(WM_SYSKEYDOWN, OnSysKeyDown)

#define KESTRID_ON_MOUSE(msg, fn) \
    KESTRID_ON(msg, self_->fn(static_cast<UINT>(wParam_), CPoint(lParam_)); *result_ = 0; return TRUE;)
#define ON_WM_LBUTTONDOWN() KESTRID_ON_MOUSE(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP() KESTRID_ON_MOUSE(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() KESTRID_ON_MOUSE(WM_LBUTTONDBLCLK, OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() KESTRID_ON_MOUSE(WM_RBUTTONDOWN, OnRButtonDown)
#define ON_WM_RBUTTONUP() KESTRID_ON_MOUSE(WM_RBUTTONUP, OnRButtonUp)
#define ON_WM_MOUSEMOVE() KESTRID_ON_MOUSE(WM_MOUSEMOVE, OnMouseMove)
#define ON_WM_MOUSEHOVER() KESTRID_ON_MOUSE(WM_MOUSEHOVER, OnMouseHover)
#define ON_WM_NCLBUTTONDOWN() KESTRID_ON_MOUSE(WM_NCLBUTTONDOWN, OnNcLButtonDown)
#define ON_WM_MOUSELEAVE() KESTRID_ON(WM_MOUSELEAVE, self_->OnMouseLeave(); *result_ = 0; return TRUE;)
#define ON_WM_NCMOUSELEAVE() KESTRID_ON(WM_NCMOUSELEAVE, self_->OnNcMouseLeave(); *result_ = 0; return TRUE;)
#define ON_WM_MOUSEWHEEL()                                                                                      \
    KESTRID_ON(WM_MOUSEWHEEL, *result_ = self_->OnMouseWheel(GET_KEYSTATE_WPARAM(wParam_),                      \
                                                             GET_WHEEL_DELTA_WPARAM(wParam_), CPoint(lParam_)); \
               return TRUE;)

#define KESTRID_ON_SCROLL(msg, fn)                                                                                  \
    KESTRID_ON(msg, self_->fn(LOWORD(wParam_), static_cast<short>(HIWORD(wParam_)),                                 \
                              lParam_ ? static_cast<CScrollBar*>(CWnd::FromHandle(reinterpret_cast<HWND>(lParam_))) \
                                      : nullptr);                                                                   \
               *result_ = 0; return TRUE;)
#define ON_WM_VSCROLL() KESTRID_ON_SCROLL(WM_VSCROLL, OnVScroll)
#define ON_WM_HSCROLL() KESTRID_ON_SCROLL(WM_HSCROLL, OnHScroll)

// Every WM_CTLCOLOR* request in one handler: OnCtlColor(CDC*, CWnd*, UINT nCtlColor)
// with nCtlColor one of the CTLCOLOR_* kinds.
#define ON_WM_CTLCOLOR()                                                                                         \
    {                                                                                                            \
        WM_CTLCOLORMSGBOX, WM_CTLCOLORSTATIC, 0, 0, 0,                                                           \
            KESTRID_THUNK(*result_ = reinterpret_cast<LRESULT>(self_->OnCtlColor(                                \
                              CDC::FromHandle(reinterpret_cast<HDC>(wParam_)),                                   \
                              CWnd::FromHandle(reinterpret_cast<HWND>(lParam_)), message_ - WM_CTLCOLORMSGBOX)); \
                          return TRUE;)                                                                          \
    }                                                                                                            \
    ,
#define ON_WM_DRAWITEM()                                                                                               \
    KESTRID_ON(WM_DRAWITEM, self_->OnDrawItem(static_cast<int>(wParam_), reinterpret_cast<LPDRAWITEMSTRUCT>(lParam_)); \
               *result_ = TRUE; return TRUE;)
#define ON_WM_MEASUREITEM()                                                                                     \
    KESTRID_ON(WM_MEASUREITEM,                                                                                  \
               self_->OnMeasureItem(static_cast<int>(wParam_), reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam_)); \
               *result_ = TRUE; return TRUE;)

// Any message with a handler LRESULT fn(WPARAM, LPARAM).
#define ON_MESSAGE(msg, fn) KESTRID_ON(msg, *result_ = (self_->*(fn))(wParam_, lParam_); return TRUE;)

// Commands and control notifications (WM_COMMAND).
#define ON_CONTROL(code, id, fn)                                                                       \
    {                                                                                                  \
        WM_COMMAND, WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(id), static_cast<UINT>(id), \
            KESTRID_THUNK((self_->*(fn))(); *result_ = 0; return TRUE;)                                \
    }                                                                                                  \
    ,
#define ON_CONTROL_RANGE(code, idFirst, idLast, fn)                                                             \
    {                                                                                                           \
        WM_COMMAND, WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(idFirst), static_cast<UINT>(idLast), \
            KESTRID_THUNK((self_->*(fn))(LOWORD(wParam_)); *result_ = 0; return TRUE;)                          \
    }                                                                                                           \
    ,
#define ON_COMMAND(id, fn) ON_CONTROL(0, id, fn)
#define ON_COMMAND_RANGE(idFirst, idLast, fn) ON_CONTROL_RANGE(0, idFirst, idLast, fn)
#define ON_BN_CLICKED(id, fn) ON_CONTROL(BN_CLICKED, id, fn)
#define ON_BN_DOUBLECLICKED(id, fn) ON_CONTROL(BN_DOUBLECLICKED, id, fn)
#define ON_EN_CHANGE(id, fn) ON_CONTROL(EN_CHANGE, id, fn)
#define ON_EN_UPDATE(id, fn) ON_CONTROL(EN_UPDATE, id, fn)
#define ON_EN_SETFOCUS(id, fn) ON_CONTROL(EN_SETFOCUS, id, fn)
#define ON_EN_KILLFOCUS(id, fn) ON_CONTROL(EN_KILLFOCUS, id, fn)
#define ON_CBN_SELCHANGE(id, fn) ON_CONTROL(CBN_SELCHANGE, id, fn)
#define ON_CBN_DROPDOWN(id, fn) ON_CONTROL(CBN_DROPDOWN, id, fn)
#define ON_CBN_CLOSEUP(id, fn) ON_CONTROL(CBN_CLOSEUP, id, fn)

// Notifications (WM_NOTIFY): void fn(NMHDR*, LRESULT*).
#define ON_NOTIFY(code, id, fn)                                                                      \
    {                                                                                                \
        WM_NOTIFY, WM_NOTIFY, static_cast<UINT>(code), static_cast<UINT>(id), static_cast<UINT>(id), \
            KESTRID_THUNK((self_->*(fn))(reinterpret_cast<NMHDR*>(lParam_), result_); return TRUE;)  \
    }                                                                                                \
    ,

// Reflected to the control that sent them. The plain forms consume the
// notification; the _EX forms return TRUE to consume it, FALSE to let the
// parent see it as well.
#define ON_CONTROL_REFLECT(code, fn)                                                               \
    {                                                                                              \
        WM_REFLECT_BASE + WM_COMMAND, WM_REFLECT_BASE + WM_COMMAND, static_cast<UINT>(code), 0, 0, \
            KESTRID_THUNK((self_->*(fn))(); *result_ = 0; return TRUE;)                            \
    }                                                                                              \
    ,
#define ON_CONTROL_REFLECT_EX(code, fn)                                                            \
    {                                                                                              \
        WM_REFLECT_BASE + WM_COMMAND, WM_REFLECT_BASE + WM_COMMAND, static_cast<UINT>(code), 0, 0, \
            KESTRID_THUNK(*result_ = 0; return (self_->*(fn))();)                                  \
    }                                                                                              \
    ,
#define ON_NOTIFY_REFLECT(code, fn)                                                                 \
    {                                                                                               \
        WM_REFLECT_BASE + WM_NOTIFY, WM_REFLECT_BASE + WM_NOTIFY, static_cast<UINT>(code), 0, 0,    \
            KESTRID_THUNK((self_->*(fn))(reinterpret_cast<NMHDR*>(lParam_), result_); return TRUE;) \
    }                                                                                               \
    ,
// The control's own colour request: HBRUSH CtlColor(CDC*, UINT nCtlColor);
// a null brush leaves the request to the parent's default.
#define ON_WM_CTLCOLOR_REFLECT()                                                                \
    {                                                                                           \
        WM_REFLECT_BASE + WM_CTLCOLORMSGBOX, WM_REFLECT_BASE + WM_CTLCOLORSTATIC, 0, 0, 0,      \
            KESTRID_THUNK(*result_ = reinterpret_cast<LRESULT>(                                 \
                              self_->CtlColor(CDC::FromHandle(reinterpret_cast<HDC>(wParam_)),  \
                                              message_ - WM_REFLECT_BASE - WM_CTLCOLORMSGBOX)); \
                          return TRUE;)                                                         \
    }                                                                                           \
    ,
