// The rows of the contact panel without the windows: what a row shows for a
// contact record, where the rows of a page stand, and how showing or hiding
// an organisation's members moves them.
#pragma once

#include "framework/cstring.h"

#include <vector>

// Pictures (PNG) and backgrounds (bitmaps) of the rows.
extern const unsigned kRowOrganisationIcon;
extern const unsigned kRowMemberIcon;  // also the people icon beside a member count
extern const unsigned kRowPersonIcon;
extern const unsigned kRowSelectedBitmap;
extern const unsigned kRowMemberBitmap;  // a member's row, chosen or not
extern const unsigned kRowNormalBitmap;

// Rows are 45 pixels high, 5 apart, from 1 pixel down; members are indented.
constexpr int kContactRowLeft = 1;
constexpr int kContactRowTop = 1;
constexpr int kContactRowWidth = 648;
constexpr int kContactRowHeight = 45;
constexpr int kContactRowStep = 50;
constexpr int kMemberIndent = 50;

// What one row shows for its record.
struct ContactRowView {
    bool is_member = false;        // a member record: indented, pale band
    bool is_organisation = false;  // an organisation entry
    unsigned kind_icon = kRowOrganisationIcon;
    int indent = 0;
    bool member_icon_shown = false;   // the people icon beside the count
    bool hide_members_shown = false;  // the chevron of an organisation with members
    CString name;
    CString member_count;  // only an organisation entry has one
    CString fax;
    CString uuid;
    unsigned selected_bitmap = kRowSelectedBitmap;
    unsigned normal_bitmap = kRowNormalBitmap;
};

ContactRowView ReadContactRow(const CString& record);

// The row's background: its chosen bitmap while ticked or (until its first
// click) among the earlier recipients, its normal one otherwise.
unsigned RowBackground(const ContactRowView& view, bool looks_chosen);

// Whether a row's number is among the recipients chosen before the picker
// opened (it stands inside one of their fax lists). A row without a number
// never is: the empty text would be found in every item.
bool IsPreChosen(const CString& fax, const CStringArray& chosen_fax_lists);

// One row's place in the panel's layout.
struct RowSlot {
    int list_index = 0;
    CString member_count;  // the organisation's count; empty for others
    int visible = 1;       // 1: the row takes a place in the layout
};

// After the organisation row at list_index changed its own visible flag
// (0: hide its members, 1: show them), its member rows take that flag and
// the organisation row itself stays in the layout.
void ToggleMemberSlots(std::vector<RowSlot>& rows, int list_index);

// The top of each row (-1 for a row out of the layout), stacked from the
// top; bottom is where the next row would go.
std::vector<int> LayOutRows(const std::vector<RowSlot>& rows, int& bottom);

// One row of the page on show, as the picker makes it.
struct PageRow {
    int list_index = 0;
    ContactRowView view;
    bool pre_chosen = false;  // IsPreChosen: looks chosen without a tick
    int top = 0;
};

// The rows for the records first_index to end_index (one past the last) of
// the contact list, every one in the layout; bottom is where the content ends.
std::vector<PageRow> PlanPage(const CStringArray& contact_list, int first_index, int end_index,
                              const CStringArray& chosen_fax_lists, int& bottom);
