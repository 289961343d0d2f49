#include "framework/win/menu.h"

#include "framework/win/handle_maps.h"

namespace {

PermanentHandles<HMENU, CMenu>& PermanentMenus() { return PermanentHandles<HMENU, CMenu>::Instance(); }

}  // namespace

struct TemporaryMenu : CMenu {
    explicit TemporaryMenu(HMENU handle) {
        m_hMenu = handle;
        m_temporary = true;
    }
};

CMenu::~CMenu() {
    if (m_temporary) {
        m_hMenu = nullptr;
        return;
    }
    DestroyMenu();
}

CMenu* CMenu::FromHandlePermanent(HMENU handle) { return handle ? PermanentMenus().Find(handle) : nullptr; }

CMenu* CMenu::FromHandle(HMENU handle) {
    if (!handle) return nullptr;
    if (CMenu* menu = FromHandlePermanent(handle)) return menu;
    return TemporaryWrapper<TemporaryMenu>(
        handle, [](HMENU h) { return new TemporaryMenu(h); }, [](HMENU h) { return ::IsMenu(h) != FALSE; });
}

CMenu* CMenu::FindPermanentForItem(UINT id) {
    return PermanentMenus().FindIf(
        [id](HMENU menu) { return ::GetMenuState(menu, id, MF_BYCOMMAND) != static_cast<UINT>(-1); });
}

BOOL CMenu::Attach(HMENU handle) {
    if (!handle || m_hMenu) return FALSE;
    if (!PermanentMenus().Add(handle, this)) return FALSE;
    m_hMenu = handle;
    return TRUE;
}

HMENU CMenu::Detach() {
    HMENU handle = m_hMenu;
    if (handle && !m_temporary) {
        PermanentMenus().Remove(handle, this);
    }
    m_hMenu = nullptr;
    return handle;
}

BOOL CMenu::DestroyMenu() {
    if (!m_hMenu) return FALSE;
    return ::DestroyMenu(Detach());
}
