// The four requests against the local fax service over real HTTPS: what goes
// on the wire, what is stored, and what the user is shown.
#include "sandbox_fixture.h"

#include "base/settings_store.h"
#include "framework/notifier.h"
#include "service/account_lookup.h"
#include "service/contact_listing.h"
#include "service/contact_record.h"
#include "service/cover_pages.h"
#include "service/fax_submission.h"
#include "tests/support/one_number_fax.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

const char kKey[] = "test-key-123";
const char kUserId[] = "u-4f7a2c19-8e3b-4d61-a0c5-19b2e7d3f801";
const char kAccountId[] = "a-9c1e5b73-2d48-4f0a-b6e9-3a7c0d5e1f22";
const char kInvalidKey[] = "Invalid key. Please check your key and try again";

std::string UploadFailed(CURLcode code) { return std::string("Upload Failed : ") + curl_easy_strerror(code); }

// A connection closed by the service is reported with libcurl's own text for
// one of the ways a transfer ends early; which one depends on the moment.
bool IsDroppedConnectionText(const std::string& text) {
    for (CURLcode code : {CURLE_GOT_NOTHING, CURLE_RECV_ERROR, CURLE_SEND_ERROR, CURLE_PARTIAL_FILE,
                          CURLE_SSL_CONNECT_ERROR, CURLE_HTTP2})
        if (text == curl_easy_strerror(code)) return true;
    return false;
}

std::vector<std::string> Without(const std::vector<std::string>& headers, std::initializer_list<const char*> names) {
    std::vector<std::string> kept;
    for (const std::string& header : headers) {
        bool drop = false;
        for (const char* name : names) drop = drop || header.rfind(std::string(name) + ":", 0) == 0;
        if (!drop) kept.push_back(header);
    }
    return kept;
}

struct Box {
    std::string text;
    unsigned icon;
    bool operator==(const Box& o) const { return text == o.text && icon == o.icon; }
};
std::ostream& operator<<(std::ostream& out, const Box& box) {
    return out << "[" << box.text << " / " << box.icon << "]";
}

std::vector<Box> Boxes(const RecordingNotifier& notifier) {
    std::vector<Box> boxes;
    for (const auto& box : notifier.boxes) {
        EXPECT_EQ(box.caption, "Vantrel");
        boxes.push_back({box.text.str(), box.icon});
    }
    return boxes;
}

class ServiceRequests : public testing::Test {
protected:
    void SetUp() override {
        ClearSettings();
        TrustedSandbox().SetFault("none");
    }
    Sandbox& sandbox() { return TrustedSandbox(); }
    ServiceEndpoint endpoint() { return sandbox().Endpoint(); }
    std::string host() { return "Host: localhost:" + std::to_string(sandbox().port()); }

    void StoreAccountIds() {
        WriteSetting(kSettingsSection, "userId", kUserId);
        WriteSetting(kSettingsSection, "accountId", kAccountId);
    }

    std::string MakePdf(const std::string& name, const std::string& content) {
        std::string path = ScratchDir() + "/" + name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    FaxSubmission SimpleFax() {
        return kestrid_test::OneNumberFax(MakePdf("Fax_job.pdf", "%PDF-1.4\n% test job\n%%EOF\n"));
    }
};

// ---- account lookup -------------------------------------------------------

TEST_F(ServiceRequests, AccountLookupStoresTheAccount) {
    RecordingNotifier notifier;
    testing::internal::CaptureStdout();
    const int result = LookupAccount(kKey, false, notifier, endpoint());
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Boxes(notifier), (std::vector<Box>{{"Success! Your driver setup is complete", kIconInformation}}));

