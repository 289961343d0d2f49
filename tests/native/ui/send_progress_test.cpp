// The phases of a background send, what each allows, and the progress texts.
#include "ui/send/send_progress.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* Name(SendPhase phase) {
    switch (phase) {
    case SendPhase::Idle:
        return "idle";
    case SendPhase::Sending:
        return "sending";
    case SendPhase::Cancelling:
        return "cancelling";
    case SendPhase::Waiting:
        return "waiting";
    }
    return "?";
}

// The effects of a step as one short text, so a table row reads in a line.
std::string Effects(const SendStep& s) {
    std::string out;
    auto add = [&out](bool on, const char* what) {
        if (!on) return;
        if (!out.empty()) out += ",";
        out += what;
    };
    add(s.start_worker, "start");
    add(s.request_cancel, "cancel");
    add(s.end_window, "end");
    add(s.tell_cancelled, "told-cancelled");
    add(s.restore_form, "restore");
    add(s.tell_verdict, "verdict");
    add(s.end_after_verdict, "end-after-verdict");
    return out.empty() ? "-" : out;
}

}  // namespace

TEST(SendMachine, EveryEventInEveryPhase) {
    struct Case {
        SendPhase phase;
        bool close_pending;
        SendEvent event;
        SendPhase next;
        bool close_pending_after;
        const char* effects;
    } cases[] = {
        // Idle: only a send starts anything; closing is the usual close.
        {SendPhase::Idle, false, SendEvent::SendPressed, SendPhase::Sending, false, "start"},
        {SendPhase::Idle, false, SendEvent::ClosePressed, SendPhase::Idle, false, "end"},
        {SendPhase::Idle, false, SendEvent::CancelPressed, SendPhase::Idle, false, "-"},
        {SendPhase::Idle, false, SendEvent::UploadComplete, SendPhase::Idle, false, "-"},
        {SendPhase::Idle, false, SendEvent::WorkerFinished, SendPhase::Idle, false, "-"},
        {SendPhase::Idle, false, SendEvent::WorkerCancelled, SendPhase::Idle, false, "-"},
        // Sending: a second send cannot start; cancel and close ask the worker to stop.
        {SendPhase::Sending, false, SendEvent::SendPressed, SendPhase::Sending, false, "-"},
        {SendPhase::Sending, false, SendEvent::CancelPressed, SendPhase::Cancelling, false, "cancel"},
        {SendPhase::Sending, false, SendEvent::ClosePressed, SendPhase::Cancelling, true, "cancel"},
        {SendPhase::Sending, false, SendEvent::UploadComplete, SendPhase::Waiting, false, "-"},
        {SendPhase::Sending, false, SendEvent::WorkerFinished, SendPhase::Idle, false, "verdict"},
        {SendPhase::Sending, false, SendEvent::WorkerCancelled, SendPhase::Idle, false, "told-cancelled,restore"},
        // Cancelling: nothing more to ask; a late last byte hands over to the answer.
        {SendPhase::Cancelling, false, SendEvent::CancelPressed, SendPhase::Cancelling, false, "-"},
        {SendPhase::Cancelling, false, SendEvent::SendPressed, SendPhase::Cancelling, false, "-"},
        {SendPhase::Cancelling, false, SendEvent::ClosePressed, SendPhase::Cancelling, true, "-"},
        {SendPhase::Cancelling, false, SendEvent::UploadComplete, SendPhase::Waiting, false, "-"},
        {SendPhase::Cancelling, false, SendEvent::WorkerCancelled, SendPhase::Idle, false, "told-cancelled,restore"},
        {SendPhase::Cancelling, false, SendEvent::WorkerFinished, SendPhase::Idle, false, "verdict"},
        // Closed while cancelling: the window goes without a box once the worker has.
        {SendPhase::Cancelling, true, SendEvent::WorkerCancelled, SendPhase::Idle, false, "end"},
        {SendPhase::Cancelling, true, SendEvent::WorkerFinished, SendPhase::Idle, false, "verdict,end-after-verdict"},
        // Waiting: everything is up, so nothing can be cancelled; a close waits for the answer.
        {SendPhase::Waiting, false, SendEvent::CancelPressed, SendPhase::Waiting, false, "-"},
        {SendPhase::Waiting, false, SendEvent::SendPressed, SendPhase::Waiting, false, "-"},
        {SendPhase::Waiting, false, SendEvent::UploadComplete, SendPhase::Waiting, false, "-"},
        {SendPhase::Waiting, false, SendEvent::ClosePressed, SendPhase::Waiting, true, "-"},
        {SendPhase::Waiting, false, SendEvent::WorkerFinished, SendPhase::Idle, false, "verdict"},
        {SendPhase::Waiting, true, SendEvent::WorkerFinished, SendPhase::Idle, false, "verdict,end-after-verdict"},
        // Escape: the window's close when no send is on; during the upload the
        // Cancel it stands for (the window stays); nothing once Cancel cannot act.
        {SendPhase::Idle, false, SendEvent::EscapePressed, SendPhase::Idle, false, "end"},
        {SendPhase::Sending, false, SendEvent::EscapePressed, SendPhase::Cancelling, false, "cancel"},
        {SendPhase::Cancelling, false, SendEvent::EscapePressed, SendPhase::Cancelling, false, "-"},
        {SendPhase::Waiting, false, SendEvent::EscapePressed, SendPhase::Waiting, false, "-"},
    };
    for (const Case& c : cases) {
        SendMachine machine;
        machine.phase = c.phase;
        machine.close_pending = c.close_pending;
        const SendStep step = machine.Apply(c.event);
        const std::string where = std::string(Name(c.phase)) + " event " + std::to_string(static_cast<int>(c.event));
        EXPECT_EQ(Name(machine.phase), std::string(Name(c.next))) << where;
        EXPECT_EQ(Name(step.next), std::string(Name(c.next))) << where;
        EXPECT_EQ(machine.close_pending, c.close_pending_after) << where;
        EXPECT_EQ(Effects(step), c.effects) << where;
    }
}

