// Verifies an application key with GET /v1/me and keeps the account data the
// other requests need ("userId", "accountId", "COVERPAGEID" and every other
// name/value pair of the answer) in the settings store.
#pragma once

#include "framework/cstring.h"
#include "framework/notifier.h"
#include "service/service_endpoint.h"

#include <vector>

// 0: key accepted; -1: failure, shown unless silent; -2: no transfer handle.
// Only an accepted key changes the store: the account values are then
// cleared and filled from the answer; any failure leaves them as they were.
int LookupAccount(const CString& key, bool silent, Notifier& notifier,
                  const ServiceEndpoint& endpoint = DefaultEndpoint());

// The name/value pairs of an accepted answer, as they are stored, in order
// (a later pair with the same name wins when stored).
struct SettingPair {
    CString name;
    CString value;
};
std::vector<SettingPair> ReadAccountPairs(const CString& answer);

// Whether the pairs of an answer name the account: "userId" and "accountId",
// as they would be stored, are neither empty nor null. Without them no later
// request can name the account, so such an answer verifies no key.
bool NamesAccount(const std::vector<SettingPair>& pairs);

// The account object's "faxDefaultCoverPage" value, without quotes; empty
// when the answer has none.
CString ReadDefaultCoverPageId(const CString& answer);