    const LoggedRequest request = sandbox().LastRequest();
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.path, "/v1/me");
    EXPECT_EQ(request.query, "");
    EXPECT_EQ(request.headers, (std::vector<std::string>{host(), "Accept: */*", "cache-control: no-cache",
                                                         "authorization: Driver test-key-123"}));
    // The answer is echoed on stdout, followed by a line break.
    EXPECT_NE(out.find("{\"userId\":\"u-4f7a2c19"), std::string::npos);
    EXPECT_EQ(out.substr(out.size() - 3), "}}\n");

    EXPECT_EQ(ReadSettingText("userId"), kUserId);
    EXPECT_EQ(ReadSettingText("accountId"), kAccountId);
    EXPECT_EQ(ReadSettingText("COVERPAGEID"), "cp-2b7e4d90-confidential");
    EXPECT_EQ(ReadSettingText("createdAt"), "2021-06-14T09");  // cut at its first colon
    EXPECT_EQ(ReadSettingText("account"), "faxDefaultCoverPage");
    EXPECT_EQ(ReadSettingText("plan"), "business");

    // A silent run shows nothing and stores the same.
    ClearSettings();
    RecordingNotifier quiet;
    EXPECT_EQ(LookupAccount(kKey, true, quiet, endpoint()), 0);
    EXPECT_TRUE(quiet.boxes.empty());
    EXPECT_EQ(ReadSettingText("accountId"), kAccountId);
}

TEST_F(ServiceRequests, AccountLookupFailuresLeaveTheStoreAsItWas) {
    struct Case {
        const char* fault;  // nullptr: a key the service does not know
        std::string shown;
    } cases[] = {
        {nullptr, kInvalidKey},
        {"token-error", kInvalidKey},
        {"error-object", "Service unavailable,code503"},
        {"jwt-expired", "Unable to verify key (HTTP 401)"},
        {"message", "Unable to verify key (HTTP 400)"},
        {"html-502", "Unable to verify key (HTTP 502)"},
        // A good answer verifies a key only when it names the account.
        {"no-ids", "Unable to verify key (HTTP 200)"},
        {"empty", "Unable to verify key (HTTP 200)"},
        {"drop", ""},  // a transport failure; libcurl's text varies with the moment of the drop
    };
    for (const bool silent : {false, true}) {
        for (const auto& c : cases) {
            const std::string what = std::string(c.fault ? c.fault : "unknown key") + (silent ? " silent" : "");
            for (const char* name : {"userId", "accountId", "COVERPAGEID", "email"})
                WriteSetting(kSettingsSection, name, "old");
            if (c.fault) sandbox().SetFault(c.fault);
            RecordingNotifier notifier;
            const int result = LookupAccount(c.fault ? kKey : "wrong-key", silent, notifier, endpoint());
            EXPECT_EQ(result, -1) << what;
            if (silent) {
                EXPECT_TRUE(notifier.boxes.empty()) << what;
            } else {
                ASSERT_EQ(notifier.boxes.size(), 1u) << what;
                EXPECT_EQ(notifier.boxes[0].icon, kIconHand) << what;
                if (c.shown.empty()) {
                    EXPECT_EQ(notifier.boxes[0].text.Left(16), "Upload Failed : ") << what;
                    EXPECT_TRUE(IsDroppedConnectionText(notifier.boxes[0].text.Mid(16).str()))
                        << notifier.boxes[0].text.str();
                } else {
                    EXPECT_EQ(notifier.boxes[0].text, c.shown) << what;
                }
            }
            // A refused key must not cost the stored key its account.
            for (const char* name : {"userId", "accountId", "COVERPAGEID", "email"})
                EXPECT_EQ(ReadSettingText(name), "old") << what;
        }
    }
}

TEST_F(ServiceRequests, AccountValuesTooLongForTheStoreAreCut) {
    sandbox().SetFault("huge-account");  // the ids, then a "message" of about 700000 bytes
    RecordingNotifier notifier;
    testing::internal::CaptureStdout();
    EXPECT_EQ(LookupAccount(kKey, true, notifier, endpoint()), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(ReadSettingText("userId"), "u-huge");
    const CString stored = ReadSettingText("message");
    EXPECT_EQ(stored.GetLength(), kSettingsBufferSize - 1);  // readable, not lost as "missing"
    EXPECT_EQ(stored.Left(16), "0123456789abcdef");
}

TEST_F(ServiceRequests, TransportFailureIsReportedWithLibcurlsText) {
    ServiceEndpoint closed = endpoint();
    closed.api_base = "https://localhost:1";  // nothing listens there
    RecordingNotifier notifier;
    testing::internal::CaptureStderr();
    EXPECT_EQ(LookupAccount(kKey, false, notifier, closed), -1);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Boxes(notifier), (std::vector<Box>{{UploadFailed(CURLE_COULDNT_CONNECT), kIconHand}}));
    EXPECT_EQ(err, std::string("curl_easy_perform() failed: ") + curl_easy_strerror(CURLE_COULDNT_CONNECT) + "\n");
}

