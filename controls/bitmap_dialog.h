// The base of every skinned window: a bitmap stretched over the client area,
// dragging by the surface, and statics drawn straight onto the bitmap.
#pragma once

#include "framework/win/framework.h"

class CBitmapDialog : public CDialogEx {
public:
    CBitmapDialog(UINT idTemplate, CWnd* parent = nullptr);
    ~CBitmapDialog() override;

    // Replaces the background with bitmap resource id. Does not repaint:
    // callers of a visible window invalidate it. FALSE leaves no background.
    BOOL SetBackgroundBitmap(UINT idResource);
    void SetDragAnywhere(BOOL drag) { m_bDragAnywhere = drag; }

    // lfHeight for a character height of pixels (no DPI scaling).
    static LONG FontHeight(int pixels) { return -pixels; }

protected:
    BOOL OnEraseBkgnd(CDC* dc);
    void OnLButtonDown(UINT flags, CPoint point);
    HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);
    // Minimised without a window manager's taskbar button: the window paints
    // its own icon, centred.
    void PaintIconic(HICON icon);

    BOOL m_bTransparentStatics = TRUE;
    HBRUSH m_hollowBrush;
    BOOL m_bDragAnywhere = FALSE;
    BOOL m_bOwnsBitmap = FALSE;
    BOOL m_bHasBitmap = FALSE;
    CBitmap* m_pBackground = nullptr;

    DECLARE_MESSAGE_MAP()
};
