#include "ui/keysetup/kestrid_ui_login_dlg.h"

#include "base/application_name.h"
#include "base/command_line.h"
#include "base/program_folder.h"
#include "base/settings_store.h"
#include "base/version_file.h"
#include "resource.h"
#include "service/account_lookup.h"
#include "ui/common/window_layout_win.h"

namespace {

CString ModulePath() {
    char path[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

}  // namespace

CKestridUILoginDlg::CKestridUILoginDlg(CWnd* parent) : CBitmapDialog(IDD_KEY_SETUP, parent) {}

BEGIN_MESSAGE_MAP(CKestridUILoginDlg, CBitmapDialog)
    ON_BN_CLICKED(IDC_KEY_SETUP, &CKestridUILoginDlg::OnSetup)
    ON_BN_CLICKED(IDC_KEY_MINIMISE, &CKestridUILoginDlg::OnMinimise)
    ON_BN_CLICKED(IDC_KEY_CLOSE, &CKestridUILoginDlg::OnCloseButton)
    ON_BN_CLICKED(IDC_KEY_PASSWORD_TOGGLE, &CKestridUILoginDlg::OnPasswordToggle)
    ON_EN_CHANGE(IDC_KEY_FIELD, &CKestridUILoginDlg::OnKeyEdited)
    ON_EN_KILLFOCUS(IDC_KEY_FIELD, &CKestridUILoginDlg::OnKeyEdited)
    ON_EN_CHANGE(IDC_KEY_PASSWORD, &CKestridUILoginDlg::OnKeyEdited)
    ON_EN_KILLFOCUS(IDC_KEY_PASSWORD, &CKestridUILoginDlg::OnKeyEdited)
    ON_WM_CTLCOLOR()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
END_MESSAGE_MAP()

void CKestridUILoginDlg::DoDataExchange(CDataExchange* exchange) {
    CBitmapDialog::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_KEY_FIELD, m_editKey);
    DDX_Control(exchange, IDC_KEY_PASSWORD, m_editPassword);
    DDX_Control(exchange, IDC_KEY_SETUP, m_btnSetup);
    DDX_Control(exchange, IDC_KEY_MINIMISE, m_btnMinimise);
    DDX_Control(exchange, IDC_KEY_CLOSE, m_btnClose);
    DDX_Control(exchange, IDC_KEY_PASSWORD_TOGGLE, m_btnPasswordToggle);
}

BOOL CKestridUILoginDlg::OnInitDialog() {
    if (!CBitmapDialog::OnInitDialog()) return FALSE;

    m_strProgramDir = ProgramFolderFromModulePath(ModulePath());
    SetDlgItemText(IDC_KEY_TITLE, VersionLabel(m_strProgramDir));

    // The installer's start: set the key up and end the process before the
    // window is ever shown, whatever the outcome.
    CString silentKey;
    if (ExtractSilentKey(m_strCmdLine, silentKey)) {
        m_editKey.SetWindowText(silentKey);
        m_bSilent = TRUE;
        // The key as given, not as the one-line field keeps it: a control
        // character must reach the check that refuses it.
        SetUp(silentKey);
        ::ExitProcess(0);
    }

    PlaceCentred(*this, kKeySetupWindow, &CWnd::wndNoTopMost);

    m_hIcon = ::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    SetBackgroundBitmap(IDB_KEY_SETUP_BACKGROUND);
    SetDragAnywhere(TRUE);

    CFont* fonts[] = {&m_fontTitle, &m_fontHeading, &m_fontLabel, &m_fontField};
    for (int i = 0; i < 4; ++i)
        MakeFont(*fonts[i], GetFont(), {kKeySetupFontFace, kKeySetupFontPixels[i], kKeySetupFontWeight, 0});

    LayOut();
    LoadButtonFaces();

    m_editPassword.SetPasswordChar('*');
    m_editKey.SetWindowText(ReadSettingText("USERNAME"));
    m_editPassword.SetWindowText(ReadSettingText("PASSWORD"));

    m_btnSetup.EnableWindow(TRUE);
    m_btnMinimise.ShowWindow(SW_SHOW);
    m_btnClose.ShowWindow(SW_SHOW);
    m_btnSetup.ShowWindow(SW_SHOW);
    return TRUE;
}

void CKestridUILoginDlg::LayOut() {
    auto fontOf = [this](int pixels) -> CFont* {
        switch (pixels) {
        case 12:
            return &m_fontTitle;
        case 20:
            return &m_fontHeading;
        case 13:
            return &m_fontLabel;
        case 14:
            return &m_fontField;
        default:
            return nullptr;
        }
    };
    for (int i = 0; i < kKeySetupLayoutCount; ++i) {
        const ControlPlace& place = kKeySetupLayout[i];
        CWnd* control = GetDlgItem(place.id);
        if (!control) continue;
        control->MoveWindow(place.left, place.top, place.width, place.height);
        if (CFont* font = fontOf(place.font_pixels)) control->SetFont(font);
    }
    // The password pair keeps its template place.
    if (CWnd* label = GetDlgItem(IDC_KEY_PASSWORD_LABEL)) label->SetFont(&m_fontLabel);
    m_editPassword.SetFont(&m_fontField);
}

void CKestridUILoginDlg::LoadButtonFaces() {
    CGdipButton* buttons[] = {&m_btnSetup, &m_btnMinimise, &m_btnClose, &m_btnPasswordToggle};
    for (int i = 0; i < kKeySetupButtonFaceCount; ++i) {
        const ButtonFaces& faces = kKeySetupButtonFaces[i];
        for (CGdipButton* button : buttons)
            if (button->GetDlgCtrlID() == faces.id) LoadFaces(*button, faces);
    }
}

void CKestridUILoginDlg::OnOK() { OnSetup(); }

void CKestridUILoginDlg::OnSetup() {
    CString key;
    m_editKey.GetWindowText(key);
    SetUp(key);
}

void CKestridUILoginDlg::SetUp(const CString& key) {
    AccountLookupFn lookup = m_lookup;
    if (!lookup) lookup = [](const CString& k, bool silent, Notifier& n) { return LookupAccount(k, silent, n); };
    if (!SetUpKey(key, m_bSilent != FALSE, ApplicationNameFromModulePath(ModulePath()), m_boxes, lookup)) return;
    m_strKey = key;
    EndDialog(IDOK);
}

void CKestridUILoginDlg::OnMinimise() { ShowWindow(SW_MINIMIZE); }

void CKestridUILoginDlg::OnCloseButton() { EndDialog(IDCANCEL); }

void CKestridUILoginDlg::OnPasswordToggle() {
    if (m_editPassword.GetStyle() & ES_PASSWORD) {
        m_editPassword.ModifyStyle(ES_PASSWORD, 0);
        m_editPassword.SetPasswordChar(0);
    } else {
        m_editPassword.ModifyStyle(0, ES_PASSWORD);
        m_editPassword.SetPasswordChar('*');
    }
    m_editPassword.Invalidate();
    m_editPassword.SetFocus();
}

void CKestridUILoginDlg::OnKeyEdited() { m_btnSetup.EnableWindow(TRUE); }

HBRUSH CKestridUILoginDlg::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
    HBRUSH brush = CBitmapDialog::OnCtlColor(dc, wnd, ctlColor);
    if (ctlColor == CTLCOLOR_STATIC) dc->SetTextColor(RGB(0, 0, 0));
    return brush;
}

void CKestridUILoginDlg::OnPaint() {
    if (IsIconic()) PaintIconic(m_hIcon);
    else CBitmapDialog::OnPaint();
}

HCURSOR CKestridUILoginDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }
