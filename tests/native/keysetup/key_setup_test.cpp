// The set-up action of the key-setup window: which keys reach the service,
// what the user is shown, and what is kept, first with a stand-in lookup,
// then with the real one against the local fax service.
#include "sandbox_fixture.h"

#include "base/settings_store.h"
#include "framework/notifier.h"
#include "resource.h"
#include "service/account_lookup.h"
#include "ui/keysetup/key_setup.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

const char kGoodKey[] = "test-key-123";
const char kUserId[] = "u-4f7a2c19-8e3b-4d61-a0c5-19b2e7d3f801";
const char kAccountId[] = "a-9c1e5b73-2d48-4f0a-b6e9-3a7c0d5e1f22";
const char* const kAccountValues[] = {"USERNAME", "PASSWORD", "userId", "accountId", "COVERPAGEID", "email"};

std::map<std::string, std::string> StoredValues() {
    std::map<std::string, std::string> values;
    for (const char* name : kAccountValues) values[name] = ReadSettingText(name).str();
    return values;
}

void StoreOldAccount() {
    for (const char* name : kAccountValues) WriteSetting(kSettingsSection, name, (std::string("old-") + name).c_str());
}

// A lookup that answers with a fixed status and remembers what it was asked.
struct FakeLookup {
    int status = 0;
    std::vector<std::string> keys;
    std::vector<bool> silent;
    AccountLookupFn Fn() {
        return [this](const CString& key, bool quiet, Notifier&) {
            keys.push_back(key.str());
            silent.push_back(quiet);
            return status;
        };
    }
};

class KeySetup : public testing::Test {
protected:
    void SetUp() override { ClearSettings(); }
};

TEST_F(KeySetup, OnlyAnAcceptedKeyIsStoredAsBothValues) {
    struct Case {
        std::string key;
        int lookup_status;
        bool stored;
    } cases[] = {
        {"k1", 0, true},
        {"  spaced key  ", 0, true},  // taken as typed, spaces and all
        {std::string(kSettingsBufferSize - 1, 'k'), 0, true},
        {"k1", -1, false},  // refused by the service, already reported
        {"k1", -2, false},  // no transfer at all
    };
    for (const bool silent : {false, true}) {
        for (const auto& c : cases) {
            const std::string what = c.key.substr(0, 20) + " / " + std::to_string(c.lookup_status);
            StoreOldAccount();
            FakeLookup lookup;
            lookup.status = c.lookup_status;
            RecordingNotifier notifier;
            EXPECT_EQ(SetUpKey(c.key, silent, "KestridUI", notifier, lookup.Fn()), c.stored) << what;
            EXPECT_EQ(lookup.keys, std::vector<std::string>{c.key}) << what;
            EXPECT_EQ(lookup.silent, std::vector<bool>{silent}) << what;
            EXPECT_TRUE(notifier.boxes.empty()) << what;  // the lookup itself reports
            EXPECT_EQ(ReadSettingText("USERNAME"), c.stored ? c.key : "old-USERNAME") << what;
            EXPECT_EQ(ReadSettingText("PASSWORD"), c.stored ? c.key : "old-PASSWORD") << what;
        }
    }
}

TEST_F(KeySetup, EmptyOrUnusableKeysNeverReachTheService) {
    struct Case {
        std::string key;
        const char* text;  // the box when not silent
        const char* caption;
        unsigned icon;
    } cases[] = {
        {"", "Enter Username", "KestridUI", kIconExclamation},
        {"good\r\nX-Injected: 1", "Invalid key. Please check your key and try again", "Vantrel", kIconHand},
        {"good\n", "Invalid key. Please check your key and try again", "Vantrel", kIconHand},
        {"\tgood", "Invalid key. Please check your key and try again", "Vantrel", kIconHand},
        {std::string("go") + '\x1f' + "od", "Invalid key. Please check your key and try again", "Vantrel", kIconHand},
        {std::string("go") + '\0' + "od", "Invalid key. Please check your key and try again", "Vantrel", kIconHand},
        // The store could not give it back: it would be lost after "Success".
        {std::string(kSettingsBufferSize, 'k'), "Invalid key. Please check your key and try again", "Vantrel",
         kIconHand},
    };
    for (const bool silent : {false, true}) {
        for (const auto& c : cases) {
            const std::string what = c.text + std::string(silent ? " silent" : "");
            StoreOldAccount();
            FakeLookup lookup;
            RecordingNotifier notifier;
            EXPECT_FALSE(SetUpKey(CString(c.key), silent, "KestridUI", notifier, lookup.Fn())) << what;
            EXPECT_TRUE(lookup.keys.empty()) << what;
            if (silent) {
                EXPECT_TRUE(notifier.boxes.empty()) << what;
            } else {
                ASSERT_EQ(notifier.boxes.size(), 1u) << what;
                EXPECT_EQ(notifier.boxes[0].text, c.text);
                EXPECT_EQ(notifier.boxes[0].caption, c.caption);
                EXPECT_EQ(notifier.boxes[0].icon, c.icon);
            }
            EXPECT_EQ(ReadSettingText("USERNAME"), "old-USERNAME") << what;
            EXPECT_EQ(ReadSettingText("PASSWORD"), "old-PASSWORD") << what;
        }
    }
}

