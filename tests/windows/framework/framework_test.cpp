// The window framework with real windows under Wine: message maps, data
// exchange, modal runs, pre-translation, reflection, menus, message boxes.
#include "framework/win/framework.h"
#include "framework/win/message_box_notifier.h"
#include "test_resources.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using namespace kestrid_test;

namespace {

constexpr UINT WM_TEST_PING = WM_APP + 1;
constexpr UINT WM_TEST_END = WM_APP + 2;

// A base window with its own handlers and a derived one that adds and
// overrides some.
class BaseDialog : public CDialog {
public:
    explicit BaseDialog(UINT id = IDD_FRAME) : CDialog(id) {}
    std::vector<std::string> m_log;

protected:
    void OnGo() { m_log.push_back("base go"); }
    void OnTimer(UINT_PTR id) {
        m_log.push_back("timer " + std::to_string(id));
        KillTimer(id);
    }
    LRESULT OnPing(WPARAM wParam, LPARAM lParam) {
        m_log.push_back("base ping");
        return static_cast<LRESULT>(wParam + lParam);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BaseDialog, CDialog)
    ON_BN_CLICKED(IDC_GO, &BaseDialog::OnGo)
    ON_WM_TIMER()
    ON_MESSAGE(WM_TEST_PING, &BaseDialog::OnPing)
END_MESSAGE_MAP()

class DerivedDialog : public BaseDialog {
public:
    CEdit m_text;
    CButton m_go;
    CString m_value = "initial";

protected:
    void DoDataExchange(CDataExchange* exchange) override {
        BaseDialog::DoDataExchange(exchange);
        DDX_Control(exchange, IDC_TEXT, m_text);
        DDX_Control(exchange, IDC_GO, m_go);
        DDX_Text(exchange, IDC_TEXT, m_value);
    }
    void OnGo() { m_log.push_back("derived go"); }
    void OnTextChange() { m_log.push_back("text change"); }
    void OnCommandRange(UINT id) { m_log.push_back("command " + std::to_string(id)); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DerivedDialog, BaseDialog)
    ON_BN_CLICKED(IDC_GO, &DerivedDialog::OnGo)
    ON_EN_CHANGE(IDC_TEXT, &DerivedDialog::OnTextChange)
    ON_COMMAND_RANGE(500, 510, &DerivedDialog::OnCommandRange)
END_MESSAGE_MAP()

TEST(MessageMap, DerivedEntriesWinAndBaseEntriesAreReachedThroughTheChain) {
    DerivedDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_FRAME));
    dialog.m_log.clear();

    dialog.m_go.SendMessage(BM_CLICK);
    EXPECT_EQ(dialog.SendMessage(WM_TEST_PING, 2, 3), 5);
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(505, 0), 0);
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(511, 0), 0);  // outside the range: nothing
    dialog.m_text.SetWindowText("typed");
    dialog.SetTimer(7, 10);
    ASSERT_TRUE(PumpUntil([&] { return dialog.m_log.size() >= 5; }));

    const std::vector<std::string> expected = {"derived go", "base ping", "command 505", "text change", "timer 7"};
    EXPECT_EQ(dialog.m_log, expected);
    // Messages in no map get the window's default processing.
    char caption[32] = {};
    dialog.SendMessage(WM_GETTEXT, sizeof caption, reinterpret_cast<LPARAM>(caption));
    EXPECT_STREQ(caption, "Frame");
    dialog.DestroyWindow();
}

TEST(DataExchange, BindsControlsToMembersAndCopiesTexts) {
    DerivedDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_FRAME));
    HWND edit = ::GetDlgItem(dialog.m_hWnd, IDC_TEXT);
    EXPECT_EQ(dialog.m_text.m_hWnd, edit);
    EXPECT_EQ(CWnd::FromHandle(edit), &dialog.m_text);
    EXPECT_EQ(CWnd::FromHandlePermanent(edit), &dialog.m_text);
    EXPECT_EQ(dialog.GetDlgItem(IDC_GO), &dialog.m_go);

    CString shown;
    dialog.m_text.GetWindowText(shown);
    EXPECT_EQ(shown, "initial");
    ::SetWindowTextA(edit, "from the user");
    ASSERT_TRUE(dialog.UpdateData(TRUE));
    EXPECT_EQ(dialog.m_value, "from the user");
    dialog.m_value = "from the program";
    ASSERT_TRUE(dialog.UpdateData(FALSE));
    dialog.m_text.GetWindowText(shown);
    EXPECT_EQ(shown, "from the program");
    dialog.DestroyWindow();
    EXPECT_EQ(CWnd::FromHandlePermanent(edit), nullptr);
    EXPECT_EQ(dialog.m_text.m_hWnd, nullptr);
}

class MissingControlDialog : public CDialog {
public:
    MissingControlDialog() : CDialog(IDD_FRAME) {}
    CButton m_missing;

protected:
    void DoDataExchange(CDataExchange* exchange) override { DDX_Control(exchange, IDC_MISSING, m_missing); }
};

