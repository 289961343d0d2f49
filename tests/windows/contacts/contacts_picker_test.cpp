// The contact picker as the user meets it: the real window, panel and rows
// under Wine, the contacts fetched from the local fax service over HTTPS.
// Each test runs the picker modally and drives it from inside its loop.
#include "base/settings_store.h"
#include "framework/notifier.h"
#include "resource.h"
#include "tests/support/sandbox_endpoint.h"
#include "ui/contacts/dlg_contacts.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

using namespace kestrid_test;

namespace {

// The sandbox's request log, next to its outbox.
std::vector<std::string> ContactRequests() {
    std::string outbox = Env("KESTRID_TEST_OUTBOX");
    const std::string log = outbox.substr(0, outbox.find_last_of("\\/")) + "/requests.jsonl";
    std::ifstream in(log);
    std::vector<std::string> queries;
    for (std::string line; std::getline(in, line);) {
        if (line.find("\"path\": \"/v1/contacts\"") == std::string::npos &&
            line.find("\"path\":\"/v1/contacts\"") == std::string::npos)
            continue;
        const size_t q = line.find("\"query\"");
        const size_t start = line.find('"', line.find(':', q) + 1) + 1;
        queries.push_back(line.substr(start, line.find('"', start) - start));
    }
    return queries;
}

const COLORREF kSelectedRow = RGB(233, 238, 245);
const COLORREF kWhite = RGB(255, 255, 255);

class Picker : public testing::Test {
protected:
    void SetUp() override {
        m_endpoint = SandboxEndpoint();
        ASSERT_TRUE(NamesASandbox(m_endpoint)) << "run through run_with_sandbox.sh";
        WriteSetting(kSettingsSection, "USERNAME", "test-key-123");
        EnsureGdiplus();
    }

    // Runs the picker; script runs inside its modal loop once it is up, and
    // the picker is closed afterwards unless the script ended it. A script
    // that ends it by what it posts (script_ends_it) gets a few seconds for
    // that; should the fixture still have to close it, the test fails, so
    // the closing command can never pass for what the script did.
    INT_PTR Run(CDlgContacts& picker, const std::function<void(CDlgContacts&)>& script, bool script_ends_it = false) {
        picker.m_pNotifier = &m_boxes;
        picker.m_pEndpoint = &m_endpoint;
        s_picker = &picker;
        s_script = script;
        s_ran = false;
        s_scriptEndsIt = script_ends_it;
        s_closedByFixture = false;
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &Picker::Step);
        const INT_PTR result = picker.DoModal();
        ::KillTimer(nullptr, timer);
        if (s_giveUp) ::KillTimer(nullptr, s_giveUp);
        s_giveUp = 0;
        EXPECT_TRUE(s_ran) << "the picker never came up";
        if (script_ends_it) {
            EXPECT_FALSE(s_closedByFixture) << "the picker stayed open; the fixture closed it";
        }
        return result;
    }

    static void CALLBACK Step(HWND, UINT, UINT_PTR id, DWORD) {
        if (s_ran || !s_picker->m_hWnd || !::IsWindowVisible(s_picker->m_hWnd)) return;
        s_ran = true;
        ::KillTimer(nullptr, id);
        PumpPending();
        s_script(*s_picker);
        if (s_scriptEndsIt) s_giveUp = ::SetTimer(nullptr, 0, 5000, &Picker::GiveUp);
        else CloseIfOpen();
    }

    static void CALLBACK GiveUp(HWND, UINT, UINT_PTR id, DWORD) {
        ::KillTimer(nullptr, id);
        s_giveUp = 0;
        if (s_picker->m_hWnd && ::IsWindowVisible(s_picker->m_hWnd)) s_closedByFixture = true;
        CloseIfOpen();
    }

    static void CloseIfOpen() {
        if (s_picker->m_hWnd && ::IsWindowVisible(s_picker->m_hWnd)) s_picker->PostMessage(WM_COMMAND, IDC_PICK_CLOSE);
    }