TEST(KeySetupWindowSize, CentredInTheFullScreenAreaAndLifted) {
    struct Case {
        int width, height, left, top;
    } cases[] = {
        {1280, 1004, 357, 216},
        {1920, 1050, 677, 239},
        {566, 533, 0, -20},     // integer halves
        {400, 300, -82, -136},  // a screen smaller than the window
    };
    for (const auto& c : cases) {
        const WindowPlace place = CentredPlace(c.width, c.height, kKeySetupWindow);
        EXPECT_EQ(place.left, c.left) << c.width;
        EXPECT_EQ(place.top, c.top) << c.height;
    }
}

// ---- with the real lookup against the local fax service ------------------

class KeySetupWithService : public testing::Test {
protected:
    void SetUp() override {
        ClearSettings();
        TrustedSandbox().SetFault("none");
    }
    AccountLookupFn RealLookup() {
        return [](const CString& key, bool silent, Notifier& notifier) {
            return LookupAccount(key, silent, notifier, TrustedSandbox().Endpoint());
        };
    }
    bool Run(const CString& key, bool silent, RecordingNotifier& notifier) {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const bool stored = SetUpKey(key, silent, "KestridUI", notifier, RealLookup());
        testing::internal::GetCapturedStdout();
        testing::internal::GetCapturedStderr();
        return stored;
    }
};

TEST_F(KeySetupWithService, AGoodKeyReplacesTheKeyAndTheAccount) {
    StoreOldAccount();
    RecordingNotifier notifier;
    EXPECT_TRUE(Run(kGoodKey, false, notifier));
    ASSERT_EQ(notifier.boxes.size(), 1u);
    EXPECT_EQ(notifier.boxes[0].text, "Success! Your driver setup is complete");
    EXPECT_EQ(notifier.boxes[0].icon, kIconInformation);
    EXPECT_EQ(StoredValues(), (std::map<std::string, std::string>{{"USERNAME", kGoodKey},
                                                                  {"PASSWORD", kGoodKey},
                                                                  {"userId", kUserId},
                                                                  {"accountId", kAccountId},
                                                                  {"COVERPAGEID", "cp-2b7e4d90-confidential"},
                                                                  // the account object's email comes later and wins
                                                                  {"email", "office@example.com"}}));
}

TEST_F(KeySetupWithService, ARefusedKeyLeavesEverythingAsItWas) {
    struct Case {
        const char* key;
        const char* fault;
        const char* shown;  // prefix of the one box when not silent
    } cases[] = {
        {"not-a-key", nullptr, "Invalid key. Please check your key and try again"},
        {kGoodKey, "error-object", "Service unavailable"},
        {kGoodKey, "html-502", "Unable to verify key (HTTP 502)"},
        {kGoodKey, "no-ids", "Unable to verify key (HTTP 200)"},  // a good answer naming no account
        {kGoodKey, "drop", "Upload Failed : "},
    };
    for (const bool silent : {false, true}) {
        for (const auto& c : cases) {
            const std::string what = std::string(c.fault ? c.fault : c.key) + (silent ? " silent" : "");
            StoreOldAccount();
            const auto before = StoredValues();
            if (c.fault) TrustedSandbox().SetFault(c.fault);
            RecordingNotifier notifier;
            EXPECT_FALSE(Run(c.key, silent, notifier)) << what;
            EXPECT_EQ(StoredValues(), before) << what;
            if (silent) {
                EXPECT_TRUE(notifier.boxes.empty()) << what;
            } else {
                ASSERT_EQ(notifier.boxes.size(), 1u) << what;
                EXPECT_EQ(notifier.boxes[0].text.Left(static_cast<int>(std::strlen(c.shown))), c.shown) << what;
                EXPECT_EQ(notifier.boxes[0].icon, kIconHand) << what;
            }
        }
    }
}

TEST_F(KeySetupWithService, AKeyWithALineBreakIsNeverSent) {
    const size_t before = TrustedSandbox().RequestCount();
    RecordingNotifier notifier;
    EXPECT_FALSE(Run("test-key-123\r\nX-Injected: 1", false, notifier));
    ASSERT_EQ(notifier.boxes.size(), 1u);
    EXPECT_EQ(notifier.boxes[0].text, "Invalid key. Please check your key and try again");
    EXPECT_EQ(TrustedSandbox().RequestCount(), before);
    EXPECT_EQ(ReadSettingText("USERNAME"), "");
}

// The request itself refuses such a key too, whoever asks.
TEST_F(KeySetupWithService, ARequestWithAControlCharacterInItsKeyIsNotSent) {
    const size_t before = TrustedSandbox().RequestCount();
    for (const char* key : {"test-key-123\r\nX-Injected: 1", "test-key-123\n", "\ttest-key-123"}) {
        StoreOldAccount();
        RecordingNotifier notifier;
        testing::internal::CaptureStderr();
        EXPECT_EQ(LookupAccount(key, false, notifier, TrustedSandbox().Endpoint()), -1);
        const std::string err = testing::internal::GetCapturedStderr();
        ASSERT_EQ(notifier.boxes.size(), 1u);
        EXPECT_EQ(notifier.boxes[0].text, "Upload Failed : The key holds a control character and was not sent");
        EXPECT_EQ(notifier.boxes[0].icon, kIconHand);
        EXPECT_EQ(err, "curl_easy_perform() failed: The key holds a control character and was not sent\n");
        EXPECT_EQ(ReadSettingText("userId"), "old-userId");
    }
    EXPECT_EQ(TrustedSandbox().RequestCount(), before);
}

}  // namespace
