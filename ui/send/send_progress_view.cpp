#include "ui/send/send_progress_view.h"

#include <gdiplus.h>

namespace {

// The window's own colours (its background bitmaps use the same).
const COLORREF kBody = RGB(243, 246, 250);
const COLORREF kText = RGB(28, 39, 52);
const Gdiplus::Color kTrack(255, 214, 221, 230);
const Gdiplus::Color kFill(255, 37, 117, 224);

constexpr int kTextHeight = 22;
constexpr int kBarTop = 30;
constexpr int kBarHeight = 10;

void AddRounded(Gdiplus::GraphicsPath& path, Gdiplus::REAL x, Gdiplus::REAL y, Gdiplus::REAL w, Gdiplus::REAL h) {
    const Gdiplus::REAL d = h;  // fully rounded ends
    if (w < d) w = d;
    path.AddArc(x, y, d, d, 90, 180);
    path.AddArc(x + w - d, y, d, d, 270, 180);
    path.CloseFigure();
}

}  // namespace

BEGIN_MESSAGE_MAP(CSendProgressView, CStatic)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

void CSendProgressView::SetProgress(const CString& text, int percent) {
    if (text == m_text && percent == m_percent) return;
    m_text = text;
    m_percent = percent;
    // The text is the window text too, so it can be read from outside.
    SetWindowText(text);
    Invalidate(FALSE);
}

BOOL CSendProgressView::OnEraseBkgnd(CDC*) { return TRUE; }

void CSendProgressView::OnPaint() {
    CPaintDC paint(this);
    CRect client;
    GetClientRect(&client);
    // Drawn off screen and copied once, so the moving bar never flickers.
    HDC screen = paint.GetSafeHdc();
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP surface = ::CreateCompatibleBitmap(screen, client.Width(), client.Height());
    if (!dc || !surface) {
        if (surface) ::DeleteObject(surface);
        if (dc) ::DeleteDC(dc);
        return;
    }
    HGDIOBJ old_bitmap = ::SelectObject(dc, surface);

    HBRUSH body = ::CreateSolidBrush(kBody);
    ::FillRect(dc, &client, body);
    ::DeleteObject(body);

    CFont* font = GetFont();
    HGDIOBJ old_font = font ? ::SelectObject(dc, font->m_hObject) : nullptr;
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kText);
    RECT line = {0, 0, client.Width(), kTextHeight};
    ::DrawTextA(dc, m_text.GetString(), m_text.GetLength(), &line, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (old_font) ::SelectObject(dc, old_font);

    {
        Gdiplus::Graphics graphics(dc);
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        const Gdiplus::REAL width = static_cast<Gdiplus::REAL>(client.Width() - 1);
        Gdiplus::GraphicsPath track;
        AddRounded(track, 0, kBarTop, width, kBarHeight);
        Gdiplus::SolidBrush track_brush(kTrack);
        graphics.FillPath(&track_brush, &track);
        if (m_percent > 0) {
            Gdiplus::GraphicsPath done;
            AddRounded(done, 0, kBarTop, width * static_cast<Gdiplus::REAL>(m_percent) / 100, kBarHeight);
            Gdiplus::SolidBrush fill_brush(kFill);
            graphics.FillPath(&fill_brush, &done);
        }
    }

    ::BitBlt(screen, 0, 0, client.Width(), client.Height(), dc, 0, 0, SRCCOPY);
    ::SelectObject(dc, old_bitmap);
    ::DeleteObject(surface);
    ::DeleteDC(dc);
}

void CSendCancelButton::DrawItem(LPDRAWITEMSTRUCT draw) {
    const bool disabled = (draw->itemState & ODS_DISABLED) != 0;
    if (!disabled || !m_pDisabledImage || !m_pDisabledImage->m_pBitmap || !m_dcBk.m_hDC) {
        CGdipButton::DrawItem(draw);
        return;
    }
    // The disabled image over what lies under the button, placed like the others.
    CRect client;
    GetClientRect(&client);
    HDC dc = ::CreateCompatibleDC(draw->hDC);
    HBITMAP surface = ::CreateCompatibleBitmap(draw->hDC, client.Width(), client.Height());
    if (!dc || !surface) {
        if (surface) ::DeleteObject(surface);
        if (dc) ::DeleteDC(dc);
        CGdipButton::DrawItem(draw);
        return;
    }
    HGDIOBJ old = ::SelectObject(dc, surface);
    ::BitBlt(dc, 0, 0, client.Width(), client.Height(), m_dcBk.m_hDC, 0, 0, SRCCOPY);
    {
        Gdiplus::Graphics graphics(dc);
        graphics.DrawImage(m_pDisabledImage->m_pBitmap, 1, 1, client.Width(), client.Height());
    }
    ::BitBlt(draw->hDC, 0, 0, client.Width(), client.Height(), dc, 0, 0, SRCCOPY);
    ::SelectObject(dc, old);
    ::DeleteObject(surface);
    ::DeleteDC(dc);
}
