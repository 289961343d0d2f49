#include "ui/send/send_progress.h"

#include <curl/curl.h>

const char kWaitingText[] = "Waiting for the fax service\x85";
const char kCancelledText[] = "Sending cancelled. Nothing was sent.";
const char kUnansweredText[] =
    "The fax was sent, but the fax service did not answer. Check your account before you send it again.";

namespace {

constexpr long long kLargest = 0x7fffffffffffffffLL;

// The send is over: the form comes back, and a window closed meanwhile ends.
SendStep Ended(SendMachine& machine, bool cancelled) {
    SendStep step;
    step.next = SendPhase::Idle;
    if (cancelled) {
        if (machine.close_pending) {
            step.end_window = true;
        } else {
            step.tell_cancelled = true;
            step.restore_form = true;
        }
    } else {
        step.tell_verdict = true;
        step.end_after_verdict = machine.close_pending;
    }
    machine.close_pending = false;
    return step;
}

}  // namespace

SendStep SendMachine::Apply(SendEvent event) {
    SendStep step;
    step.next = phase;
    switch (event) {
    case SendEvent::SendPressed:
        if (phase == SendPhase::Idle) {
            step.next = SendPhase::Sending;
            step.start_worker = true;
        }
        break;
    case SendEvent::UploadComplete:
        // A cancel that meets the last byte is too late: the answer decides.
        if (phase == SendPhase::Sending || phase == SendPhase::Cancelling) step.next = SendPhase::Waiting;
        break;
    case SendEvent::CancelPressed:
        if (phase == SendPhase::Sending) {
            step.next = SendPhase::Cancelling;
            step.request_cancel = true;
        }
        break;
    case SendEvent::ClosePressed:
        switch (phase) {
        case SendPhase::Idle:
            step.end_window = true;
            break;
        case SendPhase::Sending:
            step.next = SendPhase::Cancelling;
            step.request_cancel = true;
            close_pending = true;
            break;
        case SendPhase::Cancelling:
        case SendPhase::Waiting:
            // Nothing can be stopped any more; the window goes once the worker has.
            close_pending = true;
            break;
        }
        break;
    case SendEvent::EscapePressed:
        // Escape is the focused Cancel while there is one to press, and the
        // window's usual close only when no send is on.
        if (phase == SendPhase::Idle) {
            step.end_window = true;
        } else if (phase == SendPhase::Sending) {
            step.next = SendPhase::Cancelling;
            step.request_cancel = true;
        }
        break;
    case SendEvent::WorkerCancelled:
    case SendEvent::WorkerFinished:
        if (phase != SendPhase::Idle) step = Ended(*this, event == SendEvent::WorkerCancelled);
        break;
    }
    phase = step.next;
    return step;
}

SendView ViewFor(SendPhase phase) {
    SendView view;
    view.progress_shown = phase != SendPhase::Idle;
    view.form_enabled = phase == SendPhase::Idle;
    view.cancel_enabled = phase == SendPhase::Sending;
    return view;
}

bool CancelStillSafe(long long sent, long long total) { return sent <= 0 || (total > 0 && sent < total); }

bool UploadWhole(long long sent, long long total) { return total > 0 && sent >= total; }

int ProgressPercent(long long sent, long long total) {
    if (total <= 0 || sent <= 0) return 0;
    if (sent >= total) return 100;
    // Bytes times 100 would overflow beyond 92 petabytes; divide first there.
    if (sent > kLargest / 100) {
        const long long percent = sent / (total / 100);
        return percent > 99 ? 99 : static_cast<int>(percent);
    }
    return static_cast<int>(sent * 100 / total);
}

CString SendingText(long long sent, long long total) {
    CString text;
    if (total > 0) {
        text.Format("Sending\x85 %d %%", ProgressPercent(sent, total));
    } else if (sent <= 0) {
        text = "Sending\x85";  // nothing known yet
    } else if (sent < 1024) {
        text.Format("Sending\x85 %lld bytes", sent);
    } else if (sent < 1024 * 1024) {
        text.Format("Sending\x85 %lld KB", sent / 1024);
    } else {
        text.Format("Sending\x85 %.1f MB", static_cast<double>(sent) / (1024.0 * 1024.0));
    }
    return text;
}

CString ProgressViewText(SendPhase phase, long long sent, long long total) {
    if (phase == SendPhase::Waiting) return kWaitingText;
    return SendingText(sent, total);
}

SubmissionVerdict JudgeFinishedSend(const SubmissionTransfer& transfer, bool uploaded) {
    const ExchangeOutcome& outcome = transfer.outcome;
    const bool answer_refused_here = outcome.curl_code == CURLE_OK || outcome.curl_code == CURLE_WRITE_ERROR ||
                                     outcome.curl_code == CURLE_OUT_OF_MEMORY ||
                                     outcome.curl_code == CURLE_ABORTED_BY_CALLBACK;
    if (transfer.has_handle && !outcome.transferred && uploaded && !answer_refused_here)
        return ShownVerdict(kSubmissionFailed, kUnansweredText, kIconExclamation);
    return JudgeSubmission(transfer);
}
