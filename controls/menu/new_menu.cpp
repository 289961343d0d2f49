#include "controls/menu/new_menu.h"

#include "controls/mem_dc.h"

#include <algorithm>
#include <cstddef>
#include <map>
#include <string>

using menu_rules::Colour;

static_assert(menu_rules::kDtRight == DT_RIGHT && menu_rules::kDtVCenter == DT_VCENTER &&
                  menu_rules::kDtSingleLine == DT_SINGLELINE && menu_rules::kDtHidePrefix == DT_HIDEPREFIX,
              "text format bits");

// The engine draws each item off-screen and copies it at once, so the
// selection never flickers.
using CNewMemDC = CMemDC1;

namespace {

constexpr UINT kGetMenuOfWindow = 0x01E1;  // MN_GETHMENU
constexpr const char kOldProcProperty[] = "OldMenuProc";
// Popup menus without a non-client border keep their system edge inside
// this margin of the client area.
constexpr int kClientFrameWidth = 3;

template <class F>
F ProcAddress(HMODULE module, const char* name) {
    return module ? reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

// One menu window the engine has taken over.
struct MenuWindow {
    WNDPROC oldProc = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    CMenuTheme* theme = nullptr;
    bool undecided = false;  // created before its menu was known
};

LRESULT CALLBACK CallWndProcHook(int code, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK MenuWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

struct MenuEngine {
    menu_rules::WinVersion version = menu_rules::WinVersion::XPOrLater;
    BOOL highContrast = FALSE;
    HMODULE uxtheme = nullptr;
    HMODULE msimg32 = nullptr;
    BOOL(WINAPI* isThemeActive)() = nullptr;
    HRESULT(WINAPI* setWindowTheme)(HWND, LPCWSTR, LPCWSTR) = nullptr;
    BOOL(WINAPI* gradientFill)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG) = nullptr;
    std::map<UINT, CMenuTheme*> themes;
    UINT drawMode = CNewMenu::STYLE_XP;
    DWORD options = 0;
    ATOM propertyAtom = 0;
    HHOOK hook = nullptr;
    std::map<HWND, MenuWindow> windows;

    MenuEngine() {
        OSVERSIONINFOA info{};
        info.dwOSVersionInfoSize = sizeof info;
        if (::GetVersionExA(&info))
            version = menu_rules::ClassifyWindows(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
        HIGHCONTRASTA contrast{};
        contrast.cbSize = sizeof contrast;
        if (::SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0))
            highContrast = (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;

        uxtheme = ::LoadLibraryA("uxtheme.dll");
        isThemeActive = ProcAddress<decltype(isThemeActive)>(uxtheme, "IsThemeActive");
        setWindowTheme = ProcAddress<decltype(setWindowTheme)>(uxtheme, "SetWindowTheme");
        msimg32 = ::LoadLibraryA("Msimg32.dll");
        gradientFill = ProcAddress<decltype(gradientFill)>(msimg32, "GradientFill");

        themes[CNewMenu::STYLE_XP] = new CMenuThemeXP;
        drawMode = CNewMenu::STYLE_XP;

        propertyAtom = ::GlobalAddAtomA(kOldProcProperty);
        hook = ::SetWindowsHookExA(WH_CALLWNDPROC, CallWndProcHook, nullptr, ::GetCurrentThreadId());
    }

    ~MenuEngine() {
        if (hook) ::UnhookWindowsHookEx(hook);
        for (CNewMenuBitmaps* list : CNewMenuBitmaps::All()) delete list;
        CNewMenuBitmaps::All().clear();
        for (auto& theme : themes) delete theme.second;
        themes.clear();
        if (uxtheme) ::FreeLibrary(uxtheme);
        if (msimg32) ::FreeLibrary(msimg32);
        if (propertyAtom) ::GlobalDeleteAtom(propertyAtom);
    }
};

MenuEngine& Engine() {
    static MenuEngine engine;
    return engine;
}

// Started while the program's statics are made, before the application runs.
[[maybe_unused]] const bool g_engineStarted = (Engine(), true);

bool IsMenuWindow(HWND window) {
    char name[16] = {};
    return ::GetClassNameA(window, name, sizeof name) > 0 && std::string(name) == "#32768";
}

CNewMenu* NewMenuOfWindow(HWND window) {
    auto menu = reinterpret_cast<HMENU>(::SendMessageW(window, kGetMenuOfWindow, 0, 0));
    return menu ? dynamic_cast<CNewMenu*>(CMenu::FromHandlePermanent(menu)) : nullptr;
}

void ReleaseMenuWindow(HWND window) {
    auto& windows = Engine().windows;
    auto found = windows.find(window);
    if (found == windows.end()) return;
    if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(window, GWLP_WNDPROC)) == MenuWindowProc)
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(found->second.oldProc));
    ::RemovePropA(window, kOldProcProperty);
    windows.erase(found);
}