TEST(DataExchange, BindingAMissingControlFailsTheDialog) {
    MissingControlDialog dialog;
    EXPECT_EQ(dialog.DoModal(), -1);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_EQ(dialog.m_missing.m_hWnd, nullptr);
}

// Every handler kind of the map, each logging the parameters it was given.
class HandlerKindsDialog : public CDialog {
public:
    HandlerKindsDialog() : CDialog(IDD_FRAME) {}
    std::string m_last;

protected:
    void Log(const char* format, ...) {
        char line[200];
        va_list args;
        va_start(args, format);
        std::vsnprintf(line, sizeof line, format, args);
        va_end(args);
        m_last = line;
    }
    static const char* Name(CWnd* wnd) { return wnd ? (wnd->m_hWnd ? "window" : "empty") : "null"; }

    void OnPaint() { Log("paint"); }
    void OnNcPaint() { Log("ncpaint"); }
    BOOL OnEraseBkgnd(CDC* dc) {
        Log("erase %d", dc && dc->m_hDC ? 1 : 0);
        return 7;
    }
    int OnCreate(LPCREATESTRUCTA create) {
        Log("create %d", create ? create->cx : -1);
        return 0;
    }
    void OnClose() { Log("close"); }
    void OnTimer(UINT_PTR id) { Log("timer %u", static_cast<unsigned>(id)); }
    void OnSize(UINT type, int cx, int cy) { Log("size %u %d %d", type, cx, cy); }
    void OnShowWindow(BOOL show, UINT status) { Log("show %d %u", show, status); }
    void OnSysCommand(UINT id, LPARAM lParam) { Log("syscommand %u %ld", id, static_cast<long>(lParam)); }
    HCURSOR OnQueryDragIcon() {
        Log("dragicon");
        return reinterpret_cast<HCURSOR>(0x1234);
    }
    UINT OnGetDlgCode() {
        Log("dlgcode");
        return DLGC_WANTALLKEYS;
    }
    void OnChildActivate() { Log("childactivate"); }
    void OnActivateApp(BOOL active, DWORD thread) { Log("activateapp %d %lu", active, thread); }
    void OnSetFocus(CWnd* old) { Log("setfocus %s", Name(old)); }
    void OnKillFocus(CWnd* next) { Log("killfocus %s", Name(next)); }
    BOOL OnSetCursor(CWnd* wnd, UINT hit, UINT message) {
        Log("setcursor %s %u %u", Name(wnd), hit, message);
        return TRUE;
    }
    void OnKeyDown(UINT c, UINT repeat, UINT flags) { Log("keydown %u %u %u", c, repeat, flags); }
    void OnKeyUp(UINT c, UINT repeat, UINT flags) { Log("keyup %u %u %u", c, repeat, flags); }
    void OnChar(UINT c, UINT repeat, UINT flags) { Log("char %u %u %u", c, repeat, flags); }
    void OnSysKeyDown(UINT c, UINT repeat, UINT flags) { Log("syskeydown %u %u %u", c, repeat, flags); }
    void OnLButtonDown(UINT flags, CPoint p) { Log("ldown %u %ld %ld", flags, p.x, p.y); }
    void OnLButtonUp(UINT flags, CPoint p) { Log("lup %u %ld %ld", flags, p.x, p.y); }
    void OnLButtonDblClk(UINT flags, CPoint p) { Log("ldbl %u %ld %ld", flags, p.x, p.y); }
    void OnRButtonDown(UINT flags, CPoint p) { Log("rdown %u %ld %ld", flags, p.x, p.y); }
    void OnRButtonUp(UINT flags, CPoint p) { Log("rup %u %ld %ld", flags, p.x, p.y); }
    void OnMouseMove(UINT flags, CPoint p) { Log("move %u %ld %ld", flags, p.x, p.y); }
    void OnMouseHover(UINT flags, CPoint p) { Log("hover %u %ld %ld", flags, p.x, p.y); }
    void OnNcLButtonDown(UINT hit, CPoint p) { Log("ncdown %u %ld %ld", hit, p.x, p.y); }
    void OnMouseLeave() { Log("leave"); }
    void OnNcMouseLeave() { Log("ncleave"); }
    BOOL OnMouseWheel(UINT flags, short delta, CPoint p) {
        Log("wheel %u %d %ld %ld", flags, delta, p.x, p.y);
        return TRUE;
    }
    void OnVScroll(UINT code, UINT pos, CScrollBar* bar) { Log("vscroll %u %u %s", code, pos, Name(bar)); }
    void OnHScroll(UINT code, UINT pos, CScrollBar* bar) { Log("hscroll %u %u %s", code, pos, Name(bar)); }
    HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT kind) {
        Log("ctlcolor %d %s %u", dc && dc->m_hDC ? 1 : 0, Name(wnd), kind);
        return static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    }
    void OnDrawItem(int id, LPDRAWITEMSTRUCT draw) { Log("drawitem %d %u", id, draw->CtlType); }
    void OnMeasureItem(int id, LPMEASUREITEMSTRUCT measure) { Log("measureitem %d %u", id, measure->CtlType); }
    void OnNotifyGo(NMHDR* header, LRESULT* result) {
        Log("notify %u", header->code);
        *result = 99;
    }
    void OnTextSetFocus() { Log("en_setfocus"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(HandlerKindsDialog, CDialog)
    ON_WM_PAINT()
    ON_WM_NCPAINT()
    ON_WM_ERASEBKGND()
    ON_WM_CREATE()
    ON_WM_CLOSE()
    ON_WM_TIMER()
    ON_WM_SIZE()
    ON_WM_SHOWWINDOW()
    ON_WM_SYSCOMMAND()
    ON_WM_QUERYDRAGICON()
    ON_WM_GETDLGCODE()
    ON_WM_CHILDACTIVATE()
    ON_WM_ACTIVATEAPP()
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_WM_SETCURSOR()
    ON_WM_KEYDOWN()
    ON_WM_KEYUP()
    ON_WM_CHAR()
    ON_WM_SYSKEYDOWN()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_RBUTTONDOWN()
    ON_WM_RBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSEHOVER()
    ON_WM_NCLBUTTONDOWN()
    ON_WM_MOUSELEAVE()
    ON_WM_NCMOUSELEAVE()
    ON_WM_MOUSEWHEEL()
    ON_WM_VSCROLL()
    ON_WM_HSCROLL()
    ON_WM_CTLCOLOR()
    ON_WM_DRAWITEM()
    ON_WM_MEASUREITEM()
    ON_NOTIFY(NM_CLICK, IDC_GO, &HandlerKindsDialog::OnNotifyGo)
    ON_EN_SETFOCUS(IDC_TEXT, &HandlerKindsDialog::OnTextSetFocus)
END_MESSAGE_MAP()

TEST(MessageMap, EveryHandlerKindGetsItsParametersUnpacked) {
    HandlerKindsDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_FRAME));
    HWND edit = ::GetDlgItem(dialog.m_hWnd, IDC_TEXT);
    HDC dc = ::CreateCompatibleDC(nullptr);
    CREATESTRUCTA create{};
    create.cx = 321;
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_STATIC;
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_LISTBOX;
    NMHDR header{};
    header.hwndFrom = ::GetDlgItem(dialog.m_hWnd, IDC_GO);
    header.idFrom = IDC_GO;
    header.code = NM_CLICK;
    const auto point = [](int x, int y) { return static_cast<LPARAM>(MAKELPARAM(x, y)); };
    const auto hdc = reinterpret_cast<WPARAM>(dc);

    struct Case {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        const char* logged;
        LRESULT result;
    };
    const Case cases[] = {
        {WM_PAINT, 0, 0, "paint", 0},
        {WM_NCPAINT, 1, 0, "ncpaint", 0},
        {WM_ERASEBKGND, hdc, 0, "erase 1", 7},
        {WM_CREATE, 0, reinterpret_cast<LPARAM>(&create), "create 321", 0},
        {WM_CLOSE, 0, 0, "close", 0},
        {WM_TIMER, 17, 0, "timer 17", 0},
        {WM_SIZE, SIZE_RESTORED, point(640, 480), "size 0 640 480", 0},
        {WM_SHOWWINDOW, TRUE, SW_PARENTOPENING, "show 1 3", 0},
        {WM_SYSCOMMAND, SC_MINIMIZE, point(5, 6), "syscommand 61472 393221", 0},
        {WM_QUERYDRAGICON, 0, 0, "dragicon", 0x1234},
        {WM_GETDLGCODE, 0, 0, "dlgcode", DLGC_WANTALLKEYS},
        {WM_CHILDACTIVATE, 0, 0, "childactivate", 0},
        {WM_ACTIVATEAPP, TRUE, 77, "activateapp 1 77", 0},
        {WM_SETFOCUS, reinterpret_cast<WPARAM>(edit), 0, "setfocus window", 0},
        {WM_KILLFOCUS, 0, 0, "killfocus null", 0},
        {WM_SETCURSOR, reinterpret_cast<WPARAM>(edit), point(HTCLIENT, WM_MOUSEMOVE), "setcursor window 1 512", TRUE},
        {WM_KEYDOWN, VK_RETURN, point(3, 0x1C), "keydown 13 3 28", 0},
        {WM_KEYUP, 'A', point(1, 0xC01E), "keyup 65 1 49182", 0},
        {WM_CHAR, 'x', point(1, 0x2D), "char 120 1 45", 0},
        {WM_SYSKEYDOWN, VK_F4, point(1, 0x203E), "syskeydown 115 1 8254", 0},
        {WM_LBUTTONDOWN, MK_LBUTTON, point(-5, 7), "ldown 1 -5 7", 0},
        {WM_LBUTTONUP, 0, point(8, -9), "lup 0 8 -9", 0},
        {WM_LBUTTONDBLCLK, MK_LBUTTON, point(1, 2), "ldbl 1 1 2", 0},
        {WM_RBUTTONDOWN, MK_RBUTTON, point(3, 4), "rdown 2 3 4", 0},
        {WM_RBUTTONUP, 0, point(5, 6), "rup 0 5 6", 0},
        {WM_MOUSEMOVE, MK_SHIFT, point(30, 40), "move 4 30 40", 0},
        {WM_MOUSEHOVER, 0, point(11, 12), "hover 0 11 12", 0},
        {WM_NCLBUTTONDOWN, HTCAPTION, point(13, 14), "ncdown 2 13 14", 0},
        {WM_MOUSELEAVE, 0, 0, "leave", 0},
        {WM_NCMOUSELEAVE, 0, 0, "ncleave", 0},
        {WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, static_cast<WORD>(-240)), point(100, 200), "wheel 4 -240 100 200", TRUE},
        {WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 300), 0, "vscroll 5 300 null", 0},
        {WM_HSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), reinterpret_cast<LPARAM>(edit), "hscroll 1 0 window", 0},
        {WM_CTLCOLOREDIT, hdc, reinterpret_cast<LPARAM>(edit), "ctlcolor 1 window 1",
         reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH))},
        {WM_CTLCOLORSTATIC, hdc, reinterpret_cast<LPARAM>(edit), "ctlcolor 1 window 6",
         reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH))},
        {WM_DRAWITEM, 55, reinterpret_cast<LPARAM>(&draw), "drawitem 55 5", TRUE},
        {WM_MEASUREITEM, 56, reinterpret_cast<LPARAM>(&measure), "measureitem 56 2", TRUE},
        {WM_NOTIFY, IDC_GO, reinterpret_cast<LPARAM>(&header), "notify 4294967294", 99},
        {WM_COMMAND, MAKEWPARAM(IDC_TEXT, EN_SETFOCUS), reinterpret_cast<LPARAM>(edit), "en_setfocus", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.logged);
        dialog.m_last.clear();
        EXPECT_EQ(dialog.SendMessage(c.message, c.wParam, c.lParam), c.result);
        EXPECT_EQ(dialog.m_last, c.logged);
    }
    ::DeleteDC(dc);
    dialog.DestroyWindow();
}

