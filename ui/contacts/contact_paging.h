// The picker's pages: the contact list as fetched is cut into pages of
// 5 to 100 records, with no further request. Member records take places
// like entries, so an organisation's members can run on to the next page.
#pragma once

#include "framework/cstring.h"

constexpr int kMinPageSize = 5;
constexpr int kMaxPageSize = 100;

struct ContactPaging {
    int page_size = kMinPageSize;
    int first_index = 0;   // list index of the first record on show
    int end_index = 0;     // one past the last record on show
    int current_page = 0;  // zero-based
    int page_count = 0;
};

// Back to the first page of a list of list_size records, page size kept.
void ResetPaging(ContactPaging& paging, int list_size);
// The page size one up or down, within its limits; then the first page.
void PageSizeUp(ContactPaging& paging, int list_size);
void PageSizeDown(ContactPaging& paging, int list_size);
// The neighbouring page; false (and nothing changed) when the button that
// asks for it is disabled.
bool PreviousPage(ContactPaging& paging, int list_size);
bool NextPage(ContactPaging& paging, int list_size);

// "first-last/pages" (the third number counts pages, not contacts); empty
// when there is no page.
CString RangeLabel(const ContactPaging& paging);
CString PageSizeLabel(const ContactPaging& paging);
bool PreviousEnabled(const ContactPaging& paging);
bool NextEnabled(const ContactPaging& paging);