    static CString Text(CWnd& window, int id) {
        CString text;
        window.GetDlgItemText(id, text);
        return text;
    }
    static bool Visible(CWnd& window, int id) { return ::IsWindowVisible(window.GetDlgItem(id)->m_hWnd) != FALSE; }
    static bool Enabled(CWnd& window, int id) { return ::IsWindowEnabled(window.GetDlgItem(id)->m_hWnd) != FALSE; }
    static void Click(CWnd& window, int id) {
        window.GetDlgItem(id)->SendMessage(BM_CLICK);
        PumpPending();
    }
    static CDlgConContList& Row(CDlgContacts& picker, int i) {
        return *picker.GetPanel()->m_rows[static_cast<size_t>(i)];
    }
    static int RowTop(CDlgContacts& picker, int i) {
        RECT r;
        ::GetWindowRect(Row(picker, i).m_hWnd, &r);
        POINT p{r.left, r.top};
        ::ScreenToClient(picker.GetPanel()->m_hWnd, &p);
        return p.y;
    }
    static std::vector<std::string> RowNames(CDlgContacts& picker) {
        std::vector<std::string> names;
        for (auto& row : picker.GetPanel()->m_rows) names.push_back(Text(*row, IDC_CONROW_NAME).str());
        return names;
    }
    static void ClickRow(CDlgContacts& picker, int i) {
        Row(picker, i).SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 20));
        Row(picker, i).SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(200, 20));
        PumpPending();
    }
    static COLORREF RowColour(CDlgContacts& picker, int i) {
        CDlgConContList& row = Row(picker, i);
        row.RedrawWindow();
        PumpPending();
        return CaptureClient(row.m_hWnd).At(615, 40);
    }
    static void Shot(CDlgContacts& picker, const char* name) {
        picker.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE | RDW_ALLCHILDREN);
        PumpUntil([] { return false; }, 200);
        EXPECT_FALSE(SaveScreenshot(CaptureClient(picker.m_hWnd), name).empty()) << name;
    }

    ServiceEndpoint m_endpoint;
    RecordingNotifier m_boxes;
    static CDlgContacts* s_picker;
    static std::function<void(CDlgContacts&)> s_script;
    static bool s_ran;
    static bool s_scriptEndsIt;
    static bool s_closedByFixture;
    static UINT_PTR s_giveUp;
};

CDlgContacts* Picker::s_picker = nullptr;
std::function<void(CDlgContacts&)> Picker::s_script;
bool Picker::s_ran = false;
bool Picker::s_scriptEndsIt = false;
bool Picker::s_closedByFixture = false;
UINT_PTR Picker::s_giveUp = 0;

TEST_F(Picker, OpensOnTheFirstPageInAscendingOrder) {
    CDlgContacts picker;
    Run(picker, [](CDlgContacts& p) {
        RECT window;
        ::GetWindowRect(p.m_hWnd, &window);
        EXPECT_EQ(window.right - window.left, 720);
        EXPECT_EQ(window.bottom - window.top, 620);
        EXPECT_TRUE(p.GetExStyle() & WS_EX_TOPMOST);
        EXPECT_EQ(Text(p, IDC_PICK_PAGE_SIZE), "5");
        EXPECT_EQ(Text(p, IDC_PICK_RANGE), "1-5/9");  // 32 contacts and 12 members
        EXPECT_FALSE(Enabled(p, IDC_PICK_PREVIOUS));
        EXPECT_TRUE(Enabled(p, IDC_PICK_NEXT));
        EXPECT_TRUE(Visible(p, IDC_PICK_SORT_DESCENDING));
        EXPECT_FALSE(Visible(p, IDC_PICK_SORT_ASCENDING));
        EXPECT_TRUE(::IsWindowVisible(p.GetPanel()->m_hWnd));
        EXPECT_EQ(RowNames(p), (std::vector<std::string>{"Acme Corporation", "Wile Coyote", "Road Runner",
                                                         "Alice Anderson", "AT&T Business Fax"}));
        for (int i = 0; i < 5; ++i) EXPECT_EQ(RowTop(p, i), 1 + 50 * i) << i;
        // An organisation shows its count, people icon and chevron; a member is indented.
        EXPECT_EQ(Text(Row(p, 0), IDC_CONROW_MEMBER_COUNT), "2");
        EXPECT_TRUE(Visible(Row(p, 0), IDC_CONROW_MEMBER_ICON));
        EXPECT_TRUE(Visible(Row(p, 0), IDC_CONROW_HIDE_MEMBERS));
        EXPECT_FALSE(Visible(Row(p, 3), IDC_CONROW_HIDE_MEMBERS));
        EXPECT_EQ(Text(Row(p, 3), IDC_CONROW_FAX), "+15551230001");
        RECT kind;
        ::GetWindowRect(Row(p, 1).GetDlgItem(IDC_CONROW_KIND)->m_hWnd, &kind);
        POINT at{kind.left, kind.top};
        ::ScreenToClient(Row(p, 1).m_hWnd, &at);
        EXPECT_EQ(at.x, 58);
        Shot(p, "contacts_picker_page1.png");
    });
    EXPECT_EQ(ContactRequests().back(), "order=name%20asc&limit=3000");
    EXPECT_TRUE(m_boxes.boxes.empty());
}

