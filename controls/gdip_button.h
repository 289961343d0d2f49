// The image push button: an owner-drawn button whose faces are PNG images
// alpha-blended over the parent's background under the button. Pictures for
// the normal, pressed and hover states are composed once, on the first colour
// request before the first paint, and copied on every paint after that. The
// images themselves are the process's shared ones (CResourceImageCache): the
// button only points at them.
#pragma once

#include "controls/gdiplus_bitmap.h"
#include "framework/win/framework.h"

class CGdipButton : public CButton {
public:
    CGdipButton() = default;
    ~CGdipButton() override;

    // Each returns whether the image was decoded; the presence flag is set either way.
    BOOL LoadAlternateImage(UINT id, const char* type);
    BOOL LoadStandardImage(UINT id, const char* type);
    BOOL LoadHoverImage(UINT id, const char* type);
    BOOL LoadDisabledImage(UINT id, const char* type);

    void DrawItem(LPDRAWITEMSTRUCT draw) override;
    // A double click counts as a second press.
    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    void PreSubclassWindow() override;

    BOOL OnEraseBkgnd(CDC* dc);
    HBRUSH CtlColor(CDC* dc, UINT ctlColor);
    void OnMouseMove(UINT flags, CPoint point);
    void OnMouseLeave();
    void OnMouseHover(UINT flags, CPoint point);

    // One picture: the background surface, then image drawn over it one pixel
    // right and down, kept in surface. FALSE when the surface cannot be made.
    bool ComposePicture(CDC* scratch, Gdiplus::Graphics& graphics, const CGdiPlusBitmapResource* image, CDC& surface,
                        CBitmap& bitmap, HGDIOBJ& oldBitmap);
    // A memory DC like `like` holding a new width x height bitmap; FALSE (and
    // nothing kept) when either cannot be made.
    virtual BOOL MakeSurface(CDC* like, int width, int height, CDC& surface, CBitmap& bitmap, HGDIOBJ& oldBitmap);
    static void FreeSurface(CDC& surface, CBitmap& bitmap, HGDIOBJ& oldBitmap);
    // Points the slot at the shared image, or at an empty one when it cannot
    // be decoded, so a loaded slot is never null.
    static bool LoadSlot(const CGdiPlusBitmapResource*& slot, UINT id, const char* type);

    // Shared, not owned.
    const CGdiPlusBitmapResource* m_pAltImage = nullptr;
    const CGdiPlusBitmapResource* m_pStdImage = nullptr;
    const CGdiPlusBitmapResource* m_pHoverImage = nullptr;
    const CGdiPlusBitmapResource* m_pDisabledImage = nullptr;
    BOOL m_bHaveAltImage = FALSE;
    BOOL m_bHaveHoverImage = FALSE;
    BOOL m_bHaveDisabledImage = FALSE;

    BOOL m_bRendered = FALSE;
    BOOL m_bIsHovering = FALSE;
    BOOL m_bIsTracking = FALSE;

    // Picture surfaces: background, normal, pressed, hover.
    CBitmap m_bmpBk, m_bmpStd, m_bmpStdP, m_bmpStdH;
    CDC m_dcBk, m_dcStd, m_dcStdP, m_dcStdH;
    HGDIOBJ m_oldBk = nullptr, m_oldStd = nullptr, m_oldStdP = nullptr, m_oldStdH = nullptr;
    CDC* m_pCurBtn = nullptr;

    DECLARE_MESSAGE_MAP()
};
