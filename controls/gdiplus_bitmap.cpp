#include "controls/gdiplus_bitmap.h"

#include "controls/resource_data.h"

#include <cstring>
#include <objidl.h>

void CGdiPlusBitmap::ReleaseImage() {
    delete m_pBitmap;
    m_pBitmap = nullptr;
}

void CGdiPlusBitmapResource::ReleaseImage() {
    CGdiPlusBitmap::ReleaseImage();
    if (m_hBuffer) {
        ::GlobalUnlock(m_hBuffer);
        ::GlobalFree(m_hBuffer);
        m_hBuffer = nullptr;
    }
}

bool CGdiPlusBitmapResource::LoadFromResource(UINT id, const char* type, HMODULE module) {
    return LoadFromResource(MAKEINTRESOURCEA(id), type, module);
}

bool CGdiPlusBitmapResource::LoadFromResource(const char* name, const char* type, HMODULE module) {
    ReleaseImage();

    const ResourceData data = FindResourceData(module, name, type);
    if (!data.bytes) return false;
    const void* bytes = data.bytes;
    const DWORD size = data.size;

    m_hBuffer = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (!m_hBuffer) return false;
    if (void* buffer = ::GlobalLock(m_hBuffer)) {
        std::memcpy(buffer, bytes, size);
        IStream* stream = nullptr;
        if (::CreateStreamOnHGlobal(m_hBuffer, FALSE, &stream) == S_OK) {
            m_pBitmap = Gdiplus::Bitmap::FromStream(stream, FALSE);
            stream->Release();  // the bitmap keeps its own reference
            if (m_pBitmap && m_pBitmap->GetLastStatus() == Gdiplus::Ok) return true;
            delete m_pBitmap;
            m_pBitmap = nullptr;
        }
        ::GlobalUnlock(m_hBuffer);
    }
    ::GlobalFree(m_hBuffer);
    m_hBuffer = nullptr;
    return false;
}