TEST_F(Picker, SortTogglesAskTheServiceForTheOtherOrder) {
    CDlgContacts picker;
    Run(picker, [](CDlgContacts& p) {
        Click(p, IDC_PICK_SORT_DESCENDING);
        EXPECT_EQ(ContactRequests().back(), "order=name%20desc&limit=3000");
        EXPECT_TRUE(Visible(p, IDC_PICK_SORT_ASCENDING));
        EXPECT_FALSE(Visible(p, IDC_PICK_SORT_DESCENDING));
        EXPECT_EQ(RowNames(p).front(), "Zenith Insurance");
        EXPECT_EQ(Text(p, IDC_PICK_RANGE), "1-5/9");
        Click(p, IDC_PICK_SORT_ASCENDING);
        EXPECT_EQ(ContactRequests().back(), "order=name%20asc&limit=3000");
        EXPECT_EQ(RowNames(p).front(), "Acme Corporation");
    });
}

TEST_F(Picker, TypingSendsOneSearchASecondAfterTheLastKey) {
    CDlgContacts picker;
    Run(picker, [](CDlgContacts& p) {
        const size_t before = ContactRequests().size();
        CWnd* search = p.GetDlgItem(IDC_PICK_SEARCH);
        for (char c : std::string("AT&")) {
            search->SendMessage(WM_CHAR, static_cast<WPARAM>(c), 1);
            PumpUntil([] { return false; }, 150);
        }
        PumpUntil([] { return false; }, 700);
        EXPECT_EQ(ContactRequests().size(), before) << "a request before the second was up";
        EXPECT_TRUE(PumpUntil([&] { return ContactRequests().size() > before; }, 3000));
        PumpUntil([] { return false; }, 1300);
        const std::vector<std::string> after = ContactRequests();
        ASSERT_EQ(after.size(), before + 1);
        EXPECT_EQ(after.back(), "order=name%20asc&query=AT%26&limit=3000");
        EXPECT_EQ(RowNames(p), (std::vector<std::string>{"AT&T Business Fax", "Network Desk"}));
        EXPECT_EQ(Text(p, IDC_PICK_RANGE), "1-2/1");
        EXPECT_EQ(CWnd::GetFocus()->m_hWnd, search->m_hWnd);

        // The order changes, the search stays.
        Click(p, IDC_PICK_SORT_DESCENDING);
        EXPECT_EQ(ContactRequests().back(), "order=name%20desc&query=AT%26&limit=3000");

        // Nothing found: no panel, no range, no page button.
        search->SetWindowText("no such contact");
        EXPECT_TRUE(PumpUntil([&] { return ContactRequests().back().find("no%20such") != std::string::npos; }, 3000));
        PumpPending();
        EXPECT_FALSE(::IsWindowVisible(p.GetPanel()->m_hWnd));
        EXPECT_EQ(Text(p, IDC_PICK_RANGE), "");
        EXPECT_EQ(Text(p, IDC_PICK_PAGE_SIZE), "5");
        EXPECT_FALSE(Enabled(p, IDC_PICK_PREVIOUS));
        EXPECT_FALSE(Enabled(p, IDC_PICK_NEXT));
    });
    EXPECT_TRUE(m_boxes.boxes.empty());
}

