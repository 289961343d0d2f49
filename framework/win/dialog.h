// Dialogs from the executable's dialog templates: modal (DoModal runs the
// framework's own loop, so PreTranslateMessage sees every message) or
// modeless children (Create). CDialogEx adds a background colour.
#pragma once

#include "framework/win/data_exchange.h"
#include "framework/win/wnd.h"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT idTemplate, CWnd* parent = nullptr);

    // Runs the dialog until EndDialog; returns its result, or -1 when the
    // template cannot be made or a quit message ended the loop (the quit
    // message is posted again for the enclosing loop).
    virtual INT_PTR DoModal();
    // A modeless dialog, normally a child of parent by its template's style.
    // FALSE, with no window left, when the dialog ended itself while it
    // started (a failed data exchange ends it with -1).
    BOOL Create(UINT idTemplate, CWnd* parent = nullptr);
    // Ends a modal dialog with result; hides a modeless one.
    void EndDialog(int result);

    // Binds the controls (data exchange into the controls) by default; a
    // failed exchange ends the dialog with -1.
    virtual BOOL OnInitDialog();
    // Enter and Escape, and the buttons IDOK and IDCANCEL.
    virtual void OnOK();
    virtual void OnCancel();
    // Dialog keys (Tab, Enter, Escape) for the dialog and its controls.
    BOOL PreTranslateMessage(MSG* msg) override;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

protected:
    static INT_PTR CALLBACK DialogProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
    HWND ModalOwner() const;
    void RunModalLoop();

    bool m_modal = false;
    bool m_starting = false;            // inside Create
    bool m_endedWhileStarting = false;  // EndDialog came before Create returned
    bool m_continueModal = false;
    INT_PTR m_nModalResult = -1;

    DECLARE_MESSAGE_MAP()
};

class CDialogEx : public CDialog {
public:
    explicit CDialogEx(UINT idTemplate, CWnd* parent = nullptr) : CDialog(idTemplate, parent) {}

    // The colour of the dialog's surface and of its statics' backgrounds.
    void SetBackgroundColor(COLORREF colour, BOOL repaint = TRUE);

protected:
    // Fills the client area with the background colour, or with the system's
    // dialog colour when none is set.
    BOOL OnEraseBkgnd(CDC* dc);
    // The control's own answer first (reflection), then the background
    // colour for the dialog and its statics, else the system's colours.
    HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);

    CBrush m_brBkgr;
    COLORREF m_backgroundColour = 0;

    DECLARE_MESSAGE_MAP()
};