// ---- cover pages ----------------------------------------------------------

TEST_F(ServiceRequests, CoverPagesAreListedWithTheDefaultPreselected) {
    StoreAccountIds();
    WriteSetting(kSettingsSection, "COVERPAGEID", "cp-5e9a1b36-urgent");
    RecordingNotifier notifier;
    CoverPageLists lists;
    lists.ids.Add("stale");
    CString default_name;
    EXPECT_EQ(RequestCoverPages("test-key-123", lists, default_name, notifier, endpoint()), 0);
    EXPECT_TRUE(notifier.boxes.empty());

    const LoggedRequest request = sandbox().LastRequest();
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.path, "/coverpages");
    EXPECT_EQ(request.query, std::string("accountId=") + kAccountId + "&userId=" + kUserId + "&isPublic=true");
    EXPECT_EQ(request.headers, (std::vector<std::string>{host(), "Accept: */*", "authorization: Driver test-key-123",
                                                         "content-type: application/json;", "x-subdomain: app"}));

    ASSERT_EQ(lists.ids.GetSize(), 5);
    ASSERT_EQ(lists.names.GetSize(), 5);
    EXPECT_EQ(lists.names[3], "Memo");
    EXPECT_EQ(lists.names[4], "Memo: urgent");  // not confused with "Memo"
    EXPECT_EQ(lists.ids[4], "cp-5e9a1b36-urgent");
    EXPECT_EQ(default_name, "Memo: urgent");
    EXPECT_EQ(PlanCoverPageFill(lists, default_name, "Memo").selection, 4);

    // The last chosen name is used when the account has no default: the
    // cover page of that whole name, not "Memo Long" that begins with it.
    WriteSetting(kSettingsSection, "COVERPAGENAME", "memo");
    EXPECT_EQ(PlanCoverPageFill(lists, "").selection, 3);
    WriteSetting(kSettingsSection, "COVERPAGENAME", "Memo L");
    EXPECT_EQ(PlanCoverPageFill(lists, "").selection, 2);
    WriteSetting(kSettingsSection, "COVERPAGENAME", "confidential");
    EXPECT_EQ(PlanCoverPageFill(lists, "").selection, 1);
}

TEST_F(ServiceRequests, CoverPagesNeedTheAccountIds) {
    const size_t before = sandbox().RequestCount();
    for (const char* present : {"userId", "accountId"}) {
        ClearSettings();
        WriteSetting(kSettingsSection, present, "x");
        RecordingNotifier notifier;
        CoverPageLists lists;
        lists.names.Add("stale");
        CString default_name;
        EXPECT_EQ(RequestCoverPages(kKey, lists, default_name, notifier, endpoint()), -1);
        EXPECT_TRUE(notifier.boxes.empty());
        EXPECT_TRUE(lists.names.IsEmpty());
    }
    EXPECT_EQ(sandbox().RequestCount(), before);
}

