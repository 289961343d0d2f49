#include "controls/resource_image_cache.h"

#include <utility>

CResourceImageCache& CResourceImageCache::Shared() {
    static CResourceImageCache cache;
    return cache;
}

const CGdiPlusBitmapResource* CResourceImageCache::Find(UINT id, const char* type, HMODULE module) {
    if (!module) module = ::GetModuleHandleA(nullptr);  // one entry, however the executable is named
    // A type may be a name or a number, as resource types are.
    Key key{module, id, IS_INTRESOURCE(type) ? "#" + std::to_string(reinterpret_cast<ULONG_PTR>(type)) : type};
    auto found = m_images.find(key);
    if (found != m_images.end()) return found->second.get();
    auto image = std::make_unique<CGdiPlusBitmapResource>();
    if (!image->LoadFromResource(id, type, module)) return nullptr;
    return m_images.emplace(std::move(key), std::move(image)).first->second.get();
}

void CResourceImageCache::ReleaseAll() { m_images.clear(); }
