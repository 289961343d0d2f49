// The owner-drawn menu engine with real menus under Wine: the country menu
// of the send-fax window opened at its flag button, measured by its owner,
// drawn by the engine, chosen from and dismissed with the keyboard.
#include "controls/menu/new_menu.h"
#include "controls/bitmap_dialog.h"
#include "controls/gdip_button.h"
#include "resource.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using namespace kestrid_test;

namespace {

constexpr COLORREF kFlagBackground = RGB(255, 0, 255);  // no flag uses it

// A flag PNG of the program as a bitmap, its transparent part in background.
bool LoadFlag(UINT id, CBitmap& bitmap, COLORREF background = kFlagBackground) {
    CGdiPlusBitmapResource image;
    if (!image.LoadFromResource(id, "PNG")) return false;
    HBITMAP handle = nullptr;
    const Gdiplus::Color under(255, GetRValue(background), GetGValue(background), GetBValue(background));
    if (image.m_pBitmap->GetHBITMAP(under, &handle) != Gdiplus::Ok) return false;
    return bitmap.Attach(handle);
}

// Rows and columns of the flag that are not transparent.
CRect OpaqueBox(CBitmap& flag) {
    CRect box(16, 16, -1, -1);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if (BitmapPixel(flag, x, y) != kFlagBackground) {
                box.left = std::min<int>(box.left, x);
                box.top = std::min<int>(box.top, y);
                box.right = std::max<int>(box.right, x);
                box.bottom = std::max<int>(box.bottom, y);
            }
    return box;  // inclusive
}

// top laid over bottom at offset, as the screen shows a menu over its window.
Capture Overlay(Capture bottom, const Capture& top, POINT offset) {
    for (int y = 0; y < top.height; ++y)
        for (int x = 0; x < top.width; ++x) {
            const int bx = x + offset.x, by = y + offset.y;
            if (bx >= 0 && by >= 0 && bx < bottom.width && by < bottom.height)
                bottom.pixels[static_cast<size_t>(by) * bottom.width + bx] = top.At(x, y);
        }
    return bottom;
}

// Records the items the engine draws, then lets it draw them.
class RecordingMenu : public CNewMenu {
public:
    struct Drawn {
        UINT id;
        UINT state;
        RECT rect;
    };
    std::vector<Drawn> m_drawn;
    void DrawItem(LPDRAWITEMSTRUCT draw) override {
        m_drawn.push_back({draw->itemID, draw->itemState, draw->rcItem});
        CNewMenu::DrawItem(draw);
    }
    bool DrewSelected(UINT id) const {
        for (const Drawn& d : m_drawn)
            if (d.id == id && (d.state & ODS_SELECTED)) return true;
        return false;
    }
    // Where the item was last drawn, in the menu window's client area.
    CRect RectOf(UINT id) const {
        CRect rect;
        for (const Drawn& d : m_drawn)
            if (d.id == id) rect = d.rect;
        return rect;
    }
    bool Drew(UINT id) const {
        for (const Drawn& d : m_drawn)
            if (d.id == id) return true;
        return false;
    }
};

// The send-fax window's number corner: its background, flag button and menu
// button, measuring menu items at 250 x 40 and taking the country commands.
class CountryCorner : public CBitmapDialog {
public:
    CountryCorner() : CBitmapDialog(IDD_SEND_FAX) {}
    std::vector<UINT> m_measured;
    std::vector<UINT> m_commands;
    CButton m_flag;
    CGdipButton m_menuButton;
    CBitmap m_flagPicture;

