#include "ui/common/recipient_lists.h"

void RecipientLists::AddTypedNumber(const CString& number, const CString& prefix) {
    numbers.Add(number);
    contact_ids.Add(CString());
    prefixes.Add(prefix);
    display_texts.Add(number);
    contact_labels.Add(CString());
    member_counts.Add(CString());
}

void RecipientLists::AddContact(const CString& fax_numbers, const CString& uuids, const CString& name,
                                const CString& member_count) {
    numbers.Add(fax_numbers);
    contact_ids.Add(uuids);
    prefixes.Add(CString());
    display_texts.Add(name);
    contact_labels.Add(name);
    member_counts.Add(member_count);
}

bool RecipientLists::RemoveAt(int index) {
    if (index < 0 || index >= GetSize()) return false;
    for (CStringArray* list : {&numbers, &contact_ids, &prefixes, &display_texts, &contact_labels, &member_counts})
        list->RemoveAt(index);
    return true;
}

bool RecipientLists::HasNumber(const CString& text) const {
    for (const CString& number : numbers)
        if (number == text) return true;
    return false;
}

bool RecipientLists::HasContact(const CString& fax_numbers, const CString& uuids) const {
    // Every contact without a fax number has the same (empty) numbers; only
    // its ids tell two of them apart.
    if (!fax_numbers.IsEmpty()) return HasNumber(fax_numbers);
    for (int i = 0; i < GetSize(); ++i)
        if (numbers[i].IsEmpty() && contact_ids[i] == uuids) return true;
    return false;
}

PickerLists PickerListsFrom(const RecipientLists& recipients) {
    PickerLists lists;
    lists.fax_numbers.Copy(recipients.numbers);
    lists.uuids.Copy(recipients.contact_ids);
    lists.names.Copy(recipients.contact_labels);
    lists.member_counts.Copy(recipients.member_counts);
    return lists;
}

int MergePickedContacts(RecipientLists& recipients, const PickerLists& picked) {
    // The picker's lists are parallel too; a short one reads as empty items.
    auto at = [](const CStringArray& list, int i) { return i < list.GetSize() ? list[i] : CString(); };
    int added = 0;
    for (int k = 0; k < picked.fax_numbers.GetSize(); ++k) {
        if (recipients.HasContact(picked.fax_numbers[k], at(picked.uuids, k))) continue;
        recipients.AddContact(picked.fax_numbers[k], at(picked.uuids, k), at(picked.names, k),
                              at(picked.member_counts, k));
        ++added;
    }
    return added;
}
