// The contact picker "Select Contacts": search, sort, pages and rows of the
// account's contacts. The send-fax window fills m_lists with the recipients
// it has, runs the picker modally and, after OK, merges what m_lists holds.
#pragma once

#include "controls/bitmap_dialog.h"
#include "controls/gdip_button.h"
#include "framework/notifier.h"
#include "service/service_endpoint.h"
#include "ui/common/recipient_lists.h"
#include "ui/common/window_notifier.h"
#include "ui/contacts/con_container.h"
#include "ui/contacts/contact_paging.h"
#include "ui/contacts/picker_layout.h"

#include <memory>

class CDlgContacts : public CBitmapDialog {
public:
    explicit CDlgContacts(CWnd* parent = nullptr);
    ~CDlgContacts() override;

    // The hand-off lists: the recipients chosen before, then one item per
    // contact ticked when the picker ended with OK.
    PickerLists m_lists;

    // Where the boxes go and which service is asked; the defaults are message
    // boxes owned by this window and the build's service. Tests set their own
    // before DoModal.
    Notifier* m_pNotifier = nullptr;
    const ServiceEndpoint* m_pEndpoint = nullptr;

    // Asks the service for the contacts matching search; 0 accepted, -1
    // failure (shown), -2 no transfer handle.
    int RequestContacts(CString search);
    // Fetches the list again for the search box and the sort order, then
    // shows the first page.
    void ReloadContacts();
    // Makes the rows of the current page.
    void ShowPage();
    // Hides or shows the members under the organisation row at listIndex.
    void ToggleMembers(int listIndex);

    // Read by tests and by the picker itself.
    CString m_strOrder;
    CString m_strAnswer;
    CStringArray m_arrContacts;
    ContactPaging m_paging;
    int m_nLastToggled = -1;
    CConContainer* GetPanel() const { return m_pContainer.get(); }

protected:
    void DoDataExchange(CDataExchange* exchange) override;
    BOOL OnInitDialog() override;
    // Enter: ends like "Select", but never asks for a choice.
    void OnOK() override;
    void OnSelect();
    void OnCloseButton();
    void OnSortAscending();
    void OnSortDescending();
    void OnPageSizeUp();
    void OnPageSizeDown();
    void OnPreviousPage();
    void OnNextPage();
    void OnSearchChanged();
    void OnTimer(UINT_PTR id);
    LRESULT OnToggleMembersMessage(WPARAM wParam, LPARAM lParam);

    void ApplyView(PickerView view);
    void ResetPaging();
    void UpdateRangeLabel();
    void SetLabel(int id, const CString& text);
    // The ticked rows into m_lists, then the end the action calls for.
    void Select(bool fromEnterKey);
    void LayOut();

    // Boxes owned by this window, or m_pNotifier's when it is set.
    WindowNotifier m_boxes{*this, &m_pNotifier};
    std::unique_ptr<CConContainer> m_pContainer;
    CFont m_fonts[kPickerFontCount];
    CEdit m_editSearch;
    CGdipButton m_btnClose, m_btnSortAscending, m_btnSortDescending, m_btnPageSizeUp, m_btnPageSizeDown;
    CGdipButton m_btnPrevious, m_btnNext, m_btnSelect;

    DECLARE_MESSAGE_MAP()
};

// Runs the picker over lists (the recipients chosen so far); true when it
// ended with OK, with the chosen contacts appended to lists.
bool RunContactPicker(CWnd* parent, PickerLists& lists);

constexpr UINT_PTR kSearchTimer = 1;
constexpr UINT kSearchDelayMs = 1000;
