// The fax-number panel: a borderless child of the send-fax window holding
// one row per recipient and a vertical scroll bar. It is only a view of the
// recipient lists; every change to them ends with a full rebuild.
#pragma once

#include "controls/bitmap_dialog.h"
#include "ui/common/panel_scroller.h"
#include "ui/common/window_scroll_surface.h"
#include "ui/send/dlg_fax_cont_list.h"
#include "ui/send/fax_rows.h"

#include <memory>
#include <vector>

class CFaxContainer : public CBitmapDialog {
public:
    CFaxContainer();
    ~CFaxContainer() override;

    // Destroys every row and makes the planned ones, scrolled to the top.
    void Rebuild(const FaxPanelPlan& plan);
    int GetRowCount() const { return static_cast<int>(m_rows.size()); }
    CDlgFaxContList* GetRow(int i) const { return m_rows[static_cast<size_t>(i)].get(); }
    CPanelScroller& Scroller() { return *m_pScroller; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    void OnVScroll(UINT code, UINT position, CScrollBar* bar);
    BOOL OnMouseWheel(UINT flags, short delta, CPoint point);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnDestroy();
    void DestroyRows();

    WindowScrollSurface m_surface;
    std::unique_ptr<CPanelScroller> m_pScroller;
    std::vector<std::unique_ptr<CDlgFaxContList>> m_rows;

    DECLARE_MESSAGE_MAP()
};
