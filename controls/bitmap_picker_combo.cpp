#include "controls/bitmap_picker_combo.h"

void CBitmapPickerCombo::MeasureItem(LPMEASUREITEMSTRUCT measure) {
    // One pixel of room around the bitmap on every side.
    measure->itemWidth = static_cast<UINT>(m_nItemWidth + 2);
    measure->itemHeight = static_cast<UINT>(m_nItemHeight + 2);
}

void CBitmapPickerCombo::DrawItem(LPDRAWITEMSTRUCT draw) {
    // Entries carry no bitmaps yet: the text sits where the bitmap column ends.
    const bool selected = (draw->itemState & ODS_SELECTED) != 0;
    ::FillRect(draw->hDC, &draw->rcItem, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (static_cast<int>(draw->itemID) < 0) return;
    CString text;
    GetLBText(static_cast<int>(draw->itemID), text);
    RECT rect = draw->rcItem;
    rect.left += m_nItemWidth + 4;
    const int oldMode = ::SetBkMode(draw->hDC, TRANSPARENT);
    const COLORREF oldColour =
        ::SetTextColor(draw->hDC, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    ::DrawTextA(draw->hDC, text, text.GetLength(), &rect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    ::SetTextColor(draw->hDC, oldColour);
    ::SetBkMode(draw->hDC, oldMode);
}
