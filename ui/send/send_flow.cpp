#include "ui/send/send_flow.h"

#include "base/settings_store.h"
#include "convert/print_job.h"
#include "ui/send/number_entry.h"

const char kSendCaption[] = "Vantrel";

namespace {

CString TrimmedField(SendFlowWindow& window) {
    CString text = window.NumberFieldText();
    text.Trim();
    return text;
}

void Refuse(SendFlowWindow& window, Notifier& notifier, const char* text) {
    notifier.Show(text, kSendCaption, kIconExclamation);
    window.FocusNumberField();
}

void TakeTypedNumber(SendFlowWindow& window, SendState& state, const CString& number) {
    state.recipients.AddTypedNumber(number, state.prefix);
    window.RebuildPanel();
    window.ClearNumberField();
}

// Both values are checked in this order, so only the first missing one is named.
bool AccountValuesPresent(Notifier& notifier) {
    if (ReadSettingText("userId").IsEmpty()) {
        notifier.Show("Relogin application to receive userid", kSendCaption, kIconHand);
        return false;
    }
    if (ReadSettingText("accountId").IsEmpty()) {
        notifier.Show("Relogin application to receive accountid", kSendCaption, kIconHand);
        return false;
    }
    return true;
}

}  // namespace

bool AddTypedNumber(SendFlowWindow& window, SendState& state, Notifier& notifier) {
    const CString number = TrimmedField(window);
    switch (CheckNumberForAdd(number)) {
    case NumberFieldVerdict::Empty:
        Refuse(window, notifier, "Enter Fax Number");
        return false;
    case NumberFieldVerdict::Invalid:
        Refuse(window, notifier, "Invalid Fax Number");
        return false;
    default:
        TakeTypedNumber(window, state, number);
        return true;
    }
}

bool PrepareSubmission(SendFlowWindow& window, SendState& state, Notifier& notifier, FaxSubmission& fax) {
    // Nothing else matters without a PDF: the field and the lists stay as they are.
    if (!state.pdf_ready) {
        notifier.Show(kConversionFailedText, kConversionCaption, kIconExclamation);
        return false;
    }
    state.cover_page_id.Empty();

    const CString number = TrimmedField(window);
    switch (CheckNumberForSend(number)) {
    case NumberFieldVerdict::Invalid:
        Refuse(window, notifier, "Invalid Fax Number");
        return false;
    case NumberFieldVerdict::Add:
        TakeTypedNumber(window, state, number);
        break;
    default:
        break;
    }

    if (state.recipients.IsEmpty()) {
        notifier.Show("Fax Number is empty", kSendCaption, kIconExclamation);
        return false;
    }

    if (state.cover_page == 1) {
        const CString name = window.CoverPageName();
        state.cover_page_id = LookupCoverPageId(state.cover_pages, name);
        if (!AccountValuesPresent(notifier)) return false;
        WriteSetting(kSettingsSection, "COVERPAGENAME", name);
    }

    // The submission gets its own copy of everything it sends.
    fax = FaxSubmission();
    fax.key = state.key;
    fax.print_file = state.print_file;
    fax.numbers.Copy(state.recipients.numbers);
    fax.contact_ids.Copy(state.recipients.contact_ids);
    fax.prefixes.Copy(state.recipients.prefixes);
    fax.cover_page = state.cover_page;
    if (state.cover_page == 1) {
        fax.recipient_name = window.RecipientName();
        fax.subject = window.Subject();
        fax.notes = window.Notes();
        fax.cover_page_id = state.cover_page_id;
    }
    return true;
}

bool SubmissionEndsWindow(int result) { return result == kSubmissionConfirmed; }

bool MayTurnCoverPageOn(Notifier& notifier) { return AccountValuesPresent(notifier); }

CString LookupCoverPageId(const CoverPageLists& lists, const CString& name) {
    for (int i = 0; i < lists.names.GetSize(); ++i) {
        if (lists.names[i] == name) return i < lists.ids.GetSize() ? lists.ids[i] : CString();
    }
    return CString();
}
