#include "ui/contacts/contact_selection.h"

#include "service/contact_record.h"

#include <cstdlib>

const char kSelectContactsText[] = "Select Contact(s)";

namespace {

void AppendNumber(CString& faxes, CString& uuids, CString fax, const CString& uuid) {
    fax.Trim();
    if (fax.IsEmpty()) return;  // a member without a number is left out of both
    faxes += faxes.IsEmpty() ? CString("1") + fax : CString(",1") + fax;
    uuids += uuids.IsEmpty() ? uuid : CString(",") + uuid;
}

}  // namespace

int CollectSelection(const std::vector<PanelRow>& rows, const CStringArray& contact_list, int end_index,
                     PickerLists& lists) {
    int added = 0;
    for (size_t q = 0; q < rows.size(); ++q) {
        const PanelRow& row = rows[q];
        if (row.ticked != 1) continue;
        CString faxes, uuids;
        CString fax = row.fax;
        fax.Trim();
        if (!fax.IsEmpty()) {
            faxes = CString("1") + fax;
            uuids = row.uuid;
        }
        const CString& count = row.member_count;
        if (!count.IsEmpty() && !count.Equals("0")) {
            const int members = std::atoi(count.GetString());
            int from_list = end_index;  // members past the page come from the list, in order
            for (int j = 0; j < members; ++j) {
                const size_t on_panel = q + 1 + static_cast<size_t>(j);
                if (on_panel < rows.size()) {
                    AppendNumber(faxes, uuids, rows[on_panel].fax, rows[on_panel].uuid);
                } else if (from_list >= 0 && from_list < contact_list.GetSize()) {
                    ContactRecord member;
                    ReadContactRecord(contact_list[from_list], member);
                    AppendNumber(faxes, uuids, member.fax, member.uuid);
                    ++from_list;
                }
            }
        } else if (uuids.IsEmpty() && !row.uuid.IsEmpty()) {
            uuids = row.uuid;
        }
        lists.uuids.Add(uuids);
        lists.names.Add(row.name);
        lists.fax_numbers.Add(faxes);
        lists.member_counts.Add(count);
        ++added;
    }
    return added;
}

PickerEnd DecideSelectEnd(bool from_enter_key, const PickerLists& lists) {
    if (from_enter_key || !lists.names.IsEmpty()) return PickerEnd::kEndWithOk;
    return PickerEnd::kStayOpenAskForChoice;
}
