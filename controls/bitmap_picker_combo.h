// A drop-down list with a bitmap beside each entry. Every entry is measured
// to fit the largest bitmap among the entries.
#pragma once

#include "framework/win/framework.h"

class CBitmapPickerCombo : public CComboBox {
public:
    void MeasureItem(LPMEASUREITEMSTRUCT measure) override;
    void DrawItem(LPDRAWITEMSTRUCT draw) override;

protected:
    int m_nItemWidth = 0;   // largest bitmap width among the entries
    int m_nItemHeight = 0;  // largest bitmap height among the entries
};
