#include "ui/send/send_flow.h"
#include "base/settings_store.h"
#include "ui/send/number_entry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// The controls as plain values, with a record of what the flow did to them.
class FakeWindow : public SendFlowWindow {
public:
    CString NumberFieldText() override { return field; }
    void ClearNumberField() override {
        field = "(   )-   -    ";
        ++clears;
    }
    void FocusNumberField() override { ++focuses; }
    void RebuildPanel() override { ++rebuilds; }
    CString CoverPageName() override { return cover_name; }
    CString RecipientName() override { return "Ann"; }
    CString Subject() override { return "Quarter"; }
    CString Notes() override { return " two pages "; }

    CString field;
    CString cover_name;
    int clears = 0, focuses = 0, rebuilds = 0;
};

class SendFlow : public testing::Test {
protected:
    void SetUp() override {
        root_ =
            std::filesystem::temp_directory_path() / ("send-flow-" + std::to_string(::getpid()) + "-" +
                                                      testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_);
        setenv("KESTRID_SETTINGS_DIR", root_.c_str(), 1);
        state_.key = "k";
        state_.print_file = "C:\\Files\\Fax_12092026-020805.pdf";
        state_.pdf_ready = true;
        state_.prefix = "1";
    }
    void TearDown() override {
        unsetenv("KESTRID_SETTINGS_DIR");
        std::filesystem::remove_all(root_);
    }
    static void StoreAccount(const char* user, const char* account) {
        WriteSetting(kSettingsSection, "userId", user);
        WriteSetting(kSettingsSection, "accountId", account);
    }
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const auto& box : notifier_.boxes) texts.push_back(box.text.str());
        return texts;
    }

    std::filesystem::path root_;
    FakeWindow window_;
    SendState state_;
    RecordingNotifier notifier_;
};

using Texts = std::vector<std::string>;

}  // namespace

TEST(NumberField, AddAndSendJudgeTheFieldAlike) {
    struct Case {
        const char* trimmed;
        NumberFieldVerdict add;
        NumberFieldVerdict send;
    } cases[] = {
        {"", NumberFieldVerdict::Empty, NumberFieldVerdict::Ignore},
        {"(   )-   -", NumberFieldVerdict::Invalid, NumberFieldVerdict::Ignore},  // the untouched mask
        {"(555)-123-", NumberFieldVerdict::Invalid, NumberFieldVerdict::Invalid},
        {"555-123", NumberFieldVerdict::Invalid, NumberFieldVerdict::Invalid},
        {"(555)-123-456", NumberFieldVerdict::Invalid, NumberFieldVerdict::Invalid},
        {"(555)-123-4567", NumberFieldVerdict::Add, NumberFieldVerdict::Add},
        {"1+44 20 7946 0958", NumberFieldVerdict::Add, NumberFieldVerdict::Add},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CheckNumberForAdd(c.trimmed), c.add) << c.trimmed;
        EXPECT_EQ(CheckNumberForSend(c.trimmed), c.send) << c.trimmed;
    }
    EXPECT_EQ(StripNumber("(555)-123 4567"), "5551234567");
}

TEST_F(SendFlow, AddButtonTakesACompleteNumberAndRefusesTheRest) {
    struct Case {
        const char* field;
        bool added;
        const char* box;
    } cases[] = {
        {"  (555)-123-4567 ", true, nullptr},
        {"", false, "Enter Fax Number"},
        {"   ", false, "Enter Fax Number"},
        {"(555)-12 -    ", false, "Invalid Fax Number"},
    };
    for (const auto& c : cases) {
        FakeWindow window;
        SendState state = state_;
        RecordingNotifier notifier;
        window.field = c.field;
        EXPECT_EQ(AddTypedNumber(window, state, notifier), c.added) << c.field;
        if (c.added) {
            EXPECT_TRUE(notifier.boxes.empty());
            ASSERT_EQ(state.recipients.GetSize(), 1);
            EXPECT_EQ(state.recipients.numbers[0], "(555)-123-4567");
            EXPECT_EQ(state.recipients.display_texts[0], "(555)-123-4567");
            EXPECT_EQ(state.recipients.prefixes[0], "1");
            EXPECT_EQ((std::vector<int>{window.rebuilds, window.clears, window.focuses}), (std::vector<int>{1, 1, 0}));
        } else {
            ASSERT_EQ(notifier.boxes.size(), 1u) << c.field;
            EXPECT_EQ(notifier.boxes[0].text, c.box);
            EXPECT_EQ(notifier.boxes[0].caption, "Vantrel");
            EXPECT_EQ(notifier.boxes[0].icon, kIconExclamation);
            EXPECT_TRUE(state.recipients.IsEmpty());
            EXPECT_EQ(window.field, c.field);  // the text stays for correction
            EXPECT_EQ((std::vector<int>{window.rebuilds, window.clears, window.focuses}), (std::vector<int>{0, 0, 1}));
        }
    }
}

