// A send that runs in the background: the phases the send-fax window goes
// through while its fax goes up, what each phase allows, and the texts of the
// progress view. No window in here, so every rule has a native table test.
#pragma once

#include "framework/cstring.h"
#include "service/fax_submission.h"

// idle -> sending -> waiting -> idle again (or the window ends); a cancel
// passes through cancelling while the worker stops.
enum class SendPhase {
    Idle,        // no transfer: the form is usable
    Sending,     // bytes of the request are still going up; Cancel is offered
    Cancelling,  // Cancel was pressed; the worker has not ended yet
    Waiting,     // the whole request is up: the service's answer is awaited
};

enum class SendEvent {
    SendPressed,     // the send button, once the checks have passed
    UploadComplete,  // the worker saw the last byte go up
    CancelPressed,
    ClosePressed,     // close button or WM_CLOSE
    EscapePressed,    // Escape: the Cancel of the progress view while it shows
    WorkerCancelled,  // the worker ended because of the cancel: nothing was sent
    WorkerFinished,   // the worker ended with the service's answer or a failure
};

// What the window does on an event.
struct SendStep {
    SendPhase next = SendPhase::Idle;
    bool start_worker = false;
    bool request_cancel = false;     // ask the worker to stop the upload
    bool end_window = false;         // end the window now (as Cancel), nothing shown
    bool tell_cancelled = false;     // "Sending cancelled. Nothing was sent."
    bool restore_form = false;       // back to the state before the send
    bool tell_verdict = false;       // the service's verdict, as a send always told it
    bool end_after_verdict = false;  // the window was closed while waiting: end it once told
};

// The send's state on the window: its phase and whether the window was
// closed while the worker still ran.
struct SendMachine {
    SendPhase phase = SendPhase::Idle;
    bool close_pending = false;

    // Applies the event and says what to do. Events that make no sense in the
    // phase (a second send, a late cancel) change nothing.
    SendStep Apply(SendEvent event);
};

// What the window shows and allows in a phase.
struct SendView {
    bool progress_shown = false;  // the progress view replaces the send button
    bool form_enabled = true;     // every control of the form (not close or minimise)
    bool cancel_enabled = false;
};
SendView ViewFor(SendPhase phase);

// A cancel can stop the upload only while a byte of the request is still to
// go up: before anything went, or while the known total is not reached. Once
// everything is up, or when the total is unknown, it may have been delivered.
bool CancelStillSafe(long long sent, long long total);
// The last byte of a known total is up.
bool UploadWhole(long long sent, long long total);

// 0 to 100, rounded down; 0 when the total is unknown.
int ProgressPercent(long long sent, long long total);
// "Sending… N %" with a known total, else "Sending… " and the bytes sent so
// far ("512 bytes", "48 KB", "3.2 MB"), or just "Sending…" before anything
// is known. The ellipsis is one ANSI character.
CString SendingText(long long sent, long long total);
// The view's text in a phase: the sending text, or the waiting text once
// everything is up.
CString ProgressViewText(SendPhase phase, long long sent, long long total);
extern const char kWaitingText[];    // "Waiting for the fax service…"
extern const char kCancelledText[];  // "Sending cancelled. Nothing was sent."

// What the user is told when a send has ended with a transfer: the service's
// verdict, except that a transfer which failed once the last byte was up
// (no answer in time, or the line dropped) may well have delivered the fax,
// so it is not called a failed upload. An answer the client gave up on (too
// big, or no memory for it) did come, and keeps libcurl's text.
SubmissionVerdict JudgeFinishedSend(const SubmissionTransfer& transfer, bool uploaded);
extern const char kUnansweredText[];  // "The fax was sent, but the fax service did not answer. ..."
