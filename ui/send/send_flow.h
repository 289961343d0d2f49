// The send-fax window's decisions between the choice of recipients and the
// end of the window: adding a typed number, the checks of the send button and
// the cover-page values, and what a submission's result means for the window.
// The window supplies its controls through SendFlowWindow and shows boxes
// through a Notifier, so all of it runs in native tests.
#pragma once

#include "framework/cstring.h"
#include "framework/notifier.h"
#include "service/cover_pages.h"
#include "service/fax_submission.h"
#include "ui/common/recipient_lists.h"

// The controls the flow reads and changes.
class SendFlowWindow {
public:
    virtual ~SendFlowWindow() = default;
    // The fax-number field as displayed (mask literals included).
    virtual CString NumberFieldText() = 0;
    virtual void ClearNumberField() = 0;
    virtual void FocusNumberField() = 0;
    virtual void RebuildPanel() = 0;
    // The text of the cover-page list and of the three cover-page edits.
    virtual CString CoverPageName() = 0;
    virtual CString RecipientName() = 0;
    virtual CString Subject() = 0;
    virtual CString Notes() = 0;
};

// The window's members the flow works on.
struct SendState {
    CString key;             // the application key
    CString print_file;      // the PDF once converted
    bool pdf_ready = false;  // print_file names the job's PDF: the conversion made one
    CString prefix;          // dialling prefix of the current country
    int cover_page = 0;      // 1 while page 2 (cover page on) is shown
    CoverPageLists cover_pages;
    CString cover_page_id;  // the one chosen for the submission
    RecipientLists recipients;
};

// Caption of the window's boxes.
extern const char kSendCaption[];

// The add button: checks the field, appends it as a typed number, rebuilds
// the panel and clears the field. False (with a box, focus back in the field
// and the text kept) when nothing was added.
bool AddTypedNumber(SendFlowWindow& window, SendState& state, Notifier& notifier);

// The send button up to the submission: moves a number still in the field
// into the lists, checks the recipients and, with the cover page on, the
// account values, remembers the cover page and fills fax. False when the
// send stops here (the reason has been shown). A job that was never
// converted is never sent: its file is not a PDF.
bool PrepareSubmission(SendFlowWindow& window, SendState& state, Notifier& notifier, FaxSubmission& fax);

// Only a confirmed submission ends the window (which deletes the PDF);
// failures and refusals leave everything as it was for another try.
bool SubmissionEndsWindow(int result);

// The cover-page switch: page 2 needs both account values. False after the
// box that names the missing one.
bool MayTurnCoverPageOn(Notifier& notifier);

// The identifier of the first cover page whose name equals name exactly;
// empty when none does.
CString LookupCoverPageId(const CoverPageLists& lists, const CString& name);
