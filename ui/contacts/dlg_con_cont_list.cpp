#include "ui/contacts/dlg_con_cont_list.h"

#include "resource.h"
#include "ui/contacts/picker_layout.h"

#include <cstring>

namespace {

void MakeFont(CFont& font, int pixels, BYTE quality) {
    font.DeleteObject();
    LOGFONTA lf{};
    std::strncpy(lf.lfFaceName, kRowFontFace, LF_FACESIZE - 1);
    lf.lfHeight = CBitmapDialog::FontHeight(pixels);
    lf.lfWeight = FW_NORMAL;
    lf.lfQuality = quality;
    font.CreateFontIndirect(&lf);
}

void LoadFaces(CGdipButton& button, UINT alternate, UINT standard, UINT hover, UINT disabled) {
    button.LoadAlternateImage(alternate, "PNG");
    button.LoadStandardImage(standard, "PNG");
    button.LoadHoverImage(hover, "PNG");
    button.LoadDisabledImage(disabled, "PNG");
}

}  // namespace

BEGIN_MESSAGE_MAP(CDlgConContList, CBitmapDialog)
    ON_WM_LBUTTONDOWN()
    ON_WM_PAINT()
    ON_WM_CHILDACTIVATE()
    ON_WM_ACTIVATEAPP()
    ON_BN_CLICKED(IDC_CONROW_HIDE_MEMBERS, &CDlgConContList::OnHideMembers)
    ON_BN_CLICKED(IDC_CONROW_SHOW_MEMBERS, &CDlgConContList::OnShowMembers)
END_MESSAGE_MAP()

CDlgConContList::CDlgConContList(CWnd* owner, int listIndex, const CString& record, UINT selectedBitmap,
                                 UINT normalBitmap, int ticked)
    : CBitmapDialog(IDD_CONTACT_ROW, owner),
      m_nListIndex(listIndex),
      m_strRecord(record),
      m_nSelectedBitmap(selectedBitmap),
      m_nNormalBitmap(normalBitmap),
      m_nTicked(ticked),
      m_view(ReadContactRow(record)) {
    // Readable before the window exists: the picker collects from these.
    m_strName = m_view.name;
    m_strFax = m_view.fax;
    m_strUuid = m_view.uuid;
    m_strMemberCount = m_view.member_count;
}

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
    SetBackgroundBitmap(m_nTicked == 1 ? m_nSelectedBitmap : m_nNormalBitmap);
    SetBackgroundColor(RGB(255, 255, 255));

    MakeFont(m_fontText, 10, CLEARTYPE_QUALITY);
    MakeFont(m_fontSmall, 7, DRAFT_QUALITY);
    SetFont(&m_fontText);  // the labels keep the template's font

    for (const PickerControlPlace& place : ContactRowLayout(m_view.indent)) {
        if (CWnd* control = GetDlgItem(place.id)) control->MoveWindow(place.left, place.top, place.width, place.height);
    }
    for (int i = 0; i < kRowMemberButtonFaceCount; ++i) {
        const PickerButtonFaces& f = kRowMemberButtonFaces[i];
        CGdipButton& button = f.id == IDC_CONROW_HIDE_MEMBERS ? m_hideMembers : m_showMembers;
        LoadFaces(button, f.alternate, f.standard, f.hover, f.disabled);
    }
    m_showMembers.ShowWindow(SW_HIDE);
    m_hideMembers.ShowWindow(m_view.hide_members_shown ? SW_SHOW : SW_HIDE);

    // Pictures, not buttons.
    LoadFaces(m_kind, m_view.kind_icon, m_view.kind_icon, m_view.kind_icon, m_view.kind_icon);
    m_kind.EnableWindow(FALSE);
    m_kind.ShowWindow(SW_SHOW);
    LoadFaces(m_memberIcon, kRowMemberIcon, kRowMemberIcon, kRowMemberIcon, kRowMemberIcon);
    m_memberIcon.ShowWindow(m_view.member_icon_shown ? SW_SHOW : SW_HIDE);
    m_memberIcon.EnableWindow(FALSE);

    m_name.SetWindowText(m_strName);
    m_count.SetWindowText(m_strMemberCount);
    m_fax.SetWindowText(m_strFax);
    m_name.ShowWindow(SW_SHOW);
    m_count.ShowWindow(SW_SHOW);
    m_fax.ShowWindow(SW_SHOW);
    return TRUE;
}

void CDlgConContList::OnLButtonDown(UINT flags, CPoint point) {
    m_nTicked = m_nTicked == 0 ? 1 : 0;
    SetBackgroundBitmap(m_nTicked == 1 ? m_nSelectedBitmap : m_nNormalBitmap);
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
    SetBackgroundColor(RGB(255, 255, 255));
}

void CDlgConContList::OnActivateApp(BOOL active, DWORD thread) {
    if (!active) SetBackgroundColor(RGB(255, 255, 255));
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
