// The verdict on the fax submission's answer. A refusal or an error must
// never be told as a sent fax: the job would be deleted.
#include "fuzz_check.h"
#include "service/fax_submission.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const CString answer = TextOf(data, size);
    const SubmissionVerdict verdict = JudgeSubmissionAnswer(answer);
    FUZZ_CHECK(verdict.result == kSubmissionConfirmed || verdict.result == kSubmissionRefused ||
               verdict.result == kSubmissionFailed);
    if (verdict.result == kSubmissionConfirmed) {
        // The answer is read with its braces taken out.
        CString bare = answer;
        bare.Remove("{");
        bare.Remove("}");
        FUZZ_CHECK(bare.Find("success\":", 0) != -1);
        FUZZ_CHECK(verdict.text == "Success! Your fax has been sent");
    } else {
        // The service's own message may say anything, even that the fax was
        // sent (its escapes read as the letters they stand for); what it can
        // never do is come with the sent-fax icon or result.
        FUZZ_CHECK(verdict.icon != kIconInformation);
    }
    FUZZ_CHECK(verdict.icon != 0);
    return 0;
}
