#include "service/contact_listing.h"

#include "base/settings_store.h"
#include "service/contact_record.h"
#include "service/http_exchange.h"
#include "service/response_scanning.h"
#include "service/text_at_wire.h"

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

// The value of key as ANSI text: a quoted value without its quotes and with
// its escapes and UTF-8 read, anything else up to the next comma or closing
// brace or bracket. A missing key, and null in any case, read as empty.
CString FieldValue(const CString& own, const char* key) {
    const int s = ValueStart(own, key);
    if (s == -1 || s >= own.GetLength()) return CString();
    if (own.GetAt(s) == '"') {
        int e = s + 1;
        while (e < own.GetLength() && own.GetAt(e) != '"') e += own.GetAt(e) == '\\' ? 2 : 1;
        return DecodeAnswerText(own.Mid(s + 1, e - s - 1));
    }
    int e = s;
    while (e < own.GetLength() && own.GetAt(e) != ',' && own.GetAt(e) != '}' && own.GetAt(e) != ']') ++e;
    CString raw = own.Mid(s, e - s);
    raw.TrimRight();
    CString lower = raw;
    lower.MakeLower();
    return lower.Equals("null") ? CString() : DecodeAnswerText(raw);
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

// One entry's slice taken apart: the entry's own members, and the objects of
// its "contacts" array. Members of nested objects belong to neither: they
// would lend the entry or a member a name, fax number or kind not its own,
// and a nested object is no member. Quotes, braces and backslashes inside
// strings are text, not structure.
struct EntryParts {
    CString own;
    std::vector<CString> members;
    bool has_array = false;
    int end = -1;  // where the entry's object closes in the slice; -1: not in it
};

// Position after "contacts" : [ when the quoted key at i opens the array.
int ContactsArrayAfter(const std::string& text, size_t i) {
    static const std::string key = "\"contacts\"";
    if (text.compare(i, key.size(), key) != 0) return -1;
    size_t k = i + key.size();
    while (k < text.size() && IsJsonBlank(text[k])) ++k;
    if (k >= text.size() || text[k] != ':') return -1;
    ++k;
    while (k < text.size() && IsJsonBlank(text[k])) ++k;
    if (k >= text.size() || text[k] != '[') return -1;
    return static_cast<int>(k + 1);
}

EntryParts TakeEntryApart(const CString& slice) {
    EntryParts parts;
    const std::string& text = slice.str();
    // The slice begins inside the entry's "uuid" key: after its colon the
    // entry's own level starts.
    size_t i = text.size() < 6 ? text.size() : 6;
    std::string own = text.substr(0, i);
    int depth = 0;
    bool in_string = false;
    int members_from = -1;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (in_string) {
            if (depth == 0) own += c;
            if (c == '\\' && i + 1 < text.size()) {
                if (depth == 0) own += text[i + 1];
                ++i;
            } else if (c == '"') {
                in_string = false;
            }
            continue;
        }
        if (c == '"' && depth == 0) {
            members_from = ContactsArrayAfter(text, i);
            if (members_from != -1) break;
        }
        if (c == '{') {
            ++depth;
            continue;
        }
        if (c == '}') {
            if (depth == 0) {
                parts.end = static_cast<int>(i);
                break;
            }
            --depth;
            continue;
        }
        if (c == '"') in_string = true;
        if (depth == 0) own += c;
    }
    parts.own = CString(own);
    if (members_from == -1) return parts;

    // The array's objects, each without the objects nested in it; the slice
    // ends before the array's closing bracket.
    parts.has_array = true;
    std::string member;
    depth = 0;
    in_string = false;
    for (size_t k = static_cast<size_t>(members_from); k < text.size(); ++k) {
        const char c = text[k];
        if (in_string) {
            if (depth == 1) member += c;
            if (c == '\\' && k + 1 < text.size()) {
                if (depth == 1) member += text[k + 1];
                ++k;
            } else if (c == '"') {
                in_string = false;
            }
            continue;
        }
        if (c == '{') {
            if (++depth == 1) member = "{";
            continue;
        }
        if (c == '}' && depth > 0) {
            if (--depth == 0) parts.members.push_back(CString(member + "}"));
            continue;
        }
        if (c == '"') in_string = true;
        if (depth == 1) member += c;
    }
    // A member the slice cuts off is read as far as it goes.
    if (depth > 0) parts.members.push_back(CString(member));
    return parts;
}

}  // namespace

void BuildContactList(const CString& answer_text, CStringArray& records) {
    records.RemoveAll();

    int p = answer_text.Find("uuid\":", 0);
    while (p != -1) {
        const int q = answer_text.Find("]", p);
        const EntryParts parts = TakeEntryApart(answer_text.Mid(p, q - p));
        // An entry without a members array ends with its own object; the next
        // entry may follow before the next bracket.
        const int next = (!parts.has_array && parts.end != -1) ? p + parts.end : q;
        p = answer_text.Find("uuid\":", next);

        ContactRecord entry = ReadFields(parts.own, 1);
        const CString last = FieldValue(parts.own, "lastName");
        CString lower = last;
        lower.MakeLower();
        if (!lower.Equals("null") && !last.IsEmpty()) entry.name += CString(" ") + last;
        if (entry.fax.GetLength() >= 16) continue;

        const int position = records.Add("Dummy");
        for (const CString& member : parts.members) {
            records.Add(WriteContactRecord(ReadFields(member, 0)));
            ++entry.member_count;
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