TEST_F(SendFlow, SameNumberMayBeAddedTwice) {
    window_.field = "(555)-123-4567";
    ASSERT_TRUE(AddTypedNumber(window_, state_, notifier_));
    window_.field = "(555)-123-4567";
    ASSERT_TRUE(AddTypedNumber(window_, state_, notifier_));
    EXPECT_EQ(state_.recipients.GetSize(), 2);
}

TEST_F(SendFlow, SendStopsOnTheFieldOrOnMissingRecipients) {
    struct Case {
        const char* what;
        const char* field;
        bool listed;  // a recipient is already in the lists
        bool submit;
        Texts boxes;
        int recipients_after;
    } cases[] = {
        {"a short number stops even with recipients", "555-123", true, false, {"Invalid Fax Number"}, 1},
        {"empty field and no recipients", "", false, false, {"Fax Number is empty"}, 0},
        {"untouched mask and no recipients", "(   )-   -    ", false, false, {"Fax Number is empty"}, 0},
        {"untouched mask with recipients", "(   )-   -    ", true, true, {}, 1},
        {"a complete number in the field is taken", "(555)-123-4567", false, true, {}, 1},
        {"and added to those listed", "(555)-123-4567", true, true, {}, 2},
    };
    for (const auto& c : cases) {
        FakeWindow window;
        SendState state = state_;
        RecordingNotifier notifier;
        if (c.listed) state.recipients.AddContact("15559876543", "c-17", "Smith, John", "");
        window.field = c.field;
        FaxSubmission fax;
        EXPECT_EQ(PrepareSubmission(window, state, notifier, fax), c.submit) << c.what;
        std::vector<std::string> shown;
        for (const auto& box : notifier.boxes) shown.push_back(box.text.str());
        EXPECT_EQ(shown, c.boxes) << c.what;
        EXPECT_EQ(state.recipients.GetSize(), c.recipients_after) << c.what;
        if (c.submit) {
            EXPECT_EQ(fax.numbers.GetSize(), c.recipients_after) << c.what;
            EXPECT_EQ(fax.key, "k");
            EXPECT_EQ(fax.print_file, state_.print_file);
        }
    }
}

TEST_F(SendFlow, AJobThatWasNeverConvertedIsNeverSent) {
    StoreAccount("u-1", "a-1");
    struct Case {
        const char* what;
        const char* field;
        bool listed;
        int cover_page;
    } cases[] = {
        {"a number in the field", "(555)-123-4567", false, 0},
        {"recipients listed", "(   )-   -    ", true, 0},
        {"both, cover page on", "(555)-123-4567", true, 1},
        {"a short number: the missing PDF is told first", "555-123", true, 0},
        {"nothing at all", "", false, 0},
    };
    for (const auto& c : cases) {
        WriteSetting(kSettingsSection, "COVERPAGENAME", "before");
        FakeWindow window;
        window.field = c.field;
        window.cover_name = "Memo";
        SendState state = state_;
        state.pdf_ready = false;
        state.print_file = "C:\\spool\\job 7.ps";
        state.cover_page = c.cover_page;
        if (c.listed) state.recipients.AddContact("15559876543", "c-17", "Smith, John", "");
        const int listed = state.recipients.GetSize();
        RecordingNotifier notifier;
        FaxSubmission fax;
        EXPECT_FALSE(PrepareSubmission(window, state, notifier, fax)) << c.what;
        ASSERT_EQ(notifier.boxes.size(), 1u) << c.what;
        EXPECT_EQ(notifier.boxes[0].text, "Unable to convert the print job to PDF") << c.what;
        EXPECT_EQ(notifier.boxes[0].caption, "Fax") << c.what;
        EXPECT_EQ(notifier.boxes[0].icon, kIconExclamation) << c.what;
        // Nothing moves: the field, the lists and the stored cover page stay.
        EXPECT_EQ(state.recipients.GetSize(), listed) << c.what;
        EXPECT_EQ(window.clears + window.rebuilds, 0) << c.what;
        EXPECT_EQ(ReadSettingText("COVERPAGENAME"), "before") << c.what;
        EXPECT_TRUE(fax.print_file.IsEmpty()) << c.what;
    }
}

TEST_F(SendFlow, CoverPageOffSendsNoCoverFieldsAndChecksNoAccount) {
    window_.field = "(555)-123-4567";
    window_.cover_name = "Memo";
    WriteSetting(kSettingsSection, "COVERPAGENAME", "Standard");
    FaxSubmission fax;
    ASSERT_TRUE(PrepareSubmission(window_, state_, notifier_, fax));  // no userId stored: not needed
    EXPECT_TRUE(notifier_.boxes.empty());
    EXPECT_EQ(fax.cover_page, 0);
    EXPECT_EQ(fax.subject, "");
    EXPECT_EQ(fax.cover_page_id, "");
    EXPECT_EQ(ReadSettingText("COVERPAGENAME"), "Standard");
    EXPECT_EQ(BuildRecipientTexts(fax.numbers, fax.contact_ids, fax.prefixes).numbers, "+15551234567");
}

