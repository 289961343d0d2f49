// The account's contacts: one GET to /v1/contacts, searched and sorted by the
// service, turned into contact records (one per entry, followed by one per
// member of an organisation).
#pragma once

#include "framework/cstring.h"
#include "framework/notifier.h"
#include "service/service_endpoint.h"

// Sort-order suffixes of the request.
extern const char kContactsOrderAscending[];   // "?order=name%20asc"
extern const char kContactsOrderDescending[];  // "?order=name%20desc"

// The request URL after the API base for a search text (empty: no query).
CString ContactsRequestPath(const CString& search_text, const CString& sort_suffix);

// Asks the service for the contacts, with the key stored as "USERNAME".
// 0: the answer was accepted, and answer_text holds it when it lists at least
// one contact ("uuid\":"); -1: failure, already shown; -2: no transfer handle.
// answer_text is left alone unless an accepted answer holds contacts.
int RequestContacts(const CString& search_text, const CString& sort_suffix, CString& answer_text, Notifier& notifier,
                    const ServiceEndpoint& endpoint = DefaultEndpoint());

// Reading of an accepted answer into contact records, in answer order.
// Entries whose fax number is 16 characters or longer are dropped with their
// members.
void BuildContactList(const CString& answer_text, CStringArray& records);

struct ContactListing {
    int status = 0;
    CString answer_text;  // empty unless the answer listed contacts
    CStringArray records;
};

// One whole listing: the request, then the records (none after a failure).
ContactListing ReloadContacts(const CString& search_text, const CString& sort_suffix, Notifier& notifier,
                              const ServiceEndpoint& endpoint = DefaultEndpoint());
