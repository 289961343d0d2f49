#include "framework/win/menu.h"

#include <memory>
#include <mutex>
#include <unordered_map>

namespace {

std::mutex& MapLock() {
    static auto* lock = new std::mutex;
    return *lock;
}
std::unordered_map<HMENU, CMenu*>& PermanentMenus() {
    // Never destroyed: objects with static storage may detach at exit.
    static auto* map = new std::unordered_map<HMENU, CMenu*>;
    return *map;
}

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

CMenu* CMenu::FromHandlePermanent(HMENU handle) {
    if (!handle) return nullptr;
    std::lock_guard<std::mutex> lock(MapLock());
    auto found = PermanentMenus().find(handle);
    return found == PermanentMenus().end() ? nullptr : found->second;
}

CMenu* CMenu::FromHandle(HMENU handle) {
    if (!handle) return nullptr;
    if (CMenu* menu = FromHandlePermanent(handle)) return menu;
    thread_local std::unordered_map<HMENU, std::unique_ptr<TemporaryMenu>> temporaries;
    auto found = temporaries.find(handle);
    if (found != temporaries.end()) return found->second.get();
    if (temporaries.size() > 128) {
        for (auto it = temporaries.begin(); it != temporaries.end();) {
            if (!::IsMenu(it->first)) it = temporaries.erase(it);
            else ++it;
        }
    }
    auto* wrapper = new TemporaryMenu(handle);
    temporaries.emplace(handle, std::unique_ptr<TemporaryMenu>(wrapper));
    return wrapper;
}

CMenu* CMenu::FindPermanentForItem(UINT id) {
    std::lock_guard<std::mutex> lock(MapLock());
    for (auto& entry : PermanentMenus()) {
        if (::GetMenuState(entry.first, id, MF_BYCOMMAND) != static_cast<UINT>(-1)) return entry.second;
    }
    return nullptr;
}

BOOL CMenu::Attach(HMENU handle) {
    if (!handle || m_hMenu) return FALSE;
    std::lock_guard<std::mutex> lock(MapLock());
    if (PermanentMenus().count(handle)) return FALSE;
    PermanentMenus()[handle] = this;
    m_hMenu = handle;
    return TRUE;
}

HMENU CMenu::Detach() {
    HMENU handle = m_hMenu;
    if (handle && !m_temporary) {
        std::lock_guard<std::mutex> lock(MapLock());
        auto found = PermanentMenus().find(handle);
        if (found != PermanentMenus().end() && found->second == this) PermanentMenus().erase(found);
    }
    m_hMenu = nullptr;
    return handle;
}

BOOL CMenu::DestroyMenu() {
    if (!m_hMenu) return FALSE;
    return ::DestroyMenu(Detach());
}
