#include "framework/win/gdi.h"

#include "framework/win/handle_maps.h"
#include "framework/win/wnd.h"

namespace {

// GDI wrappers handed out for foreign handles give the handle back, never
// delete it.
struct ReleaseWrapper {
    template <class T>
    void operator()(T* wrapper) const {
        wrapper->Detach();
        delete wrapper;
    }
};

template <class T, class H, class IsAlive>
T* TemporaryGdiWrapper(H handle, IsAlive alive) {
    if (!handle) return nullptr;
    return TemporaryWrapper<T, ReleaseWrapper>(
        handle,
        [](H h) {
            T* wrapper = new T;
            wrapper->Attach(h);
            return wrapper;
        },
        alive);
}

bool GdiAlive(HGDIOBJ handle) { return GetObjectType(handle) != 0; }

}  // namespace

BOOL CGdiObject::Attach(HGDIOBJ handle) {
    if (!handle) return FALSE;
    m_hObject = handle;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
    HGDIOBJ handle = m_hObject;
    m_hObject = nullptr;
    return handle;
}

BOOL CGdiObject::DeleteObject() {
    if (!m_hObject) return FALSE;
    return ::DeleteObject(Detach());
}

CBitmap* CBitmap::FromHandle(HBITMAP handle) {
    return TemporaryGdiWrapper<CBitmap>(handle, [](HBITMAP h) { return GdiAlive(h); });
}

BOOL CBitmap::LoadBitmap(UINT idResource) {
    DeleteObject();
    return Attach(::LoadBitmapA(AfxGetResourceHandle(), MAKEINTRESOURCEA(idResource)));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height) {
    DeleteObject();
    return Attach(::CreateCompatibleBitmap(dc->m_hDC, width, height));
}

CSize CBitmap::GetSize() const {
    BITMAP info{};
    if (!GetBitmap(&info)) return CSize();
    return CSize(info.bmWidth, info.bmHeight);
}

CFont* CFont::FromHandle(HFONT handle) {
    return TemporaryGdiWrapper<CFont>(handle, [](HFONT h) { return GdiAlive(h); });
}

BOOL CFont::CreateFontIndirect(const LOGFONTA* font) {
    DeleteObject();
    return Attach(::CreateFontIndirectA(font));
}

BOOL CBrush::CreateSolidBrush(COLORREF colour) {
    DeleteObject();
    return Attach(::CreateSolidBrush(colour));
}

CDC::~CDC() {
    if (m_owned && m_hDC) ::DeleteDC(m_hDC);
}

CDC* CDC::FromHandle(HDC handle) {
    return TemporaryGdiWrapper<CDC>(handle, [](HDC h) { return GdiAlive(h); });
}

BOOL CDC::Attach(HDC dc) {
    if (!dc) return FALSE;
    m_hDC = dc;
    return TRUE;
}

HDC CDC::Detach() {
    HDC dc = m_hDC;
    m_hDC = nullptr;
    m_owned = false;
    return dc;
}

BOOL CDC::CreateCompatibleDC(CDC* dc) {
    DeleteDC();
    m_hDC = ::CreateCompatibleDC(dc ? dc->m_hDC : nullptr);
    m_owned = m_hDC != nullptr;
    return m_owned;
}

BOOL CDC::DeleteDC() {
    if (!m_hDC) return FALSE;
    BOOL done = m_owned ? ::DeleteDC(m_hDC) : TRUE;
    m_hDC = nullptr;
    m_owned = false;
    return done;
}

CBitmap* CDC::SelectObject(CBitmap* bitmap) {
    return CBitmap::FromHandle(static_cast<HBITMAP>(::SelectObject(m_hDC, bitmap ? bitmap->m_hObject : nullptr)));
}

CPoint CDC::SetWindowOrg(int x, int y) {
    POINT old{};
    ::SetWindowOrgEx(m_hDC, x, y, &old);
    return CPoint(old.x, old.y);
}

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, DWORD rop) {
    return ::BitBlt(m_hDC, x, y, width, height, source ? source->m_hDC : nullptr, xSrc, ySrc, rop);
}

BOOL CDC::StretchBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, int srcWidth, int srcHeight,
                     DWORD rop) {
    return ::StretchBlt(m_hDC, x, y, width, height, source ? source->m_hDC : nullptr, xSrc, ySrc, srcWidth, srcHeight,
                        rop);
}

void CDC::FillSolidRect(LPCRECT rect, COLORREF colour) {
    COLORREF old = ::SetBkColor(m_hDC, colour);
    ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, rect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, old);
}

void CDC::FillSolidRect(int x, int y, int width, int height, COLORREF colour) {
    CRect rect(x, y, x + width, y + height);
    FillSolidRect(&rect, colour);
}

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd->m_hWnd) { m_hDC = ::BeginPaint(m_hWnd, &m_ps); }
CPaintDC::~CPaintDC() {
    ::EndPaint(m_hWnd, &m_ps);
    m_hDC = nullptr;
}

CClientDC::CClientDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr) { m_hDC = ::GetDC(m_hWnd); }
CClientDC::~CClientDC() {
    ::ReleaseDC(m_hWnd, m_hDC);
    m_hDC = nullptr;
}