    BOOL OnInitDialog() override {
        CBitmapDialog::OnInitDialog();
        SetWindowPos(&CWnd::wndNoTopMost, 60, 40, 565, 620, SWP_NOACTIVATE);
        SetBackgroundBitmap(IDB_SEND_PAGE1_BACKGROUND);
        for (CWnd* child = GetWindow(GW_CHILD); child; child = child->GetWindow(GW_HWNDNEXT))
            child->ShowWindow(SW_HIDE);
        struct Place {
            int id, x, y, w, h;
        };
        for (const Place& p : {Place{IDC_SEND_HEADING, 93, 50, 200, 26}, Place{IDC_SEND_NUMBER_LABEL, 93, 97, 200, 22},
                               Place{IDC_SEND_FLAG, 100, 134, 16, 16}, Place{IDC_SEND_COUNTRY_MENU, 117, 134, 16, 16},
                               Place{IDC_SEND_NUMBER, 134, 128, 270, 30}}) {
            CWnd* control = GetDlgItem(p.id);
            control->MoveWindow(p.x, p.y, p.w, p.h);
            control->ShowWindow(SW_SHOW);
        }
        m_menuButton.LoadStandardImage(IDP_COUNTRY_MENU, "PNG");
        m_menuButton.LoadAlternateImage(IDP_COUNTRY_MENU, "PNG");
        if (LoadFlag(ID_COUNTRY_USA, m_flagPicture, ::GetSysColor(COLOR_BTNFACE))) m_flag.SetBitmap(m_flagPicture);
        return TRUE;
    }

protected:
    void DoDataExchange(CDataExchange* exchange) override {
        CBitmapDialog::DoDataExchange(exchange);
        DDX_Control(exchange, IDC_SEND_FLAG, m_flag);
        DDX_Control(exchange, IDC_SEND_COUNTRY_MENU, m_menuButton);
    }
    void OnMeasureItem(int id, LPMEASUREITEMSTRUCT measure) {
        if (measure->CtlType != ODT_MENU) {
            CBitmapDialog::OnMeasureItem(id, measure);
            return;
        }
        m_measured.push_back(measure->itemID);
        measure->itemWidth = 250;
        measure->itemHeight = 40;
    }
    void OnCountry(UINT id) { m_commands.push_back(id); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CountryCorner, CBitmapDialog)
    ON_WM_MEASUREITEM()
    ON_COMMAND_RANGE(ID_COUNTRY_FIRST, ID_COUNTRY_LAST, &CountryCorner::OnCountry)
END_MESSAGE_MAP()

// Builds the menu as the send-fax window does: from scratch, two countries.
void BuildCountryMenu(CNewMenu& menu, CBitmap* flags, const char* const* texts, int count) {
    menu.DestroyMenu();
    CMenuDrawModeScope scope(CNewMenu::STYLE_XP);
    menu.CreatePopupMenu();
    for (int i = 0; i < count; ++i)
        EXPECT_TRUE(menu.InsertODMenu(static_cast<UINT>(i), MF_BYPOSITION | MF_STRING,
                                      static_cast<UINT_PTR>(ID_COUNTRY_FIRST + i), texts[i],
                                      flags ? &flags[i] : nullptr))
            << texts[i];
}

void LimitHeight(CNewMenu& menu) {
    MENUINFO info{};
    info.cbSize = sizeof info;
    info.fMask = MIM_MAXHEIGHT;
    info.cyMax = 300;
    EXPECT_TRUE(menu.SetMenuInfo(&info));
}

// Runs step every 30 ms inside the menu's own loop until it returns true;
// after about 5 s the menu is closed with Escape so a failing test ends.
std::function<bool(HWND)> g_step;
int g_ticks = 0;
HWND g_owner = nullptr;

HWND OpenMenuWindow() {
    HWND popup = ::FindWindowA("#32768", nullptr);
    return popup && ::IsWindowVisible(popup) ? popup : nullptr;
}

void CALLBACK StepTimer(HWND, UINT, UINT_PTR, DWORD) {
    ++g_ticks;
    HWND popup = OpenMenuWindow();
    if (g_step && popup && g_step(popup)) g_step = nullptr;
    if (g_ticks > 170 && popup) ::PostMessageA(popup, WM_KEYDOWN, VK_ESCAPE, 0);
}

void Track(CNewMenu& menu, CWnd& owner, int x, int y, std::function<bool(HWND)> step) {
    g_step = std::move(step);
    g_ticks = 0;
    g_owner = owner.m_hWnd;
    UINT_PTR timer = ::SetTimer(nullptr, 0, 30, StepTimer);
    menu.TrackPopupMenu(TPM_VERTICAL, x, y, &owner);
    ::KillTimer(nullptr, timer);
    g_step = nullptr;
    PumpPending();
}

void PressKey(HWND popup, WPARAM key) {
    ::PostMessageA(popup, WM_KEYDOWN, key, 0);
    ::PostMessageA(popup, WM_KEYUP, key, 0xC0000000);
}

COLORREF ColumnColour(CNewMenu& menu) { return menu_rules::Blend(menu.m_bitmapBackground, menu.GetMenuColor()); }

// A pixel of a capture; CLR_INVALID outside it.
COLORREF Pixel(const Capture& shot, int x, int y) {
    if (x < 0 || y < 0 || x >= shot.width || y >= shot.height) return CLR_INVALID;
    return shot.At(x, y);
}

int DarkPixels(const Capture& shot, const CRect& area) {
    int dark = 0;
    for (int y = std::max<int>(0, area.top); y < std::min<int>(shot.height, area.bottom); ++y)
        for (int x = std::max<int>(0, area.left); x < std::min<int>(shot.width, area.right); ++x) {
            COLORREF c = shot.At(x, y);
            if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 300) ++dark;
        }
    return dark;
}

const char* const kCountries[] = {"Canada +1", "USA +1"};

class CountryMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureGdiplus();
        ASSERT_TRUE(m_window.Create(IDD_SEND_FAX));
        m_window.ShowWindow(SW_SHOW);
        m_window.UpdateWindow();
        PumpUntil([&] {
            CRect client;
            m_window.GetClientRect(&client);
            return client.Width() == 565;
        });
        PumpPending();
        ASSERT_TRUE(LoadFlag(ID_COUNTRY_CANADA, m_flags[0]));
        ASSERT_TRUE(LoadFlag(ID_COUNTRY_USA, m_flags[1]));
        m_window.GetDlgItem(IDC_SEND_FLAG)->GetWindowRect(&m_button);
    }
    void TearDown() override { m_window.DestroyWindow(); }

    CountryCorner m_window;
    CBitmap m_flags[2];
    CRect m_button;
};

