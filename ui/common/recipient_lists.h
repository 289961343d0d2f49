// The recipients of the fax being prepared: six parallel text lists, one entry
// per recipient in the order they were added. Typed numbers and chosen
// contacts land here; the number panel shows them and the submission sends them.
#pragma once

#include "framework/cstring.h"

struct RecipientLists {
    CStringArray numbers;         // as displayed, or the contact's fax numbers
    CStringArray contact_ids;     // empty for a typed number
    CStringArray prefixes;        // dialling prefix; empty for a contact
    CStringArray display_texts;   // what the panel row shows
    CStringArray contact_labels;  // the contact's name; empty for a typed number
    CStringArray member_counts;   // an organisation's member count, else empty

    int GetSize() const { return numbers.GetSize(); }
    bool IsEmpty() const { return numbers.IsEmpty(); }

    // A typed number keeps the mask's literals; the prefix travels beside it.
    void AddTypedNumber(const CString& number, const CString& prefix);
    void AddContact(const CString& fax_numbers, const CString& uuids, const CString& name, const CString& member_count);
    // Removes entry index from all six lists; false when there is no such entry.
    bool RemoveAt(int index);
    // Whether some entry's number equals text exactly.
    bool HasNumber(const CString& text) const;
    // Whether a contact with these fax numbers and ids is listed already: its
    // numbers match exactly, or, for a contact without a fax number, an entry
    // without one has the same ids.
    bool HasContact(const CString& fax_numbers, const CString& uuids) const;
};

// The contact picker's hand-off lists, parallel like the recipient lists.
struct PickerLists {
    CStringArray fax_numbers;
    CStringArray uuids;
    CStringArray names;
    CStringArray member_counts;
};

// What the picker opens with: the window's current recipients.
PickerLists PickerListsFrom(const RecipientLists& recipients);

// Adds each picked contact that is not already listed (HasContact); nothing
// is ever removed. Returns how many entries were added.
int MergePickedContacts(RecipientLists& recipients, const PickerLists& picked);
