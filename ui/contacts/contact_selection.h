// "Select" in the picker: the ticked rows of the page on show become items
// of the hand-off lists that the send-fax window merges into its recipients.
#pragma once

#include "framework/cstring.h"
#include "ui/common/recipient_lists.h"

#include <vector>

// What the picker reads from a row of the panel.
struct PanelRow {
    int list_index = 0;
    int ticked = 0;
    CString name;
    CString fax;
    CString uuid;
    CString member_count;  // an organisation's count; empty for others
};

// Appends one item per ticked row, in panel order, to the hand-off lists
// (which already hold the recipients chosen before). A person gives its
// number (with the leading "1") and uuid; an organisation also gives each
// member with a number, read from the member's row when it is on the page
// and from the contact list when it runs on past end_index. Returns how
// many items were appended.
int CollectSelection(const std::vector<PanelRow>& rows, const CStringArray& contact_list, int end_index,
                     PickerLists& lists);

// How "Select" and Enter in the search box end the picker. Both collect the
// ticked rows; Enter always ends with OK (so a tick is never lost), "Select"
// asks for a choice when nothing at all is chosen.
enum class PickerEnd { kStayOpenAskForChoice, kEndWithOk };
PickerEnd DecideSelectEnd(bool from_enter_key, const PickerLists& lists);

extern const char kSelectContactsText[];  // "Select Contact(s)"