TEST_F(ServiceRequests, CoverPageFailuresLeaveTheListsEmpty) {
    struct Case {
        const char* fault;
        const char* key;
        const char* account_id;
        std::string shown;
    } cases[] = {
        {"error-object", kKey, kAccountId, "Service unavailable,code503"},
        {nullptr, "wrong-key", kAccountId, kInvalidKey},
        {"jwt-expired", kKey, kAccountId, ""},  // neither rule: an empty listing
        {nullptr, kKey, "a-other&userId=x", "Account not found,code404"},
        {"drop", kKey, kAccountId, "Upload Failed : "},
    };
    for (const auto& c : cases) {
        StoreAccountIds();
        WriteSetting(kSettingsSection, "accountId", c.account_id);
        if (c.fault) sandbox().SetFault(c.fault);
        RecordingNotifier notifier;
        CoverPageLists lists;
        CString default_name;
        const int result = RequestCoverPages(c.key, lists, default_name, notifier, endpoint());
        EXPECT_TRUE(lists.ids.IsEmpty()) << c.shown;
        EXPECT_TRUE(lists.names.IsEmpty()) << c.shown;
        if (c.shown.empty()) {
            EXPECT_EQ(result, 0);
            EXPECT_TRUE(notifier.boxes.empty());
            continue;
        }
        EXPECT_EQ(result, -1) << c.shown;
        ASSERT_EQ(notifier.boxes.size(), 1u) << c.shown;
        EXPECT_EQ(notifier.boxes[0].icon, kIconHand);
        EXPECT_EQ(notifier.boxes[0].text.str().substr(0, c.shown.size()), c.shown);
    }
    // The account id travelled encoded, so it could not add a parameter.
    EXPECT_EQ(sandbox().Requests()[sandbox().RequestCount() - 2].query,
              std::string("accountId=a-other%26userId%3Dx&userId=") + kUserId + "&isPublic=true");
}

TEST_F(ServiceRequests, AnAbandonedCoverPageListingStopsSoonAfter) {
    // A listing nobody waits for any more (its window has gone) must not hold
    // the program for as long as the service takes to answer.
    StoreAccountIds();
    struct Case {
        const char* name;
        const char* fault;
        double abandon_after_s;  // < 0: never
        int result;
        double at_most_s;
    } cases[] = {
        {"kept, fine answer", nullptr, -1, 0, 8.0},
        {"abandoned while the service holds the line", "stall", 0.5, -1, 3.5},
        {"abandoned before it began", "stall", 0.0, -1, 2.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.fault) sandbox().SetFault(c.fault);
        const size_t before = sandbox().RequestCount();
        std::atomic<bool> abandoned{c.abandon_after_s == 0.0};
        RecordingNotifier notifier;
        CoverPageLists lists;
        CString default_name;
        int result = 1;
        const auto start = std::chrono::steady_clock::now();
        std::thread listing(
            [&] { result = RequestCoverPages(kKey, lists, default_name, notifier, endpoint(), &abandoned); });
        if (c.abandon_after_s > 0) {
            std::this_thread::sleep_for(std::chrono::duration<double>(c.abandon_after_s));
            abandoned = true;
        }
        listing.join();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_EQ(result, c.result);
        // The stalled line would hold it for the endpoint's 10 s low-speed time.
        EXPECT_LT(seconds, c.at_most_s);
        EXPECT_EQ(lists.names.IsEmpty(), c.result != 0);
        if (c.abandon_after_s > 0) {
            EXPECT_EQ(sandbox().RequestCount(), before + 1) << "the request was under way";
        }
        sandbox().SetFault("none");
    }
}

// ---- contacts ---------------------------------------------------------------