// A window whose menu was not known at creation is kept only when that
// menu turns out to be one of ours.
void Decide(HWND window, MenuWindow& data) {
    if (!data.undecided) return;
    HMENU menu = reinterpret_cast<HMENU>(::SendMessageW(window, kGetMenuOfWindow, 0, 0));
    if (!menu) return;
    if (!NewMenuOfWindow(window)) {
        ReleaseMenuWindow(window);
        return;
    }
    data.undecided = false;
    if (data.theme) data.theme->OnInitWnd(window);
}

void TakeOverMenuWindow(HWND window) {
    MenuEngine& engine = Engine();
    if (!IsMenuWindow(window) || engine.windows.count(window)) return;
    HMENU menu = reinterpret_cast<HMENU>(::SendMessageW(window, kGetMenuOfWindow, 0, 0));
    if (menu && !NewMenuOfWindow(window)) return;
    MenuWindow data;
    data.style = static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE));
    data.exStyle = static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_EXSTYLE));
    data.theme = CNewMenu::GetActiveTheme();
    data.undecided = menu == nullptr;
    data.oldProc = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(window, GWLP_WNDPROC));
    ::SetPropA(window, kOldProcProperty, reinterpret_cast<HANDLE>(data.oldProc));
    engine.windows[window] = data;
    ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(MenuWindowProc));
    if (!data.undecided && data.theme) data.theme->OnInitWnd(window);
}

LRESULT CALLBACK CallWndProcHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (call->message == WM_CREATE) TakeOverMenuWindow(call->hwnd);
    }
    return ::CallNextHookEx(Engine().hook, code, wParam, lParam);
}

// Width of the window's non-client border.
int NonClientWidth(HWND window) {
    RECT outer{};
    RECT inner{};
    ::GetWindowRect(window, &outer);
    ::GetClientRect(window, &inner);
    return std::max(0, static_cast<int>((outer.right - outer.left) - inner.right) / 2);
}

void PaintFrame(HWND window, MenuWindow& data, HDC dc, int thickness) {
    if (data.undecided || !data.theme || !(data.theme->m_dwFlags & CMenuTheme::FrameFlat) || thickness <= 0) return;
    data.theme->PaintBorder(window, dc, thickness);
}

