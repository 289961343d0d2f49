// The cover pages the account may use (GET /coverpages) and the choice of
// the one to preselect in the send-fax window's cover-page list.
#pragma once

#include "framework/cstring.h"
#include "framework/notifier.h"
#include "service/service_endpoint.h"

#include <atomic>

struct CoverPageLists {
    CStringArray ids;    // "uuid" per cover page, in answer order
    CStringArray names;  // "name" per cover page, normally parallel to ids
};

// The request path after the API base, with both values percent-encoded.
CString CoverPagesRequestPath(const CString& account_id, const CString& user_id);

// Reads an accepted answer into the lists. A name whose uuid equals
// default_id becomes default_name (left alone otherwise).
void ReadCoverPageAnswer(const CString& answer, const CString& default_id, CoverPageLists& lists,
                         CString& default_name);

// Empties the lists, then lists the cover pages with the stored "userId",
// "accountId" and "COVERPAGEID". 0: listed; -1: not listed (values missing,
// shown failure); -2: no transfer handle. When abandoned is set and turns
// true, the transfer stops soon after, as a failed one.
int RequestCoverPages(const CString& key, CoverPageLists& lists, CString& default_name, Notifier& notifier,
                      const ServiceEndpoint& endpoint = DefaultEndpoint(),
                      const std::atomic<bool>* abandoned = nullptr);

// What the cover-page list shows after a listing.
struct CoverPageFill {
    CStringArray entries;  // names with a partner identifier, in order
    int selection = -1;    // -1: nothing selected
};

// last_chosen is the stored "COVERPAGENAME"; the account's default wins.
CoverPageFill PlanCoverPageFill(const CoverPageLists& lists, const CString& default_name, const CString& last_chosen);

// The same, with "COVERPAGENAME" read from the settings store.
CoverPageFill PlanCoverPageFill(const CoverPageLists& lists, const CString& default_name);

// The combo box's string search: the first entry after start (wrapping round
// to the start entry itself) whose text begins with text, ignoring case;
// current when none matches.
int SelectStringIndex(const CStringArray& entries, int start, const CString& text, int current);
