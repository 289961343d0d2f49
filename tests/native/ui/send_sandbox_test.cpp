// The send button's flow up to the service's verdict, against the local fax
// service: what is sent, and what a refusal leaves behind.
#include "sandbox_fixture.h"

#include "base/settings_store.h"
#include "ui/send/send_flow.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

class Window : public SendFlowWindow {
public:
    CString NumberFieldText() override { return field; }
    void ClearNumberField() override { field = "(   )-   -    "; }
    void FocusNumberField() override {}
    void RebuildPanel() override {}
    CString CoverPageName() override { return "Memo"; }
    CString RecipientName() override { return "Ann Lee"; }
    CString Subject() override { return "Invoice"; }
    CString Notes() override { return "Two pages"; }
    CString field;
};

class SendToSandbox : public testing::Test {
protected:
    void SetUp() override {
        ClearSettings();
        TrustedSandbox().SetFault("none");
        pdf_ = ScratchDir() + "/Fax_12092026-020805.pdf";
        std::ofstream(pdf_, std::ios::binary) << "%PDF-1.4\n% three pages\n%%EOF\n";
        state_.key = "test-key-123";
        state_.print_file = pdf_.c_str();
        state_.pdf_ready = true;
        state_.prefix = "1";
    }

    // The send button: prepare, submit, and whether the window would end.
    int Send(RecordingNotifier& notifier) {
        FaxSubmission fax;
        if (!PrepareSubmission(window_, state_, notifier, fax)) return -99;
        testing::internal::CaptureStderr();
        const int result = SubmitFax(fax, notifier, TrustedSandbox().Endpoint());
        testing::internal::GetCapturedStderr();
        return result;
    }

    std::string pdf_;
    Window window_;
    SendState state_;
};

}  // namespace

TEST_F(SendToSandbox, ARefusalKeepsEverythingForASecondTry) {
    Sandbox& sandbox = TrustedSandbox();
    const int before = sandbox.StoredFaxCount();
    window_.field = "(555)-123-4567";

    sandbox.SetFault("refused");
    RecordingNotifier refused;
    const int first = Send(refused);
    EXPECT_EQ(first, 0);
    EXPECT_FALSE(SubmissionEndsWindow(first));
    ASSERT_EQ(refused.boxes.size(), 1u);
    EXPECT_EQ(refused.boxes[0].text, "Fax refused: the line is not accepting faxes");
    EXPECT_EQ(refused.boxes[0].icon, kIconExclamation);
    EXPECT_EQ(sandbox.StoredFaxCount(), before);
    EXPECT_EQ(state_.recipients.GetSize(), 1);
    EXPECT_TRUE(std::ifstream(pdf_).good());

    RecordingNotifier sent;
    const int second = Send(sent);
    EXPECT_EQ(second, 1);
    EXPECT_TRUE(SubmissionEndsWindow(second));
    ASSERT_EQ(sent.boxes.size(), 1u);
    EXPECT_EQ(sent.boxes[0].text, "Success! Your fax has been sent");
    ASSERT_EQ(sandbox.StoredFaxCount(), before + 1);
    const auto parts = sandbox.StoredFax(before + 1);
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_EQ(parts[0].name, "recipientFax");
    EXPECT_EQ(parts[0].value, "\"+15551234567\"");
    EXPECT_EQ(parts[1].value, "\"\"");
    EXPECT_EQ(parts[2].value, "\"false\"");
    EXPECT_EQ(parts[3].filename, "Fax_12092026-020805.pdf");
}

TEST_F(SendToSandbox, CoverPageFieldsGoWithTheChosenCoverPage) {
    Sandbox& sandbox = TrustedSandbox();
    WriteSetting(kSettingsSection, "userId", "u-4f7a2c19-8e3b-4d61-a0c5-19b2e7d3f801");
    WriteSetting(kSettingsSection, "accountId", "a-9c1e5b73-2d48-4f0a-b6e9-3a7c0d5e1f22");
    RecordingNotifier listing;
    CString default_name;
    ASSERT_EQ(RequestCoverPages(state_.key, state_.cover_pages, default_name, listing, sandbox.Endpoint()), 0);
    state_.cover_page = 1;
    state_.recipients.AddTypedNumber("(555)-123-4567", "1");
    const int before = sandbox.StoredFaxCount();

    RecordingNotifier notifier;
    ASSERT_EQ(Send(notifier), 1);
    const auto parts = sandbox.StoredFax(before + 1);
    ASSERT_EQ(parts.size(), 8u);
    EXPECT_EQ(parts[2].value, "\"true\"");
    EXPECT_EQ(parts[4].name, "recipientName");
    EXPECT_EQ(parts[4].value, "\"Ann Lee\"");
    EXPECT_EQ(parts[5].value, "\"Invoice\"");
    EXPECT_EQ(parts[6].value, "\"Two pages\"");
    EXPECT_EQ(parts[7].name, "coverPageId");
    EXPECT_EQ(parts[7].value, std::string("\"") + LookupCoverPageId(state_.cover_pages, "Memo").GetString() + "\"");
    EXPECT_NE(parts[7].value, "\"\"");
    EXPECT_EQ(ReadSettingText("COVERPAGENAME"), "Memo");
}