LRESULT CALLBACK MenuWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto& windows = Engine().windows;
    auto found = windows.find(window);
    if (found == windows.end()) {
        auto old = reinterpret_cast<WNDPROC>(::GetPropA(window, kOldProcProperty));
        return old ? ::CallWindowProcW(old, window, message, wParam, lParam)
                   : ::DefWindowProcW(window, message, wParam, lParam);
    }
    const WNDPROC old = found->second.oldProc;
    if (message != WM_CREATE && message != WM_NCCREATE) {
        Decide(window, found->second);
        found = windows.find(window);
        if (found == windows.end()) return ::CallWindowProcW(old, window, message, wParam, lParam);
    }
    MenuWindow& data = found->second;

    switch (message) {
    case WM_CREATE: {
        LRESULT result = ::CallWindowProcW(old, window, message, wParam, lParam);
        auto again = windows.find(window);
        if (again != windows.end()) Decide(window, again->second);
        return result;
    }
    case WM_NCPAINT: {
        const int width = NonClientWidth(window);
        if (data.undecided || width == 0) break;
        HDC dc = ::GetWindowDC(window);
        PaintFrame(window, data, dc, width);
        ::ReleaseDC(window, dc);
        return 0;
    }
    case WM_PAINT: {
        // Without a non-client border the system draws its edge on the
        // client area; the flat frame goes over it.
        LRESULT result = ::CallWindowProcW(old, window, message, wParam, lParam);
        if (NonClientWidth(window) == 0) {
            HDC dc = ::GetWindowDC(window);
            PaintFrame(window, data, dc, kClientFrameWidth);
            ::ReleaseDC(window, dc);
        }
        return result;
    }
    case WM_PRINT: {
        LRESULT result = ::CallWindowProcW(old, window, message, wParam, lParam);
        const int width = NonClientWidth(window);
        if (lParam & PRF_NONCLIENT) PaintFrame(window, data, reinterpret_cast<HDC>(wParam), width);
        else if (width == 0 && (lParam & PRF_CLIENT))
            PaintFrame(window, data, reinterpret_cast<HDC>(wParam), kClientFrameWidth);
        return result;
    }
    case WM_DESTROY:
        if (!data.undecided && data.theme) data.theme->OnUnInitWnd(window, data.style, data.exStyle);
        break;
    case WM_NCDESTROY: {
        LRESULT result = ::CallWindowProcW(old, window, message, wParam, lParam);
        ReleaseMenuWindow(window);
        return result;
    }
    default:
        break;
    }
    return ::CallWindowProcW(old, window, message, wParam, lParam);
}

HFONT CreateMenuFont(bool bold) {
    NONCLIENTMETRICSA metrics{};
    // The size older systems know (without the padded border width).
    metrics.cbSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
    if (!::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0))
        return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    if (bold) metrics.lfMenuFont.lfWeight = FW_BOLD;
    return ::CreateFontIndirectA(&metrics.lfMenuFont);
}

void DeleteMenuFont(HFONT font) {
    if (font && font != ::GetStockObject(DEFAULT_GUI_FONT)) ::DeleteObject(font);
}

bool KeyboardCuesShown() {
    BOOL cues = FALSE;
    return ::SystemParametersInfoA(SPI_GETKEYBOARDCUES, 0, &cues, 0) && cues;
}

// Hidden mnemonics are left out of the text itself: not every DrawText
// honours DT_HIDEPREFIX (Wine draws the underline anyway).
void DrawMenuText(HDC dc, const std::string& text, RECT* rect, unsigned format) {
    if (format & DT_HIDEPREFIX) {
        const std::string shown = menu_rules::WithoutMnemonicMarkers(text);
        ::DrawTextA(dc, shown.c_str(), static_cast<int>(shown.size()), rect, (format & ~DT_HIDEPREFIX) | DT_NOPREFIX);
        return;
    }
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), rect, format);
}

menu_rules::Box BoxOf(const RECT& rect) { return menu_rules::Box{rect.left, rect.top, rect.right, rect.bottom}; }

}  // namespace

// ---------------------------------------------------------------- pictures

CNewMenuIcons::~CNewMenuIcons() {
    if (m_hImageList) ::ImageList_Destroy(m_hImageList);
}

HICON CNewMenuIcons::GetIcon(int index) const {
    if (!m_hImageList || index < 0 || index >= GetImageCount()) return nullptr;
    return ::ImageList_GetIcon(m_hImageList, index, ILD_NORMAL);
}

int CNewMenuIcons::GetImageCount() const { return m_hImageList ? ::ImageList_GetImageCount(m_hImageList) : 0; }

std::vector<CNewMenuBitmaps*>& CNewMenuBitmaps::All() {
    // Never destroyed: the engine empties it at exit.
    static auto* lists = new std::vector<CNewMenuBitmaps*>;
    return *lists;
}

CNewMenuBitmaps* CNewMenuBitmaps::ForSize(CSize size) {
    for (CNewMenuBitmaps* list : All())
        if (list->m_size.cx == size.cx && list->m_size.cy == size.cy) return list;
    auto* list = new CNewMenuBitmaps;
    list->m_size = size;
    All().push_back(list);
    return list;
}