// Posts one message from its initialisation and runs until it ends.
class ScriptedDialog : public CDialog {
public:
    ScriptedDialog(UINT message, WPARAM wParam, int target = 0)
        : CDialog(IDD_FRAME), m_message(message), m_wParam(wParam), m_target(target) {}
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        m_owner = ::GetWindow(m_hWnd, GW_OWNER);
        m_ownerEnabledWhileModal = m_owner && ::IsWindowEnabled(m_owner);
        CWnd* target = m_target ? GetDlgItem(m_target) : this;
        if (m_target) target->SetFocus();
        target->PostMessage(m_message, m_wParam);
        SetTimer(kGiveUp, 5000);  // a script that goes unanswered ends the run instead of hanging it
        return FALSE;
    }
    static constexpr UINT_PTR kGiveUp = 99;
    HWND m_owner = nullptr;
    bool m_ownerEnabledWhileModal = true;

protected:
    LRESULT OnEnd(WPARAM wParam, LPARAM) {
        EndDialog(static_cast<int>(wParam));
        return 0;
    }
    void OnTimer(UINT_PTR id) {
        if (id == kGiveUp) EndDialog(-2);
    }
    UINT m_message;
    WPARAM m_wParam;
    int m_target;
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ScriptedDialog, CDialog)
    ON_MESSAGE(WM_TEST_END, &ScriptedDialog::OnEnd)
    ON_WM_TIMER()
