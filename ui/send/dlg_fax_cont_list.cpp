#include "ui/send/dlg_fax_cont_list.h"

#include "resource.h"
#include "ui/common/window_layout_win.h"

BEGIN_MESSAGE_MAP(CDlgFaxContList, CBitmapDialog)
    ON_BN_CLICKED(IDC_FAXROW_REMOVE, &CDlgFaxContList::OnRemove)
END_MESSAGE_MAP()

CDlgFaxContList::CDlgFaxContList(const FaxRowPlan& plan, CWnd* parent)
    : CBitmapDialog(IDD_FAX_ROW, parent),
      m_nIndex(plan.index),
      m_strDisplay(plan.display_text),
      m_strCount(plan.count_text),
      m_strTooltip(plan.tooltip),
      m_kindIcon(plan.kind_icon),
      m_peopleShown(plan.people_shown) {}

void CDlgFaxContList::DoDataExchange(CDataExchange* exchange) {
    CBitmapDialog::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_FAXROW_TEXT, m_text);
    DDX_Control(exchange, IDC_FAXROW_COUNT, m_count);
    DDX_Control(exchange, IDC_FAXROW_REMOVE, m_remove);
    DDX_Control(exchange, IDC_FAXROW_KIND, m_kind);
    DDX_Control(exchange, IDC_FAXROW_PEOPLE, m_people);
}

BOOL CDlgFaxContList::OnInitDialog() {
    CBitmapDialog::OnInitDialog();
    SetBackgroundBitmap(IDB_FAX_ROW_BACKGROUND);
    SetDragAnywhere(FALSE);

    MakeFont(m_fontText, GetFont(), {"Montserrat", 10, FW_NORMAL, CLEARTYPE_QUALITY});
    MakeFont(m_fontSmall, GetFont(), {"Montserrat", 7, FW_NORMAL, DRAFT_QUALITY});
    SetFont(&m_fontText);
    m_text.SetFont(&m_fontText);
    m_count.SetFont(&m_fontText);

    m_kind.MoveWindow(4, 10, 16, 16);
    m_remove.MoveWindow(376, 5, 30, 30);
    m_text.MoveWindow(40, 6, 250, 30);
    m_people.MoveWindow(291, 10, 16, 16);
    m_count.MoveWindow(320, 6, 50, 30);

    LoadFaces(m_remove, {IDC_FAXROW_REMOVE, IDP_REMOVE_PRESSED, IDP_REMOVE, IDP_REMOVE_HOVER, IDP_REMOVE_PRESSED});
    m_remove.ShowWindow(SW_SHOW);

    // Pictures on buttons: one face for every state.
    LoadFaces(m_kind, {IDC_FAXROW_KIND, m_kindIcon, m_kindIcon, m_kindIcon, m_kindIcon});
    if (m_peopleShown) LoadFaces(m_people, {IDC_FAXROW_PEOPLE, kPeopleIcon, kPeopleIcon, kPeopleIcon, kPeopleIcon});
    m_text.SetWindowText(m_strDisplay);
    m_count.SetWindowText(m_strCount);
    m_people.ShowWindow(m_peopleShown ? SW_SHOW : SW_HIDE);
    m_count.ShowWindow(m_peopleShown ? SW_SHOW : SW_HIDE);
    // Pictures, not buttons.
    m_kind.EnableWindow(FALSE);
    m_people.EnableWindow(FALSE);

    m_tooltip.Create(this);
    m_tooltip.AddTool(&m_text, m_strTooltip);
    m_tooltip.Activate(TRUE);
    return TRUE;
}

BOOL CDlgFaxContList::PreTranslateMessage(MSG* msg) {
    if (m_tooltip.m_hWnd) m_tooltip.RelayEvent(msg);
    return CBitmapDialog::PreTranslateMessage(msg);
}

void CDlgFaxContList::OnRemove() {
    // The panel's parent is the send-fax window.
    CWnd* panel = GetParent();
    CWnd* window = panel ? panel->GetParent() : nullptr;
    if (window) window->PostMessage(WM_REMOVE_RECIPIENT, static_cast<WPARAM>(m_nIndex));
}
