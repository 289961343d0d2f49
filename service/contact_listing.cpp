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

// The value after key (whose opening quote is included in skip) up to the
// next "\",\"".
CString CutQuotedValue(const CString& text, const char* key, int skip) {
    const int s = text.Find(key, 0) + skip;
    const int e = text.Find("\",\"", s);
    return text.Mid(s, e - s);
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
        ContactRecord entry;
        entry.level = 1;
        entry.uuid = CutQuotedValue(slice, "uuid\":", 7);
        entry.name = CutQuotedValue(slice, "name\":", 7);
        const int d = slice.Find("lastName\":", 0);
        if (d != -1) {
            const int s = d + 10;
            const int e = slice.Find(",", s);
            CString last = slice.Mid(s, e - s);
            last.Remove("\"");
            CString lower = last;
            lower.MakeLower();
            if (!lower.Equals("null") && !last.IsEmpty()) entry.name += CString(" ") + last;
        }
        entry.fax = CutQuotedValue(slice, "faxNumber\":", 12);
        if (entry.fax.GetLength() >= 16) continue;
        entry.org_flag = slice.Find("isOrganization\":true", 0) > 0 ? 1 : 0;

        const CString members = slice.Mid(slice.Find("contacts\":[", 0) + 11);
        const int position = records.Add("Dummy");
        if (!members.IsEmpty()) {
            int b = members.Find("{", 0);
            while (b != -1) {
                const int t = members.Find("}", b);
                const CString object = members.Mid(b, t - b);
                ContactRecord member;
                member.level = 0;
                member.uuid = CutQuotedValue(object, "uuid\":", 7);
                member.name = CutQuotedValue(object, "name\":", 7);
                member.fax = CutQuotedValue(object, "faxNumber\":", 12);
                member.org_flag = object.Find("isOrganization\":true", 0) > 0 ? 1 : 0;
                records.Add(WriteContactRecord(member));
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
