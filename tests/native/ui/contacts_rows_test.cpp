// What a contact row shows for its record, which rows look chosen, and how
// the rows move when an organisation's members are hidden and shown.
#include "ui/contacts/contact_rows.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ContactRows, EachKindOfRecordShowsItsIconIndentAndTexts) {
    struct Case {
        const char* record;
        unsigned icon;
        int indent;
        bool member_icon;
        bool chevron;
        const char* name;
        const char* count;
        const char* fax;
        const char* uuid;
        unsigned selected, normal;
    } cases[] = {
        {"1,0,Ann Lee,0,+15551230001,u1", 427, 0, false, false, "Ann Lee", "", "+15551230001", "u1", 422, 424},
        {"1,1,Acme,2,+15552340001,o1", 425, 0, true, true, "Acme", "2", "+15552340001", "o1", 422, 424},
        {"1,1,bitBank Ltd,0,+442071234567,o2", 425, 0, true, false, "bitBank Ltd", "0", "+442071234567", "o2", 422,
         424},
        {"0,0,Wile Coyote,,+15552340011,m1", 426, 50, false, false, "Wile Coyote", "", "+15552340011", "m1", 423, 423},
        {"0,1,Sub Org,,+1555,m2", 426, 50, false, false, "Sub Org", "", "+1555", "m2", 423, 423},
        // A comma in a name travels escaped and comes back whole.
        {"1,0,Smith\\, John,0,+15551234567,c5", 427, 0, false, false, "Smith, John", "", "+15551234567", "c5", 422,
         424},
        {"1,0,Ann,0,,u1", 427, 0, false, false, "Ann", "", "", "u1", 422, 424},
        {"1,1", 425, 0, true, false, "", "0", "", "", 422, 424},  // short: empty texts
    };
    for (const Case& c : cases) {
        const ContactRowView v = ReadContactRow(c.record);
        EXPECT_EQ(v.kind_icon, c.icon) << c.record;
        EXPECT_EQ(v.indent, c.indent) << c.record;
        EXPECT_EQ(v.member_icon_shown, c.member_icon) << c.record;
        EXPECT_EQ(v.hide_members_shown, c.chevron) << c.record;
        EXPECT_EQ(v.name, c.name) << c.record;
        EXPECT_EQ(v.member_count, c.count) << c.record;
        EXPECT_EQ(v.fax, c.fax) << c.record;
        EXPECT_EQ(v.uuid, c.uuid) << c.record;
        EXPECT_EQ(v.selected_bitmap, c.selected) << c.record;
        EXPECT_EQ(v.normal_bitmap, c.normal) << c.record;
    }
}

TEST(ContactRows, ARowLooksChosenWhenItsNumberIsAmongTheEarlierRecipients) {
    CStringArray chosen;
    chosen.Add("1+15551230001");
    chosen.Add("1+15552340001,1+15552340011");
    chosen.Add("(555)-123-4567");
    struct Case {
        const char* fax;
        bool chosen;
    } cases[] = {
        {"+15551230001", true},
        {"+15552340011", true},  // a member of a chosen organisation
        {"+15551230002", false},
        {"", false},  // no number: never chosen
    };
    for (const Case& c : cases) EXPECT_EQ(IsPreChosen(c.fax, chosen), c.chosen) << c.fax;
    EXPECT_FALSE(IsPreChosen("+15551230001", CStringArray()));
}

TEST(ContactRows, ARowLooksChosenByItsKindsBitmap) {
    struct Case {
        const char* record;
        bool chosen;
        unsigned background;
    } cases[] = {
        {"1,0,Ann Lee,0,+15551230001,u1", false, IDB_CONTACT_ROW_NORMAL},
        {"1,0,Ann Lee,0,+15551230001,u1", true, IDB_CONTACT_ROW_SELECTED},
        {"1,1,Acme,2,+15552340001,o1", false, IDB_CONTACT_ROW_NORMAL},
        {"1,1,Acme,2,+15552340001,o1", true, IDB_CONTACT_ROW_SELECTED},
        // A member's pale band stays whether chosen or not.
        {"0,0,Wile Coyote,,+15552340011,m1", false, IDB_CONTACT_ROW_MEMBER},
        {"0,0,Wile Coyote,,+15552340011,m1", true, IDB_CONTACT_ROW_MEMBER},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RowBackground(ReadContactRow(c.record), c.chosen), c.background) << c.record << " " << c.chosen;
}

