// Every option of a transfer is checked as it is set: when libcurl refuses
// one, nothing goes to the service and the user sees libcurl's text through
// the request's own transport-failure box. The refusals are injected through
// the option gate; the peer is the local fax service over real HTTPS.
// The form option is one libcurl marks deprecated.
#define CURL_DISABLE_DEPRECATION 1

#include "sandbox_fixture.h"

#include "base/settings_store.h"
#include "framework/notifier.h"
#include "service/account_lookup.h"
#include "service/contact_listing.h"
#include "service/fax_submission.h"
#include "service/http_exchange_callbacks.h"
#include "tests/support/one_number_fax.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

const char kKey[] = "test-key-123";

CURLoption g_refused_option;
CURLcode g_refusal = CURLE_OK;

CURLcode RefuseOne(CURLoption option) { return option == g_refused_option ? g_refusal : CURLE_OK; }

struct Refusal {
    const char* name;
    CURLoption option;
    CURLcode code;
    bool every_request;  // false: set by the submission only
};

// What a libcurl could answer for each: an option it does not know, a TLS
// back end without it, or no memory for a copy.
const Refusal kRefusals[] = {
    // Without the CA blob the transfer would trust the system store.
    {"CA blob, not built in", CURLOPT_CAINFO_BLOB, CURLE_NOT_BUILT_IN, true},
    {"CA blob, no memory", CURLOPT_CAINFO_BLOB, CURLE_OUT_OF_MEMORY, true},
    {"CA file cleared", CURLOPT_CAINFO, CURLE_OUT_OF_MEMORY, true},
    {"CA folder cleared", CURLOPT_CAPATH, CURLE_UNKNOWN_OPTION, true},
    {"peer verification", CURLOPT_SSL_VERIFYPEER, CURLE_UNKNOWN_OPTION, true},
    {"host verification", CURLOPT_SSL_VERIFYHOST, CURLE_BAD_FUNCTION_ARGUMENT, true},
    {"connect time-out", CURLOPT_CONNECTTIMEOUT, CURLE_BAD_FUNCTION_ARGUMENT, true},
    {"low-speed limit", CURLOPT_LOW_SPEED_LIMIT, CURLE_UNKNOWN_OPTION, true},
    {"low-speed time", CURLOPT_LOW_SPEED_TIME, CURLE_UNKNOWN_OPTION, true},
    {"URL", CURLOPT_URL, CURLE_OUT_OF_MEMORY, true},
    {"headers", CURLOPT_HTTPHEADER, CURLE_UNKNOWN_OPTION, true},
    {"answer collector", CURLOPT_WRITEFUNCTION, CURLE_UNKNOWN_OPTION, true},
    {"answer buffer", CURLOPT_WRITEDATA, CURLE_UNKNOWN_OPTION, true},
    {"form", CURLOPT_HTTPPOST, CURLE_OUT_OF_MEMORY, false},
    // The progress callback holds the answer cap.
    {"progress callback", CURLOPT_XFERINFOFUNCTION, CURLE_UNKNOWN_OPTION, false},
    {"progress on", CURLOPT_NOPROGRESS, CURLE_UNKNOWN_OPTION, false},
};

class TransportOptions : public testing::Test {
protected:
    void SetUp() override {
        ClearSettings();
        WriteSetting(kSettingsSection, "USERNAME", kKey);
        TrustedSandbox().SetFault("none");
    }
    void TearDown() override { SetOptionGate(nullptr); }

    Sandbox& sandbox() { return TrustedSandbox(); }

    FaxSubmission Fax() {
        const std::string path = ScratchDir() + "/Fax_options.pdf";
        std::ofstream(path, std::ios::binary) << "%PDF-1.4\n% options test\n%%EOF\n";
        return kestrid_test::OneNumberFax(path);
    }
};