TEST_F(ServiceRequests, ContactsAreListedAsRecords) {
    WriteSetting(kSettingsSection, "USERNAME", kKey);
    RecordingNotifier notifier;
    const ContactListing listing = ReloadContacts("", kContactsOrderAscending, notifier, endpoint());
    EXPECT_EQ(listing.status, 0);
    EXPECT_TRUE(notifier.boxes.empty());

    const LoggedRequest request = sandbox().LastRequest();
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.path, "/v1/contacts");
    EXPECT_EQ(request.query, "order=name%20asc&limit=3000");
    EXPECT_EQ(request.headers, (std::vector<std::string>{host(), "Accept: */*", "cache-control: no-cache",
                                                         "authorization: Driver test-key-123"}));

    // 32 contacts and the 12 members of the organisations.
    ASSERT_EQ(listing.records.GetSize(), 44);
    int entries = 0;
    bool found_smith = false;
    for (int i = 0; i < listing.records.GetSize(); ++i) {
        ContactRecord record;
        ASSERT_TRUE(ReadContactRecord(listing.records[i], record)) << listing.records[i].str();
        if (record.level == 1) ++entries;
        if (record.level == 1 && record.member_count > 0) {
            // Its members follow it directly.
            for (int m = 1; m <= record.member_count; ++m) {
                ContactRecord member;
                ASSERT_TRUE(ReadContactRecord(listing.records[i + m], member));
                EXPECT_EQ(member.level, 0);
            }
        }
        if (record.uuid == "c0000005-5a1e-4c2d-9b3f-7e6d00000005") {
            found_smith = true;
            EXPECT_EQ(record.name, "Smith, John");
            EXPECT_EQ(record.fax, "+15551234567");
        }
    }
    EXPECT_EQ(entries, 32);
    EXPECT_TRUE(found_smith);
}

TEST_F(ServiceRequests, ContactSearchAndOrderTravelEncoded) {
    WriteSetting(kSettingsSection, "USERNAME", kKey);
    struct Case {
        const char* search;
        const char* order;
        const char* query;
        const char* first_name;
    } cases[] = {
        {"AT&T", kContactsOrderAscending, "order=name%20asc&query=AT%26T&limit=3000", "AT&T Business Fax"},
        {"jo an", kContactsOrderAscending, "order=name%20asc&query=jo%20an&limit=3000", "Jo Anne Miller"},
        {"", kContactsOrderDescending, "order=name%20desc&limit=3000", nullptr},
    };
    for (const auto& c : cases) {
        RecordingNotifier notifier;
        const ContactListing listing = ReloadContacts(c.search, c.order, notifier, endpoint());
        EXPECT_EQ(listing.status, 0) << c.search;
        EXPECT_EQ(sandbox().LastRequest().query, c.query);
        ASSERT_FALSE(listing.records.IsEmpty()) << c.search;
        ContactRecord first;
        ASSERT_TRUE(ReadContactRecord(listing.records[0], first));
        if (c.first_name) {
            EXPECT_EQ(first.name, c.first_name) << c.search;
        }
    }

    // Descending is the exact reverse of ascending, entry by entry.
    const auto entry_ids = [&](const char* order) {
        RecordingNotifier notifier;
        const ContactListing listing = ReloadContacts("", order, notifier, endpoint());
        std::vector<std::string> ids;
        for (int i = 0; i < listing.records.GetSize(); ++i) {
            ContactRecord record;
            EXPECT_TRUE(ReadContactRecord(listing.records[i], record)) << listing.records[i].str();
            if (record.level == 1) ids.push_back(record.uuid.str());
        }
        return ids;
    };
    std::vector<std::string> ascending = entry_ids(kContactsOrderAscending);
    const std::vector<std::string> descending = entry_ids(kContactsOrderDescending);
    ASSERT_GT(ascending.size(), 2u);
    std::reverse(ascending.begin(), ascending.end());
    EXPECT_EQ(descending, ascending);

    RecordingNotifier notifier;
    const ContactListing none = ReloadContacts("no such contact", kContactsOrderAscending, notifier, endpoint());
    EXPECT_EQ(none.status, 0);
    EXPECT_TRUE(none.answer_text.IsEmpty());
    EXPECT_TRUE(none.records.IsEmpty());
    EXPECT_TRUE(notifier.boxes.empty());
}