TEST_F(Picker, PageSizeAndPagesMoveThroughTheFetchedList) {
    CDlgContacts picker;
    Run(picker, [](CDlgContacts& p) {
        const size_t requests = ContactRequests().size();
        Click(p, IDC_PICK_PAGE_SIZE_UP);
        Click(p, IDC_PICK_PAGE_SIZE_UP);
        EXPECT_EQ(Text(p, IDC_PICK_PAGE_SIZE), "7");
        EXPECT_EQ(Text(p, IDC_PICK_RANGE), "1-7/7");
        ASSERT_EQ(p.GetPanel()->m_nRows, 7);
        EXPECT_EQ(RowTop(p, 6), 301);
        Click(p, IDC_PICK_NEXT);
        EXPECT_EQ(Text(p, IDC_PICK_RANGE), "8-14/7");
        EXPECT_TRUE(Enabled(p, IDC_PICK_PREVIOUS));
        for (int i = 0; i < 10; ++i) Click(p, IDC_PICK_NEXT);
        EXPECT_EQ(Text(p, IDC_PICK_RANGE), "43-44/7");
        EXPECT_EQ(p.GetPanel()->m_nRows, 2);
        EXPECT_FALSE(Enabled(p, IDC_PICK_NEXT));
        Click(p, IDC_PICK_PREVIOUS);
        EXPECT_EQ(Text(p, IDC_PICK_RANGE), "36-42/7");
        // Paging never asks the service.
        EXPECT_EQ(ContactRequests().size(), requests);
        for (int i = 0; i < 5; ++i) Click(p, IDC_PICK_PAGE_SIZE_DOWN);
        EXPECT_EQ(Text(p, IDC_PICK_PAGE_SIZE), "5");
        EXPECT_EQ(Text(p, IDC_PICK_RANGE), "1-5/9");
    });
}

TEST_F(Picker, AnOrganisationsChevronHidesAndShowsItsMembers) {
    CDlgContacts picker;
    Run(picker, [](CDlgContacts& p) {
        Shot(p, "contacts_picker_organisation_expanded.png");
        Click(Row(p, 0), IDC_CONROW_HIDE_MEMBERS);
        EXPECT_EQ(p.m_nLastToggled, 0);
        EXPECT_FALSE(::IsWindowVisible(Row(p, 1).m_hWnd));
        EXPECT_FALSE(::IsWindowVisible(Row(p, 2).m_hWnd));
        EXPECT_EQ(RowTop(p, 3), 51);  // up by two rows of 50
        EXPECT_EQ(RowTop(p, 4), 101);
        EXPECT_TRUE(Visible(Row(p, 0), IDC_CONROW_SHOW_MEMBERS));
        EXPECT_FALSE(Visible(Row(p, 0), IDC_CONROW_HIDE_MEMBERS));
        Shot(p, "contacts_picker_organisation_collapsed.png");
        Click(Row(p, 0), IDC_CONROW_SHOW_MEMBERS);
        EXPECT_TRUE(::IsWindowVisible(Row(p, 1).m_hWnd));
        EXPECT_EQ(RowTop(p, 1), 51);
        EXPECT_EQ(RowTop(p, 3), 151);
        EXPECT_TRUE(Visible(Row(p, 0), IDC_CONROW_HIDE_MEMBERS));
    });
}

TEST_F(Picker, SelectHandsOverTheTickedRowsWithTheEarlierRecipients) {
    CDlgContacts picker;
    picker.m_lists.fax_numbers.Add("(555)-123-4567");
    picker.m_lists.uuids.Add("");
    picker.m_lists.names.Add("");
    picker.m_lists.member_counts.Add("");
    const INT_PTR result = Run(picker, [](CDlgContacts& p) {
        ClickRow(p, 3);  // Alice
        EXPECT_EQ(Row(p, 3).m_nTicked, 1);
        EXPECT_TRUE(Near(RowColour(p, 3), kSelectedRow)) << Describe(RowColour(p, 3));
        ClickRow(p, 4);  // AT&T, ticked and unticked
        ClickRow(p, 4);
        EXPECT_TRUE(Near(RowColour(p, 4), kWhite)) << Describe(RowColour(p, 4));
        ClickRow(p, 0);  // Acme with its two members
        Click(p, IDC_PICK_SELECT);
    });
    EXPECT_EQ(result, IDOK);
    const PickerLists& l = picker.m_lists;
    ASSERT_EQ(l.names.GetSize(), 3);
    EXPECT_EQ(l.fax_numbers[0], "(555)-123-4567");
    EXPECT_EQ(l.names[1], "Acme Corporation");
    EXPECT_EQ(l.fax_numbers[1], "1+15552340001,1+15552340011,1+15552340012");
    EXPECT_EQ(l.uuids[1],
              "c0000018-5a1e-4c2d-9b3f-7e6d00000018,e0000001-5a1e-4c2d-9b3f-7e6d00000001,"
              "e0000002-5a1e-4c2d-9b3f-7e6d00000002");
    EXPECT_EQ(l.member_counts[1], "2");
    EXPECT_EQ(l.names[2], "Alice Anderson");
    EXPECT_EQ(l.fax_numbers[2], "1+15551230001");
    EXPECT_EQ(l.uuids[2], "c0000001-5a1e-4c2d-9b3f-7e6d00000001");
    EXPECT_EQ(l.member_counts[2], "");
}

