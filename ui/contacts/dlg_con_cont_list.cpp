#include "ui/contacts/dlg_con_cont_list.h"

#include "resource.h"
#include "ui/common/window_layout_win.h"
#include "ui/contacts/picker_layout.h"

BEGIN_MESSAGE_MAP(CDlgConContList, CBitmapDialog)
    ON_WM_LBUTTONDOWN()
    ON_WM_PAINT()
    ON_WM_CHILDACTIVATE()
    ON_WM_ACTIVATEAPP()
    ON_BN_CLICKED(IDC_CONROW_HIDE_MEMBERS, &CDlgConContList::OnHideMembers)
    ON_BN_CLICKED(IDC_CONROW_SHOW_MEMBERS, &CDlgConContList::OnShowMembers)
END_MESSAGE_MAP()

CDlgConContList::CDlgConContList(CWnd* owner, int listIndex, const ContactRowView& view, bool preChosen)
    : CBitmapDialog(IDD_CONTACT_ROW, owner), m_nListIndex(listIndex), m_view(view), m_bPreChosen(preChosen) {}

void CDlgConContList::DoDataExchange(CDataExchange* exchange) {
    CBitmapDialog::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_CONROW_NAME, m_name);
    DDX_Control(exchange, IDC_CONROW_FAX, m_fax);
    DDX_Control(exchange, IDC_CONROW_MEMBER_COUNT, m_count);
    DDX_Control(exchange, IDC_CONROW_KIND, m_kind);
    DDX_Control(exchange, IDC_CONROW_MEMBER_ICON, m_memberIcon);
    DDX_Control(exchange, IDC_CONROW_HIDE_MEMBERS, m_hideMembers);
    DDX_Control(exchange, IDC_CONROW_SHOW_MEMBERS, m_showMembers);
}

BOOL CDlgConContList::OnInitDialog() {
    CBitmapDialog::OnInitDialog();
    SetBackgroundBitmap(RowBackground(m_view, m_nTicked == 1 || m_bPreChosen));
    SetBackgroundColor(kRowColour);

    MakeFont(m_fontText, nullptr, kRowFont);
    SetFont(&m_fontText);  // the labels keep the template's font

    for (const ControlPlace& place : ContactRowLayout(m_view.indent)) {
        if (CWnd* control = GetDlgItem(place.id)) control->MoveWindow(place.left, place.top, place.width, place.height);
    }
    for (int i = 0; i < kRowMemberButtonFaceCount; ++i) {
        const ButtonFaces& faces = kRowMemberButtonFaces[i];
        LoadFaces(faces.id == IDC_CONROW_HIDE_MEMBERS ? m_hideMembers : m_showMembers, faces);
    }
    m_showMembers.ShowWindow(SW_HIDE);
    m_hideMembers.ShowWindow(m_view.hide_members_shown ? SW_SHOW : SW_HIDE);

    // Pictures, not buttons.
    LoadFaces(m_kind, PictureFaces(IDC_CONROW_KIND, m_view.kind_icon));
    m_kind.EnableWindow(FALSE);
    m_kind.ShowWindow(SW_SHOW);
    LoadFaces(m_memberIcon, PictureFaces(IDC_CONROW_MEMBER_ICON, kRowMemberIcon));
    m_memberIcon.ShowWindow(m_view.member_icon_shown ? SW_SHOW : SW_HIDE);
    m_memberIcon.EnableWindow(FALSE);

    m_name.SetWindowText(m_view.name);
    m_count.SetWindowText(m_view.member_count);
    m_fax.SetWindowText(m_view.fax);
    m_name.ShowWindow(SW_SHOW);
    m_count.ShowWindow(SW_SHOW);
    m_fax.ShowWindow(SW_SHOW);
    return TRUE;
}

void CDlgConContList::OnLButtonDown(UINT flags, CPoint point) {
    m_nTicked = m_nTicked == 0 ? 1 : 0;
    SetBackgroundBitmap(RowBackground(m_view, m_nTicked == 1));
    Invalidate(TRUE);
    CBitmapDialog::OnLButtonDown(flags, point);
}

void CDlgConContList::OnPaint() {
    // Nothing to draw: the look comes from the background, painted on erase,
    // and from the controls.
    CPaintDC dc(this);
}

void CDlgConContList::OnChildActivate() {
    CBitmapDialog::OnChildActivate();
    SetBackgroundColor(kRowColour);
}

void CDlgConContList::OnActivateApp(BOOL active, DWORD thread) {
    if (!active) SetBackgroundColor(kRowColour);
    CBitmapDialog::OnActivateApp(active, thread);
}

void CDlgConContList::OnHideMembers() {
    m_hideMembers.ShowWindow(SW_HIDE);
    m_showMembers.ShowWindow(SW_SHOW);
    m_nVisible = 0;
    ToggleMembers();
}

void CDlgConContList::OnShowMembers() {
    m_showMembers.ShowWindow(SW_HIDE);
    m_hideMembers.ShowWindow(SW_SHOW);
    m_nVisible = 1;
    ToggleMembers();
}

void CDlgConContList::ToggleMembers() {
    // Row, panel, picker.
    CWnd* panel = GetParent();
    CWnd* picker = panel ? panel->GetParent() : nullptr;
    if (picker) picker->SendMessage(WM_TOGGLE_MEMBERS, static_cast<WPARAM>(m_nListIndex));
}