END_MESSAGE_MAP()

TEST(ModalDialog, EndsWithTheResultItWasGiven) {
    struct Case {
        const char* what;
        UINT message;
        WPARAM wParam;
        int target;
        INT_PTR result;
    };
    const Case cases[] = {{"EndDialog", WM_TEST_END, 42, 0, 42},
                          {"OK command", WM_COMMAND, IDOK, 0, IDOK},
                          {"Cancel command", WM_COMMAND, IDCANCEL, 0, IDCANCEL},
                          {"close box", WM_CLOSE, 0, 0, IDCANCEL},
                          // Keys typed into a field reach the dialog manager through the loop.
                          {"Enter in the edit", WM_KEYDOWN, VK_RETURN, IDC_TEXT, IDOK},
                          {"Escape in the edit", WM_KEYDOWN, VK_ESCAPE, IDC_TEXT, IDCANCEL}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedDialog dialog(c.message, c.wParam, c.target);
        EXPECT_EQ(dialog.DoModal(), c.result);
        EXPECT_EQ(dialog.m_hWnd, nullptr);
    }
}

TEST(ModalDialog, QuitMessageEndsTheLoopAndIsPostedAgain) {
    ScriptedDialog dialog(WM_QUIT, 5);
    EXPECT_EQ(dialog.DoModal(), -1);
    MSG msg;
    ASSERT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 5u);
}

