// Sends the converted print job and all its recipients in one multipart POST
// to /v1/fax/send and tells the user the service's verdict.
#pragma once

#include "framework/cstring.h"
#include "framework/notifier.h"
#include "service/service_endpoint.h"

struct FaxSubmission {
    CString key;
    CString print_file;  // the PDF
    // Three of the send-fax window's parallel recipient lists.
    CStringArray numbers;
    CStringArray contact_ids;  // empty for a typed number
    CStringArray prefixes;     // dialling prefix; empty for a contact
    int cover_page = 0;        // 1: the cover-page fields below are sent
    CString recipient_name;
    CString subject;
    CString notes;
    CString cover_page_id;
};

struct RecipientTexts {
    CString numbers;   // "+<prefix><digits>" joined by ","
    CString contacts;  // contact ids joined by ","
};

RecipientTexts BuildRecipientTexts(const CStringArray& numbers, const CStringArray& contact_ids,
                                   const CStringArray& prefixes);

// Judges the service's answer and shows the verdict: 1 confirmed, -1 not.
int ReadSubmissionAnswer(const CString& answer, Notifier& notifier);

// 1: the service confirmed the fax; -1: failure, shown; -2: no transfer handle.
int SubmitFax(const FaxSubmission& fax, Notifier& notifier, const ServiceEndpoint& endpoint = DefaultEndpoint());
