// "Select": the ticked rows of the page become the hand-off items the send
// window merges, organisations with all their members.
#include "tests/support/string_lists.h"
#include "ui/contacts/contact_selection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kestrid_test;

namespace {

// The contact list the rows below come from: a person, an organisation with
// three members (the last one without a number), another person.
const CStringArray kContacts = List({
    "1,0,Ann Lee,0,+15551230001,u1",
    "1,1,Acme,3,+15552340001,o1",
    "0,0,Wile,,+15552340011,m1",
    "0,0,Road,,+15552340012,m2",
    "0,0,Nobody,,,m3",
    "1,0,Smith\\, John,0,+15551234567,c5",
});

PanelRow Row(int index, int ticked, const char* name, const char* fax, const char* uuid, const char* count = "") {
    return {index, ticked, name, fax, uuid, count};
}

struct Expected {
    std::vector<std::string> faxes, uuids, names, counts;
};

void ExpectLists(const PickerLists& lists, const Expected& want, const char* what) {
    EXPECT_EQ(Items(lists.fax_numbers), want.faxes) << what;
    EXPECT_EQ(Items(lists.uuids), want.uuids) << what;
    EXPECT_EQ(Items(lists.names), want.names) << what;
    EXPECT_EQ(Items(lists.member_counts), want.counts) << what;
}

TEST(ContactSelection, TickedRowsBecomeHandOffItems) {
    const PanelRow ann = Row(0, 1, "Ann Lee", " +15551230001 ", "u1");
    const PanelRow acme = Row(1, 1, "Acme", "+15552340001", "o1", "3");
    const PanelRow wile = Row(2, 0, "Wile", "+15552340011", "m1");
    const PanelRow road = Row(3, 0, "Road", "+15552340012", "m2");
    const PanelRow nobody = Row(4, 0, "Nobody", "", "m3");
    struct Case {
        const char* what;
        std::vector<PanelRow> rows;
        int end_index;
        Expected want;
    } cases[] = {
        {"a person, trimmed",
         {ann, Row(1, 0, "Acme", "+15552340001", "o1", "3")},
         2,
         {{"1+15551230001"}, {"u1"}, {"Ann Lee"}, {""}}},
        {"an organisation with its members on the page",
         {ann, acme, wile, road, nobody},
         5,
         {{"1+15551230001", "1+15552340001,1+15552340011,1+15552340012"},
          {"u1", "o1,m1,m2"},
          {"Ann Lee", "Acme"},
          {"", "3"}}},
        {"members running on past the page come from the list",
         {Row(0, 0, "Ann Lee", "+1", "u1"), acme, wile},
         3,
         {{"1+15552340001,1+15552340011,1+15552340012"}, {"o1,m1,m2"}, {"Acme"}, {"3"}}},
        {"an organisation at the bottom of the page",
         {Row(0, 0, "Ann Lee", "+1", "u1"), acme},
         2,
         {{"1+15552340001,1+15552340011,1+15552340012"}, {"o1,m1,m2"}, {"Acme"}, {"3"}}},
        {"a ticked member is an item of its own",
         {Row(2, 1, "Wile", "+15552340011", "m1")},
         3,
         {{"1+15552340011"}, {"m1"}, {"Wile"}, {""}}},
        {"a row without a number keeps its name and uuid",
         {Row(4, 1, "Nobody", " ", "m3")},
         5,
         {{""}, {"m3"}, {"Nobody"}, {""}}},
        {"nothing ticked adds nothing", {Row(0, 0, "Ann Lee", "+1", "u1")}, 1, {{}, {}, {}, {}}},
    };
    for (const Case& c : cases) {
        PickerLists lists;
        CollectSelection(c.rows, kContacts, c.end_index, lists);
        ExpectLists(lists, c.want, c.what);
    }
}

TEST(ContactSelection, AnOrganisationWithoutANumberIsSentThroughItsMembers) {
    const CStringArray contacts = List({"1,1,Acme,2,,o1", "0,0,Wile,,+1555011,m1", "0,0,Road,,+1555012,m2"});
    PickerLists lists;
    CollectSelection({Row(0, 1, "Acme", "", "o1", "2")}, contacts, 1, lists);
    ExpectLists(lists, {{"1+1555011,1+1555012"}, {"m1,m2"}, {"Acme"}, {"2"}}, "numberless organisation");
}

TEST(ContactSelection, ItemsFollowTheRecipientsChosenBefore) {
    PickerLists lists;
    lists.fax_numbers.Add("(555)-123-4567");
    lists.uuids.Add("");
    lists.names.Add("");
    lists.member_counts.Add("");
    EXPECT_EQ(CollectSelection({Row(5, 1, "Smith, John", "+15551234567", "c5")}, kContacts, 6, lists), 1);
    ExpectLists(lists, {{"(555)-123-4567", "1+15551234567"}, {"", "c5"}, {"", "Smith, John"}, {"", ""}},
                "after a typed number");
}

TEST(ContactSelection, SelectAsksForAChoiceButEnterNeverLosesOne) {
    PickerLists none;
    PickerLists some;
    some.names.Add("Ann Lee");
    EXPECT_EQ(DecideSelectEnd(false, none), PickerEnd::kStayOpenAskForChoice);
    EXPECT_EQ(DecideSelectEnd(false, some), PickerEnd::kEndWithOk);
    EXPECT_EQ(DecideSelectEnd(true, none), PickerEnd::kEndWithOk);
    EXPECT_EQ(DecideSelectEnd(true, some), PickerEnd::kEndWithOk);
    EXPECT_STREQ(kSelectContactsText, "Select Contact(s)");
}

}  // namespace
