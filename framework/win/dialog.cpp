#include "framework/win/dialog.h"

CDialog::CDialog(UINT idTemplate, CWnd* parent) : m_nIDTemplate(idTemplate), m_pParentWnd(parent) {}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, &CDialog::OnOK)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

INT_PTR CALLBACK CDialog::DialogProc(HWND handle, UINT message, WPARAM, LPARAM lParam) {
    // Every other message reaches the object through the subclassed window
    // procedure; the dialog manager's defaults apply to what it leaves.
    if (message != WM_INITDIALOG) return FALSE;
    auto* dialog = reinterpret_cast<CDialog*>(lParam);
    if (!dialog || !dialog->SubclassWindow(handle)) return FALSE;
    return dialog->OnInitDialog();
}

HWND CDialog::ModalOwner() const {
    HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    if (!owner) {
        CWnd* main = AfxGetMainWnd();
        if (main && main != this && main->m_hWnd && ::IsWindow(main->m_hWnd)) owner = main->m_hWnd;
    }
    if (!owner) return nullptr;
    while (owner && (::GetWindowLongPtrA(owner, GWL_STYLE) & WS_CHILD)) owner = ::GetParent(owner);
    return owner ? ::GetLastActivePopup(owner) : nullptr;
}

INT_PTR CDialog::DoModal() {
    if (m_hWnd) return -1;
    HWND owner = ModalOwner();
    bool enableOwner = false;
    if (owner && owner != ::GetDesktopWindow() && ::IsWindowEnabled(owner)) {
        ::EnableWindow(owner, FALSE);
        enableOwner = true;
    }
    m_modal = true;
    m_continueModal = true;
    m_nModalResult = -1;
    HWND handle = ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), owner, DialogProc,
                                       reinterpret_cast<LPARAM>(this));
    if (handle && m_hWnd && m_continueModal) RunModalLoop();
    if (m_hWnd)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    // The owner comes back before this window goes, so activation returns to it.
    if (enableOwner) ::EnableWindow(owner, TRUE);
    if (owner && m_hWnd && ::GetActiveWindow() == m_hWnd) ::SetActiveWindow(owner);
    if (m_hWnd) DestroyWindow();
    m_modal = false;
    m_continueModal = false;
    return handle ? m_nModalResult : -1;
}

void CDialog::RunModalLoop() {
    // Like the framework's own: a template without WS_VISIBLE is shown once
    // the queue first runs empty.
    bool showWhenIdle = !(GetStyle() & WS_VISIBLE);
    MSG msg;
    while (m_continueModal && m_hWnd) {
        if (showWhenIdle && !::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            ShowWindow(SW_SHOWNORMAL);
            UpdateWindow();
            showWhenIdle = false;
        }
        BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == -1) {
            m_nModalResult = -1;
            break;
        }
        if (got == 0) {
            // The quit message ends this window and every loop around it.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            m_nModalResult = -1;
            break;
        }
        if (!WalkPreTranslateTree(m_hWnd, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

BOOL CDialog::Create(UINT idTemplate, CWnd* parent) {
    if (m_hWnd) return FALSE;
    m_nIDTemplate = idTemplate;
    if (parent) m_pParentWnd = parent;
    m_modal = false;
    m_starting = true;
    m_endedWhileStarting = false;
    HWND handle =
        ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(idTemplate),
                             m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr, DialogProc, reinterpret_cast<LPARAM>(this));
    m_starting = false;
    // A dialog that ended itself while it started (its data exchange or its
    // own initialisation failed) was not made.
    if (handle && (!m_hWnd || m_endedWhileStarting)) {
        if (m_hWnd) DestroyWindow();
        if (::IsWindow(handle)) ::DestroyWindow(handle);
        return FALSE;
    }
    return handle != nullptr;
}

void CDialog::EndDialog(int result) {
    if (m_starting) m_endedWhileStarting = true;
    if (m_modal) {
        m_nModalResult = result;
        m_continueModal = false;
        if (m_hWnd) PostMessage(WM_NULL);  // wakes the loop
    }
    if (m_hWnd) ::EndDialog(m_hWnd, result);
}

BOOL CDialog::OnInitDialog() {
    if (!UpdateData(FALSE)) {
        EndDialog(-1);
        return FALSE;
    }
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::PreTranslateMessage(MSG* msg) {
    if (!m_hWnd) return FALSE;
    const bool key = msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST;
    const bool mouse = msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST;
    if (!key && !mouse) return FALSE;
    return ::IsDialogMessageA(m_hWnd, msg);
}

BEGIN_MESSAGE_MAP(CDialogEx, CDialog)
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

void CDialogEx::SetBackgroundColor(COLORREF colour, BOOL repaint) {
    m_brBkgr.CreateSolidBrush(colour);
    m_backgroundColour = colour;
    if (repaint && m_hWnd) {
        Invalidate();
        UpdateWindow();
    }
}

BOOL CDialogEx::OnEraseBkgnd(CDC* dc) {
    CRect client;
    GetClientRect(&client);
    HBRUSH brush = m_brBkgr.m_hObject ? static_cast<HBRUSH>(m_brBkgr.m_hObject) : ::GetSysColorBrush(COLOR_3DFACE);
    ::FillRect(dc->m_hDC, &client, brush);
    return TRUE;
}

HBRUSH CDialogEx::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
    HBRUSH reflected = nullptr;
    if (ReflectCtlColor(wnd, &reflected)) return reflected;
    if (m_brBkgr.m_hObject && (ctlColor == CTLCOLOR_DLG || ctlColor == CTLCOLOR_STATIC)) {
        dc->SetBkColor(m_backgroundColour);
        return static_cast<HBRUSH>(m_brBkgr.m_hObject);
    }
    return reinterpret_cast<HBRUSH>(Default());
}