TEST_F(ServiceRequests, ContactFailuresShowTheMessageAlone) {
    struct Case {
        const char* fault;
        const char* key;
        std::string shown;
    } cases[] = {
        {nullptr, "", kInvalidKey},  // no key stored: sent empty all the same
        {"jwt-expired", kKey, "jwt expired"},
        {"empty", kKey, ""},
        {"error-object", kKey, "Service unavailable,code503"},
        {"drop", kKey, "?"},  // libcurl's text, without "Upload Failed"
    };
    for (const auto& c : cases) {
        WriteSetting(kSettingsSection, "USERNAME", c.key);
        if (c.fault) sandbox().SetFault(c.fault);
        RecordingNotifier notifier;
        const ContactListing listing = ReloadContacts("", kContactsOrderAscending, notifier, endpoint());
        EXPECT_EQ(listing.status, -1) << c.shown;
        EXPECT_TRUE(listing.records.IsEmpty());
        ASSERT_EQ(notifier.boxes.size(), 1u) << c.shown;
        EXPECT_EQ(notifier.boxes[0].icon, kIconHand);
        if (c.shown == "?")
            EXPECT_TRUE(IsDroppedConnectionText(notifier.boxes[0].text.str())) << notifier.boxes[0].text.str();
        else EXPECT_EQ(notifier.boxes[0].text, c.shown);
    }
    EXPECT_EQ(sandbox().Requests()[sandbox().RequestCount() - 5].headers.back(), "authorization: Driver ");
}

// ---- fax submission ---------------------------------------------------------

TEST_F(ServiceRequests, FaxIsSentWithItsPartsInOrder) {
    FaxSubmission fax = SimpleFax();
    fax.numbers.Add("Acme");
    fax.contact_ids.Add("c0000005-5a1e-4c2d-9b3f-7e6d00000005");
    fax.prefixes.Add("");
    fax.recipient_name = "ignored without a cover page";
    const int before = sandbox().StoredFaxCount();

    RecordingNotifier notifier;
    testing::internal::CaptureStderr();
    EXPECT_EQ(SubmitFax(fax, notifier, endpoint()), 1);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Boxes(notifier), (std::vector<Box>{{"Success! Your fax has been sent", kIconInformation}}));
    EXPECT_NE(err.find("UP: "), std::string::npos);

    const LoggedRequest request = sandbox().LastRequest();
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.path, "/v1/fax/send");
    EXPECT_EQ(Without(request.headers, {"Content-Length", "Content-Type", "Expect"}),
              (std::vector<std::string>{host(), "Accept: */*", "authorization: Driver test-key-123"}));
    EXPECT_EQ(request.parts, "recipientFax,recipientContacts,coverPage,file");

    ASSERT_EQ(sandbox().StoredFaxCount(), before + 1);
    const std::vector<StoredPart> parts = sandbox().StoredFax(before + 1);
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_EQ(parts[0].name, "recipientFax");
    EXPECT_EQ(parts[0].value, "\"+15551234567\"");
    EXPECT_EQ(parts[1].name, "recipientContacts");
    EXPECT_EQ(parts[1].value, "\"c0000005-5a1e-4c2d-9b3f-7e6d00000005\"");
    EXPECT_EQ(parts[2].name, "coverPage");
    EXPECT_EQ(parts[2].value, "\"false\"");
    EXPECT_EQ(parts[3].name, "file");
    EXPECT_EQ(parts[3].filename, "Fax_job.pdf");
    EXPECT_EQ(parts[3].content_type, "application/pdf");
    EXPECT_EQ(ReadWholeFile(sandbox().OutboxFolder(before + 1) + "/Fax_job.pdf"), ReadWholeFile(fax.print_file.str()));
}

TEST_F(ServiceRequests, CoverPageFieldsFollowTheFile) {
    FaxSubmission fax = SimpleFax();
    fax.cover_page = 1;
    fax.recipient_name = "Ann Lee ";
    fax.subject = "Quarterly, report";
    fax.notes = "Line one\r\nLine two";
    fax.cover_page_id = "cp-4d8f0a27-memo";
    const int before = sandbox().StoredFaxCount();
    RecordingNotifier notifier;
    EXPECT_EQ(SubmitFax(fax, notifier, endpoint()), 1);

    const std::vector<StoredPart> parts = sandbox().StoredFax(before + 1);
    std::vector<std::string> got;
    got.reserve(parts.size());
    for (const StoredPart& part : parts) got.push_back(part.name + "=" + part.value);
    EXPECT_EQ(got,
              (std::vector<std::string>{"recipientFax=\"+15551234567\"", "recipientContacts=\"\"", "coverPage=\"true\"",
                                        "file=-", "recipientName=\"Ann Lee \"", "subject=\"Quarterly, report\"",
                                        "notes=\"Line one\\r\\nLine two\"", "coverPageId=\"cp-4d8f0a27-memo\""}));
}

