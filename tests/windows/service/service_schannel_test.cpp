// The four requests through Windows' TLS (Schannel) against the local fax
// service; run by run_with_sandbox.sh, which supplies the addresses and the CA.
#include "base/settings_store.h"
#include "framework/notifier.h"
#include "service/account_lookup.h"
#include "service/contact_listing.h"
#include "service/contact_record.h"
#include "service/cover_pages.h"
#include "service/fax_submission.h"
#include "tests/support/one_number_fax.h"
#include "tests/support/sandbox_endpoint.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

using namespace kestrid_test;

namespace {

const char kKey[] = "test-key-123";

class Schannel : public testing::Test {
protected:
    void SetUp() override {
        m_endpoint = SandboxEndpoint();
        ASSERT_TRUE(NamesASandbox(m_endpoint)) << "run through run_with_sandbox.sh";
        m_endpoint.connect_timeout_s = 20;
        m_endpoint.low_speed_time_s = 20;
        for (const char* name : {"USERNAME", "userId", "accountId", "COVERPAGEID", "COVERPAGENAME"})
            WriteSetting(kSettingsSection, name, "");
    }

    // The next request of the service answers with the fault.
    void SetFault(const std::string& mode) {
        const std::string body = "{\"mode\":\"" + mode + "\",\"count\":1}";
        CURL* curl = curl_easy_init();
        ASSERT_NE(curl, nullptr);
        curl_blob blob{const_cast<char*>(m_endpoint.ca_pem.data()), m_endpoint.ca_pem.size(), CURL_BLOB_COPY};
        curl_easy_setopt(curl, CURLOPT_CAINFO_BLOB, &blob);
        const std::string url = m_endpoint.api_base + "/_sandbox/fault";
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
        curl_easy_setopt(
            curl, CURLOPT_WRITEFUNCTION, +[](char*, size_t size, size_t n, void*) { return size * n; });
        long status = 0;
        const CURLcode code = curl_easy_perform(curl);
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        curl_easy_cleanup(curl);
        ASSERT_EQ(code, CURLE_OK) << curl_easy_strerror(code);
        ASSERT_EQ(status, 200);
    }

    FaxSubmission Fax(const std::string& file_name, const std::string& content) {
        const std::string path = std::string(std::getenv("TEMP") ? std::getenv("TEMP") : ".") + "\\" + file_name;
        std::ofstream(path, std::ios::binary) << content;
        return OneNumberFax(path);
    }

    ServiceEndpoint m_endpoint;
};

TEST_F(Schannel, AccountLookupThenCoverPages) {
    RecordingNotifier notifier;
    ASSERT_EQ(LookupAccount(kKey, false, notifier, m_endpoint), 0);
    ASSERT_EQ(notifier.boxes.size(), 1u);
    EXPECT_EQ(notifier.boxes[0].text, "Success! Your driver setup is complete");
    EXPECT_EQ(notifier.boxes[0].icon, kIconInformation);
    EXPECT_EQ(ReadSettingText("userId"), "u-4f7a2c19-8e3b-4d61-a0c5-19b2e7d3f801");
    EXPECT_EQ(ReadSettingText("COVERPAGEID"), "cp-2b7e4d90-confidential");

    CoverPageLists lists;
    CString default_name;
    EXPECT_EQ(RequestCoverPages(kKey, lists, default_name, notifier, m_endpoint), 0);
    EXPECT_EQ(notifier.boxes.size(), 1u);
    ASSERT_EQ(lists.names.GetSize(), 5);
    EXPECT_EQ(lists.names[4], "Memo: urgent");
    EXPECT_EQ(default_name, "Confidential");
    EXPECT_EQ(PlanCoverPageFill(lists, default_name).selection, 1);
}

TEST_F(Schannel, ContactsWithAnEncodedSearch) {
    WriteSetting(kSettingsSection, "USERNAME", kKey);
    RecordingNotifier notifier;
    const ContactListing all = ReloadContacts("", kContactsOrderAscending, notifier, m_endpoint);
    EXPECT_EQ(all.status, 0);
    EXPECT_EQ(all.records.GetSize(), 44);

    const ContactListing smith = ReloadContacts("smith, j", kContactsOrderAscending, notifier, m_endpoint);
    ASSERT_EQ(smith.status, 0);
    ASSERT_EQ(smith.records.GetSize(), 1);
    ContactRecord record;
    ASSERT_TRUE(ReadContactRecord(smith.records[0], record));
    EXPECT_EQ(record.name, "Smith, John");
    EXPECT_EQ(record.uuid, "c0000005-5a1e-4c2d-9b3f-7e6d00000005");
    EXPECT_TRUE(notifier.boxes.empty());
}

TEST_F(Schannel, FaxSubmissionStoresTheFile) {
    const std::string pdf = "%PDF-1.4\n% sent through Schannel\n%%EOF\n";
    RecordingNotifier notifier;
    EXPECT_EQ(SubmitFax(Fax("Fax_schannel.pdf", pdf), notifier, m_endpoint), 1);
    ASSERT_EQ(notifier.boxes.size(), 1u);
    EXPECT_EQ(notifier.boxes[0].text, "Success! Your fax has been sent");

    // The service keeps each fax in its own numbered folder.
    bool found = false;
    for (int seq = 1; seq <= 20 && !found; ++seq) {
        const std::string folder = Env("KESTRID_TEST_OUTBOX") + "/" + std::to_string(seq);
        if (ReadWholeFile(folder + "/Fax_schannel.pdf") == pdf) {
            found = true;
            const std::string fields = ReadWholeFile(folder + "/fields.json");
            EXPECT_NE(fields.find("\"+15551234567\""), std::string::npos);
            EXPECT_LT(fields.find("\"recipientFax\""), fields.find("\"file\""));
        }
    }
    EXPECT_TRUE(found);
}

TEST_F(Schannel, OversizedAnswerStopsTheSubmission) {
    SetFault("huge");
    RecordingNotifier notifier;
    EXPECT_EQ(SubmitFax(Fax("Fax_huge.pdf", "%PDF-1.4\n%%EOF\n"), notifier, m_endpoint), -1);
    ASSERT_EQ(notifier.boxes.size(), 1u);
    EXPECT_EQ(notifier.boxes[0].text, std::string("Upload Failed : ") + curl_easy_strerror(CURLE_ABORTED_BY_CALLBACK));
}

TEST_F(Schannel, UntrustedCertificateIsRefused) {
    ServiceEndpoint other = m_endpoint;
    other.api_base = Env("KESTRID_TEST_UNTRUSTED_BASE");
    WriteSetting(kSettingsSection, "USERNAME", kKey);
    const std::string refused = curl_easy_strerror(CURLE_PEER_FAILED_VERIFICATION);
    RecordingNotifier notifier;
    EXPECT_EQ(LookupAccount(kKey, false, notifier, other), -1);
    EXPECT_EQ(ReloadContacts("", kContactsOrderAscending, notifier, other).status, -1);
    ASSERT_EQ(notifier.boxes.size(), 2u);
    EXPECT_EQ(notifier.boxes[0].text, "Upload Failed : " + refused);
    EXPECT_EQ(notifier.boxes[1].text, refused);
}

}  // namespace
