// One contact in the picker's panel: kind icon, name, an organisation's
// member count and member toggle, fax number. A click ticks or unticks it;
// the tick is shown by the background and read by "Select". Rows are made
// afresh for every page, so nothing of a row outlives it.
#pragma once

#include "controls/bitmap_dialog.h"
#include "controls/gdip_button.h"
#include "ui/contacts/contact_rows.h"

class CDlgConContList : public CBitmapDialog {
public:
    // owner is the picker, the construction parent only; the window is made
    // as a child of the panel. A pre-chosen row looks chosen until clicked.
    CDlgConContList(CWnd* owner, int listIndex, const ContactRowView& view, bool preChosen);

    // What the row shows, read from its record: the picker collects from it.
    const ContactRowView& View() const { return m_view; }
    int m_nListIndex;
    int m_nTicked = 0;
    int m_nVisible = 1;

protected:
    void DoDataExchange(CDataExchange* exchange) override;
    BOOL OnInitDialog() override;
    // Enter and Escape mean nothing inside a row.
    void OnOK() override {}
    void OnCancel() override {}
    void OnLButtonDown(UINT flags, CPoint point);
    void OnPaint();
    void OnChildActivate();
    void OnActivateApp(BOOL active, DWORD thread);
    void OnHideMembers();
    void OnShowMembers();
    // Tells the picker (the panel's parent) to lay the rows out again.
    void ToggleMembers();

    ContactRowView m_view;
    bool m_bPreChosen;
    CFont m_fontText;
    CStatic m_name;
    CStatic m_fax;
    CStatic m_count;
    CGdipButton m_kind;
    CGdipButton m_memberIcon;
    CGdipButton m_hideMembers;
    CGdipButton m_showMembers;

    DECLARE_MESSAGE_MAP()
};

// Sent by a row to the picker: lay the rows out again after the members of
// the organisation with list index wParam were hidden or shown.
constexpr UINT WM_TOGGLE_MEMBERS = WM_APP + 41;