TEST(ModalDialog, OwnerIsDisabledWhileTheDialogRuns) {
    CDialog owner(IDD_FRAME);
    ASSERT_TRUE(owner.Create(IDD_FRAME));
    ScriptedDialog dialog(WM_TEST_END, 3);
    dialog.m_pParentWnd = &owner;
    EXPECT_EQ(dialog.DoModal(), 3);
    EXPECT_EQ(dialog.m_owner, owner.m_hWnd);
    EXPECT_FALSE(dialog.m_ownerEnabledWhileModal);
    EXPECT_TRUE(owner.IsWindowEnabled());
    owner.DestroyWindow();
}

TEST(ModalDialog, MissingTemplateGivesMinusOne) {
    CDialog dialog(4321);
    EXPECT_EQ(dialog.DoModal(), -1);
}

// A control that sees its messages before they are dispatched.
class WatchingButton : public CButton {
public:
    int m_seen = 0;
    BOOL PreTranslateMessage(MSG* msg) override {
        if (msg->message == WM_TEST_PING) {
            ++m_seen;
            return TRUE;  // swallowed: never dispatched
        }
        return CButton::PreTranslateMessage(msg);
    }

protected:
    LRESULT OnPing(WPARAM, LPARAM) {
        ++m_dispatched;
        return 0;
    }
    DECLARE_MESSAGE_MAP()

public:
    int m_dispatched = 0;
};

BEGIN_MESSAGE_MAP(WatchingButton, CButton)
    ON_MESSAGE(WM_TEST_PING, &WatchingButton::OnPing)
END_MESSAGE_MAP()

class PreTranslateDialog : public CDialog {
public:
    PreTranslateDialog() : CDialog(IDD_FRAME) {}
    WatchingButton m_go;
    std::vector<UINT> m_dialogSaw;
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        m_go.PostMessage(WM_TEST_PING);
        m_go.PostMessage(WM_TEST_PING);
        PostMessage(WM_TEST_END, IDOK);
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* msg) override {
        if (msg->message >= WM_APP) m_dialogSaw.push_back(msg->message);
        return CDialog::PreTranslateMessage(msg);
    }

protected:
    void DoDataExchange(CDataExchange* exchange) override { DDX_Control(exchange, IDC_GO, m_go); }
    LRESULT OnEnd(WPARAM wParam, LPARAM) {
        EndDialog(static_cast<int>(wParam));
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(PreTranslateDialog, CDialog)
    ON_MESSAGE(WM_TEST_END, &PreTranslateDialog::OnEnd)
END_MESSAGE_MAP()

TEST(ModalDialog, LoopOffersMessagesToTheWindowTheyAreFor) {
    PreTranslateDialog dialog;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_go.m_seen, 2);
    EXPECT_EQ(dialog.m_go.m_dispatched, 0);
    // The control swallowed its messages; the dialog saw only its own.
    EXPECT_EQ(dialog.m_dialogSaw, std::vector<UINT>{WM_TEST_END});
}

// A control that answers its own colour request, draws itself and may take
// its own click notification.
class SelfDrawnButton : public CButton {
public:
    CBrush m_brush{RGB(1, 2, 3)};
    int m_draws = 0;
    int m_clicks = 0;
    BOOL m_consumeClicks = TRUE;
    void DrawItem(LPDRAWITEMSTRUCT draw) override {
        ++m_draws;
        ::FillRect(draw->hDC, &draw->rcItem, m_brush);
    }

protected:
    HBRUSH CtlColor(CDC*, UINT ctlColor) { return ctlColor == CTLCOLOR_BTN ? static_cast<HBRUSH>(m_brush) : nullptr; }
    BOOL OnClicked() {
        ++m_clicks;
        return m_consumeClicks;
    }
    void OnOwnNotify(NMHDR*, LRESULT* result) { *result = 5; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(SelfDrawnButton, CButton)
    ON_WM_CTLCOLOR_REFLECT()
    ON_CONTROL_REFLECT_EX(BN_CLICKED, &SelfDrawnButton::OnClicked)
    ON_NOTIFY_REFLECT(NM_RCLICK, &SelfDrawnButton::OnOwnNotify)
END_MESSAGE_MAP()

class ReflectionDialog : public CDialog {
public:
    ReflectionDialog() : CDialog(IDD_FRAME) {}
    SelfDrawnButton m_button;
    int m_parentClicks = 0;

protected:
    void DoDataExchange(CDataExchange* exchange) override { DDX_Control(exchange, IDC_OWNERDRAW, m_button); }
    void OnButton() { ++m_parentClicks; }
    void OnButtonNotify(NMHDR* header, LRESULT* result) {
        m_parentNotifies.push_back(header->code);
        *result = 9;
    }
    DECLARE_MESSAGE_MAP()

public:
    std::vector<UINT> m_parentNotifies;
};

BEGIN_MESSAGE_MAP(ReflectionDialog, CDialog)
    ON_BN_CLICKED(IDC_OWNERDRAW, &ReflectionDialog::OnButton)
    ON_NOTIFY(NM_RCLICK, IDC_OWNERDRAW, &ReflectionDialog::OnButtonNotify)
    ON_NOTIFY(NM_CLICK, IDC_OWNERDRAW, &ReflectionDialog::OnButtonNotify)
END_MESSAGE_MAP()

// A notification the control handles itself stays with it; others reach the parent.
TEST(Reflection, NotificationsGoToTheControlFirst) {
    ReflectionDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_FRAME));
    NMHDR header{};
    header.hwndFrom = dialog.m_button.m_hWnd;
    header.idFrom = IDC_OWNERDRAW;
    header.code = NM_RCLICK;
    EXPECT_EQ(dialog.SendMessage(WM_NOTIFY, IDC_OWNERDRAW, reinterpret_cast<LPARAM>(&header)), 5);
    header.code = NM_CLICK;
    EXPECT_EQ(dialog.SendMessage(WM_NOTIFY, IDC_OWNERDRAW, reinterpret_cast<LPARAM>(&header)), 9);
    EXPECT_EQ(dialog.m_parentNotifies, std::vector<UINT>{static_cast<UINT>(NM_CLICK)});
    dialog.DestroyWindow();
}

