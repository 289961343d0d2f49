#include "service/fax_submission.h"

#include "service/http_exchange.h"
#include "service/response_scanning.h"
#include "service/text_at_wire.h"

namespace {

CString NormaliseTypedNumber(CString number, const CString& prefix) {
    const int plus = number.Find("+", 0);
    if (plus != -1) number = number.Mid(plus);
    number.Replace("1+", "+");
    for (const char* junk : {" ", "-", "(", ")"}) number.Remove(junk);
    if (number.Find("+", 0) == -1) number = CString("+") + prefix + number;
    return number;
}

void AppendListed(CString& list, const CString& item) {
    if (!list.IsEmpty()) list += ",";
    list += item;
}

// An organisation's entry carries its members' ids, so a member chosen on its
// own as well would be sent twice; each id goes once, an empty one not at all.
void AppendNewIds(CString& list, const CString& ids) {
    CStringArray pieces;
    SplitText(ids, ",", pieces);
    for (const CString& id : pieces) {
        if (id.IsEmpty() || (CString(",") + list + ",").Find(CString(",") + id + ",", 0) != -1) continue;
        AppendListed(list, id);
    }
}

}  // namespace

RecipientTexts BuildRecipientTexts(const CStringArray& numbers, const CStringArray& contact_ids,
                                   const CStringArray& prefixes) {
    RecipientTexts texts;
    // The lists are kept parallel; a short one reads as empty entries.
    int count = numbers.GetSize();
    if (contact_ids.GetSize() > count) count = contact_ids.GetSize();
    auto at = [](const CStringArray& list, int i) { return i < list.GetSize() ? list[i] : CString(); };
    for (int i = 0; i < count; ++i) {
        const CString contact = at(contact_ids, i);
        if (!contact.IsEmpty()) AppendNewIds(texts.contacts, contact);
        else AppendListed(texts.numbers, NormaliseTypedNumber(at(numbers, i), at(prefixes, i)));
    }
    return texts;
}

namespace {

// The bare value after a key's colon: up to the next comma, blank or bracket.
CString ScalarAfter(const CString& text, int position) {
    while (position < text.GetLength() && IsJsonBlank(text.GetAt(position))) ++position;
    int end = position;
    while (end < text.GetLength()) {
        const char c = text.GetAt(end);
        if (c == ',' || c == ']' || IsJsonBlank(c)) break;
        ++end;
    }
    return text.Mid(position, end - position);
}

// The string value of "message" alone, as ANSI text, or empty text.
CString MessageValue(const CString& text) {
    const int key = text.Find("message\":", 0);
    if (key == -1) return CString();
    int p = key + 9;
    while (p < text.GetLength() && IsJsonBlank(text.GetAt(p))) ++p;
    if (p >= text.GetLength() || text.GetAt(p) != '"') return CString();
    int e = p + 1;
    while (e < text.GetLength() && text.GetAt(e) != '"') e += text.GetAt(e) == '\\' ? 2 : 1;
    return DecodeAnswerText(text.Mid(p + 1, e - p - 1));
}

}  // namespace

SubmissionVerdict ShownVerdict(int result, const CString& text, unsigned icon) {
    SubmissionVerdict verdict;
    verdict.result = result;
    verdict.shown = true;
    verdict.text = text;
    verdict.icon = icon;
    return verdict;
}

SubmissionVerdict JudgeSubmissionAnswer(const CString& answer) {
    // The service's texts are read from their escapes and UTF-8 only once
    // they are cut out: an escaped quote or brace is text, not structure.
    CString a = ProtectEscapes(answer);
    a.Remove("{");
    a.Remove("}");
    const int e = a.Find("errors\"", 0);
    if (e != -1) {
        const int f = a.Find("error\":\"", e + 1);
        if (f != -1) {
            CString message = a.Mid(f + 8);
            message.Remove("\"");
            message.Remove("]");
            return ShownVerdict(kSubmissionFailed, DecodeAnswerText(message), kIconHand);
        }
    }
    const int success = a.Find("success\":", 0);
    if (success != -1) {
        // Only a plain yes confirms: the job is deleted then, so anything
        // else ("false" in quotes, 0, null, a typo) is a refusal.
        const CString value = ScalarAfter(a, success + 9);
        if (value != "true" && value != "1") {
            CString message = MessageValue(a);
            message.Trim();
            if (message.IsEmpty()) message = "Fax was not accepted";
            return ShownVerdict(kSubmissionRefused, message, kIconExclamation);
        }
        return ShownVerdict(kSubmissionConfirmed, "Success! Your fax has been sent", kIconInformation);
    }
    const int m = a.Find("message\":", 0);
    if (m == -1) return ShownVerdict(kSubmissionFailed, "Unable to upload file", kIconHand);
    CString message = a.Mid(m + 9, a.GetLength() - m - 9);
    message.Remove("\"");
    return ShownVerdict(kSubmissionFailed, DecodeAnswerText(message), kIconHand);
}

int ReadSubmissionAnswer(const CString& answer, Notifier& notifier) {
    const SubmissionVerdict verdict = JudgeSubmissionAnswer(answer);
    notifier.Show(verdict.text, kServiceCaption, verdict.icon);
    return verdict.result;
}

SubmissionTransfer TransferFax(const FaxSubmission& fax, const ServiceEndpoint& endpoint, UploadWatch* watch) {
    const RecipientTexts texts = BuildRecipientTexts(fax.numbers, fax.contact_ids, fax.prefixes);

    ExchangeRequest request;
    request.url = CString(endpoint.api_base.c_str()) + "/v1/fax/send";
    request.headers = {AuthorizationHeader(fax.key)};
    request.multipart = true;
    request.upload_watch = watch;
    request.form = {
        {"recipientFax", texts.numbers, false, ""},
        {"recipientContacts", texts.contacts, false, ""},
        {"coverPage", fax.cover_page == 1 ? "true" : "false", false, ""},
        {"file", fax.print_file, true, "application/pdf"},
    };
    if (fax.cover_page == 1) {
        request.form.push_back({"recipientName", fax.recipient_name, false, ""});
        request.form.push_back({"subject", fax.subject, false, ""});
        request.form.push_back({"notes", fax.notes, false, ""});
        request.form.push_back({"coverPageId", fax.cover_page_id, false, ""});
    }

    SubmissionTransfer transfer;
    RunExchange(endpoint, request, nullptr, [&](const ExchangeOutcome& outcome) {
        transfer.has_handle = true;
        transfer.outcome = outcome;
        return 0;
    });
    return transfer;
}

SubmissionVerdict JudgeSubmission(const SubmissionTransfer& transfer) {
    if (!transfer.has_handle) {
        SubmissionVerdict verdict;
        verdict.result = kNoTransferHandle;
        return verdict;
    }
    if (!transfer.outcome.transferred)
        return ShownVerdict(kSubmissionFailed, UploadFailedText(transfer.outcome.error_text), kIconHand);
    return JudgeSubmissionAnswer(transfer.outcome.answer);
}

int SubmitFax(const FaxSubmission& fax, Notifier& notifier, const ServiceEndpoint& endpoint) {
    const SubmissionVerdict verdict = JudgeSubmission(TransferFax(fax, endpoint));
    if (verdict.shown) notifier.Show(verdict.text, kServiceCaption, verdict.icon);
    return verdict.result;
}