namespace {

// A 32-bit top-down DIB section holding pixels (0x00RRGGBB each).
HBITMAP MakeDib(int width, int height, const std::vector<DWORD>& pixels) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib && bits) std::copy(pixels.begin(), pixels.end(), static_cast<DWORD*>(bits));
    return dib;
}

DWORD PixelOf(Colour c) {
    return static_cast<DWORD>(menu_rules::Red(c)) << 16 | static_cast<DWORD>(menu_rules::Green(c)) << 8 |
           static_cast<DWORD>(menu_rules::Blue(c));
}

Colour ColourOf(DWORD pixel) {
    return menu_rules::Rgb(static_cast<int>((pixel >> 16) & 0xFF), static_cast<int>((pixel >> 8) & 0xFF),
                           static_cast<int>(pixel & 0xFF));
}

}  // namespace

int CNewMenuBitmaps::Add(CBitmap* bitmap, COLORREF transparent) {
    if (!bitmap || !bitmap->m_hObject) return -1;
    const CSize size = bitmap->GetSize();
    if (size.cx <= 0 || size.cy <= 0) return -1;
    if (!m_hImageList) {
        m_hImageList = ::ImageList_Create(size.cx, size.cy, ILC_COLOR24 | ILC_MASK, 3, 10);
        if (!m_hImageList) return -1;
        m_size = size;
    }
    if (size.cx != m_size.cx || size.cy != m_size.cy) return -1;

    // The picture's pixels, read from a copy so the caller's bitmap stays as it is.
    const size_t count = static_cast<size_t>(size.cx) * static_cast<size_t>(size.cy);
    std::vector<DWORD> picture(count, 0);
    {
        HBITMAP copy = MakeDib(size.cx, size.cy, picture);
        if (!copy) return -1;
        HDC source = ::CreateCompatibleDC(nullptr);
        HDC target = ::CreateCompatibleDC(nullptr);
        HGDIOBJ oldSource = ::SelectObject(source, bitmap->m_hObject);
        HGDIOBJ oldTarget = ::SelectObject(target, copy);
        ::BitBlt(target, 0, 0, size.cx, size.cy, source, 0, 0, SRCCOPY);
        ::GdiFlush();
        DIBSECTION section{};
        if (::GetObjectA(copy, sizeof section, &section) && section.dsBm.bmBits) {
            const auto* bits = static_cast<const DWORD*>(section.dsBm.bmBits);
            for (size_t i = 0; i < count; ++i) picture[i] = bits[i] & 0x00FFFFFF;
        }
        ::SelectObject(source, oldSource);
        ::SelectObject(target, oldTarget);
        ::DeleteDC(source);
        ::DeleteDC(target);
        ::DeleteObject(copy);
    }
    const DWORD key = transparent == CLR_DEFAULT ? picture[0] : PixelOf(transparent);

    // The greyed and the faded copies keep the key where the picture has it.
    std::vector<DWORD> greyed(picture), faded(picture);
    for (size_t i = 0; i < count; ++i) {
        if (picture[i] == key) continue;
        const Colour c = ColourOf(picture[i]);
        const int light = (menu_rules::Red(c) * 30 + menu_rules::Green(c) * 59 + menu_rules::Blue(c) * 11) / 100;
        greyed[i] = PixelOf(menu_rules::Rgb(128 + light / 2, 128 + light / 2, 128 + light / 2));
        faded[i] = PixelOf(menu_rules::Rgb((menu_rules::Red(c) + 255) / 2, (menu_rules::Green(c) + 255) / 2,
                                           (menu_rules::Blue(c) + 255) / 2));
        if (greyed[i] == key) greyed[i] ^= 1;
        if (faded[i] == key) faded[i] ^= 1;
    }

    const int first = ::ImageList_GetImageCount(m_hImageList);
    const COLORREF keyColour = RGB((key >> 16) & 0xFF, (key >> 8) & 0xFF, key & 0xFF);
    int added = 0;
    for (const std::vector<DWORD>* pixels : {&picture, &greyed, &faded}) {
        HBITMAP image = MakeDib(size.cx, size.cy, *pixels);
        const bool ok = image && ::ImageList_AddMasked(m_hImageList, image, keyColour) >= 0;
        if (image) ::DeleteObject(image);
        if (!ok) break;
        ++added;
    }
    if (added < 3) {
        // Three images per picture or none, so later indexes stay right.
        while (added-- > 0) ::ImageList_Remove(m_hImageList, first + added);
        return -1;
    }
    return first;
}

