// How a finished send's result reaches the window: kept until the window
// takes it, whether or not the wake-up got through, and only for the send
// that is running.
#include "ui/send/send_worker.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::unique_ptr<SendResult> Result(const char* error_text) {
    std::unique_ptr<SendResult> result(new SendResult());
    result->transfer.has_handle = true;
    result->transfer.outcome.error_text = error_text;
    return result;
}

}  // namespace

TEST(SendHandoff, TheResultIsKeptWhetherOrNotTheWakeUpGetsThrough) {
    for (bool wake_delivered : {true, false}) {
        SCOPED_TRACE(wake_delivered ? "woken" : "wake-up lost");
        SendHandoff handoff;
        const unsigned send = handoff.Begin();
        std::vector<unsigned> woken;
        handoff.Finish(send, Result("first"), [&](unsigned number) {
            if (wake_delivered) woken.push_back(number);
        });
        EXPECT_EQ(woken, wake_delivered ? std::vector<unsigned>{send} : std::vector<unsigned>{});
        // Whatever the wake-up did, the window's own look finds it, once.
        std::unique_ptr<SendResult> taken = handoff.Take(send);
        ASSERT_TRUE(taken);
        EXPECT_EQ(taken->transfer.outcome.error_text, "first");
        EXPECT_FALSE(handoff.Take(send));
    }
}

TEST(SendHandoff, OnlyTheRunningSendHandsInOrTakesOut) {
    struct Case {
        const char* what;
        int finished_by;  // 0: the first send, 1: the second
        int taken_by;
        bool taken;
    } cases[] = {
        {"the running send's result", 1, 1, true},
        {"a number that is not running takes nothing", 1, 0, false},
        {"a late result of an earlier send is dropped", 0, 1, false},
        {"and cannot be taken by its own number", 0, 0, false},
    };
    for (const auto& c : cases) {
        SendHandoff handoff;
        const unsigned numbers[2] = {handoff.Begin(), handoff.Begin()};
        EXPECT_NE(numbers[0], numbers[1]);
        bool woken = false;
        handoff.Finish(numbers[c.finished_by], Result("r"), [&](unsigned) { woken = true; });
        EXPECT_EQ(woken, c.finished_by == 1) << c.what;
        EXPECT_EQ(handoff.Take(numbers[c.taken_by]) != nullptr, c.taken) << c.what;
        // A wrong number leaves the result for the right one.
        if (c.finished_by == 1 && c.taken_by == 0) {
            EXPECT_TRUE(handoff.Take(numbers[1])) << c.what;
        }
    }
    SendHandoff fresh;
    EXPECT_FALSE(fresh.Take(0));  // no send has begun: a stray number 0 finds nothing
}

TEST(SendHandoff, ANewSendDropsAResultNobodyTook) {
    SendHandoff handoff;
    const unsigned first = handoff.Begin();
    handoff.Finish(first, Result("old"), nullptr);
    const unsigned second = handoff.Begin();
    EXPECT_FALSE(handoff.Take(second));
    EXPECT_FALSE(handoff.Take(first));
}
