// An off-screen copy of a rectangle of a DC: drawing goes to a memory bitmap
// whose window origin is the rectangle's top-left, and the result is copied
// onto the original DC when the object goes away.
#pragma once

#include "framework/win/gdi.h"

class CMemDC1 : public CDC {
public:
    // rect in the original DC's logical coordinates; null: its clip box.
    CMemDC1(CDC* dc, const RECT* rect = nullptr);
    ~CMemDC1() override;

    CMemDC1* operator->() { return this; }
    operator CMemDC1*() { return this; }  // NOLINT(google-explicit-constructor)

private:
    CDC* m_pDC;
    CBitmap m_bitmap;
    HGDIOBJ m_oldBitmap = nullptr;
    CRect m_rect;
};