// ---------------------------------------------------------------- themes

void CMenuTheme::MeasureItem(CNewMenu* menu, LPMEASUREITEMSTRUCT measure) {
    CNewMenuItemData* data = menu->FindItemData(measure->itemData);
    if (!data) return;
    if (data->m_nFlags & MF_SEPARATOR) {
        measure->itemWidth = 0;
        measure->itemHeight = 5;
        return;
    }
    HDC dc = ::GetDC(nullptr);
    HFONT font = CreateMenuFont(false);
    HGDIOBJ old = ::SelectObject(dc, font);
    const menu_rules::TextParts parts = menu_rules::SplitAtLastTab(data->m_szMenuText.GetString());
    RECT text{0, 0, 0, 0};
    ::DrawTextA(dc, parts.left.c_str(), static_cast<int>(parts.left.size()), &text, DT_SINGLELINE | DT_CALCRECT);
    RECT right{0, 0, 0, 0};
    if (parts.has_right)
        ::DrawTextA(dc, parts.right.c_str(), static_cast<int>(parts.right.size()), &right, DT_SINGLELINE | DT_CALCRECT);
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc, &metrics);
    ::SelectObject(dc, old);
    DeleteMenuFont(font);
    ::ReleaseDC(nullptr, dc);
    const int gap = parts.has_right ? 24 : 0;
    measure->itemWidth = static_cast<UINT>(menu->m_iconX + 12 + text.right + gap + right.right + 15);
    measure->itemHeight = static_cast<UINT>(std::max<int>(menu->m_iconY + 8, metrics.tmHeight + 8));
}

void CMenuTheme::OnInitWnd(HWND window) {
    if (!(m_dwFlags & FrameFlat)) return;
    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_EXSTYLE));
    ::SetWindowLongPtrW(window, GWL_STYLE, static_cast<LONG_PTR>(style & ~static_cast<DWORD>(WS_BORDER)));
    ::SetWindowLongPtrW(window, GWL_EXSTYLE,
                        static_cast<LONG_PTR>(exStyle & ~static_cast<DWORD>(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE)));
}

void CMenuTheme::OnUnInitWnd(HWND window, DWORD style, DWORD exStyle) {
    if (!(m_dwFlags & FrameFlat)) return;
    ::SetWindowLongPtrW(window, GWL_STYLE, static_cast<LONG_PTR>(style));
    ::SetWindowLongPtrW(window, GWL_EXSTYLE, static_cast<LONG_PTR>(exStyle));
}

void CMenuTheme::PaintBorder(HWND window, HDC dc, int thickness) {
    RECT outer{};
    ::GetWindowRect(window, &outer);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    CNewMenu* menu = NewMenuOfWindow(window);
    const Colour menuColour = menu ? menu->GetMenuColor() : ::GetSysColor(COLOR_MENU);
    const menu_rules::FrameColours colours = menu_rules::MenuFrameColours(::GetSysColor(COLOR_WINDOW), menuColour);
    RECT ring{0, 0, width, height};
    HBRUSH outerBrush = ::CreateSolidBrush(colours.outer);
    ::FrameRect(dc, &ring, outerBrush);
    ::DeleteObject(outerBrush);
    HBRUSH innerBrush = ::CreateSolidBrush(colours.inner);
    for (int i = 1; i < thickness; ++i) {
        ::InflateRect(&ring, -1, -1);
        ::FrameRect(dc, &ring, innerBrush);
    }
    ::DeleteObject(innerBrush);
}