TEST_F(SendFlow, CoverPageOnNeedsTheAccountAndRemembersTheChoice) {
    struct Case {
        const char* user;
        const char* account;
        bool submit;
        const char* box;
    } cases[] = {
        {"", "a-1", false, "Relogin application to receive userid"},
        {"", "", false, "Relogin application to receive userid"},
        {"u-1", "", false, "Relogin application to receive accountid"},
        {"u-1", "a-1", true, nullptr},
    };
    for (const auto& c : cases) {
        StoreAccount(c.user, c.account);
        WriteSetting(kSettingsSection, "COVERPAGENAME", "before");
        FakeWindow window;
        SendState state = state_;
        state.cover_page = 1;
        state.cover_pages.ids.Add("cp-1");
        state.cover_pages.names.Add("Memo");
        state.cover_pages.ids.Add("cp-2");
        state.cover_pages.names.Add("Memo");
        window.field = "(555)-123-4567";
        window.cover_name = "Memo";
        RecordingNotifier notifier;
        FaxSubmission fax;
        EXPECT_EQ(PrepareSubmission(window, state, notifier, fax), c.submit) << c.user << "/" << c.account;
        // The field's number is in the lists before the account is checked.
        EXPECT_EQ(state.recipients.GetSize(), 1);
        if (c.submit) {
            EXPECT_TRUE(notifier.boxes.empty());
            EXPECT_EQ(ReadSettingText("COVERPAGENAME"), "Memo");
            EXPECT_EQ(fax.cover_page, 1);
            EXPECT_EQ(fax.cover_page_id, "cp-1");  // the first of two equal names
            EXPECT_EQ(fax.recipient_name, "Ann");
            EXPECT_EQ(fax.subject, "Quarter");
            EXPECT_EQ(fax.notes, " two pages ");  // sent as it stands
        } else {
            ASSERT_EQ(notifier.boxes.size(), 1u);
            EXPECT_EQ(notifier.boxes[0].text, c.box);
            EXPECT_EQ(notifier.boxes[0].icon, kIconHand);
            EXPECT_EQ(ReadSettingText("COVERPAGENAME"), "before");
        }
    }
}

TEST_F(SendFlow, AnEmptyCoverPageListSendsAnEmptyIdAndStoresAnEmptyName) {
    StoreAccount("u-1", "a-1");
    WriteSetting(kSettingsSection, "COVERPAGENAME", "before");
    state_.cover_page = 1;
    state_.recipients.AddTypedNumber("(555)-123-4567", "1");
    FaxSubmission fax;
    ASSERT_TRUE(PrepareSubmission(window_, state_, notifier_, fax));
    EXPECT_EQ(fax.cover_page_id, "");
    EXPECT_EQ(ReadSettingText("COVERPAGENAME"), "");
}

TEST_F(SendFlow, CoverPageSwitchNamesTheFirstMissingValue) {
    struct Case {
        const char* user;
        const char* account;
        Texts boxes;
    } cases[] = {
        {"", "", {"Relogin application to receive userid"}},
        {"u-1", "", {"Relogin application to receive accountid"}},
        {"u-1", "a-1", {}},
    };
    for (const auto& c : cases) {
        StoreAccount(c.user, c.account);
        RecordingNotifier notifier;
        EXPECT_EQ(MayTurnCoverPageOn(notifier), c.boxes.empty()) << c.user << "/" << c.account;
        std::vector<std::string> shown;
        for (const auto& box : notifier.boxes) shown.push_back(box.text.str());
        EXPECT_EQ(shown, c.boxes);
    }
}

TEST(CoverPageLookup, ExactNameGivesTheIdAtTheSameIndex) {
    CoverPageLists lists;
    for (const char* id : {"cp-1", "cp-2", "cp-3"}) lists.ids.Add(id);
    for (const char* name : {"Memo Long", "Memo", "memo"}) lists.names.Add(name);
    EXPECT_EQ(LookupCoverPageId(lists, "Memo"), "cp-2");
    EXPECT_EQ(LookupCoverPageId(lists, "memo"), "cp-3");
    EXPECT_EQ(LookupCoverPageId(lists, "Mem"), "");
    EXPECT_EQ(LookupCoverPageId(lists, ""), "");
    lists.names.Add("Orphan");  // a name without an identifier
    EXPECT_EQ(LookupCoverPageId(lists, "Orphan"), "");
}

TEST(SendOutcome, OnlyAConfirmedFaxEndsTheWindow) {
    EXPECT_TRUE(SubmissionEndsWindow(1));
    for (int result : {0, -1, -2}) EXPECT_FALSE(SubmissionEndsWindow(result)) << result;
}
