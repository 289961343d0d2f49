// Sends the converted print job and all its recipients in one multipart POST
// to /v1/fax/send and tells the user the service's verdict.
#pragma once

#include "framework/cstring.h"
#include "framework/notifier.h"
#include "service/http_exchange.h"
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

// 1: confirmed; 0: the service answered that it refused the fax; -1: failed.
constexpr int kSubmissionConfirmed = 1;
constexpr int kSubmissionRefused = 0;
constexpr int kSubmissionFailed = -1;

// What the user is told about a submission and its result code.
struct SubmissionVerdict {
    int result = kSubmissionFailed;
    bool shown = false;  // false only without a transfer handle
    CString text;
    unsigned icon = 0;
};

// A verdict that is shown in a box.
SubmissionVerdict ShownVerdict(int result, const CString& text, unsigned icon);

// Judges the service's answer. Only a "success" member whose value is true or
// 1 confirms; any other value is a refusal that carries the service's message.
SubmissionVerdict JudgeSubmissionAnswer(const CString& answer);

// Judges the answer and shows the verdict: 1 confirmed, 0 refused, -1 failed.
int ReadSubmissionAnswer(const CString& answer, Notifier& notifier);

// The transfer alone: no box is shown, so it may run away from the window's
// thread; the verdict is judged (and shown) afterwards by the window.
struct SubmissionTransfer {
    bool has_handle = false;
    ExchangeOutcome outcome;
};
// A watch, when given, sees the upload's progress and may stop it.
SubmissionTransfer TransferFax(const FaxSubmission& fax, const ServiceEndpoint& endpoint = DefaultEndpoint(),
                               UploadWatch* watch = nullptr);
SubmissionVerdict JudgeSubmission(const SubmissionTransfer& transfer);

// Transfer, verdict and box in one. 1: the service confirmed the fax;
// 0: it refused it, shown; -1: failure, shown; -2: no transfer handle.
int SubmitFax(const FaxSubmission& fax, Notifier& notifier, const ServiceEndpoint& endpoint = DefaultEndpoint());