TEST_F(CountryMenuTest, OpensAtTheFlagMeasuredByItsOwnerAndDrawsFlagsAndTexts) {
    RecordingMenu menu;
    BuildCountryMenu(menu, m_flags, kCountries, 2);
    ASSERT_EQ(menu.GetMenuItemCount(), 2);
    LimitHeight(menu);

    CRect popupRect, items[2];
    bool subclassed = false;
    bool bordered = true;
    Capture plain, chosen, gallery;
    int phase = 0;
    int waits = 0;
    Track(menu, m_window, m_button.left + 1, m_button.top + 25, [&](HWND popup) {
        switch (phase) {
        case 0:
            // Both items drawn, then one more turn for the painting to end.
            if (!menu.Drew(ID_COUNTRY_CANADA) || !menu.Drew(ID_COUNTRY_USA)) return false;
            phase = 2;
            return false;
        case 2:
            ::GetWindowRect(popup, &popupRect);
            // Item rectangles on the screen.
            for (int i = 0; i < 2; ++i) {
                items[i] = menu.RectOf(ID_COUNTRY_FIRST + static_cast<UINT>(i));
                ::MapWindowPoints(popup, nullptr, reinterpret_cast<POINT*>(&items[i]), 2);
            }
            subclassed = ::GetPropA(popup, "OldMenuProc") != nullptr;
            bordered = (::GetWindowLongPtrA(popup, GWL_STYLE) & WS_BORDER) != 0;
            plain = CaptureWindow(popup);
            // The window's surface may take a few turns to show the first painting.
            if (!Near(Pixel(plain, items[0].left - popupRect.left + 1, items[0].top - popupRect.top + 2),
                      ColumnColour(menu), 2) &&
                ++waits < 60)
                return false;
            PressKey(popup, VK_DOWN);
            PressKey(popup, VK_DOWN);
            phase = 1;
            return false;
        case 1:
            if (!menu.DrewSelected(ID_COUNTRY_USA)) return false;
            PumpPending();
            chosen = CaptureWindow(popup);
            CRect window;
            m_window.GetWindowRect(&window);
            gallery = Overlay(CaptureWindow(m_window.m_hWnd), chosen,
                              POINT{popupRect.left - window.left, popupRect.top - window.top});
            PressKey(popup, VK_RETURN);
            return true;
        }
        return true;
    });

    // Measured by the owner, drawn by the engine, chosen with the keyboard.
    EXPECT_EQ(m_window.m_measured, (std::vector<UINT>{ID_COUNTRY_CANADA, ID_COUNTRY_USA}));
    EXPECT_EQ(m_window.m_commands, std::vector<UINT>{ID_COUNTRY_USA});
    ASSERT_EQ(phase, 1) << "the menu never showed both items and a selection";
    // The system adds room for a check mark to the width the owner gave.
    for (const CRect& item : items) {
        EXPECT_GE(item.Width(), 250) << item.left << "," << item.top << " " << item.right << "," << item.bottom;
        EXPECT_LE(item.Width(), 250 + 2 * ::GetSystemMetrics(SM_CXMENUCHECK));
        EXPECT_EQ(item.Height(), 40);
    }
    EXPECT_EQ(items[1].top, items[0].bottom);
    EXPECT_EQ(popupRect.left, m_button.left + 1);
    EXPECT_EQ(popupRect.top, m_button.top + 25);
    EXPECT_TRUE(subclassed) << "the menu window was not taken over";
    EXPECT_FALSE(bordered) << "the system border is still on";
    ASSERT_EQ(plain.width, popupRect.Width()) << popupRect.left << "," << popupRect.top;

    const COLORREF column = ColumnColour(menu);
    for (int i = 0; i < 2; ++i) {
        CRect item = items[i];
        item.OffsetRect(-popupRect.left, -popupRect.top);
        const CRect box = OpaqueBox(m_flags[i]);
        // Column and text area in the blended colour, the flag's clear corner too.
        EXPECT_TRUE(Near(Pixel(plain, item.left + 1, item.top + 2), column, 2))
            << Describe(Pixel(plain, item.left + 1, item.top + 2));
        EXPECT_TRUE(Near(Pixel(plain, item.right - 3, item.top + 2), column, 2));
        EXPECT_TRUE(Near(Pixel(plain, item.left + 3, item.top + 12), column, 2)) << "flag corner " << i;
        // The flag one to one at (left + 3, top + 12).
        for (POINT p : {POINT{box.left + 1, box.top + 1}, POINT{(box.left + box.right) / 2, (box.top + box.bottom) / 2},
                        POINT{box.right - 1, box.bottom - 1}})
            EXPECT_TRUE(
                Near(Pixel(plain, item.left + 3 + p.x, item.top + 12 + p.y), BitmapPixel(m_flags[i], p.x, p.y), 2))
                << "flag " << i << " at " << p.x << "," << p.y << ": "
                << Describe(Pixel(plain, item.left + 3 + p.x, item.top + 12 + p.y));
        // Dark text between left + 28 and right - 15, nothing dark beyond.
        EXPECT_GT(DarkPixels(plain, CRect(item.left + 28, item.top, item.right - 15, item.bottom)), 30) << "text " << i;
        EXPECT_EQ(DarkPixels(plain, CRect(item.right - 15, item.top, item.right, item.bottom)), 0);
    }

    // The chosen item: white box, one-pixel frame, flag lifted with a shadow.
    CRect usa = items[1];
    usa.OffsetRect(-popupRect.left, -popupRect.top);
    const COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    EXPECT_TRUE(Near(Pixel(chosen, usa.left, usa.top), highlight, 2)) << Describe(Pixel(chosen, usa.left, usa.top));
    EXPECT_TRUE(Near(Pixel(chosen, usa.right - 1, usa.bottom - 1), highlight, 2));
    EXPECT_TRUE(Near(Pixel(chosen, usa.left + 1, usa.top + 1), RGB(255, 255, 255), 0));
    EXPECT_TRUE(Near(Pixel(chosen, usa.right - 3, usa.top + 20), RGB(255, 255, 255), 0));
    const CRect box = OpaqueBox(m_flags[1]);
    const POINT mid{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
    EXPECT_TRUE(
        Near(Pixel(chosen, usa.left + 2 + mid.x, usa.top + 11 + mid.y), BitmapPixel(m_flags[1], mid.x, mid.y), 2))
        << "lifted flag";
    // Below the lifted flag's last row its shadow shows.
    EXPECT_TRUE(Near(Pixel(chosen, usa.left + 4 + mid.x, usa.top + 13 + box.bottom), RGB(179, 179, 217), 2))
        << Describe(Pixel(chosen, usa.left + 4 + mid.x, usa.top + 13 + box.bottom));
    // The other item keeps its plain look.
    CRect canada = items[0];
    canada.OffsetRect(-popupRect.left, -popupRect.top);
    EXPECT_TRUE(Near(Pixel(chosen, canada.right - 3, canada.top + 2), column, 2));

    // A flat frame: a dark line around a light band.
    const menu_rules::FrameColours frame =
        menu_rules::MenuFrameColours(::GetSysColor(COLOR_WINDOW), menu.GetMenuColor());
    EXPECT_TRUE(Near(Pixel(plain, 0, plain.height / 2), frame.outer, 2)) << Describe(Pixel(plain, 0, plain.height / 2));
    EXPECT_TRUE(Near(Pixel(plain, plain.width - 1, 5), frame.outer, 2));
    EXPECT_TRUE(Near(Pixel(plain, 1, plain.height / 2), frame.inner, 2)) << Describe(Pixel(plain, 1, plain.height / 2));

    EXPECT_FALSE(SaveScreenshot(gallery, "kit_country_menu.png").empty());
}

TEST_F(CountryMenuTest, EscapeSendsNothingAndEveryOpeningStartsAfresh) {
    CNewMenu menu;
    BuildCountryMenu(menu, m_flags, kCountries, 2);
    HMENU first = menu.m_hMenu;
    HWND seen = nullptr;
    Track(menu, m_window, m_button.left + 1, m_button.top + 25, [&](HWND popup) {
        seen = popup;
        PressKey(popup, VK_ESCAPE);
        return true;
    });
    EXPECT_NE(seen, nullptr);
    EXPECT_TRUE(m_window.m_commands.empty());
    // The menu window is gone and let go of.
    EXPECT_FALSE(::IsWindow(seen) && ::GetPropA(seen, "OldMenuProc"));

    BuildCountryMenu(menu, m_flags, kCountries, 2);
    EXPECT_FALSE(::IsMenu(first));
    EXPECT_EQ(menu.GetMenuItemCount(), 2);
    EXPECT_EQ(menu.m_MenuItemList.size(), 2u);
    seen = nullptr;
    Track(menu, m_window, m_button.left + 1, m_button.top + 25, [&](HWND popup) {
        seen = popup;
        ::PostMessageA(m_window.m_hWnd, WM_LBUTTONDOWN, 0, MAKELPARAM(500, 500));  // a click outside
        PressKey(popup, VK_ESCAPE);
        return true;
    });
    EXPECT_NE(seen, nullptr);
    EXPECT_TRUE(m_window.m_commands.empty());
}

TEST_F(CountryMenuTest, LongMenusAreLimitedTo300Pixels) {
    CNewMenu menu;
    const char* const texts[] = {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J"};
    BuildCountryMenu(menu, nullptr, texts, 10);
    LimitHeight(menu);
    CRect popupRect;
    Track(menu, m_window, m_button.left + 1, m_button.top + 25, [&](HWND popup) {
        ::GetWindowRect(popup, &popupRect);
        PressKey(popup, VK_ESCAPE);
        return true;
    });
    EXPECT_EQ(m_window.m_measured.size(), 10u);
    EXPECT_LE(popupRect.Height(), 300);
    EXPECT_GT(popupRect.Height(), 200);
}

// Draws item 0 of menu into a bitmap and returns its pixels.
Capture DrawDirectly(CNewMenu& menu, UINT state, int width = 250, int height = 40) {
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_MENU;
    draw.itemID = ::GetMenuItemID(menu.m_hMenu, 0);
    draw.itemAction = ODA_DRAWENTIRE;
    draw.itemState = state;
    draw.hwndItem = reinterpret_cast<HWND>(menu.m_hMenu);
    draw.hDC = dc;
    draw.rcItem = RECT{0, 0, width, height};
    draw.itemData = reinterpret_cast<ULONG_PTR>(menu.m_MenuItemList.front());
    menu.DrawItem(&draw);
    Capture capture = ReadPixels(dc, width, height);
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    return capture;
}

std::vector<int> DifferingRows(const Capture& a, const Capture& b) {
    std::vector<int> rows;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (a.At(x, y) != b.At(x, y)) {
                rows.push_back(y);
                break;
            }
    return rows;
}

TEST(NewMenuDrawing, AmpersandMarksAMnemonicThatIsUnderlinedOrHidden) {
    BOOL cues = FALSE;
    ::SystemParametersInfoA(SPI_GETKEYBOARDCUES, 0, &cues, 0);
    ::SystemParametersInfoA(SPI_SETKEYBOARDCUES, 0, reinterpret_cast<PVOID>(FALSE), 0);

    CNewMenu marked, plain;
    const char* const markedText[] = {"&Canada +1"};
    const char* const plainText[] = {"Canada +1"};
    BuildCountryMenu(marked, nullptr, markedText, 1);
    BuildCountryMenu(plain, nullptr, plainText, 1);

    const Capture plainShot = DrawDirectly(plain, 0);
    const Capture shown = DrawDirectly(marked, 0);
    const Capture hidden = DrawDirectly(marked, ODS_NOACCEL);
    EXPECT_GT(DarkPixels(plainShot, CRect(28, 0, 235, 40)), 30);
    // Hidden: exactly the text without the marker.
    EXPECT_TRUE(DifferingRows(hidden, plainShot).empty());
    // Shown: the same text plus an underline, one or two rows below it.
    const std::vector<int> rows = DifferingRows(shown, plainShot);
    ASSERT_FALSE(rows.empty()) << "no underline";
    EXPECT_LE(rows.back() - rows.front(), 1);
    EXPECT_GT(rows.front(), 20) << "the underline is below the middle";

    // With keyboard cues always on, ODS_NOACCEL hides nothing.
    ::SystemParametersInfoA(SPI_SETKEYBOARDCUES, 0, reinterpret_cast<PVOID>(TRUE), 0);
    EXPECT_FALSE(DifferingRows(DrawDirectly(marked, ODS_NOACCEL), plainShot).empty());
    ::SystemParametersInfoA(SPI_SETKEYBOARDCUES, 0, reinterpret_cast<PVOID>(static_cast<INT_PTR>(cues)), 0);
}

TEST(NewMenuDrawing, GreyedTextAndBoldDefaultItems) {
    CNewMenu menu;
    const char* const text[] = {"Canada +1"};
    BuildCountryMenu(menu, nullptr, text, 1);
    const Capture normal = DrawDirectly(menu, 0);
    const Capture greyed = DrawDirectly(menu, ODS_GRAYED);
    const Capture bold = DrawDirectly(menu, ODS_DEFAULT);
    const COLORREF grey = ::GetSysColor(COLOR_GRAYTEXT);
    int greyPixels = 0;
    for (COLORREF c : greyed.pixels)
        if (c == grey) ++greyPixels;
    EXPECT_GT(greyPixels, 10);
    EXPECT_GT(DarkPixels(bold, CRect(28, 0, 235, 40)), DarkPixels(normal, CRect(28, 0, 235, 40)));
}

TEST(NewMenuEngine, StartsWithTheXpThemeAndKeepsDrawModeAndOptionsInScopes) {
    EXPECT_TRUE(CNewMenu::IsHookInstalled());
    EXPECT_EQ(CNewMenu::GetMenuDrawMode(), static_cast<UINT>(CNewMenu::STYLE_XP));
    EXPECT_NE(dynamic_cast<CMenuThemeXP*>(CNewMenu::GetActiveTheme()), nullptr);
    EXPECT_TRUE(CNewMenu::HasThemeFunctions());
    EXPECT_TRUE(CNewMenu::HasGradientFill());
    EXPECT_EQ(CNewMenu::GetVersionClass(), menu_rules::WinVersion::XPOrLater);

    // A mode without a theme is refused.
    EXPECT_EQ(CNewMenu::SetMenuDrawMode(CNewMenu::STYLE_ORIGINAL), static_cast<UINT>(CNewMenu::STYLE_XP));
    EXPECT_EQ(CNewMenu::GetMenuDrawMode(), static_cast<UINT>(CNewMenu::STYLE_XP));

    const DWORD before = CNewMenu::GetNewMenuOptions();
    {
        CMenuDrawModeScope scope(CNewMenu::STYLE_XP);
        CNewMenu::SetNewMenuOptions(before | 0x40);
        EXPECT_EQ(CNewMenu::GetNewMenuOptions(), before | 0x40);
    }
    EXPECT_EQ(CNewMenu::GetNewMenuOptions(), before);
}

TEST(NewMenuEngine, PicturesShareListsByTheirSizeThreeImagesEach) {
    EnsureGdiplus();
    CBitmap flag, big;
    ASSERT_TRUE(LoadFlag(ID_COUNTRY_CANADA, flag));
    {
        CClientDC screen(nullptr);
        ASSERT_TRUE(big.CreateCompatibleBitmap(&screen, 24, 24));
    }
    CNewMenuBitmaps* small = CNewMenuBitmaps::ForSize(CSize(16, 16));
    const int before = small->GetImageCount();

    CNewMenu a, b;
    a.CreatePopupMenu();
    b.CreatePopupMenu();
    EXPECT_EQ(a.m_iconX, 16);
    EXPECT_EQ(a.m_iconY, 15);
    ASSERT_TRUE(a.InsertODMenu(0, MF_BYPOSITION | MF_STRING, 171, "Canada +1", &flag));
    ASSERT_TRUE(b.InsertODMenu(0, MF_BYPOSITION | MF_STRING, 171, "Canada +1", &flag));
    EXPECT_EQ(small->GetImageCount(), before + 6);
    EXPECT_EQ(a.m_MenuItemList[0]->m_pMenuIcon, small);
    EXPECT_EQ(a.m_MenuItemList[0]->m_nMenuIconOffset, before);
    EXPECT_EQ(b.m_MenuItemList[0]->m_nMenuIconOffset, before + 3);
    EXPECT_EQ(a.m_iconY, 16) << "the cell grows to the picture";

    // The caller's bitmap is left as it was.
    EXPECT_EQ(BitmapPixel(flag, 0, 0), kFlagBackground);

    ASSERT_TRUE(a.InsertODMenu(1, MF_BYPOSITION | MF_STRING, 172, "Big", &big));
    EXPECT_NE(a.m_MenuItemList[1]->m_pMenuIcon, small);
    EXPECT_EQ(a.m_MenuItemList[1]->m_pMenuIcon, CNewMenuBitmaps::ForSize(CSize(24, 24)));
    EXPECT_EQ(a.m_iconX, 24);

    // Items are owner-drawn, carry their data, and a zero ID is a separator.
    ASSERT_TRUE(a.InsertODMenu(2, MF_BYPOSITION | MF_STRING, 0, nullptr, nullptr));
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_DATA;
    ASSERT_TRUE(::GetMenuItemInfoA(a.m_hMenu, 0, TRUE, &info));
    EXPECT_TRUE(info.fType & MFT_OWNERDRAW);
    EXPECT_EQ(info.dwItemData, reinterpret_cast<ULONG_PTR>(a.m_MenuItemList[0]));
    ASSERT_TRUE(::GetMenuItemInfoA(a.m_hMenu, 2, TRUE, &info));
    EXPECT_TRUE(info.fType & MFT_SEPARATOR);
    EXPECT_TRUE(a.m_MenuItemList[2]->m_nFlags & MF_SEPARATOR);
    EXPECT_EQ(a.m_MenuItemList[2]->m_nMenuIconOffset, -1);

    // Appending past the end lands at the end.
    ASSERT_TRUE(a.InsertODMenu(99, MF_BYPOSITION | MF_STRING, 173, "Last", nullptr));
    EXPECT_EQ(::GetMenuItemID(a.m_hMenu, 3), 173u);
    ASSERT_TRUE(::GetMenuItemInfoA(a.m_hMenu, 3, TRUE, &info));
    EXPECT_EQ(info.dwItemData, reinterpret_cast<ULONG_PTR>(a.m_MenuItemList[3]));

    // By command: before the item with that command.
    ASSERT_TRUE(a.InsertODMenu(172, MF_BYCOMMAND | MF_STRING, 170, "Before big", nullptr));
    EXPECT_EQ(::GetMenuItemID(a.m_hMenu, 1), 170u);
    EXPECT_EQ(::GetMenuItemID(a.m_hMenu, 2), 172u);
    ASSERT_TRUE(::GetMenuItemInfoA(a.m_hMenu, 1, TRUE, &info));
    EXPECT_TRUE(info.fType & MFT_OWNERDRAW);
    EXPECT_EQ(info.dwItemData, reinterpret_cast<ULONG_PTR>(a.m_MenuItemList[4]));

    // A menu that is gone refuses items.
    a.DestroyMenu();
    EXPECT_TRUE(a.m_MenuItemList.empty());
    EXPECT_FALSE(a.InsertODMenu(0, MF_BYPOSITION, 171, "x", nullptr));
}

}  // namespace