TEST(Reflection, ColourRequestAndOwnerDrawReachTheControl) {
    ReflectionDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_FRAME));
    HDC dc = ::CreateCompatibleDC(nullptr);
    auto brush = reinterpret_cast<HBRUSH>(dialog.SendMessage(WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc),
                                                             reinterpret_cast<LPARAM>(dialog.m_button.m_hWnd)));
    EXPECT_EQ(brush, static_cast<HBRUSH>(dialog.m_button.m_brush));
    // A request the control does not answer gets the system's colours.
    auto other = reinterpret_cast<HBRUSH>(dialog.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                             reinterpret_cast<LPARAM>(dialog.m_button.m_hWnd)));
    EXPECT_NE(other, static_cast<HBRUSH>(dialog.m_button.m_brush));
    EXPECT_NE(other, nullptr);
    ::DeleteDC(dc);

    dialog.ShowWindow(SW_SHOW);
    dialog.m_button.Invalidate();
    dialog.m_button.UpdateWindow();
    EXPECT_GE(dialog.m_button.m_draws, 1);
    EXPECT_TRUE(Near(CaptureClient(dialog.m_button.m_hWnd).At(5, 5), RGB(1, 2, 3), 0));
    dialog.DestroyWindow();
}

TEST(Reflection, ControlCanTakeItsNotificationOrShareIt) {
    for (BOOL consume : {TRUE, FALSE}) {
        SCOPED_TRACE(consume);
        ReflectionDialog dialog;
        ASSERT_TRUE(dialog.Create(IDD_FRAME));
        dialog.m_button.m_consumeClicks = consume;
        dialog.m_button.SendMessage(BM_CLICK);
        EXPECT_EQ(dialog.m_button.m_clicks, 1);
        EXPECT_EQ(dialog.m_parentClicks, consume ? 0 : 1);
        dialog.DestroyWindow();
    }
}

class RecordingMenu : public CMenu {
public:
    int m_draws = 0;
    int m_measures = 0;
    void DrawItem(LPDRAWITEMSTRUCT) override { ++m_draws; }
    void MeasureItem(LPMEASUREITEMSTRUCT measure) override {
        ++m_measures;
        measure->itemWidth = 123;
        measure->itemHeight = 45;
    }
};

