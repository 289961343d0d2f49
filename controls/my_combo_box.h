// The cover-page list: a flat white drop-down list of plain texts. The
// selected entry is written in grey on the same white as the others (no
// highlight bar), and the sunken frame is painted over with a flat one.
#pragma once

#include "framework/win/framework.h"

class CMyComboBox : public CComboBox {
public:
    CMyComboBox();
    ~CMyComboBox() override;

    void DrawItem(LPDRAWITEMSTRUCT draw) override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

protected:
    void OnDrawItem(int id, LPDRAWITEMSTRUCT draw);
    void OnPaint();
    // The window that owns the list never sees these.
    void OnDropdown() {}
    void OnCloseup() {}

    CBrush m_brBackground;
    CFont m_fontItems;
    int m_nButtonWidth;
    COLORREF m_clrSelectedText;
    COLORREF m_clrBorder;

    DECLARE_MESSAGE_MAP()
};