TEST_F(ServiceRequests, CoverPageTextArrivesAsUtf8) {
    FaxSubmission fax = SimpleFax();
    fax.cover_page = 1;
    fax.recipient_name = "Zo\xeb M\xfcller";
    fax.subject =
        "Gr\xf6\xdf"
        "e 5 \x80";
    fax.notes =
        "Gr\xfc\xdf"
        "e";
    fax.cover_page_id = "cp-4d8f0a27-memo";
    const int before = sandbox().StoredFaxCount();
    RecordingNotifier notifier;
    EXPECT_EQ(SubmitFax(fax, notifier, endpoint()), 1);

    // The bytes as the service got them: UTF-8, and plain ASCII unchanged.
    std::vector<std::string> got;
    for (const StoredPart& part : sandbox().StoredFax(before + 1)) got.push_back(part.name + "=" + part.bytes_hex);
    EXPECT_EQ(got, (std::vector<std::string>{"recipientFax=2b3135353531323334353637",
                                             "recipientContacts=", "coverPage=74727565", "file=-",
                                             "recipientName=5a6fc3ab204dc3bc6c6c6572",  // Zoë Müller
                                             "subject=4772c3b6c39f65203520e282ac",      // Größe 5 €
                                             "notes=4772c3bcc39f65",                    // Grüße
                                             "coverPageId=63702d34643866306132372d6d656d6f"}));
}

TEST_F(ServiceRequests, LargePrintFilesAreSentWhole) {
    // Only the answer is capped, never the upload.
    std::string content = "%PDF-1.4\n";
    for (int i = 0; content.size() < 2500000; ++i) content += static_cast<char>((i * 131 + i / 7) & 0xFF);
    FaxSubmission fax = SimpleFax();
    fax.print_file = MakePdf("Fax_large.pdf", content).c_str();
    const int before = sandbox().StoredFaxCount();
    RecordingNotifier notifier;
    testing::internal::CaptureStderr();
    EXPECT_EQ(SubmitFax(fax, notifier, endpoint()), 1);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(Boxes(notifier), (std::vector<Box>{{"Success! Your fax has been sent", kIconInformation}}));
    ASSERT_EQ(sandbox().StoredFaxCount(), before + 1);
    EXPECT_TRUE(ReadWholeFile(sandbox().OutboxFolder(before + 1) + "/Fax_large.pdf") == content);
}

TEST_F(ServiceRequests, SubmissionVerdictsFromTheService) {
    struct Case {
        const char* fault;
        bool recipients;
        std::string shown;
    } cases[] = {
        {nullptr, false, "No recipients,field:recipientFax"},  // refused by the service itself
        {"errors", true, "No recipients,field:recipientFax"},
        {"message", true, "Bad request"},
        {"empty", true, "Unable to upload file"},
        {"html-502", true, "Unable to upload file"},
        {"error-object", true, "Service unavailable,code:503"},
        {"huge", true, UploadFailed(CURLE_ABORTED_BY_CALLBACK)},
    };
    const int before = sandbox().StoredFaxCount();
    for (const auto& c : cases) {
        FaxSubmission fax = SimpleFax();
        if (!c.recipients) {
            fax.numbers.RemoveAll();
            fax.contact_ids.RemoveAll();
            fax.prefixes.RemoveAll();
        }
        if (c.fault) sandbox().SetFault(c.fault);
        RecordingNotifier notifier;
        testing::internal::CaptureStderr();
        EXPECT_EQ(SubmitFax(fax, notifier, endpoint()), -1) << c.shown;
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(Boxes(notifier), (std::vector<Box>{{c.shown, kIconHand}})) << (c.fault ? c.fault : "refusal");
    }
    EXPECT_EQ(sandbox().StoredFaxCount(), before);
}