TEST(SendMachine, ACancelledSendLeavesTheWindowReadyForTheNext) {
    SendMachine machine;
    EXPECT_TRUE(machine.Apply(SendEvent::SendPressed).start_worker);
    EXPECT_FALSE(machine.Apply(SendEvent::SendPressed).start_worker);
    EXPECT_TRUE(machine.Apply(SendEvent::CancelPressed).request_cancel);
    EXPECT_TRUE(machine.Apply(SendEvent::WorkerCancelled).tell_cancelled);
    EXPECT_EQ(machine.phase, SendPhase::Idle);
    EXPECT_TRUE(machine.Apply(SendEvent::SendPressed).start_worker);
    // A close during the second send ends the window once the worker stopped.
    machine.Apply(SendEvent::ClosePressed);
    const SendStep step = machine.Apply(SendEvent::WorkerCancelled);
    EXPECT_TRUE(step.end_window);
    EXPECT_FALSE(step.tell_cancelled);
    EXPECT_FALSE(machine.close_pending);
}

TEST(SendMachine, EscapeDuringTheUploadCancelsAndKeepsTheWindow) {
    SendMachine machine;
    machine.Apply(SendEvent::SendPressed);
    EXPECT_TRUE(machine.Apply(SendEvent::EscapePressed).request_cancel);
    // A second Escape while the worker stops is no close either.
    EXPECT_EQ(Effects(machine.Apply(SendEvent::EscapePressed)), "-");
    const SendStep step = machine.Apply(SendEvent::WorkerCancelled);
    EXPECT_EQ(Effects(step), "told-cancelled,restore");
    EXPECT_EQ(machine.phase, SendPhase::Idle);
    // Back in the form, Escape closes as it always did.
    EXPECT_EQ(Effects(machine.Apply(SendEvent::EscapePressed)), "end");
}

TEST(SendView, WhatEachPhaseShowsAndAllows) {
    struct Case {
        SendPhase phase;
        bool progress_shown, form_enabled, cancel_enabled;
    } cases[] = {
        {SendPhase::Idle, false, true, false},
        {SendPhase::Sending, true, false, true},
        {SendPhase::Cancelling, true, false, false},
        {SendPhase::Waiting, true, false, false},
    };
    for (const Case& c : cases) {
        const SendView view = ViewFor(c.phase);
        EXPECT_EQ(view.progress_shown, c.progress_shown) << Name(c.phase);
        EXPECT_EQ(view.form_enabled, c.form_enabled) << Name(c.phase);
        EXPECT_EQ(view.cancel_enabled, c.cancel_enabled) << Name(c.phase);
    }
}

TEST(UploadBytes, CancelIsSafeOnlyWhileAByteIsStillToGo) {
    struct Case {
        long long sent, total;
        bool safe, whole;
    } cases[] = {
        {0, 0, true, false},                                                             // nothing known, nothing sent
        {0, 1000, true, false},    {999, 1000, true, false}, {1000, 1000, false, true},  // the last byte is up
        {1001, 1000, false, true}, {500, 0, false, false},  // bytes went, total unknown: may be all of it
        {-1, 0, true, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CancelStillSafe(c.sent, c.total), c.safe) << c.sent << " of " << c.total;
        EXPECT_EQ(UploadWhole(c.sent, c.total), c.whole) << c.sent << " of " << c.total;
    }
}

