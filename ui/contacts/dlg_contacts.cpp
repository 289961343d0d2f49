#include "ui/contacts/dlg_contacts.h"

#include "resource.h"
#include "service/contact_listing.h"
#include "ui/common/window_layout_win.h"
#include "ui/contacts/contact_rows.h"
#include "ui/contacts/contact_selection.h"
#include "ui/contacts/picker_layout.h"

#include <vector>

BEGIN_MESSAGE_MAP(CDlgContacts, CBitmapDialog)
    ON_BN_CLICKED(IDC_PICK_SELECT, &CDlgContacts::OnSelect)
    ON_BN_CLICKED(IDC_PICK_CLOSE, &CDlgContacts::OnCloseButton)
    ON_BN_CLICKED(IDC_PICK_SORT_ASCENDING, &CDlgContacts::OnSortAscending)
    ON_BN_CLICKED(IDC_PICK_SORT_DESCENDING, &CDlgContacts::OnSortDescending)
    ON_BN_CLICKED(IDC_PICK_PAGE_SIZE_UP, &CDlgContacts::OnPageSizeUp)
    ON_BN_CLICKED(IDC_PICK_PAGE_SIZE_DOWN, &CDlgContacts::OnPageSizeDown)
    ON_BN_CLICKED(IDC_PICK_PREVIOUS, &CDlgContacts::OnPreviousPage)
    ON_BN_CLICKED(IDC_PICK_NEXT, &CDlgContacts::OnNextPage)
    ON_EN_CHANGE(IDC_PICK_SEARCH, &CDlgContacts::OnSearchChanged)
    ON_WM_TIMER()
    ON_MESSAGE(WM_TOGGLE_MEMBERS, &CDlgContacts::OnToggleMembersMessage)
END_MESSAGE_MAP()

CDlgContacts::CDlgContacts(CWnd* parent) : CBitmapDialog(IDD_CONTACTS, parent), m_strOrder(kContactsOrderAscending) {}

CDlgContacts::~CDlgContacts() = default;

void CDlgContacts::DoDataExchange(CDataExchange* exchange) {
    CBitmapDialog::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_PICK_SEARCH, m_editSearch);
    DDX_Control(exchange, IDC_PICK_CLOSE, m_btnClose);
    DDX_Control(exchange, IDC_PICK_SORT_ASCENDING, m_btnSortAscending);
    DDX_Control(exchange, IDC_PICK_SORT_DESCENDING, m_btnSortDescending);
    DDX_Control(exchange, IDC_PICK_PAGE_SIZE_UP, m_btnPageSizeUp);
    DDX_Control(exchange, IDC_PICK_PAGE_SIZE_DOWN, m_btnPageSizeDown);
    DDX_Control(exchange, IDC_PICK_PREVIOUS, m_btnPrevious);
    DDX_Control(exchange, IDC_PICK_NEXT, m_btnNext);
    DDX_Control(exchange, IDC_PICK_SELECT, m_btnSelect);
}

BOOL CDlgContacts::OnInitDialog() {
    CBitmapDialog::OnInitDialog();

    PlaceCentred(*this, kPickerWindow, &CWnd::wndTopMost);

    m_pContainer = std::make_unique<CConContainer>();
    m_pContainer->Create(IDD_CONTACT_PANEL, this);
    m_pContainer->ShowWindow(SW_HIDE);

    SetBackgroundBitmap(kPickerBackground);
    SetDragAnywhere(TRUE);
    LayOut();
    ApplyView(PickerView::kOpening);

    ReloadContacts();
    return TRUE;
}

