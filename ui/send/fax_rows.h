// What the fax-number panel shows for the recipient lists: one row per entry,
// stacked from the top, with the icons and texts its kind calls for.
#pragma once

#include "framework/cstring.h"
#include "ui/common/recipient_lists.h"

#include <vector>

// PNG pictures of the row icons.
constexpr unsigned kTypedNumberIcon = 165;
constexpr unsigned kOrganisationIcon = 425;
constexpr unsigned kPeopleIcon = 426;
constexpr unsigned kPersonIcon = 427;

struct FaxRowPlan {
    int index = 0;              // the entry in the recipient lists
    CString display_text;       // label IDC_FAXROW_TEXT
    CString count_text;         // label IDC_FAXROW_COUNT (an organisation's member count)
    CString tooltip;            // prefix + display text
    unsigned kind_icon = 0;     // picture of button IDC_FAXROW_KIND
    bool people_shown = false;  // IDC_FAXROW_PEOPLE and IDC_FAXROW_COUNT show only for an organisation
    int x = 0, y = 0, width = 0, height = 0;
};

struct FaxPanelPlan {
    std::vector<FaxRowPlan> rows;
    int display_width = 1;
    int display_height = 0;  // the content's height, for the scroll bar
};

// Rows are 35 pixels high with 2 between them, starting 1 pixel down, and
// wider than the panel (clipped on the right).
constexpr int kFaxRowHeight = 35;
constexpr int kFaxRowStep = 37;
constexpr int kFaxRowWidth = 498;

FaxPanelPlan PlanFaxPanel(const RecipientLists& recipients);
