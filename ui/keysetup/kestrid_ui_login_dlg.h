// The key-setup window: takes the application key, has the service verify
// it and keeps it. Opened at start-up (where "/KEY=" on the command line sets
// a key up without showing anything) and from the send-fax window's key
// button, which reads the verified key from m_strKey after an OK.
#pragma once

#include "controls/bitmap_dialog.h"
#include "controls/gdip_button.h"
#include "framework/notifier.h"
#include "ui/common/window_notifier.h"
#include "ui/keysetup/key_setup.h"

class CKestridUILoginDlg : public CBitmapDialog {
public:
    explicit CKestridUILoginDlg(CWnd* parent = nullptr);

    // Set by the opener before DoModal; only searched for "/KEY=".
    CString m_strCmdLine;
    // The verified key, set just before the window ends with OK.
    CString m_strKey;
    // Set by the "/KEY=" start: no box is shown.
    BOOL m_bSilent = FALSE;

    // Where the boxes go and how keys are verified; the defaults are message
    // boxes owned by this window and the account lookup of the build's
    // service. Tests put their own in before DoModal.
    Notifier* m_pNotifier = nullptr;
    AccountLookupFn m_lookup;

protected:
    // Boxes owned by this window, or m_pNotifier's when it is set.
    WindowNotifier m_boxes{*this, &m_pNotifier};

    void DoDataExchange(CDataExchange* exchange) override;
    BOOL OnInitDialog() override;
    // Enter is the set-up button: OK only ever follows a stored key.
    void OnOK() override;

    void OnSetup();
    void OnMinimise();
    void OnCloseButton();
    void OnPasswordToggle();
    void OnKeyEdited();
    HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);
    void OnPaint();
    HCURSOR OnQueryDragIcon();

    // Runs the set-up action on key; ends the window with OK when it was stored.
    void SetUp(const CString& key);
    void LayOut();
    void LoadButtonFaces();

    CString m_strProgramDir;
    HICON m_hIcon = nullptr;
    CFont m_fontTitle;    // 12 pixels
    CFont m_fontHeading;  // 20
    CFont m_fontLabel;    // 13
    CFont m_fontField;    // 14
    CEdit m_editKey;
    CEdit m_editPassword;
    CGdipButton m_btnSetup;
    CGdipButton m_btnMinimise;
    CGdipButton m_btnClose;
    CGdipButton m_btnPasswordToggle;

    DECLARE_MESSAGE_MAP()
};