TEST_F(ServiceRequests, MissingPrintFileFailsTheTransfer) {
    FaxSubmission fax = SimpleFax();
    fax.print_file = ScratchDir() + "/no-such.pdf";
    const int before = sandbox().StoredFaxCount();
    RecordingNotifier notifier;
    EXPECT_EQ(SubmitFax(fax, notifier, endpoint()), -1);
    ASSERT_EQ(notifier.boxes.size(), 1u);
    EXPECT_EQ(notifier.boxes[0].text, UploadFailed(CURLE_READ_ERROR));
    EXPECT_EQ(sandbox().StoredFaxCount(), before);
}

// ---- trust and time limits ----------------------------------------------------

TEST_F(ServiceRequests, UntrustedCertificatesAreRefused) {
    Sandbox& other = UntrustedSandbox();
    ServiceEndpoint endpoint = other.Endpoint();  // trusts only the first sandbox's CA
    WriteSetting(kSettingsSection, "USERNAME", kKey);
    StoreAccountIds();
    const std::string refused = curl_easy_strerror(CURLE_PEER_FAILED_VERIFICATION);

    RecordingNotifier notifier;
    EXPECT_EQ(LookupAccount(kKey, false, notifier, endpoint), -1);
    StoreAccountIds();
    CoverPageLists lists;
    CString default_name;
    EXPECT_EQ(RequestCoverPages(kKey, lists, default_name, notifier, endpoint), -1);
    EXPECT_EQ(ReloadContacts("", kContactsOrderAscending, notifier, endpoint).status, -1);
    EXPECT_EQ(SubmitFax(SimpleFax(), notifier, endpoint), -1);
    EXPECT_EQ(Boxes(notifier), (std::vector<Box>{{"Upload Failed : " + refused, kIconHand},
                                                 {"Upload Failed : " + refused, kIconHand},
                                                 {refused, kIconHand},
                                                 {"Upload Failed : " + refused, kIconHand}}));
    EXPECT_EQ(other.RequestCount(), 0u);
    EXPECT_EQ(other.StoredFaxCount(), 0);

    // The right CA but a name the certificate does not carry.
    ServiceEndpoint by_address = this->endpoint();
    by_address.api_base = "https://127.0.0.1:" + std::to_string(sandbox().port());
    RecordingNotifier address_notifier;
    EXPECT_EQ(LookupAccount(kKey, false, address_notifier, by_address), -1);
    EXPECT_EQ(Boxes(address_notifier), (std::vector<Box>{{"Upload Failed : " + refused, kIconHand}}));
}

TEST_F(ServiceRequests, AStalledServiceIsGivenUp) {
    ServiceEndpoint quick = endpoint();
    quick.low_speed_time_s = 2;
    WriteSetting(kSettingsSection, "USERNAME", kKey);
    for (const char* request : {"lookup", "contacts", "submission"}) {
        sandbox().SetFault("stall");
        RecordingNotifier notifier;
        const auto start = std::chrono::steady_clock::now();
        int result = 0;
        if (std::string(request) == "lookup") result = LookupAccount(kKey, false, notifier, quick);
        if (std::string(request) == "contacts")
            result = ReloadContacts("", kContactsOrderAscending, notifier, quick).status;
        if (std::string(request) == "submission") result = SubmitFax(SimpleFax(), notifier, quick);
        const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_EQ(result, -1) << request;
        // libcurl averages the speed over its last few seconds, so a quick upload
        // before the stall delays the verdict by up to that window.
        EXPECT_LT(seconds, quick.low_speed_time_s + 8.0) << request;
        ASSERT_EQ(notifier.boxes.size(), 1u) << request;
        const std::string timeout = curl_easy_strerror(CURLE_OPERATION_TIMEDOUT);
        EXPECT_EQ(notifier.boxes[0].text, std::string(request) == "contacts" ? timeout : "Upload Failed : " + timeout)
            << request;
    }
}

}  // namespace
