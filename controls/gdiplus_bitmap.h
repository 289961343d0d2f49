// GDI+ bitmaps from images in the executable's resources (the PNG button
// faces). The resource variant keeps its own copy of the bytes, because a
// GDI+ bitmap made from a stream may read that stream for as long as it lives.
#pragma once

#include <windows.h>

#include <gdiplus.h>

class CGdiPlusBitmap {
public:
    CGdiPlusBitmap() = default;
    virtual ~CGdiPlusBitmap() { CGdiPlusBitmap::ReleaseImage(); }
    CGdiPlusBitmap(const CGdiPlusBitmap&) = delete;
    CGdiPlusBitmap& operator=(const CGdiPlusBitmap&) = delete;

    // Deletes the bitmap; the object is empty afterwards.
    virtual void ReleaseImage();

    operator Gdiplus::Bitmap*() const { return m_pBitmap; }  // NOLINT(google-explicit-constructor): for GDI+

    Gdiplus::Bitmap* m_pBitmap = nullptr;
};

class CGdiPlusBitmapResource : public CGdiPlusBitmap {
public:
    CGdiPlusBitmapResource() = default;
    ~CGdiPlusBitmapResource() override { CGdiPlusBitmapResource::ReleaseImage(); }

    // Deletes the bitmap, then unlocks and frees the copy of the bytes.
    void ReleaseImage() override;

    // Replaces the image with resource id (or name) of the given type from
    // module (null: the executable). false leaves the object empty.
    bool LoadFromResource(UINT id, const char* type, HMODULE module = nullptr);
    bool LoadFromResource(const char* name, const char* type, HMODULE module = nullptr);

    HGLOBAL m_hBuffer = nullptr;  // movable, locked while an image is loaded
};