TEST(Menus, OwnerDrawnItemsGoToTheirMenuObject) {
    RecordingMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    ASSERT_TRUE(menu.AppendMenu(MF_OWNERDRAW, 301, nullptr));
    EXPECT_EQ(CMenu::FromHandle(menu.m_hMenu), &menu);
    CDialog dialog(IDD_FRAME);
    ASSERT_TRUE(dialog.Create(IDD_FRAME));

    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_MENU;
    measure.itemID = 301;
    dialog.SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    EXPECT_EQ(menu.m_measures, 1);
    EXPECT_EQ(measure.itemWidth, 123u);

    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_MENU;
    draw.itemID = 301;
    draw.hwndItem = reinterpret_cast<HWND>(menu.m_hMenu);
    draw.hDC = ::CreateCompatibleDC(nullptr);
    dialog.SendMessage(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
    ::DeleteDC(draw.hDC);
    EXPECT_EQ(menu.m_draws, 1);

    HMENU handle = menu.m_hMenu;
    menu.DestroyMenu();
    EXPECT_FALSE(::IsMenu(handle));
    EXPECT_EQ(CMenu::FromHandlePermanent(handle), nullptr);
    dialog.DestroyWindow();
}

TEST(ToolTips, ToolsAreRegisteredForTheirControls) {
    CDialog dialog(IDD_FRAME);
    ASSERT_TRUE(dialog.Create(IDD_FRAME));
    CToolTipCtrl tips;
    ASSERT_TRUE(tips.Create(&dialog));
    CWnd* edit = dialog.GetDlgItem(IDC_TEXT);
    ASSERT_TRUE(tips.AddTool(edit, "1(555)-123-4567"));
    tips.Activate(TRUE);
    EXPECT_EQ(tips.SendMessage(TTM_GETTOOLCOUNT), 1);
    char text[80] = {};
    TOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.hwnd = dialog.m_hWnd;
    info.uId = reinterpret_cast<UINT_PTR>(edit->m_hWnd);
    info.lpszText = text;
    tips.SendMessage(TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&info));
    EXPECT_STREQ(text, "1(555)-123-4567");
    tips.UpdateTipText("John Smith", edit);
    tips.SendMessage(TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&info));
    EXPECT_STREQ(text, "John Smith");
    dialog.DestroyWindow();
    EXPECT_EQ(tips.m_hWnd, nullptr);  // owned pop-ups go with their owner
}

class PanelDialog : public CDialog {
public:
    PanelDialog() : CDialog(IDD_CHILD) {}
    CButton m_button;
    bool m_initialised = false;
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        m_initialised = true;
        return TRUE;
    }
    // Enter and Escape do nothing in a panel.
    void OnOK() override {}
    void OnCancel() override {}

protected:
    void DoDataExchange(CDataExchange* exchange) override { DDX_Control(exchange, IDC_CHILD_BUTTON, m_button); }
};

TEST(ChildDialog, IsCreatedInsideItsParentWithItsControlsBound) {
    CDialog parent(IDD_FRAME);
    ASSERT_TRUE(parent.Create(IDD_FRAME));
    PanelDialog panel;
    ASSERT_TRUE(panel.Create(IDD_CHILD, &parent));
    EXPECT_TRUE(panel.m_initialised);
    EXPECT_EQ(::GetParent(panel.m_hWnd), parent.m_hWnd);
    EXPECT_TRUE(panel.GetStyle() & WS_CHILD);
    EXPECT_NE(panel.m_button.m_hWnd, nullptr);
    panel.SendMessage(WM_COMMAND, IDOK);
    EXPECT_NE(panel.m_hWnd, nullptr);
    // The parent's destruction takes the panel with it.
    parent.DestroyWindow();
    EXPECT_EQ(panel.m_hWnd, nullptr);
    EXPECT_EQ(panel.m_button.m_hWnd, nullptr);
}

// Reads the message box that is up, then presses its OK button.
struct SeenBox {
    std::string caption;
    std::string text;
    HICON icon = nullptr;
    HWND owner = nullptr;
};
SeenBox g_seen;

