#include "service/fax_submission.h"

#include <gtest/gtest.h>

// A "success" member is only a confirmation when its value says so; a refusal
// keeps the window and its print job for another try.
TEST(SubmissionVerdict, RefusalsAreNeverReportedAsSent) {
    struct Case {
        const char* answer;
        int result;
        const char* text;
        unsigned icon;
    } cases[] = {
        {R"({"success":false,"message":"Number is on the do-not-fax list"})", 0, "Number is on the do-not-fax list",
         kIconExclamation},
        {R"({"message":"Quota exceeded","success":false})", 0, "Quota exceeded", kIconExclamation},
        {R"({"success": false, "message": "Blocked, try later"})", 0, "Blocked, try later", kIconExclamation},
        {R"({"success":0,"message":"Rejected"})", 0, "Rejected", kIconExclamation},
        {R"({"success":null})", 0, "Fax was not accepted", kIconExclamation},
        {R"({"success":false,"message":""})", 0, "Fax was not accepted", kIconExclamation},
        {R"({"success":false,"message":null})", 0, "Fax was not accepted", kIconExclamation},
        {R"({"success":false,"message":"Say \"no\""})", 0, "Say \"no\"", kIconExclamation},
        // Only true or 1 confirms.
        {R"({"success":"yes"})", 0, "Fax was not accepted", kIconExclamation},
        {R"({"success":falsehood})", 0, "Fax was not accepted", kIconExclamation},
        // Everything else reads as before.
        {R"({"success":true,"message":"Fax queued"})", 1, "Success! Your fax has been sent", kIconInformation},
        {R"({"success":1})", 1, "Success! Your fax has been sent", kIconInformation},
        {R"({"errors":[{"error":"Invalid number","field":"recipientFax"}],"success":false})", -1,
         "Invalid number,field:recipientFax,success:false", kIconHand},
        {R"({"message":"Bad request"})", -1, "Bad request", kIconHand},
        {"", -1, "Unable to upload file", kIconHand},
    };
    for (const auto& c : cases) {
        const SubmissionVerdict verdict = JudgeSubmissionAnswer(c.answer);
        EXPECT_EQ(verdict.result, c.result) << c.answer;
        EXPECT_TRUE(verdict.shown);
        EXPECT_EQ(verdict.text, c.text) << c.answer;
        EXPECT_EQ(verdict.icon, c.icon) << c.answer;

        RecordingNotifier notifier;
        EXPECT_EQ(ReadSubmissionAnswer(c.answer, notifier), c.result);
        ASSERT_EQ(notifier.boxes.size(), 1u);
        EXPECT_EQ(notifier.boxes[0].text, c.text);
        EXPECT_EQ(notifier.boxes[0].caption, "Vantrel");
    }
}

TEST(SubmissionVerdict, TransportOutcomesAreJudgedWithoutAnAnswer) {
    SubmissionTransfer no_handle;
    const SubmissionVerdict none = JudgeSubmission(no_handle);
    EXPECT_EQ(none.result, -2);
    EXPECT_FALSE(none.shown);

    SubmissionTransfer failed;
    failed.has_handle = true;
    failed.outcome.transferred = false;
    failed.outcome.error_text = "Couldn't connect to server";
    failed.outcome.answer = R"({"success":true})";  // never read after a failed transfer
    const SubmissionVerdict verdict = JudgeSubmission(failed);
    EXPECT_EQ(verdict.result, -1);
    EXPECT_EQ(verdict.text, "Upload Failed : Couldn't connect to server");
    EXPECT_EQ(verdict.icon, kIconHand);

    SubmissionTransfer refused;
    refused.has_handle = true;
    refused.outcome.transferred = true;
    refused.outcome.answer = R"({"success":false,"message":"No"})";
    EXPECT_EQ(JudgeSubmission(refused).result, 0);
}