TEST_F(TransportOptions, ARefusedOptionSendsNothingAndShowsLibcurlsText) {
    const int faxes = sandbox().StoredFaxCount();
    for (const Refusal& refusal : kRefusals) {
        SCOPED_TRACE(refusal.name);
        g_refused_option = refusal.option;
        g_refusal = refusal.code;
        SetOptionGate(&RefuseOne);
        const std::string text = curl_easy_strerror(refusal.code);
        const size_t requests = sandbox().RequestCount();

        RecordingNotifier notifier;
        EXPECT_EQ(SubmitFax(Fax(), notifier, sandbox().Endpoint()), -1);
        ASSERT_EQ(notifier.boxes.size(), 1u);
        EXPECT_EQ(notifier.boxes[0].text, "Upload Failed : " + text);
        EXPECT_EQ(notifier.boxes[0].icon, kIconHand);
        EXPECT_EQ(notifier.boxes[0].caption, "Vantrel");

        if (refusal.every_request) {
            RecordingNotifier lookup;
            EXPECT_EQ(LookupAccount(kKey, false, lookup, sandbox().Endpoint()), -1);
            ASSERT_EQ(lookup.boxes.size(), 1u);
            EXPECT_EQ(lookup.boxes[0].text, "Upload Failed : " + text);
            // The contact listing shows libcurl's text alone on any transport failure.
            RecordingNotifier contacts;
            EXPECT_EQ(ReloadContacts("", kContactsOrderAscending, contacts, sandbox().Endpoint()).status, -1);
            ASSERT_EQ(contacts.boxes.size(), 1u);
            EXPECT_EQ(contacts.boxes[0].text, text);
        }
        EXPECT_EQ(sandbox().RequestCount(), requests) << "nothing may reach the service";
        SetOptionGate(nullptr);
    }
    EXPECT_EQ(sandbox().StoredFaxCount(), faxes);
}

TEST_F(TransportOptions, ACaLocationTheBackEndLacksIsNoRefusal) {
    // Schannel has no CA folder and answers "not built in" when it is cleared;
    // the CA blob still decides alone, so the requests go out and succeed.
    for (const CURLoption option : {CURLOPT_CAPATH, CURLOPT_CAINFO}) {
        g_refused_option = option;
        g_refusal = CURLE_NOT_BUILT_IN;
        SetOptionGate(&RefuseOne);
        const size_t requests = sandbox().RequestCount();
        const int faxes = sandbox().StoredFaxCount();
        RecordingNotifier notifier;
        EXPECT_EQ(LookupAccount(kKey, false, notifier, sandbox().Endpoint()), 0);
        EXPECT_EQ(SubmitFax(Fax(), notifier, sandbox().Endpoint()), 1);
        ASSERT_EQ(notifier.boxes.size(), 2u);
        EXPECT_EQ(notifier.boxes[0].text, "Success! Your driver setup is complete");
        EXPECT_EQ(notifier.boxes[1].text, "Success! Your fax has been sent");
        EXPECT_EQ(sandbox().RequestCount(), requests + 2);
        EXPECT_EQ(sandbox().StoredFaxCount(), faxes + 1);
        SetOptionGate(nullptr);
    }
}

TEST_F(TransportOptions, ARefusedOptionIsNamedOnStandardError) {
    g_refused_option = CURLOPT_CAINFO_BLOB;
    g_refusal = CURLE_NOT_BUILT_IN;
    SetOptionGate(&RefuseOne);
    RecordingNotifier notifier;
    testing::internal::CaptureStderr();
    EXPECT_EQ(LookupAccount(kKey, false, notifier, sandbox().Endpoint()), -1);
    const std::string err = testing::internal::GetCapturedStderr();
    const std::string text = curl_easy_strerror(CURLE_NOT_BUILT_IN);
    EXPECT_EQ(err, "curl_easy_setopt(" + std::to_string(static_cast<int>(CURLOPT_CAINFO_BLOB)) + ") failed: " + text +
                       "\ncurl_easy_perform() failed: " + text + "\n");
}

}  // namespace