BOOL CALLBACK FindVisibleBox(HWND window, LPARAM found) {
    char cls[32] = {};
    ::GetClassNameA(window, cls, sizeof cls);
    if (std::string(cls) == "#32770" && ::IsWindowVisible(window) && ::GetDlgItem(window, 0xFFFF)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// The icon is the visible icon static of the box.
BOOL CALLBACK NoteIcon(HWND child, LPARAM) {
    if ((::GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && ::IsWindowVisible(child))
        g_seen.icon = reinterpret_cast<HICON>(::SendMessageA(child, STM_GETICON, 0, 0));
    return TRUE;
}

void CALLBACK AnswerBox(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindVisibleBox, reinterpret_cast<LPARAM>(&box));
    if (!box) return;
    ::KillTimer(nullptr, timer);
    char text[256] = {};
    ::GetWindowTextA(box, text, sizeof text);
    g_seen.caption = text;
    ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    g_seen.text = text;
    g_seen.owner = ::GetWindow(box, GW_OWNER);
    ::EnumChildWindows(box, NoteIcon, 0);
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
}

TEST(MessageBoxNotifier, ShowsAnOkBoxOwnedByTheWindow) {
    CDialog owner(IDD_FRAME);
    ASSERT_TRUE(owner.Create(IDD_FRAME));
    owner.ShowWindow(SW_SHOW);
    struct Case {
        unsigned icon;
        const char* systemIcon;
    };
    for (const Case& c : {Case{kIconExclamation, IDI_EXCLAMATION}, Case{kIconHand, IDI_HAND}}) {
        SCOPED_TRACE(c.icon);
        g_seen = SeenBox();
        ::SetTimer(nullptr, 0, 50, AnswerBox);
        MessageBoxNotifier notifier(owner.m_hWnd);
        notifier.Show("Invalid Fax Number", "Vantrel", c.icon);
        EXPECT_EQ(g_seen.caption, "Vantrel");
        EXPECT_EQ(g_seen.text, "Invalid Fax Number");
        EXPECT_EQ(g_seen.owner, owner.m_hWnd);
        EXPECT_EQ(g_seen.icon, ::LoadIconA(nullptr, c.systemIcon));
    }
    owner.DestroyWindow();
}

// A panel that notes its own WM_DESTROY, reading one of its members there.
class NotingPanel : public CDialog {
public:
    NotingPanel(std::vector<std::string>* log, const char* name) : CDialog(IDD_CHILD), m_log(log), m_name(name) {}
    void OnOK() override {}
    void OnCancel() override {}

protected:
    void OnDestroy() {
        m_log->push_back(m_name + " destroy");
        CDialog::OnDestroy();
    }
    std::vector<std::string>* m_log;
    std::string m_name;
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(NotingPanel, CDialog)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

// A row: members of its own, the handler only in its base.
class NotingRow : public NotingPanel {
public:
    using NotingPanel::NotingPanel;
    std::vector<int> m_cells{1, 2, 3};
};

// A window that owns a panel as a member.
class PanelOwner : public CDialog {
public:
    explicit PanelOwner(std::vector<std::string>* log) : CDialog(IDD_FRAME), m_log(log), m_panel(log, "panel") {}
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        return m_panel.Create(IDD_CHILD, this);
    }

protected:
    void OnDestroy() {
        m_log->push_back("owner destroy");
        CDialog::OnDestroy();
    }
    std::vector<std::string>* m_log;
    NotingPanel m_panel;
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(PanelOwner, CDialog)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

TEST(WindowLifetime, ObjectsDeletedWithTheirWindowStillHandleItsDestruction) {
    CDialog parent(IDD_FRAME);
    ASSERT_TRUE(parent.Create(IDD_FRAME));
    std::vector<std::string> log;

    auto* panel = new NotingPanel(&log, "panel");
    ASSERT_TRUE(panel->Create(IDD_CHILD, &parent));
    HWND panelWindow = panel->m_hWnd;
    delete panel;
    EXPECT_EQ(log, std::vector<std::string>{"panel destroy"});
    EXPECT_FALSE(::IsWindow(panelWindow));
    EXPECT_EQ(CWnd::FromHandlePermanent(panelWindow), nullptr);

    log.clear();
    auto row = std::make_unique<NotingRow>(&log, "row");
    ASSERT_TRUE(row->Create(IDD_CHILD, &parent));
    row.reset();
    EXPECT_EQ(log, std::vector<std::string>{"row destroy"});
    parent.DestroyWindow();
}

TEST(WindowLifetime, AWindowGoingWithItsObjectTakesItsPanelsWithEveryHandler) {
    std::vector<std::string> log;
    {
        PanelOwner owner(&log);
        ASSERT_TRUE(owner.Create(IDD_FRAME));
        ASSERT_NE(owner.GetWindow(GW_CHILD), nullptr);
    }
    EXPECT_EQ(log, (std::vector<std::string>{"owner destroy", "panel destroy"}));
}

// A child whose controls cannot be bound, and one that ends itself while it starts.
class UnboundChild : public CDialog {
public:
    UnboundChild() : CDialog(IDD_CHILD) {}
    CButton m_missing;

protected:
    void DoDataExchange(CDataExchange* exchange) override { DDX_Control(exchange, IDC_MISSING, m_missing); }
};

class SelfEndingChild : public CDialog {
public:
    SelfEndingChild() : CDialog(IDD_CHILD) {}
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        EndDialog(-1);
        return TRUE;
    }
};

BOOL CALLBACK CountDialog(HWND window, LPARAM count) {
    char name[16] = {};
    ::GetClassNameA(window, name, sizeof name);
    if (std::string(name) == "#32770") ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int ChildDialogsOf(HWND parent) {
    int count = 0;
    ::EnumChildWindows(parent, CountDialog, reinterpret_cast<LPARAM>(&count));
    return count;
}

TEST(ChildDialog, CreateFailsWhenItsInitialisationFails) {
    CDialog parent(IDD_FRAME);
    ASSERT_TRUE(parent.Create(IDD_FRAME));
    UnboundChild unbound;
    EXPECT_FALSE(unbound.Create(IDD_CHILD, &parent));
    EXPECT_EQ(unbound.m_hWnd, nullptr);
    SelfEndingChild ending;
    EXPECT_FALSE(ending.Create(IDD_CHILD, &parent));
    EXPECT_EQ(ending.m_hWnd, nullptr);
    EXPECT_EQ(ChildDialogsOf(parent.m_hWnd), 0) << "a failed child is left behind";
    // A failed start does not spoil the next one.
    PanelDialog panel;
    EXPECT_TRUE(panel.Create(IDD_CHILD, &parent));
    EXPECT_EQ(ChildDialogsOf(parent.m_hWnd), 1);
    parent.DestroyWindow();
}

}  // namespace
