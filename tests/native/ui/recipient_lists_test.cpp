#include "ui/common/recipient_lists.h"
#include "tests/support/string_lists.h"
#include "ui/send/fax_rows.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

using namespace kestrid_test;

namespace {

RecipientLists ThreeRecipients() {
    RecipientLists lists;
    lists.AddTypedNumber("(555)-123-4567", "1");
    lists.AddContact("15559876543", "c-17", "Smith, John", "");
    lists.AddContact("15550000001,15550000002", "m-1,m-2", "Delta Freight", "2");
    return lists;
}

}  // namespace

TEST(RecipientLists, EntriesFillAllSixListsInParallel) {
    const RecipientLists lists = ThreeRecipients();
    using V = std::vector<std::string>;
    EXPECT_EQ(Items(lists.numbers), (V{"(555)-123-4567", "15559876543", "15550000001,15550000002"}));
    EXPECT_EQ(Items(lists.contact_ids), (V{"", "c-17", "m-1,m-2"}));
    EXPECT_EQ(Items(lists.prefixes), (V{"1", "", ""}));
    EXPECT_EQ(Items(lists.display_texts), (V{"(555)-123-4567", "Smith, John", "Delta Freight"}));
    EXPECT_EQ(Items(lists.contact_labels), (V{"", "Smith, John", "Delta Freight"}));
    EXPECT_EQ(Items(lists.member_counts), (V{"", "", "2"}));
}

TEST(RecipientLists, RemovalTakesTheEntryOutOfEveryList) {
    struct Case {
        int index;
        bool removed;
        std::vector<std::string> numbers;
        std::vector<std::string> contact_ids;
    } cases[] = {
        {0, true, {"15559876543", "15550000001,15550000002"}, {"c-17", "m-1,m-2"}},
        {1, true, {"(555)-123-4567", "15550000001,15550000002"}, {"", "m-1,m-2"}},
        {2, true, {"(555)-123-4567", "15559876543"}, {"", "c-17"}},
        {3, false, {"(555)-123-4567", "15559876543", "15550000001,15550000002"}, {"", "c-17", "m-1,m-2"}},
        {-1, false, {"(555)-123-4567", "15559876543", "15550000001,15550000002"}, {"", "c-17", "m-1,m-2"}},
    };
    for (const auto& c : cases) {
        RecipientLists lists = ThreeRecipients();
        EXPECT_EQ(lists.RemoveAt(c.index), c.removed) << c.index;
        EXPECT_EQ(Items(lists.numbers), c.numbers) << c.index;
        EXPECT_EQ(Items(lists.contact_ids), c.contact_ids) << c.index;
        for (const CStringArray* list :
             {&lists.prefixes, &lists.display_texts, &lists.contact_labels, &lists.member_counts})
            EXPECT_EQ(list->GetSize(), lists.GetSize()) << c.index;
    }
}

TEST(PickedContacts, OnlyNewNumbersAreAddedAndNothingIsRemoved) {
    RecipientLists lists;
    lists.AddTypedNumber("15559876543", "1");  // typed the way the picker writes it
    lists.AddContact("15551112222", "c-2", "Karen", "");

    PickerLists picked;
    picked.fax_numbers = List({"15559876543", "15553334444", "15550000001,15550000002", "15553334444"});
    picked.uuids = List({"c-1", "c-3", "m-1,m-2", "c-3"});
    picked.names = List({"Smith, John", "Jo Anne", "Delta Freight", "Jo Anne"});
    picked.member_counts = List({"", "", "2", ""});

    // "Karen" is no longer ticked but stays; the duplicate of "Jo Anne" in the
    // picker's own lists is skipped once the first one is in.
    EXPECT_EQ(MergePickedContacts(lists, picked), 2);
    EXPECT_EQ(Items(lists.numbers),
              (std::vector<std::string>{"15559876543", "15551112222", "15553334444", "15550000001,15550000002"}));
    EXPECT_EQ(Items(lists.contact_ids), (std::vector<std::string>{"", "c-2", "c-3", "m-1,m-2"}));
    EXPECT_EQ(Items(lists.member_counts), (std::vector<std::string>{"", "", "", "2"}));
    EXPECT_EQ(Items(lists.prefixes), (std::vector<std::string>{"1", "", "", ""}));
}