void CDlgContacts::LayOut() {
    for (int i = 0; i < kPickerFontCount; ++i) MakeFont(m_fonts[i], GetFont(), kPickerFonts[i]);

    for (int i = 0; i < kPickerLayoutCount; ++i) {
        const ControlPlace& p = kPickerLayout[i];
        CWnd* control = p.id == kPickerPanelId ? static_cast<CWnd*>(m_pContainer.get()) : GetDlgItem(p.id);
        if (!control || !control->m_hWnd) continue;
        control->MoveWindow(p.left, p.top, p.width, p.height);
        for (int f = 0; f < kPickerFontCount; ++f)
            if (p.font_pixels == kPickerFonts[f].pixels) control->SetFont(&m_fonts[f]);
    }

    CGdipButton* buttons[] = {&m_btnClose,        &m_btnSortAscending, &m_btnSortDescending, &m_btnPageSizeUp,
                              &m_btnPageSizeDown, &m_btnPrevious,      &m_btnNext,           &m_btnSelect};
    for (int i = 0; i < kPickerButtonFaceCount; ++i) {
        const ButtonFaces& faces = kPickerButtonFaces[i];
        for (CGdipButton* button : buttons)
            if (button->GetDlgCtrlID() == faces.id) LoadFaces(*button, faces);
    }
}

void CDlgContacts::ApplyView(PickerView view) {
    for (const ShowChange& change : PickerViewChanges(view)) {
        CWnd* control = change.id == kPickerPanelId ? static_cast<CWnd*>(m_pContainer.get()) : GetDlgItem(change.id);
        if (control && control->m_hWnd) control->ShowWindow(change.shown ? SW_SHOW : SW_HIDE);
    }
}

int CDlgContacts::RequestContacts(CString search) {
    const ServiceEndpoint& endpoint = m_pEndpoint ? *m_pEndpoint : DefaultEndpoint();
    return ::RequestContacts(search, m_strOrder, m_strAnswer, m_boxes, endpoint);
}

void CDlgContacts::ReloadContacts() {
    m_strAnswer.Empty();
    CString search;
    m_editSearch.GetWindowText(search);
    const int status = RequestContacts(search);
    m_arrContacts.RemoveAll();
    if (status >= 0) BuildContactList(m_strAnswer, m_arrContacts);
    ApplyView(m_arrContacts.IsEmpty() ? PickerView::kNothingListed : PickerView::kListShown);
    ResetPaging();
}

void CDlgContacts::SetLabel(int id, const CString& text) {
    CWnd* label = GetDlgItem(id);
    if (!label) return;
    label->SetWindowText(text);
    // The label is see-through: the window's background under it is redrawn too.
    CRect area;
    label->GetWindowRect(&area);
    ScreenToClient(&area);
    InvalidateRect(&area, TRUE);
    label->Invalidate(TRUE);
}

void CDlgContacts::ResetPaging() {
    SetLabel(IDC_PICK_PAGE_SIZE, PageSizeLabel(m_paging));
    ::ResetPaging(m_paging, m_arrContacts.GetSize());
    ShowPage();
    UpdateRangeLabel();
}

void CDlgContacts::UpdateRangeLabel() {
    SetLabel(IDC_PICK_RANGE, RangeLabel(m_paging));
    m_btnPrevious.EnableWindow(PreviousEnabled(m_paging) ? TRUE : FALSE);
    m_btnNext.EnableWindow(NextEnabled(m_paging) ? TRUE : FALSE);
}