void CMenuThemeXP::DrawItem(CNewMenu* menu, LPDRAWITEMSTRUCT draw) {
    CNewMenuItemData* data = menu->FindItemData(draw->itemData);
    if (!data) return;
    const CRect item(draw->rcItem);
    const UINT state = draw->itemState;
    const bool low = ::GetDeviceCaps(draw->hDC, BITSPIXEL) * ::GetDeviceCaps(draw->hDC, PLANES) <= 8;
    HDC itemDC = draw->hDC;
    const menu_rules::ItemColours colours =
        menu_rules::PopupItemColours(menu->m_bitmapBackground, menu->GetMenuColor(), low, ::GetSysColor(COLOR_BTNFACE),
                                     [itemDC](Colour c) { return static_cast<Colour>(::GetNearestColor(itemDC, c)); });
    const menu_rules::PopupItemLayout layout = menu_rules::LayOutPopupItem(
        BoxOf(item), menu->m_iconX, menu->m_iconY, data->m_pMenuIcon ? data->m_pMenuIcon->m_size.cx : 0,
        data->m_pMenuIcon ? data->m_pMenuIcon->m_size.cy : 0);
    const auto rectOf = [](const menu_rules::Box& box) { return CRect(box.left, box.top, box.right, box.bottom); };

    if (data->m_nFlags & MF_SEPARATOR) {
        CDC* dc = CDC::FromHandle(draw->hDC);
        CRect column = rectOf(layout.column);
        CRect rest = rectOf(layout.text_area);
        dc->FillSolidRect(&column, colours.column);
        dc->FillSolidRect(&rest, colours.column);
        const int middle = item.top + item.Height() / 2;
        dc->FillSolidRect(layout.text.left, middle, layout.text.right - layout.text.left, 1,
                          menu_rules::Shadow(menu->GetMenuColor()));
        return;
    }

    CNewMemDC mem(CDC::FromHandle(draw->hDC), &item);
    CRect column = rectOf(layout.column);
    CRect rest = rectOf(layout.text_area);
    mem.FillSolidRect(&column, colours.column);
    mem.FillSolidRect(&rest, colours.column);

    const bool selected = (state & ODS_SELECTED) && !(state & ODS_INACTIVE);
    const bool highContrast = CNewMenu::IsHighContrast() != FALSE;
    if (selected) {
        mem.FillSolidRect(&item, RGB(255, 255, 255));
        const Colour frame = menu_rules::SelectionFrameColour(highContrast, ::GetSysColor(COLOR_HIGHLIGHT),
                                                              ::GetSysColor(COLOR_BTNTEXT));
        HPEN pen = ::CreatePen(PS_SOLID, 1, frame);
        HGDIOBJ oldPen = ::SelectObject(mem.m_hDC, pen);
        HGDIOBJ oldBrush = ::SelectObject(mem.m_hDC, ::GetStockObject(HOLLOW_BRUSH));
        ::Rectangle(mem.m_hDC, item.left, item.top, item.right, item.bottom);
        ::SelectObject(mem.m_hDC, oldBrush);
        ::SelectObject(mem.m_hDC, oldPen);
        ::DeleteObject(pen);
    }

    // Text.
    HFONT font = CreateMenuFont((state & ODS_DEFAULT) != 0);
    HGDIOBJ oldFont = ::SelectObject(mem.m_hDC, font);
    const int oldMode = mem.SetBkMode(TRANSPARENT);
    const menu_rules::TextColours system{::GetSysColor(COLOR_GRAYTEXT), ::GetSysColor(COLOR_MENUTEXT),
                                         ::GetSysColor(COLOR_WINDOWTEXT)};
    const COLORREF oldText =
        mem.SetTextColor(menu_rules::ItemTextColour((state & ODS_GRAYED) != 0, selected, highContrast, system));
    const menu_rules::TextFormats formats =
        menu_rules::ItemTextFormats((state & ODS_NOACCEL) != 0, KeyboardCuesShown(), CNewMenu::GetVersionClass());
    const menu_rules::TextParts parts = menu_rules::SplitAtLastTab(data->m_szMenuText.GetString());
    CRect text = rectOf(layout.text);
    DrawMenuText(mem.m_hDC, parts.left, &text, formats.left);
    if (parts.has_right) DrawMenuText(mem.m_hDC, parts.right, &text, formats.right);
    mem.SetTextColor(oldText);
    mem.SetBkMode(oldMode);
    ::SelectObject(mem.m_hDC, oldFont);
    DeleteMenuFont(font);

    // Picture.
    if (data->m_pMenuIcon && data->m_nMenuIconOffset >= 0) {
        HICON icon = data->m_pMenuIcon->GetIcon(data->m_nMenuIconOffset);
        if (icon) {
            const int w = data->m_pMenuIcon->m_size.cx;
            const int h = data->m_pMenuIcon->m_size.cy;
            const auto iconData = reinterpret_cast<LPARAM>(icon);
            if (selected && !(state & ODS_CHECKED)) {
                const COLORREF shade = ::GetNearestColor(mem.m_hDC, menu_rules::Shadow(RGB(255, 255, 255)));
                HBRUSH brush = ::CreateSolidBrush(shade);
                ::DrawStateA(mem.m_hDC, brush, nullptr, iconData, 0, layout.shadow.x, layout.shadow.y, w, h,
                             DST_ICON | DSS_MONO);
                ::DeleteObject(brush);
                ::DrawStateA(mem.m_hDC, nullptr, nullptr, iconData, 0, layout.lifted.x, layout.lifted.y, w, h,
                             DST_ICON | DSS_NORMAL);
            } else {
                if (state & ODS_CHECKED) {
                    // A checked picture sits in a framed box.
                    HPEN pen = ::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_HIGHLIGHT));
                    HGDIOBJ oldPen = ::SelectObject(mem.m_hDC, pen);
                    HGDIOBJ oldBrush = ::SelectObject(mem.m_hDC, ::GetStockObject(HOLLOW_BRUSH));
                    ::Rectangle(mem.m_hDC, layout.picture.x - 2, layout.picture.y - 2, layout.picture.x + w + 2,
                                layout.picture.y + h + 2);
                    ::SelectObject(mem.m_hDC, oldBrush);
                    ::SelectObject(mem.m_hDC, oldPen);
                    ::DeleteObject(pen);
                }
                const UINT look = (state & ODS_GRAYED) ? DSS_DISABLED : DSS_NORMAL;
                ::DrawStateA(mem.m_hDC, nullptr, nullptr, iconData, 0, layout.picture.x, layout.picture.y, w, h,
                             DST_ICON | look);
            }
            ::DestroyIcon(icon);
        }
    }
}

