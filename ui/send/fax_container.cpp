#include "ui/send/fax_container.h"

#include "resource.h"

BEGIN_MESSAGE_MAP(CFaxContainer, CBitmapDialog)
    ON_WM_VSCROLL()
    ON_WM_MOUSEWHEEL()
    ON_WM_LBUTTONDOWN()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CFaxContainer::CFaxContainer()
    : CBitmapDialog(IDD_FAX_PANEL), m_surface(this), m_pScroller(std::make_unique<CPanelScroller>()) {
    m_pScroller->Attach(&m_surface);
}

CFaxContainer::~CFaxContainer() { DestroyRows(); }

BOOL CFaxContainer::OnInitDialog() {
    CBitmapDialog::OnInitDialog();
    SetBackgroundBitmap(IDB_FAX_PANEL_BACKGROUND);
    SetDragAnywhere(FALSE);
    return TRUE;
}

void CFaxContainer::DestroyRows() {
    for (auto& row : m_rows)
        if (row->m_hWnd) row->DestroyWindow();
    m_rows.clear();
}

void CFaxContainer::Rebuild(const FaxPanelPlan& plan) {
    // Back to the origin with no bar before the old rows go.
    m_pScroller->SetDisplaySize(1, 0);
    m_pScroller->SetScrollPos(0);
    DestroyRows();
    m_rows.reserve(plan.rows.size());
    for (const FaxRowPlan& planned : plan.rows) {
        auto row = std::make_unique<CDlgFaxContList>(planned, this);
        if (!row->Create(IDD_FAX_ROW, this)) continue;
        row->MoveWindow(planned.x, planned.y, planned.width, planned.height);
        m_rows.push_back(std::move(row));
    }
    for (auto& row : m_rows) row->ShowWindow(SW_SHOW);
    m_pScroller->SetDisplaySize(plan.display_width, plan.display_height);
    SetWindowPos(&CWnd::wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Invalidate();
}

void CFaxContainer::OnVScroll(UINT code, UINT, CScrollBar*) { m_pScroller->OnVScroll(static_cast<int>(code)); }

BOOL CFaxContainer::OnMouseWheel(UINT, short delta, CPoint) { return m_pScroller->OnMouseWheel(delta) ? TRUE : FALSE; }

void CFaxContainer::OnLButtonDown(UINT flags, CPoint point) {
    // The wheel goes to the window with the focus.
    SetFocus();
    CBitmapDialog::OnLButtonDown(flags, point);
}

void CFaxContainer::OnDestroy() {
    DestroyRows();
    CBitmapDialog::OnDestroy();
}