TEST_F(Picker, SelectWithNothingChosenAsksForAChoiceAndStaysOpen) {
    CDlgContacts picker;
    const INT_PTR result = Run(picker, [this](CDlgContacts& p) {
        Click(p, IDC_PICK_SELECT);
        ASSERT_EQ(m_boxes.boxes.size(), 1u);
        EXPECT_EQ(m_boxes.boxes[0].text, "Select Contact(s)");
        EXPECT_EQ(m_boxes.boxes[0].caption, "Vantrel");
        EXPECT_EQ(m_boxes.boxes[0].icon, static_cast<unsigned>(kIconHand));
        EXPECT_TRUE(::IsWindowVisible(p.m_hWnd));
    });
    EXPECT_EQ(result, IDCANCEL);  // closed by the close button afterwards
    EXPECT_TRUE(picker.m_lists.names.IsEmpty());
}

TEST_F(Picker, EnterInTheSearchBoxKeepsTheTicksAndEscapeCancels) {
    struct Case {
        WPARAM key;
        INT_PTR result;
        int items;
    } cases[] = {{VK_RETURN, IDOK, 1}, {VK_ESCAPE, IDCANCEL, 1}};
    for (const Case& c : cases) {
        CDlgContacts picker;
        const INT_PTR result = Run(
            picker,
            [&c](CDlgContacts& p) {
                ClickRow(p, 3);
                CWnd* search = p.GetDlgItem(IDC_PICK_SEARCH);
                search->SetFocus();
                search->PostMessage(WM_KEYDOWN, c.key, 1);
                search->PostMessage(WM_KEYUP, c.key, 0xC0000001);
            },
            true);
        EXPECT_EQ(result, c.result) << c.key;
        if (c.result == IDOK) {
            ASSERT_EQ(picker.m_lists.names.GetSize(), c.items);
            EXPECT_EQ(picker.m_lists.names[0], "Alice Anderson");
        }
    }
    // With nothing ticked Enter still ends with OK, handing back what was there.
    CDlgContacts picker;
    picker.m_lists.fax_numbers.Add("1+15551230002");
    picker.m_lists.uuids.Add("c0000002-5a1e-4c2d-9b3f-7e6d00000002");
    picker.m_lists.names.Add("Bob Baker");
    picker.m_lists.member_counts.Add("");
    const INT_PTR result = Run(
        picker,
        [](CDlgContacts& p) {
            p.GetDlgItem(IDC_PICK_SEARCH)->SetFocus();
            p.GetDlgItem(IDC_PICK_SEARCH)->PostMessage(WM_KEYDOWN, VK_RETURN, 1);
        },
        true);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(picker.m_lists.names.GetSize(), 1);
    EXPECT_TRUE(m_boxes.boxes.empty());
}

TEST_F(Picker, EarlierRecipientsShowAsChosenWithoutATick) {
    CDlgContacts picker;
    picker.m_lists.fax_numbers.Add("1+15552340001,1+15552340011,1+15552340012");
    picker.m_lists.uuids.Add("o");
    picker.m_lists.names.Add("Acme Corporation");
    picker.m_lists.member_counts.Add("2");
    Run(picker, [](CDlgContacts& p) {
        EXPECT_TRUE(Near(RowColour(p, 0), kSelectedRow)) << Describe(RowColour(p, 0));
        EXPECT_EQ(Row(p, 0).m_nTicked, 0);
        EXPECT_TRUE(Near(RowColour(p, 3), kWhite)) << Describe(RowColour(p, 3));
    });
}

TEST_F(Picker, AFailedListingIsReportedAndLeavesNoPage) {
    WriteSetting(kSettingsSection, "USERNAME", "not-a-key");
    CDlgContacts picker;
    Run(picker, [](CDlgContacts& p) {
        EXPECT_FALSE(::IsWindowVisible(p.GetPanel()->m_hWnd));
        EXPECT_EQ(Text(p, IDC_PICK_RANGE), "");
        EXPECT_FALSE(Enabled(p, IDC_PICK_NEXT));
    });
    ASSERT_EQ(m_boxes.boxes.size(), 1u);
    EXPECT_EQ(m_boxes.boxes[0].text, "Invalid key. Please check your key and try again");
}

}  // namespace
