#include "ui/send/fax_rows.h"

FaxPanelPlan PlanFaxPanel(const RecipientLists& recipients) {
    auto at = [](const CStringArray& list, int i) { return i < list.GetSize() ? list[i] : CString(); };
    FaxPanelPlan plan;
    int y = 1;
    for (int i = 0; i < recipients.GetSize(); ++i) {
        FaxRowPlan row;
        row.index = i;
        row.display_text = at(recipients.display_texts, i);
        row.count_text = at(recipients.member_counts, i);
        row.tooltip = at(recipients.prefixes, i) + row.display_text;
        // A typed number shows its mask's parenthesis; a contact has none.
        if (row.display_text.Find("(", 0) != -1) {
            row.kind_icon = kTypedNumberIcon;
        } else if (row.count_text.IsEmpty()) {
            row.kind_icon = kPersonIcon;
        } else {
            row.kind_icon = kOrganisationIcon;
            row.people_shown = true;
        }
        row.x = 1;
        row.y = y;
        row.width = kFaxRowWidth;
        row.height = kFaxRowHeight;
        plan.rows.push_back(row);
        y += kFaxRowStep;
    }
    plan.display_height = y + 10;
    return plan;
}
