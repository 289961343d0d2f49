#include "service/cover_pages.h"

#include "base/settings_store.h"
#include "service/http_exchange.h"
#include "service/response_scanning.h"

#include <cctype>

CString CoverPagesRequestPath(const CString& account_id, const CString& user_id) {
    CString path;
    path.Format("/coverpages?accountId=%s&userId=%s&isPublic=true", EncodeQueryValue(account_id).GetString(),
                EncodeQueryValue(user_id).GetString());
    return path;
}

void ReadCoverPageAnswer(const CString& answer, const CString& default_id, CoverPageLists& lists,
                         CString& default_name) {
    // Names keep everything after their first colon ("Memo: urgent"), so names
    // that share a prefix stay apart.
    CString last_id;
    for (const ScannedObject& object : ReadObjectList(answer, true)) {
        for (const ScannedField& field : object) {
            if (field.key.Equals("file")) break;
            if (field.key.Equals("uuid")) {
                lists.ids.Add(field.value);
                last_id = field.value;
            } else if (field.key.Equals("name")) {
                if (default_id == last_id) default_name = field.value;
                lists.names.Add(field.value);
            }
        }
    }
}

int RequestCoverPages(const CString& key, CoverPageLists& lists, CString& default_name, Notifier& notifier,
                      const ServiceEndpoint& endpoint, const std::atomic<bool>* abandoned) {
    lists.names.RemoveAll();
    lists.ids.RemoveAll();
    const CString user_id = ReadSettingText("userId");
    if (user_id.IsEmpty()) return kRequestFailed;
    const CString account_id = ReadSettingText("accountId");
    if (account_id.IsEmpty()) return kRequestFailed;
    const CString default_id = ReadSettingText("COVERPAGEID");

    ExchangeRequest request;
    request.url = CString(endpoint.api_base.c_str()) + CoverPagesRequestPath(account_id, user_id);
    request.headers = {AuthorizationHeader(key), "content-type: application/json;", "x-subdomain: app"};
    request.abandoned = abandoned;

    return RunExchange(endpoint, request, nullptr, [&](const ExchangeOutcome& outcome) {
        if (!outcome.transferred) {
            notifier.Show(UploadFailedText(outcome.error_text), kServiceCaption, kIconHand);
            return kRequestFailed;
        }
        CString message;
        if (ReadServiceError(outcome.answer, message)) {
            notifier.Show(message, kServiceCaption, kIconHand);
            return kRequestFailed;
        }
        ReadCoverPageAnswer(outcome.answer, default_id, lists, default_name);
        return 0;
    });
}

namespace {

bool BeginsWithNoCase(const CString& text, const CString& prefix) {
    if (prefix.GetLength() > text.GetLength()) return false;
    for (int i = 0; i < prefix.GetLength(); ++i) {
        const unsigned char a = static_cast<unsigned char>(text.GetAt(i));
        const unsigned char b = static_cast<unsigned char>(prefix.GetAt(i));
        if (std::tolower(a) != std::tolower(b)) return false;
    }
    return true;
}

bool SameNoCase(const CString& a, const CString& b) { return a.GetLength() == b.GetLength() && BeginsWithNoCase(a, b); }

}  // namespace

int SelectStringIndex(const CStringArray& entries, int start, const CString& text, int current) {
    const int count = entries.GetSize();
    if (count == 0) return current;
    const int first = (start < 0 || start >= count) ? 0 : start + 1;
    for (int n = 0; n < count; ++n) {
        const int i = (first + n) % count;
        if (BeginsWithNoCase(entries[i], text)) return i;
    }
    return current;
}

CoverPageFill PlanCoverPageFill(const CoverPageLists& lists, const CString& default_name, const CString& last_chosen) {
    CoverPageFill fill;
    const int shown = lists.ids.GetSize() < lists.names.GetSize() ? lists.ids.GetSize() : lists.names.GetSize();
    for (int i = 0; i < shown; ++i) fill.entries.Add(lists.names[i]);

    // A name that is there whole is that cover page, not the first one whose
    // name begins with it ("Memo" must not pick "Memo Long"); otherwise the
    // list's own prefix search decides.
    auto select = [&fill](const CString& name) {
        const int count = fill.entries.GetSize();
        for (int n = 0; n < count; ++n) {
            const int i = (1 + n) % count;  // in the order of the list's search
            if (SameNoCase(fill.entries[i], name)) {
                fill.selection = i;
                return;
            }
        }
        fill.selection = SelectStringIndex(fill.entries, 0, name, fill.selection);
    };
    if (last_chosen.IsEmpty()) {
        if (!default_name.IsEmpty()) select(default_name);
        else if (!lists.ids.IsEmpty() && !fill.entries.IsEmpty()) fill.selection = 0;
    } else {
        select(default_name.IsEmpty() ? last_chosen : default_name);
    }
    return fill;
}

CoverPageFill PlanCoverPageFill(const CoverPageLists& lists, const CString& default_name) {
    return PlanCoverPageFill(lists, default_name, ReadSettingText("COVERPAGENAME"));
}
