#include "controls/mem_dc.h"

CMemDC1::CMemDC1(CDC* dc, const RECT* rect) : m_pDC(dc) {
    if (rect) m_rect = *rect;
    else ::GetClipBox(dc->m_hDC, &m_rect);
    CreateCompatibleDC(dc);
    m_bitmap.CreateCompatibleBitmap(dc, m_rect.Width(), m_rect.Height());
    m_oldBitmap = ::SelectObject(m_hDC, m_bitmap.m_hObject);
    SetWindowOrg(m_rect.left, m_rect.top);
}

CMemDC1::~CMemDC1() {
    m_pDC->BitBlt(m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), this, m_rect.left, m_rect.top, SRCCOPY);
    ::SelectObject(m_hDC, m_oldBitmap);
    DeleteDC();
}