void CDlgContacts::ShowPage() {
    CConContainer& panel = *m_pContainer;
    int bottom = 0;
    const std::vector<PageRow> page =
        PlanPage(m_arrContacts, m_paging.first_index, m_paging.end_index, m_lists.fax_numbers, bottom);
    panel.PrepareRows(static_cast<int>(page.size()));
    for (size_t i = 0; i < page.size(); ++i) {
        auto row = std::make_unique<CDlgConContList>(this, page[i].list_index, page[i].view, page[i].pre_chosen);
        if (row->Create(IDD_CONTACT_ROW, &panel))
            row->MoveWindow(kContactRowLeft, page[i].top, kContactRowWidth, kContactRowHeight, TRUE);
        panel.m_rows[i] = std::move(row);
    }
    panel.ShowRows(bottom);
    panel.SetWindowPos(&CWnd::wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    panel.Invalidate(TRUE);
}

void CDlgContacts::ToggleMembers(int listIndex) {
    m_nLastToggled = listIndex;
    CConContainer& panel = *m_pContainer;
    std::vector<RowSlot> slots;
    for (auto& row : panel.m_rows) slots.push_back({row->m_nListIndex, row->View().member_count, row->m_nVisible});
    ToggleMemberSlots(slots, listIndex);
    for (size_t i = 0; i < slots.size(); ++i) panel.m_rows[i]->m_nVisible = slots[i].visible;

    panel.ShowRows(1);
    int bottom = 0;
    const std::vector<int> tops = LayOutRows(slots, bottom);
    for (size_t i = 0; i < tops.size(); ++i) {
        CDlgConContList& row = *panel.m_rows[i];
        row.ShowWindow(SW_HIDE);
        if (tops[i] >= 0) row.MoveWindow(kContactRowLeft, tops[i], kContactRowWidth, kContactRowHeight, TRUE);
    }
    panel.ShowRows(bottom);
    panel.SetWindowPos(&CWnd::wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    panel.Invalidate(TRUE);
}

LRESULT CDlgContacts::OnToggleMembersMessage(WPARAM wParam, LPARAM) {
    ToggleMembers(static_cast<int>(wParam));
    return 0;
}

void CDlgContacts::Select(bool fromEnterKey) {
    std::vector<PanelRow> rows;
    for (auto& row : m_pContainer->m_rows) {
        const ContactRowView& view = row->View();
        rows.push_back({row->m_nListIndex, row->m_nTicked, view.name, view.fax, view.uuid, view.member_count});
    }
    CollectSelection(rows, m_arrContacts, m_paging.end_index, m_lists);
    if (DecideSelectEnd(fromEnterKey, m_lists) == PickerEnd::kEndWithOk) {
        EndDialog(IDOK);
        return;
    }
    m_boxes.Show(kSelectContactsText, kServiceCaption, kIconHand);
}

void CDlgContacts::OnSelect() { Select(false); }

void CDlgContacts::OnOK() { Select(true); }

void CDlgContacts::OnCloseButton() { EndDialog(IDCANCEL); }

void CDlgContacts::OnSortDescending() {
    ApplyView(PickerView::kDescendingOrder);
    m_strOrder = kContactsOrderDescending;
    ReloadContacts();
}

void CDlgContacts::OnSortAscending() {
    ApplyView(PickerView::kAscendingOrder);
    m_strOrder = kContactsOrderAscending;
    ReloadContacts();
}

void CDlgContacts::OnPageSizeUp() {
    ::PageSizeUp(m_paging, m_arrContacts.GetSize());
    ResetPaging();
}

void CDlgContacts::OnPageSizeDown() {
    ::PageSizeDown(m_paging, m_arrContacts.GetSize());
    ResetPaging();
}

void CDlgContacts::OnPreviousPage() {
    if (!::PreviousPage(m_paging, m_arrContacts.GetSize())) return;
    UpdateRangeLabel();
    ShowPage();
}

void CDlgContacts::OnNextPage() {
    if (!::NextPage(m_paging, m_arrContacts.GetSize())) return;
    UpdateRangeLabel();
    ShowPage();
}

void CDlgContacts::OnSearchChanged() {
    KillTimer(kSearchTimer);
    SetTimer(kSearchTimer, kSearchDelayMs);
}

void CDlgContacts::OnTimer(UINT_PTR id) {
    if (id == kSearchTimer) {
        // Stopped before the request: a box shown by a failed request runs
        // its own loop, where a live timer would start the next request.
        KillTimer(kSearchTimer);
        ReloadContacts();
        m_editSearch.SetFocus();
    }
    CBitmapDialog::OnTimer(id);
}

bool RunContactPicker(CWnd* parent, PickerLists& lists) {
    CDlgContacts picker(parent);
    picker.m_lists = lists;
    if (picker.DoModal() != IDOK) return false;
    lists = picker.m_lists;
    return true;
}