TEST(PickedContacts, ContactsWithoutAFaxNumberAreToldApartByTheirIds) {
    struct Case {
        const char* what;
        std::vector<std::string> faxes, uuids;          // picked, after the one listed contact below
        std::vector<std::string> numbers, contact_ids;  // the lists afterwards
    } cases[] = {
        {"two new ones without numbers are two recipients",
         {"", ""},
         {"c-2", "c-3"},
         {"", "", ""},
         {"c-1", "c-2", "c-3"}},
        {"the listed one comes back and is skipped", {"", ""}, {"c-1", "c-2"}, {"", ""}, {"c-1", "c-2"}},
        {"picked twice, listed once", {"", ""}, {"c-2", "c-2"}, {"", ""}, {"c-1", "c-2"}},
        // A number is still compared as a number, whatever its ids.
        {"a number already listed",
         {"15551112222", "15551112222"},
         {"c-4", "c-5"},
         {"", "15551112222"},
         {"c-1", "c-4"}},
        {"an empty number is no number of another entry", {""}, {"c-1,m-1"}, {"", ""}, {"c-1", "c-1,m-1"}},
    };
    for (const auto& c : cases) {
        RecipientLists lists;
        lists.AddContact("", "c-1", "No Fax One", "");
        PickerLists picked;
        for (size_t i = 0; i < c.faxes.size(); ++i) {
            picked.fax_numbers.Add(c.faxes[i].c_str());
            picked.uuids.Add(c.uuids[i].c_str());
            picked.names.Add("Someone");
            picked.member_counts.Add("");
        }
        EXPECT_EQ(MergePickedContacts(lists, picked), static_cast<int>(c.numbers.size()) - 1) << c.what;
        EXPECT_EQ(Items(lists.numbers), c.numbers) << c.what;
        EXPECT_EQ(Items(lists.contact_ids), c.contact_ids) << c.what;
    }
    // A typed number never stands for a contact without one.
    RecipientLists lists;
    lists.AddTypedNumber("(555)-123-4567", "1");
    EXPECT_FALSE(lists.HasContact("", ""));
    EXPECT_TRUE(lists.HasContact("(555)-123-4567", "c-9"));
}

TEST(PickedContacts, ThePickerOpensWithTheCurrentRecipients) {
    const PickerLists lists = PickerListsFrom(ThreeRecipients());
    EXPECT_EQ(Items(lists.fax_numbers), Items(ThreeRecipients().numbers));
    EXPECT_EQ(Items(lists.uuids), (std::vector<std::string>{"", "c-17", "m-1,m-2"}));
    EXPECT_EQ(Items(lists.names), (std::vector<std::string>{"", "Smith, John", "Delta Freight"}));
    EXPECT_EQ(Items(lists.member_counts), (std::vector<std::string>{"", "", "2"}));
}

TEST(FaxPanelRows, IconsTextsAndPlacesFollowEachEntry) {
    const FaxPanelPlan plan = PlanFaxPanel(ThreeRecipients());
    ASSERT_EQ(plan.rows.size(), 3u);
    struct Expect {
        const char* display;
        const char* count;
        const char* tooltip;
        unsigned icon;
        bool people;
        int y;
    } expected[] = {
        {"(555)-123-4567", "", "1(555)-123-4567", kTypedNumberIcon, false, 1},
        {"Smith, John", "", "Smith, John", kPersonIcon, false, 38},
        {"Delta Freight", "2", "Delta Freight", kOrganisationIcon, true, 75},
    };
    for (int i = 0; i < 3; ++i) {
        const FaxRowPlan& row = plan.rows[static_cast<size_t>(i)];
        EXPECT_EQ(row.index, i);
        EXPECT_EQ(row.display_text, expected[i].display);
        EXPECT_EQ(row.count_text, expected[i].count);
        EXPECT_EQ(row.tooltip, expected[i].tooltip);
        EXPECT_EQ(row.kind_icon, expected[i].icon) << i;
        EXPECT_EQ(row.people_shown, expected[i].people) << i;
        EXPECT_EQ(row.x, 1);
        EXPECT_EQ(row.y, expected[i].y);
        EXPECT_EQ(row.width, 498);
        EXPECT_EQ(row.height, 35);
    }
    EXPECT_EQ(plan.display_height, 1 + 3 * 37 + 10);
}

TEST(FaxPanelRows, AnEmptyListGivesNoRowsAndNoScrollableHeight) {
    const FaxPanelPlan plan = PlanFaxPanel(RecipientLists());
    EXPECT_TRUE(plan.rows.empty());
    EXPECT_EQ(plan.display_height, 11);  // below the panel's 80 pixels: no bar
}