TEST(ProgressText, PercentOrBytes) {
    struct Case {
        long long sent, total;
        int percent;
        const char* text;
    } cases[] = {
        {0, 20971520, 0, "Sending\x85 0 %"},
        {209715, 20971520, 0, "Sending\x85 0 %"},  // 0.99 % rounds down
        {209716, 20971520, 1, "Sending\x85 1 %"},
        {10485760, 20971520, 50, "Sending\x85 50 %"},
        {20971519, 20971520, 99, "Sending\x85 99 %"},  // never 100 before the last byte
        {20971520, 20971520, 100, "Sending\x85 100 %"},
        {30000000, 20971520, 100, "Sending\x85 100 %"},
        {0, 0, 0, "Sending\x85"},  // before the first count
        {1, 0, 0, "Sending\x85 1 bytes"},
        {1023, 0, 0, "Sending\x85 1023 bytes"},
        {1024, 0, 0, "Sending\x85 1 KB"},
        {49152, 0, 0, "Sending\x85 48 KB"},
        {3355443, 0, 0, "Sending\x85 3.2 MB"},
        {-5, 0, 0, "Sending\x85"},
        {5000000000000000000LL, 9000000000000000000LL, 55, "Sending\x85 55 %"},  // no overflow
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProgressPercent(c.sent, c.total), c.percent) << c.sent << " of " << c.total;
        EXPECT_EQ(SendingText(c.sent, c.total), c.text) << c.sent << " of " << c.total;
    }
}

TEST(ProgressText, WaitingOnceEverythingIsUp) {
    EXPECT_EQ(ProgressViewText(SendPhase::Waiting, 100, 100), "Waiting for the fax service\x85");
    EXPECT_EQ(ProgressViewText(SendPhase::Sending, 50, 100), "Sending\x85 50 %");
    EXPECT_EQ(ProgressViewText(SendPhase::Cancelling, 50, 100), "Sending\x85 50 %");
    EXPECT_STREQ(kCancelledText, "Sending cancelled. Nothing was sent.");
}

TEST(FinishedSend, AFailureAfterTheLastByteIsNoFailedUpload) {
    struct Case {
        const char* what;
        bool transferred;
        int curl_code;
        const char* error_text;
        bool uploaded;
        int result;
        const char* text;
        unsigned icon;
    } cases[] = {
        // The whole request went up, then no answer came.
        {"no answer in time", false, 28, "Timeout was reached", true, -1, kUnansweredText, kIconExclamation},
        {"line closed, nothing came", false, 52, "Server returned nothing (no headers, no status code)", true, -1,
         kUnansweredText, kIconExclamation},
        {"line dropped while reading", false, 56, "Failure when receiving data from the peer", true, -1,
         kUnansweredText, kIconExclamation},
        {"answer cut short", false, 18, "Transferred a partial file", true, -1, kUnansweredText, kIconExclamation},
        // An answer came and the client gave up on it: libcurl's text as before.
        {"answer over the cap", false, 42, "Operation was aborted by an application callback", true, -1,
         "Upload Failed : Operation was aborted by an application callback", kIconHand},
        {"no room for the answer", false, 23, "Failed writing received data to disk/application", true, -1,
         "Upload Failed : Failed writing received data to disk/application", kIconHand},
        {"out of memory on our side", false, 0, "Out of memory", true, -1, "Upload Failed : Out of memory", kIconHand},
        // Before the last byte: the upload failed.
        {"timed out half way", false, 28, "Timeout was reached", false, -1, "Upload Failed : Timeout was reached",
         kIconHand},
        {"line dropped half way", false, 55, "Failed sending data to the peer", false, -1,
         "Upload Failed : Failed sending data to the peer", kIconHand},
        // An answer that came is judged as always.
        {"confirmed", true, 0, "", true, 1, "Success! Your fax has been sent", kIconInformation},
        {"refused", true, 0, "", true, 0, "No", kIconExclamation},
    };
    for (const Case& c : cases) {
        SubmissionTransfer transfer;
        transfer.has_handle = true;
        transfer.outcome.transferred = c.transferred;
        transfer.outcome.curl_code = c.curl_code;
        transfer.outcome.error_text = c.error_text;
        if (c.transferred)
            transfer.outcome.answer = c.result == 1 ? R"({"success":true})" : R"({"success":false,"message":"No"})";
        const SubmissionVerdict verdict = JudgeFinishedSend(transfer, c.uploaded);
        EXPECT_EQ(verdict.result, c.result) << c.what;
        EXPECT_TRUE(verdict.shown) << c.what;
        EXPECT_EQ(verdict.text, c.text) << c.what;
        EXPECT_EQ(verdict.icon, c.icon) << c.what;
    }
    // Without a transfer handle nothing is shown, whatever the count said.
    EXPECT_FALSE(JudgeFinishedSend(SubmissionTransfer(), true).shown);
    EXPECT_STREQ(kUnansweredText,
                 "The fax was sent, but the fax service did not answer. Check your account before you send it again.");
}
