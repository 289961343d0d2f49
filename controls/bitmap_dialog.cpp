#include "controls/bitmap_dialog.h"

CBitmapDialog::CBitmapDialog(UINT idTemplate, CWnd* parent)
    : CDialogEx(idTemplate, parent), m_hollowBrush(static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH))) {}

CBitmapDialog::~CBitmapDialog() {
    if (m_bOwnsBitmap) delete m_pBackground;
    m_pBackground = nullptr;
}

BEGIN_MESSAGE_MAP(CBitmapDialog, CDialogEx)
    ON_WM_ERASEBKGND()
    ON_WM_LBUTTONDOWN()
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

BOOL CBitmapDialog::SetBackgroundBitmap(UINT idResource) {
    if (m_bOwnsBitmap) delete m_pBackground;
    m_pBackground = nullptr;
    m_bOwnsBitmap = FALSE;
    m_bHasBitmap = FALSE;

    auto* bitmap = new CBitmap;
    if (!bitmap->LoadBitmap(idResource)) {
        delete bitmap;
        return FALSE;
    }
    m_pBackground = bitmap;
    m_bOwnsBitmap = TRUE;
    m_bHasBitmap = TRUE;
    return TRUE;
}

BOOL CBitmapDialog::OnEraseBkgnd(CDC* dc) {
    if (!m_bHasBitmap) return CDialogEx::OnEraseBkgnd(dc);
    CRect client;
    GetClientRect(&client);
    CDC memory;
    memory.CreateCompatibleDC(dc);
    CBitmap* old = memory.SelectObject(m_pBackground);
    BITMAP info{};
    m_pBackground->GetBitmap(&info);
    dc->StretchBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    memory.SelectObject(old);
    memory.DeleteDC();
    return TRUE;
}

void CBitmapDialog::OnLButtonDown(UINT flags, CPoint point) {
    CDialogEx::OnLButtonDown(flags, point);
    // Posted, so the system's caption-drag loop starts after this click is done.
    if (m_bDragAnywhere)
        PostMessage(WM_NCLBUTTONDOWN, HTCAPTION,
                    static_cast<LPARAM>((static_cast<DWORD>(point.y) << 16) | (static_cast<DWORD>(point.x) & 0xFFFF)));
}

void CBitmapDialog::PaintIconic(HICON icon) {
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    CRect client;
    GetClientRect(&client);
    const int x = (client.Width() - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.Height() - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    dc.DrawIcon(x, y, icon);
}

HBRUSH CBitmapDialog::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
    HBRUSH brush = CDialogEx::OnCtlColor(dc, wnd, ctlColor);
    if (m_bTransparentStatics && (ctlColor == CTLCOLOR_STATIC || ctlColor == CTLCOLOR_DLG)) {
        dc->SetBkMode(TRANSPARENT);
        return m_hollowBrush;
    }
    return brush;
}
