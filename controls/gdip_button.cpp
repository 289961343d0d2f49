#include "controls/gdip_button.h"

#include "controls/mem_dc.h"
#include "controls/resource_image_cache.h"

CGdipButton::~CGdipButton() {
    // The images belong to the cache; the surfaces give their bitmaps back before both go.
    FreeSurface(m_dcBk, m_bmpBk, m_oldBk);
    FreeSurface(m_dcStd, m_bmpStd, m_oldStd);
    FreeSurface(m_dcStdP, m_bmpStdP, m_oldStdP);
    FreeSurface(m_dcStdH, m_bmpStdH, m_oldStdH);
}

BEGIN_MESSAGE_MAP(CGdipButton, CButton)
    ON_WM_DRAWITEM()
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR_REFLECT()
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSELEAVE()
    ON_WM_MOUSEHOVER()
END_MESSAGE_MAP()

bool CGdipButton::LoadSlot(const CGdiPlusBitmapResource*& slot, UINT id, const char* type) {
    static const CGdiPlusBitmapResource nothing;
    const CGdiPlusBitmapResource* image = CResourceImageCache::Shared().Find(id, type);
    slot = image ? image : &nothing;  // a second load replaces the first
    return image != nullptr;
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

BOOL CGdipButton::MakeSurface(CDC* like, int width, int height, CDC& surface, CBitmap& bitmap, HGDIOBJ& oldBitmap) {
    if (!surface.CreateCompatibleDC(like) || !bitmap.CreateCompatibleBitmap(like, width, height)) {
        FreeSurface(surface, bitmap, oldBitmap);
        return FALSE;
    }
    oldBitmap = ::SelectObject(surface.m_hDC, bitmap.m_hObject);
    if (!oldBitmap) {
        FreeSurface(surface, bitmap, oldBitmap);
        return FALSE;
    }
    return TRUE;
}

void CGdipButton::FreeSurface(CDC& surface, CBitmap& bitmap, HGDIOBJ& oldBitmap) {
    if (surface.m_hDC && oldBitmap) ::SelectObject(surface.m_hDC, oldBitmap);
    oldBitmap = nullptr;
    surface.DeleteDC();
    bitmap.DeleteObject();
}

bool CGdipButton::ComposePicture(CDC* scratch, Gdiplus::Graphics& graphics, const CGdiPlusBitmapResource* image,
                                 CDC& surface, CBitmap& bitmap, HGDIOBJ& oldBitmap) {
    CRect client;
    GetClientRect(&client);
    const int width = client.Width();
    const int height = client.Height();
    scratch->BitBlt(0, 0, width, height, &m_dcBk, 0, 0, SRCCOPY);
    if (image && image->m_pBitmap) graphics.DrawImage(image->m_pBitmap, 1, 1, width, height);
    graphics.Flush(Gdiplus::FlushIntentionSync);
    if (!MakeSurface(scratch, width, height, surface, bitmap, oldBitmap)) return false;
    surface.BitBlt(0, 0, width, height, scratch, 0, 0, SRCCOPY);
    return true;
}

HBRUSH CGdipButton::CtlColor(CDC* dc, UINT) {
    if (m_bRendered || !m_pStdImage) return nullptr;

    CRect client;
    GetClientRect(&client);
    CMemDC1 scratch(dc, &client);
    // A scratch surface that could not be made leaves everything for the next request.
    BITMAP scratchBitmap{};
    if (!scratch.m_hDC ||
        !::GetObjectA(::GetCurrentObject(scratch.m_hDC, OBJ_BITMAP), sizeof scratchBitmap, &scratchBitmap) ||
        scratchBitmap.bmWidth < client.Width() || scratchBitmap.bmHeight < client.Height())
        return nullptr;
    Gdiplus::Graphics graphics(scratch.m_hDC);

    if (!m_dcBk.m_hDC) {
        // Whatever the parent shows under the button now, normally its bitmap.
        CWnd* parent = GetParent();
        CClientDC parentDC(parent);
        CRect place;
        GetWindowRect(&place);
        parent->ScreenToClient(&place);
        if (!MakeSurface(&parentDC, client.Width(), client.Height(), m_dcBk, m_bmpBk, m_oldBk)) return nullptr;
        m_dcBk.BitBlt(0, 0, client.Width(), client.Height(), &parentDC, place.left, place.top, SRCCOPY);
    }
    // Pictures made already are kept; one that could not be made is tried
    // again on the next request, and only a full set counts as rendered.
    bool complete = true;
    if (!m_dcStd.m_hDC) complete &= ComposePicture(&scratch, graphics, m_pStdImage, m_dcStd, m_bmpStd, m_oldStd);
    if (!m_dcStdP.m_hDC && m_bHaveAltImage)
        complete &= ComposePicture(&scratch, graphics, m_pAltImage, m_dcStdP, m_bmpStdP, m_oldStdP);
    if (!m_dcStdH.m_hDC)
        complete &= ComposePicture(&scratch, graphics, m_bHaveHoverImage ? m_pHoverImage : m_pStdImage, m_dcStdH,
                                   m_bmpStdH, m_oldStdH);
    if (!complete) return nullptr;

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