TEST(ContactRows, APageMakesOneRowPerRecordStackedFromTheTop) {
    CStringArray list;
    for (const char* record : {"1,1,Acme,2,+15552340001,o1", "0,0,Wile Coyote,,+15552340011,m1",
                               "0,0,Road Runner,,+15552340012,m2", "1,0,Alice,0,+15551230001,c1", "1,0,No Number,0,,c2",
                               "1,1,bitBank,0,+442071234567,o2", "1,0,Bob,0,+15551230002,c3"})
        list.Add(record);
    CStringArray chosen;
    chosen.Add("1+15551230001");
    chosen.Add("1+15552340012,1+15559990000");
    struct Row {
        int list_index;
        const char* name;
        int top;
        bool pre_chosen;
        int indent;
    };
    struct Case {
        int first, end;
        std::vector<Row> rows;
        int bottom;
    } cases[] = {
        {0,
         5,
         {{0, "Acme", 1, false, 0},
          {1, "Wile Coyote", 51, false, 50},
          {2, "Road Runner", 101, true, 50},
          {3, "Alice", 151, true, 0},
          {4, "No Number", 201, false, 0}},
         251},
        {5, 7, {{5, "bitBank", 1, false, 0}, {6, "Bob", 51, false, 0}}, 101},
        {5, 9, {{5, "bitBank", 1, false, 0}, {6, "Bob", 51, false, 0}}, 101},  // the list ends first
        {3, 3, {}, 1},                                                         // no page
    };
    for (const Case& c : cases) {
        int bottom = -1;
        const std::vector<PageRow> page = PlanPage(list, c.first, c.end, chosen, bottom);
        EXPECT_EQ(bottom, c.bottom) << c.first;
        ASSERT_EQ(page.size(), c.rows.size()) << c.first;
        for (size_t i = 0; i < page.size(); ++i) {
            const Row& want = c.rows[i];
            EXPECT_EQ(page[i].list_index, want.list_index) << c.first << " " << i;
            EXPECT_EQ(page[i].view.name, want.name) << c.first << " " << i;
            EXPECT_EQ(page[i].top, want.top) << c.first << " " << i;
            EXPECT_EQ(page[i].pre_chosen, want.pre_chosen) << c.first << " " << i;
            EXPECT_EQ(page[i].view.indent, want.indent) << c.first << " " << i;
        }
    }
}

std::vector<RowSlot> Page(std::initializer_list<RowSlot> rows) { return rows; }

TEST(ContactRows, HidingAndShowingMembersMovesTheRowsBelow) {
    // Person, organisation with three members, person.
    std::vector<RowSlot> rows = Page({{10, "", 1}, {11, "3", 1}, {12, "", 1}, {13, "", 1}, {14, "", 1}, {15, "", 1}});
    int bottom = 0;
    EXPECT_EQ(LayOutRows(rows, bottom), (std::vector<int>{1, 51, 101, 151, 201, 251}));
    EXPECT_EQ(bottom, 301);

    rows[1].visible = 0;  // its chevron-up
    ToggleMemberSlots(rows, 11);
    EXPECT_EQ(LayOutRows(rows, bottom), (std::vector<int>{1, 51, -1, -1, -1, 101}));
    EXPECT_EQ(bottom, 151);  // the last row moved up by 150

    rows[1].visible = 1;  // its chevron-down
    ToggleMemberSlots(rows, 11);
    EXPECT_EQ(LayOutRows(rows, bottom), (std::vector<int>{1, 51, 101, 151, 201, 251}));
}

TEST(ContactRows, MembersRunningOnPastThePageAreLeftAlone) {
    // The organisation's two members: one on this page, one on the next.
    std::vector<RowSlot> rows = Page({{0, "", 1}, {1, "", 1}, {2, "", 1}, {3, "2", 1}, {4, "", 1}});
    rows[3].visible = 0;
    ToggleMemberSlots(rows, 3);
    int bottom = 0;
    EXPECT_EQ(LayOutRows(rows, bottom), (std::vector<int>{1, 51, 101, 151, -1}));
    EXPECT_EQ(rows[3].visible, 1);

    // A person (no count) or an organisation without members moves nothing.
    std::vector<RowSlot> plain = Page({{0, "", 1}, {1, "0", 1}, {2, "", 1}});
    plain[1].visible = 0;
    ToggleMemberSlots(plain, 1);
    EXPECT_EQ(LayOutRows(plain, bottom), (std::vector<int>{1, 51, 101}));
}

}  // namespace
