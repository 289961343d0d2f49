// PNG button faces decoded once per process and shared read-only by every
// image button that shows them: a window of many rows would otherwise decode
// the same few images again for each row. Used on the window's thread only.
//
// The cache owns the images. It frees them at exit, or earlier through
// ReleaseAll, which must run before GdiplusShutdown by whoever shuts GDI+
// down, once no button draws from them any more.
#pragma once

#include "controls/gdiplus_bitmap.h"

#include <map>
#include <memory>
#include <string>
#include <tuple>

class CResourceImageCache {
public:
    CResourceImageCache() = default;
    ~CResourceImageCache() { ReleaseAll(); }
    CResourceImageCache(const CResourceImageCache&) = delete;
    CResourceImageCache& operator=(const CResourceImageCache&) = delete;

    // The one of the whole program, which the image buttons load from.
    static CResourceImageCache& Shared();

    // The image of resource id and type in module (null: the executable),
    // decoded on the first request. Null when it cannot be decoded; that is
    // not remembered, so a later request tries again.
    const CGdiPlusBitmapResource* Find(UINT id, const char* type, HMODULE module = nullptr);

    // Frees every image; pointers handed out before are invalid afterwards.
    void ReleaseAll();

    // How many images are held, each decoded once.
    size_t Size() const { return m_images.size(); }

private:
    using Key = std::tuple<HMODULE, UINT, std::string>;
    std::map<Key, std::unique_ptr<CGdiPlusBitmapResource>> m_images;
};
