#include "ui/contacts/contact_rows.h"

#include "resource.h"
#include "service/contact_record.h"

#include <cstdlib>

const unsigned kRowOrganisationIcon = IDP_KIND_ORGANISATION;
const unsigned kRowMemberIcon = IDP_KIND_MEMBER;
const unsigned kRowPersonIcon = IDP_KIND_PERSON;
const unsigned kRowSelectedBitmap = IDB_CONTACT_ROW_SELECTED;
const unsigned kRowMemberBitmap = IDB_CONTACT_ROW_MEMBER;
const unsigned kRowNormalBitmap = IDB_CONTACT_ROW_NORMAL;

ContactRowView ReadContactRow(const CString& record) {
    ContactRowView view;
    ContactRecord fields;
    ReadContactRecord(record, fields);  // a short line leaves the texts empty
    const std::string& text = record.str();
    view.is_member = !text.empty() && text[0] == '0';
    view.is_organisation = text.compare(0, 3, "1,1") == 0;
    view.kind_icon = kRowOrganisationIcon;
    if (view.is_member) {
        view.kind_icon = kRowMemberIcon;
        view.indent = kMemberIndent;
        view.selected_bitmap = view.normal_bitmap = kRowMemberBitmap;
    }
    if (text.compare(0, 3, "1,0") == 0) view.kind_icon = kRowPersonIcon;
    view.member_icon_shown = view.is_organisation;
    view.name = fields.name;
    view.fax = fields.fax;
    view.uuid = fields.uuid;
    if (view.kind_icon == kRowOrganisationIcon && !view.is_member) {
        view.member_count.Format("%d", fields.member_count);
        view.hide_members_shown = fields.member_count > 0;
    }
    return view;
}

unsigned RowBackground(const ContactRowView& view, bool looks_chosen) {
    return looks_chosen ? view.selected_bitmap : view.normal_bitmap;
}

bool IsPreChosen(const CString& fax, const CStringArray& chosen_fax_lists) {
    if (fax.IsEmpty()) return false;
    for (const CString& item : chosen_fax_lists) {
        if (item.Find(fax, 0) != -1) return true;
    }
    return false;
}

void ToggleMemberSlots(std::vector<RowSlot>& rows, int list_index) {
    const int count = static_cast<int>(rows.size());
    for (int q = 0; q < count; ++q) {
        if (rows[q].list_index != list_index) continue;
        const CString& mc = rows[q].member_count;
        if (!mc.IsEmpty() && !mc.Equals("0")) {
            const int members = std::atoi(mc.GetString());
            for (int j = 0; j < members; ++j) {
                const int i = q + 1 + j;
                if (i < count) rows[i].visible = rows[q].visible;
            }
        }
        rows[q].visible = 1;
    }
}

std::vector<int> LayOutRows(const std::vector<RowSlot>& rows, int& bottom) {
    std::vector<int> tops;
    int y = kContactRowTop;
    for (const RowSlot& row : rows) {
        if (row.visible == 1) {
            tops.push_back(y);
            y += kContactRowStep;
        } else {
            tops.push_back(-1);
        }
    }
    bottom = y;
    return tops;
}

std::vector<PageRow> PlanPage(const CStringArray& contact_list, int first_index, int end_index,
                              const CStringArray& chosen_fax_lists, int& bottom) {
    std::vector<PageRow> page;
    std::vector<RowSlot> slots;
    for (int k = first_index; k < end_index && k < contact_list.GetSize(); ++k) {
        PageRow row;
        row.list_index = k;
        row.view = ReadContactRow(contact_list[k]);
        row.pre_chosen = IsPreChosen(row.view.fax, chosen_fax_lists);
        slots.push_back({k, row.view.member_count, 1});
        page.push_back(row);
    }
    const std::vector<int> tops = LayOutRows(slots, bottom);
    for (size_t i = 0; i < page.size(); ++i) page[i].top = tops[i];
    return page;
}
