#include "service/fax_submission.h"

#include "service/http_exchange.h"

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
        if (!contact.IsEmpty()) AppendListed(texts.contacts, contact);
        else AppendListed(texts.numbers, NormaliseTypedNumber(at(numbers, i), at(prefixes, i)));
    }
    return texts;
}

int ReadSubmissionAnswer(const CString& answer, Notifier& notifier) {
    int result = 1;
    CString a = answer;
    a.Remove("{");
    a.Remove("}");
    const int e = a.Find("errors\"", 0);
    if (e != -1) {
        const int f = a.Find("error\":\"", e + 1);
        if (f != -1) {
            CString message = a.Mid(f + 8);
            message.Remove("\"");
            message.Remove("]");
            notifier.Show(message, kServiceCaption, kIconHand);
            result = -1;
        }
    }
    if (result == 1) {
        if (a.Find("success\":", 0) != -1) {
            notifier.Show("Success! Your fax has been sent", kServiceCaption, kIconInformation);
        } else {
            const int m = a.Find("message\":", 0);
            if (m == -1) {
                notifier.Show("Unable to upload file", kServiceCaption, kIconHand);
            } else {
                CString message = a.Mid(m + 9, a.GetLength() - m - 9);
                message.Remove("\"");
                notifier.Show(message, kServiceCaption, kIconHand);
            }
            result = -1;
        }
    }
    return result;
}

int SubmitFax(const FaxSubmission& fax, Notifier& notifier, const ServiceEndpoint& endpoint) {
    const RecipientTexts texts = BuildRecipientTexts(fax.numbers, fax.contact_ids, fax.prefixes);

    ExchangeRequest request;
    request.url = CString(endpoint.api_base.c_str()) + "/v1/fax/send";
    request.headers = {AuthorizationHeader(fax.key)};
    request.multipart = true;
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

    return RunExchange(endpoint, request, nullptr, [&](const ExchangeOutcome& outcome) {
        if (!outcome.transferred) {
            notifier.Show(UploadFailedText(outcome.error_text), kServiceCaption, kIconHand);
            return kRequestFailed;
        }
        return ReadSubmissionAnswer(outcome.answer, notifier);
    });
}
