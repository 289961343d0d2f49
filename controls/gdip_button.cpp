#include "controls/gdip_button.h"

#include "controls/mem_dc.h"

CGdipButton::~CGdipButton() {
    delete m_pAltImage;
    delete m_pStdImage;
    delete m_pHoverImage;
    delete m_pDisabledImage;
    // Surfaces give their bitmaps back before both go.
    if (m_dcBk.m_hDC) ::SelectObject(m_dcBk.m_hDC, m_oldBk);
    if (m_dcStd.m_hDC) ::SelectObject(m_dcStd.m_hDC, m_oldStd);
    if (m_dcStdP.m_hDC) ::SelectObject(m_dcStdP.m_hDC, m_oldStdP);
    if (m_dcStdH.m_hDC) ::SelectObject(m_dcStdH.m_hDC, m_oldStdH);
    m_dcBk.DeleteDC();
    m_dcStd.DeleteDC();
    m_dcStdP.DeleteDC();
    m_dcStdH.DeleteDC();
}

BEGIN_MESSAGE_MAP(CGdipButton, CButton)
    ON_WM_DRAWITEM()
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR_REFLECT()
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSELEAVE()
    ON_WM_MOUSEHOVER()
END_MESSAGE_MAP()

bool CGdipButton::LoadSlot(CGdiPlusBitmapResource*& slot, UINT id, const char* type) {
    if (!slot) slot = new CGdiPlusBitmapResource;  // a second load reuses the slot
    return slot->LoadFromResource(id, type);
}

BOOL CGdipButton::LoadAlternateImage(UINT id, const char* type) {
    m_bHaveAltImage = TRUE;
    return LoadSlot(m_pAltImage, id, type);
}

BOOL CGdipButton::LoadStandardImage(UINT id, const char* type) { return LoadSlot(m_pStdImage, id, type); }

BOOL CGdipButton::LoadHoverImage(UINT id, const char* type) {
    m_bHaveHoverImage = TRUE;
    return LoadSlot(m_pHoverImage, id, type);
}

BOOL CGdipButton::LoadDisabledImage(UINT id, const char* type) {
    m_bHaveDisabledImage = TRUE;
    return LoadSlot(m_pDisabledImage, id, type);
}

void CGdipButton::PreSubclassWindow() {
    ModifyStyle(0, BS_OWNERDRAW, SWP_FRAMECHANGED);
    CButton::PreSubclassWindow();
}

BOOL CGdipButton::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_LBUTTONDBLCLK) msg->message = WM_LBUTTONDOWN;
    return CButton::PreTranslateMessage(msg);
}

BOOL CGdipButton::OnEraseBkgnd(CDC*) { return TRUE; }

void CGdipButton::ComposePicture(CDC* scratch, Gdiplus::Graphics& graphics, CGdiPlusBitmapResource* image,
                                 CDC& surface, CBitmap& bitmap, HGDIOBJ& oldBitmap) {
    CRect client;
    GetClientRect(&client);
    const int width = client.Width();
    const int height = client.Height();
    scratch->BitBlt(0, 0, width, height, &m_dcBk, 0, 0, SRCCOPY);
    if (image && image->m_pBitmap) graphics.DrawImage(image->m_pBitmap, 1, 1, width, height);
    graphics.Flush(Gdiplus::FlushIntentionSync);
    surface.CreateCompatibleDC(scratch);
    bitmap.CreateCompatibleBitmap(scratch, width, height);
    oldBitmap = ::SelectObject(surface.m_hDC, bitmap.m_hObject);
    surface.BitBlt(0, 0, width, height, scratch, 0, 0, SRCCOPY);
}

HBRUSH CGdipButton::CtlColor(CDC* dc, UINT) {
    if (m_bRendered || !m_pStdImage) return nullptr;

    CRect client;
    GetClientRect(&client);
    CMemDC1 scratch(dc, &client);
    Gdiplus::Graphics graphics(scratch.m_hDC);

    if (!m_dcBk.m_hDC) {
        // Whatever the parent shows under the button now, normally its bitmap.
        CWnd* parent = GetParent();
        CClientDC parentDC(parent);
        CRect place;
        GetWindowRect(&place);
        parent->ScreenToClient(&place);
        m_dcBk.CreateCompatibleDC(&parentDC);
        m_bmpBk.CreateCompatibleBitmap(&parentDC, client.Width(), client.Height());
        m_oldBk = ::SelectObject(m_dcBk.m_hDC, m_bmpBk.m_hObject);
        m_dcBk.BitBlt(0, 0, client.Width(), client.Height(), &parentDC, place.left, place.top, SRCCOPY);
    }
    if (!m_dcStd.m_hDC) ComposePicture(&scratch, graphics, m_pStdImage, m_dcStd, m_bmpStd, m_oldStd);
    if (!m_dcStdP.m_hDC && m_bHaveAltImage)
        ComposePicture(&scratch, graphics, m_pAltImage, m_dcStdP, m_bmpStdP, m_oldStdP);
    if (!m_dcStdH.m_hDC)
        ComposePicture(&scratch, graphics, m_bHaveHoverImage ? m_pHoverImage : m_pStdImage, m_dcStdH, m_bmpStdH,
                       m_oldStdH);

    if (!m_pCurBtn) m_pCurBtn = &m_dcStd;
    m_bRendered = TRUE;
    return nullptr;
}

void CGdipButton::DrawItem(LPDRAWITEMSTRUCT draw) {
    // Without an alternate image there is no pressed picture; the button then
    // keeps showing its hover or normal picture while pressed.
    CDC* surface = &m_dcStd;
    if ((draw->itemState & ODS_SELECTED) && m_dcStdP.m_hDC) surface = &m_dcStdP;
    else if (m_bIsHovering && m_dcStdH.m_hDC) surface = &m_dcStdH;
    if (!surface->m_hDC) return;  // nothing composed: nothing to draw
    m_pCurBtn = surface;
    CRect client;
    GetClientRect(&client);
    ::BitBlt(draw->hDC, 0, 0, client.Width(), client.Height(), surface->m_hDC, 0, 0, SRCCOPY);
}

void CGdipButton::OnMouseMove(UINT flags, CPoint point) {
    if (!m_bIsTracking) {
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof track;
        track.dwFlags = TME_HOVER | TME_LEAVE;
        track.hwndTrack = m_hWnd;
        track.dwHoverTime = 1;
        m_bIsTracking = _TrackMouseEvent(&track);
    }
    CButton::OnMouseMove(flags, point);
}

void CGdipButton::OnMouseHover(UINT, CPoint) {
    m_bIsHovering = TRUE;
    Invalidate();
}

void CGdipButton::OnMouseLeave() {
    m_bIsTracking = FALSE;
    m_bIsHovering = FALSE;
    Invalidate();
}