// ---------------------------------------------------------------- menus

CNewMenu::CNewMenu() = default;

CNewMenu::~CNewMenu() { CNewMenu::DestroyMenu(); }

BOOL CNewMenu::DestroyMenu() {
    for (CNewMenuItemData* data : m_MenuItemList) delete data;
    m_MenuItemList.clear();
    return CMenu::DestroyMenu();
}

BOOL CNewMenu::InsertODMenu(UINT position, UINT flags, UINT_PTR id, const char* text, CBitmap* bitmap) {
    if (!m_hMenu) return FALSE;
    CNewMenuIcons* icons = nullptr;
    int offset = -1;
    if (bitmap && bitmap->m_hObject) {
        const CSize size = bitmap->GetSize();
        if (size.cx > 0 && size.cy > 0) {
            CNewMenuBitmaps* list = CNewMenuBitmaps::ForSize(size);
            offset = list->Add(bitmap, m_clrTransparent);
            if (offset >= 0) {
                icons = list;
                m_iconX = std::max<int>(m_iconX, size.cx);
                m_iconY = std::max<int>(m_iconY, size.cy);
            }
        }
    }

    auto* data = new CNewMenuItemData;
    data->m_szMenuText = text ? text : "";
    data->m_nID = static_cast<UINT>(id);
    data->m_nFlags = flags | MF_OWNERDRAW;
    if (id == 0) data->m_nFlags = (data->m_nFlags & ~static_cast<UINT>(MF_STRING | MF_POPUP)) | MF_SEPARATOR;
    data->m_pMenuIcon = icons;
    data->m_nMenuIconOffset = offset;

    // Where the new item will stand: at position, before the item with
    // command position, or at the end when there is no such place.
    const int count = GetMenuItemCount();
    int index = count;
    if (flags & MF_BYPOSITION) {
        if (position < static_cast<UINT>(count)) index = static_cast<int>(position);
    } else {
        for (int i = 0; i < count; ++i)
            if (GetMenuItemID(i) == position) {
                index = i;
                break;
            }
    }
    const UINT plain = data->m_nFlags & ~static_cast<UINT>(MF_OWNERDRAW);
    if (!InsertMenu(position, plain, id, (plain & MF_SEPARATOR) ? nullptr : data->m_szMenuText.GetString())) {
        delete data;
        return FALSE;
    }
    m_MenuItemList.push_back(data);
    return ModifyMenu(static_cast<UINT>(index), data->m_nFlags | MF_BYPOSITION, id,
                      reinterpret_cast<const char*>(data));
}

