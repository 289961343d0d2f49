// Owner-drawn pop-up menus in a flat style: every item shows a picture in a
// light column and its text; the selected item is a white box with a
// one-pixel frame, and the menu window gets a flat border instead of the
// system's 3-D one.
//
// A menu is built like this (the previous contents go first, so reopening
// never piles items up):
//
//   m_menu.DestroyMenu();
//   {
//       CMenuDrawModeScope scope(CNewMenu::STYLE_XP);
//       m_menu.CreatePopupMenu();
//       m_menu.InsertODMenu(0, MF_BYPOSITION | MF_STRING, 171, "Canada +1", &flag);
//   }
//   MENUINFO info{sizeof info, MIM_MAXHEIGHT};
//   info.cyMax = 300;
//   m_menu.SetMenuInfo(&info);
//   m_menu.TrackPopupMenu(TPM_VERTICAL, x, y, this);
//
// The owner window may answer WM_MEASUREITEM itself; WM_DRAWITEM left to the
// framework reaches CNewMenu::DrawItem through the menu's handle.
//
// The engine starts with the process (before the application object runs):
// it classifies the Windows version, reads the high-contrast setting, loads
// uxtheme.dll and Msimg32.dll when present, makes the XP theme current and
// hooks window creation on that thread to restyle menu windows.
#pragma once

#include "controls/menu/menu_colours.h"
#include "framework/win/framework.h"

#include <commctrl.h>

#include <vector>

class CNewMenu;

// The pictures of one size. Every bitmap takes three images: the picture,
// a greyed copy and a faded copy.
class CNewMenuIcons : public CObject {
public:
    CNewMenuIcons() = default;
    ~CNewMenuIcons() override;
    CNewMenuIcons(const CNewMenuIcons&) = delete;
    CNewMenuIcons& operator=(const CNewMenuIcons&) = delete;

    // A copy of image index as an icon (the caller destroys it); null if none.
    HICON GetIcon(int index) const;
    int GetImageCount() const;

    HIMAGELIST m_hImageList = nullptr;
    CSize m_size;
};

class CNewMenuBitmaps : public CNewMenuIcons {
public:
    // The index of the picture's first image, or -1 when it cannot be added.
    // transparent is the key colour; CLR_DEFAULT takes the top-left pixel.
    int Add(CBitmap* bitmap, COLORREF transparent);

    // The shared list for pictures of this size, made on first use.
    static CNewMenuBitmaps* ForSize(CSize size);
    // Every shared list (for tests and for the engine's shut-down).
    static std::vector<CNewMenuBitmaps*>& All();
};

// One item of a CNewMenu; its address is the item's owner-draw data.
class CNewMenuItemData : public CObject {
public:
    CString m_szMenuText;
    UINT m_nID = 0;
    UINT m_nFlags = 0;
    CNewMenuIcons* m_pMenuIcon = nullptr;
    int m_nMenuIconOffset = -1;  // -1: no picture
};

// How menus are measured and painted, and how their windows are dressed.
class CMenuTheme : public CObject {
public:
    enum : DWORD { FrameFlat = 0x1 };  // the theme paints the menu window's border

    virtual void MeasureItem(CNewMenu* menu, LPMEASUREITEMSTRUCT measure);
    virtual void DrawItem(CNewMenu* menu, LPDRAWITEMSTRUCT draw) = 0;
    // A menu window was created / is going: styles off and back on.
    virtual void OnInitWnd(HWND window);
    virtual void OnUnInitWnd(HWND window, DWORD style, DWORD exStyle);
    // The border of the menu window, on dc (a window DC), thickness pixels wide.
    virtual void PaintBorder(HWND window, HDC dc, int thickness);

    DWORD m_dwFlags = 0;
};

class CMenuThemeXP : public CMenuTheme {
public:
    CMenuThemeXP() { m_dwFlags = FrameFlat; }
    void DrawItem(CNewMenu* menu, LPDRAWITEMSTRUCT draw) override;
};

class CNewMenu : public CMenu {
public:
    // Draw modes; this build has the XP theme only.
    enum : UINT { STYLE_ORIGINAL = 0, STYLE_ORIGINAL_NOBORDER = 1, STYLE_XP = 2 };

    CNewMenu();
    ~CNewMenu() override;

    // Deletes the owned item data, then the menu itself.
    BOOL DestroyMenu() override;

    // Inserts an owner-drawn item at position (MF_BYPOSITION) or before
    // command position, with its text and picture (bitmap may be null). A
    // zero id makes a separator. Returns the result of turning the item
    // owner-drawn.
    BOOL InsertODMenu(UINT position, UINT flags, UINT_PTR id, const char* text, CBitmap* bitmap);

    void DrawItem(LPDRAWITEMSTRUCT draw) override;
    void MeasureItem(LPMEASUREITEMSTRUCT measure) override;

    // The item data of an owner-drawn item of this menu; null if none.
    CNewMenuItemData* FindItemData(UINT_PTR itemData) const;
    // The menu colour the items are drawn over.
    COLORREF GetMenuColor() const;

    // Current draw mode: a mode without a theme is refused (the old mode
    // stays); returns the previous mode.
    static UINT SetMenuDrawMode(UINT mode);
    static UINT GetMenuDrawMode();
    static DWORD SetNewMenuOptions(DWORD options);
    static DWORD GetNewMenuOptions();
    static CMenuTheme* GetActiveTheme();

    // What the engine found at start-up.
    static menu_rules::WinVersion GetVersionClass();
    static BOOL IsHighContrast();
    static BOOL IsHookInstalled();
    static BOOL HasThemeFunctions();  // uxtheme's IsThemeActive and SetWindowTheme
    static BOOL HasGradientFill();    // Msimg32's GradientFill
    static BOOL IsThemeActive();

    std::vector<CNewMenuItemData*> m_MenuItemList;  // owned
    int m_iconX = 16;
    int m_iconY = 15;
    COLORREF m_bitmapBackground = RGB(0xF4, 0xF8, 0xF9);  // 0xF9F8F4
    COLORREF m_clrTransparent = CLR_DEFAULT;
};

// Draw mode and options for the time menus are built; both come back after.
class CMenuDrawModeScope {
public:
    explicit CMenuDrawModeScope(UINT mode);
    ~CMenuDrawModeScope();
    CMenuDrawModeScope(const CMenuDrawModeScope&) = delete;
    CMenuDrawModeScope& operator=(const CMenuDrawModeScope&) = delete;

private:
    UINT m_oldMode;
    DWORD m_oldOptions;
};
