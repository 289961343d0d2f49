#include "ui/contacts/con_container.h"

#include "resource.h"
#include "ui/contacts/picker_layout.h"

BEGIN_MESSAGE_MAP(CConContainer, CBitmapDialog)
    ON_WM_VSCROLL()
    ON_WM_MOUSEWHEEL()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CConContainer::CConContainer()
    : CBitmapDialog(IDD_CONTACT_PANEL), m_surface(this), m_pScroller(std::make_unique<CPanelScroller>()) {
    m_pScroller->Attach(&m_surface);
}

CConContainer::~CConContainer() { DestroyRows(); }

BOOL CConContainer::OnInitDialog() {
    CBitmapDialog::OnInitDialog();
    SetBackgroundColor(kPanelColour, TRUE);
    SetDragAnywhere(FALSE);
    return TRUE;
}

void CConContainer::DestroyRows() {
    for (auto& row : m_rows)
        if (row && row->m_hWnd) row->DestroyWindow();
    m_rows.clear();
    m_nRows = 0;
}

BOOL CConContainer::PrepareRows(int n) {
    m_pScroller->SetDisplaySize(1, 0);
    m_pScroller->SetScrollPos(0);
    if (m_hWnd) SetScrollPos(SB_VERT, 0, TRUE);
    DestroyRows();
    m_rows.resize(static_cast<size_t>(n < 0 ? 0 : n));
    m_nRows = static_cast<int>(m_rows.size());
    return TRUE;
}

int CConContainer::ShowRows(int bottom) {
    for (auto& row : m_rows)
        if (row && row->m_hWnd && row->m_nVisible == 1) row->ShowWindow(SW_SHOWNORMAL);
    m_pScroller->SetDisplaySize(1, bottom + 10);
    return m_nRows;
}

void CConContainer::OnVScroll(UINT code, UINT, CScrollBar*) { m_pScroller->OnVScroll(static_cast<int>(code)); }

BOOL CConContainer::OnMouseWheel(UINT, short delta, CPoint) { return m_pScroller->OnMouseWheel(delta) ? TRUE : FALSE; }

void CConContainer::OnLButtonDown(UINT flags, CPoint point) {
    CBitmapDialog::OnLButtonDown(flags, point);
    // The wheel goes to the window with the focus.
    SetFocus();
}

void CConContainer::OnMouseMove(UINT, CPoint) {}

void CConContainer::OnDestroy() {
    DestroyRows();
    CBitmapDialog::OnDestroy();
}
