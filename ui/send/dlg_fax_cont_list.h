// One recipient in the fax-number panel: its kind icon, its text, an
// organisation's member count and a button that removes it. Rows are made
// afresh on every rebuild of the panel, so a row's index is always the
// entry's place in the recipient lists.
#pragma once

#include "controls/bitmap_dialog.h"
#include "controls/gdip_button.h"
#include "ui/send/fax_rows.h"

// Posted to the send-fax window with the entry's index in wParam: the row
// that asks is destroyed by the removal, so it must not happen inside its
// own click handler.
constexpr UINT WM_REMOVE_RECIPIENT = WM_APP + 31;

class CDlgFaxContList : public CBitmapDialog {
public:
    explicit CDlgFaxContList(const FaxRowPlan& plan, CWnd* parent = nullptr);

    int m_nIndex;
    CString m_strDisplay;
    CString m_strCount;
    CString m_strTooltip;

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    void DoDataExchange(CDataExchange* exchange) override;
    BOOL OnInitDialog() override;
    // Enter and Escape mean nothing inside a row.
    void OnOK() override {}
    void OnCancel() override {}
    void OnRemove();

    unsigned m_kindIcon;
    bool m_peopleShown;
    CToolTipCtrl m_tooltip;
    CFont m_fontText;   // "Montserrat" 10 pixels
    CFont m_fontSmall;  // "Montserrat" 7 pixels
    CStatic m_text;
    CStatic m_count;
    CGdipButton m_remove;
    CGdipButton m_kind;
    CGdipButton m_people;

    DECLARE_MESSAGE_MAP()
};
