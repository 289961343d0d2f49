// Menus. A menu object attached to a handle is found again by FromHandle;
// owner-drawn items of an attached menu are drawn and measured by its
// DrawItem / MeasureItem when the owner window leaves the requests to the
// framework.
#pragma once

#include "framework/win/wnd.h"

class CMenu : public CObject {
public:
    CMenu() = default;
    ~CMenu() override;  // destroys the attached menu
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    static CMenu* FromHandle(HMENU handle);
    static CMenu* FromHandlePermanent(HMENU handle);
    // The attached menu that holds an item with this command ID.
    static CMenu* FindPermanentForItem(UINT id);

    HMENU GetSafeHmenu() const { return m_hMenu; }
    operator HMENU() const { return m_hMenu; }  // NOLINT(google-explicit-constructor)
    BOOL Attach(HMENU handle);
    HMENU Detach();
    BOOL CreateMenu() { return Attach(::CreateMenu()); }
    BOOL CreatePopupMenu() { return Attach(::CreatePopupMenu()); }
    // Menus that own more than the handle release that too.
    virtual BOOL DestroyMenu();

    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, const char* item = nullptr) {
        return ::AppendMenuA(m_hMenu, flags, id, item);
    }
    BOOL InsertMenu(UINT position, UINT flags, UINT_PTR id = 0, const char* item = nullptr) {
        return ::InsertMenuA(m_hMenu, position, flags, id, item);
    }
    BOOL ModifyMenu(UINT position, UINT flags, UINT_PTR id = 0, const char* item = nullptr) {
        return ::ModifyMenuA(m_hMenu, position, flags, id, item);
    }
    BOOL DeleteMenu(UINT position, UINT flags) { return ::DeleteMenu(m_hMenu, position, flags); }
    int GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
    UINT GetMenuItemID(int position) const { return ::GetMenuItemID(m_hMenu, position); }
    BOOL SetMenuInfo(LPCMENUINFO info) { return ::SetMenuInfo(m_hMenu, info); }
    BOOL GetMenuInfo(LPMENUINFO info) const { return ::GetMenuInfo(m_hMenu, info); }
    BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, LPCRECT rect = nullptr) {
        return ::TrackPopupMenu(m_hMenu, flags, x, y, 0, owner ? owner->m_hWnd : nullptr, rect);
    }

    virtual void DrawItem(LPDRAWITEMSTRUCT) {}
    virtual void MeasureItem(LPMEASUREITEMSTRUCT) {}

    HMENU m_hMenu = nullptr;

private:
    bool m_temporary = false;
    friend struct TemporaryMenu;
};
