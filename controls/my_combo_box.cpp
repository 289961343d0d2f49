#include "controls/my_combo_box.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

// A font of pointSize tenths of a point at the screen's resolution.
void CreatePointFont(CFont& font, int pointSize, const char* face) {
    LOGFONTA description{};
    HDC screen = ::GetDC(nullptr);
    description.lfHeight = -::MulDiv(::GetDeviceCaps(screen, LOGPIXELSY), pointSize, 720);
    ::ReleaseDC(nullptr, screen);
    description.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(description.lfFaceName, face, LF_FACESIZE);
    font.CreateFontIndirect(&description);
}

// One-pixel frame with the top-left and bottom-right edge colours.
void Draw3dRect(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight) {
    auto fill = [dc](int x, int y, int width, int height, COLORREF colour) {
        RECT part = {x, y, x + width, y + height};
        ::SetBkColor(dc, colour);
        ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &part, nullptr, 0, nullptr);
    };
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    const COLORREF saved = ::GetBkColor(dc);
    fill(r.left, r.top, width - 1, 1, topLeft);
    fill(r.left, r.top, 1, height - 1, topLeft);
    fill(r.right - 1, r.top, 1, height, bottomRight);
    fill(r.left, r.bottom - 1, width, 1, bottomRight);
    ::SetBkColor(dc, saved);
}

RECT Deflated(RECT r, int by) {
    ::InflateRect(&r, -by, -by);
    return r;
}

}  // namespace

BEGIN_MESSAGE_MAP(CMyComboBox, CComboBox)
    ON_WM_DRAWITEM()
    ON_WM_PAINT()
    ON_CONTROL_REFLECT(CBN_DROPDOWN, &CMyComboBox::OnDropdown)
    ON_CONTROL_REFLECT(CBN_CLOSEUP, &CMyComboBox::OnCloseup)
END_MESSAGE_MAP()

CMyComboBox::CMyComboBox()
    : m_brBackground(kWhite),
      m_nButtonWidth(::GetSystemMetrics(SM_CXHTHUMB)),
      m_clrSelectedText(::GetSysColor(COLOR_BTNSHADOW)),
      m_clrBorder(kWhite) {
    CreatePointFont(m_fontItems, 90, "Segoe UI");
}

CMyComboBox::~CMyComboBox() {
    m_brBackground.DeleteObject();
    m_fontItems.DeleteObject();
}

void CMyComboBox::OnDrawItem(int, LPDRAWITEMSTRUCT draw) {
    if (draw && draw->hDC) ::SelectObject(draw->hDC, m_fontItems);
    Default();
}

void CMyComboBox::DrawItem(LPDRAWITEMSTRUCT draw) {
    HDC dc = draw->hDC;
    RECT rect = draw->rcItem;
    ::SetBkMode(dc, TRANSPARENT);
    // The same white behind every entry: the selection shows only in the text colour.
    ::SetBkColor(dc, kWhite);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    ::SetTextColor(dc, (draw->itemState & ODS_SELECTED) ? m_clrSelectedText : RGB(0, 0, 0));
    ::SelectObject(dc, m_fontItems);
    if (static_cast<int>(draw->itemID) < 0) return;
    CString text;
    GetLBText(static_cast<int>(draw->itemID), text);
    ::DrawTextA(dc, text, text.GetLength(), &rect, DT_SINGLELINE | DT_VCENTER);
}

void CMyComboBox::OnPaint() {
    Default();
    RECT client;
    GetClientRect(&client);
    HDC dc = ::GetWindowDC(m_hWnd);
    if (!dc) return;
    Draw3dRect(dc, client, m_clrBorder, m_clrBorder);
    Draw3dRect(dc, Deflated(client, 1), m_clrBorder, m_clrBorder);
    // The drop-down button's place inside the frame.
    RECT button = Deflated(client, 2);
    button.left = button.right - m_nButtonWidth;
    Draw3dRect(dc, button, m_clrBorder, m_clrBorder);
    RECT inner = Deflated(button, 1);
    Draw3dRect(dc, inner, m_clrBorder, m_clrBorder);

    const COLORREF highlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    ::InflateRect(&inner, 0, 1);
    Draw3dRect(dc, inner, highlight, highlight);
    ::OffsetRect(&inner, 1, 1);
    Draw3dRect(dc, inner, highlight, highlight);
    ::ReleaseDC(m_hWnd, dc);
}

BOOL CMyComboBox::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_CTLCOLOREDIT && wParam) {
        if (result) *result = reinterpret_cast<LRESULT>(static_cast<HBRUSH>(m_brBackground));
        return TRUE;
    }
    return CComboBox::OnChildNotify(message, wParam, lParam, result);
}