CNewMenuItemData* CNewMenu::FindItemData(UINT_PTR itemData) const {
    for (CNewMenuItemData* data : m_MenuItemList)
        if (reinterpret_cast<UINT_PTR>(data) == itemData) return data;
    return nullptr;
}

COLORREF CNewMenu::GetMenuColor() const {
    menu_rules::MenuColourInputs in;
    MENUINFO info{};
    info.cbSize = sizeof info;
    info.fMask = MIM_BACKGROUND;
    LOGBRUSH brush{};
    if (m_hMenu && ::GetMenuInfo(m_hMenu, &info) && info.hbrBack &&
        ::GetObjectA(info.hbrBack, sizeof brush, &brush) == sizeof brush) {
        in.has_background_brush = true;
        in.background_brush = brush.lbColor;
    }
    in.version = GetVersionClass();
    BOOL flat = FALSE;
    in.flat_menus = ::SystemParametersInfoA(SPI_GETFLATMENU, 0, &flat, 0) && flat;
    in.theme_active = IsThemeActive() != FALSE;
    in.menu_bar = ::GetSysColor(COLOR_MENUBAR);
    in.menu = ::GetSysColor(COLOR_MENU);
    return menu_rules::MenuColour(in);
}

void CNewMenu::DrawItem(LPDRAWITEMSTRUCT draw) {
    if (CMenuTheme* theme = GetActiveTheme()) theme->DrawItem(this, draw);
}

void CNewMenu::MeasureItem(LPMEASUREITEMSTRUCT measure) {
    if (CMenuTheme* theme = GetActiveTheme()) theme->MeasureItem(this, measure);
}

UINT CNewMenu::SetMenuDrawMode(UINT mode) {
    MenuEngine& engine = Engine();
    const UINT old = engine.drawMode;
    if (engine.themes.count(mode)) engine.drawMode = mode;
    return old;
}

UINT CNewMenu::GetMenuDrawMode() { return Engine().drawMode; }

DWORD CNewMenu::SetNewMenuOptions(DWORD options) {
    const DWORD old = Engine().options;
    Engine().options = options;
    return old;
}

DWORD CNewMenu::GetNewMenuOptions() { return Engine().options; }

CMenuTheme* CNewMenu::GetActiveTheme() {
    MenuEngine& engine = Engine();
    auto found = engine.themes.find(engine.drawMode);
    return found == engine.themes.end() ? nullptr : found->second;
}

menu_rules::WinVersion CNewMenu::GetVersionClass() { return Engine().version; }
BOOL CNewMenu::IsHighContrast() { return Engine().highContrast; }
BOOL CNewMenu::IsHookInstalled() { return Engine().hook != nullptr; }
BOOL CNewMenu::HasThemeFunctions() { return Engine().isThemeActive && Engine().setWindowTheme; }
BOOL CNewMenu::HasGradientFill() { return Engine().gradientFill != nullptr; }
BOOL CNewMenu::IsThemeActive() { return Engine().isThemeActive && Engine().isThemeActive(); }

CMenuDrawModeScope::CMenuDrawModeScope(UINT mode)
    : m_oldMode(CNewMenu::SetMenuDrawMode(mode)), m_oldOptions(CNewMenu::GetNewMenuOptions()) {}

CMenuDrawModeScope::~CMenuDrawModeScope() {
    CNewMenu::SetMenuDrawMode(m_oldMode);
    CNewMenu::SetNewMenuOptions(m_oldOptions);
}
