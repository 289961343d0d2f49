// The picker's scrolling panel: one row per record of the page on show,
// stacked from the top, and a vertical scroll bar when they do not fit.
#pragma once

#include "controls/bitmap_dialog.h"
#include "ui/common/panel_scroller.h"
#include "ui/common/window_scroll_surface.h"
#include "ui/contacts/dlg_con_cont_list.h"

#include <memory>
#include <vector>

class CConContainer : public CBitmapDialog {
public:
    CConContainer();
    ~CConContainer() override;

    // Back to the top with no bar, the old rows destroyed, room for n rows.
    BOOL PrepareRows(int n);
    // Shows the rows that take a place in the layout; the content ends at bottom.
    int ShowRows(int bottom);

    // The rows of the page, in list order. Slots are filled by the picker.
    std::vector<std::unique_ptr<CDlgConContList>> m_rows;
    int m_nRows = 0;
    CPanelScroller& Scroller() { return *m_pScroller; }

protected:
    BOOL OnInitDialog() override;
    // Enter and Escape in the panel neither close it nor reach the picker.
    void OnOK() override {}
    void OnCancel() override {}
    void OnVScroll(UINT code, UINT position, CScrollBar* bar);
    BOOL OnMouseWheel(UINT flags, short delta, CPoint point);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnDestroy();
    void DestroyRows();

    WindowScrollSurface m_surface;
    std::unique_ptr<CPanelScroller> m_pScroller;

    DECLARE_MESSAGE_MAP()
};
