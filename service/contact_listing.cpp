#include "service/contact_listing.h"

#include "app/settings_store.h"
#include "service/contact_record.h"
#include "service/http_exchange.h"
#include "service/response_scanning.h"

#include <vector>

const char kContactsOrderAscending[] = "?order=name%20asc";
const char kContactsOrderDescending[] = "?order=name%20desc";

CString ContactsRequestPath(const CString& search_text, const CString& sort_suffix) {
    CString path = CString("/v1/contacts") + sort_suffix;
    if (!search_text.IsEmpty()) path += CString("&query=") + EncodeQueryValue(search_text);
    path += "&limit=3000";
    return path;
}

int RequestContacts(const CString& search_text, const CString& sort_suffix, CString& answer_text, Notifier& notifier,
                    const ServiceEndpoint& endpoint) {
    const CString key = ReadSettingText("USERNAME");
    ExchangeRequest request;
    request.url = CString(endpoint.api_base.c_str()) + ContactsRequestPath(search_text, sort_suffix);
    request.headers = {"cache-control: no-cache", AuthorizationHeader(key)};

    return RunExchange(endpoint, request, nullptr, [&](const ExchangeOutcome& outcome) {
        if (!outcome.transferred) {
            notifier.Show(outcome.error_text, kServiceCaption, kIconHand);
            return kRequestFailed;
        }
        if (outcome.answer.Find("count\":", 0) != -1) {
            if (outcome.answer.Find("uuid\":", 0) != -1) answer_text = outcome.answer;
            return 0;
        }
        notifier.Show(ApplyTokenErrorRule(outcome.answer), kServiceCaption, kIconHand);
        return kRequestFailed;
    });
}

namespace {

// Where the value of key starts in own (its first byte after the colon and
// any blanks), or -1 when own has no such key. A key counts only where it
// begins a member: after a quote, or at the very start (an entry slice
// begins inside the quote of its "uuid").
int ValueStart(const CString& own, const char* key) {
    const CString pattern = CString(key) + "\":";
    for (int k = own.Find(pattern, 0); k != -1; k = own.Find(pattern, k + 1)) {
        if (k > 0 && own.GetAt(k - 1) != '"') continue;
        int s = k + pattern.GetLength();
        while (s < own.GetLength() && (own.GetAt(s) == ' ' || own.GetAt(s) == '\t')) ++s;
        return s;
    }
    return -1;
}

// The value of key as written: a quoted value without its quotes (escapes
// kept as they stand), anything else up to the next comma or closing brace
// or bracket. A missing key, and null in any case, read as empty.
CString FieldValue(const CString& own, const char* key) {
    const int s = ValueStart(own, key);
    if (s == -1 || s >= own.GetLength()) return CString();
    if (own.GetAt(s) == '"') {
        int e = s + 1;
        while (e < own.GetLength() && own.GetAt(e) != '"') e += own.GetAt(e) == '\\' ? 2 : 1;
        return own.Mid(s + 1, e - s - 1);
    }
    int e = s;
    while (e < own.GetLength() && own.GetAt(e) != ',' && own.GetAt(e) != '}' && own.GetAt(e) != ']') ++e;
    CString raw = own.Mid(s, e - s);
    raw.TrimRight();
    CString lower = raw;
    lower.MakeLower();
    return lower.Equals("null") ? CString() : raw;
}

// The part of an entry slice that is the entry's own: everything before its
// members. Searching the whole slice would read a member's last name, fax
// number or kind as the entry's.
CString OwnPart(const CString& slice, int members_start) {
    return members_start < 0 ? slice : slice.Left(members_start);
}

ContactRecord ReadFields(const CString& own, int level) {
    ContactRecord record;
    record.level = level;
    record.uuid = FieldValue(own, "uuid");
    record.name = FieldValue(own, "name");
    record.fax = FieldValue(own, "faxNumber");
    record.org_flag = FieldValue(own, "isOrganization").Equals("true") ? 1 : 0;
    return record;
}

}  // namespace

void BuildContactList(const CString& answer_text, CStringArray& records) {
    records.RemoveAll();

    std::vector<CString> slices;
    int p = answer_text.Find("uuid\":", 0);
    while (p != -1) {
        const int q = answer_text.Find("]", p);
        slices.push_back(answer_text.Mid(p, q - p));
        p = answer_text.Find("uuid\":", q);
    }

    for (const CString& slice : slices) {
        // The members: the "contacts" array, or without one every object
        // after the first few characters.
        const int array_key = slice.Find("contacts\":[", 0);
        const int m = array_key + 11;
        const CString members = slice.Mid(m);
        const int first_member = members.Find("{", 0);
        const int own_end = array_key != -1 ? array_key : (first_member == -1 ? -1 : m + first_member);

        ContactRecord entry = ReadFields(OwnPart(slice, own_end), 1);
        CString last = FieldValue(OwnPart(slice, own_end), "lastName");
        last.Remove("\"");
        CString lower = last;
        lower.MakeLower();
        if (!lower.Equals("null") && !last.IsEmpty()) entry.name += CString(" ") + last;
        if (entry.fax.GetLength() >= 16) continue;

        const int position = records.Add("Dummy");
        if (!members.IsEmpty()) {
            int b = first_member;
            while (b != -1) {
                const int t = members.Find("}", b);
                records.Add(WriteContactRecord(ReadFields(members.Mid(b, t - b), 0)));
                ++entry.member_count;
                b = members.Find("{", t);
            }
        }
        records.SetAt(position, WriteContactRecord(entry));
    }
}

ContactListing ReloadContacts(const CString& search_text, const CString& sort_suffix, Notifier& notifier,
                              const ServiceEndpoint& endpoint) {
    ContactListing listing;
    listing.status = RequestContacts(search_text, sort_suffix, listing.answer_text, notifier, endpoint);
    if (listing.status >= 0) BuildContactList(listing.answer_text, listing.records);
    return listing;
}
