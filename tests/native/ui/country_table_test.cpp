#include "ui/send/country_table.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string ShippedTable() {
    std::ifstream in(std::string(KESTRID_SOURCE_DIR) + "/resources/countries.csv", std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace

TEST(CountryTable, TheShippedTableFillsOneRowPerLine) {
    const std::string table = ShippedTable();
    ASSERT_EQ(table.size(), 7640u);
    CountryColumns columns;
    ReadCountryTable(table.data(), table.size(), columns);
    EXPECT_EQ(columns.names.GetSize(), 230);
    EXPECT_EQ(columns.masks.GetSize(), 230);
    // Only the quoted name's line has a fifth field.
    EXPECT_EQ(columns.fifth.GetSize(), 1);
    EXPECT_EQ(columns.fifth[0], "(###)-###-####");
    EXPECT_EQ(columns.names[48], "\"Congo");
    EXPECT_EQ(columns.codes[48], " Dem. Republic\"");

    struct Row {
        int row;
        const char* name;
        const char* code;
        const char* prefix;
    } rows[] = {
        {0, "Canada", "Ca", "1"},       {1, "USA", "Us", "1"},          {2, "Afghanistan", "Af", "93"},
        {8, "Anguilla", "Ai", "1-264"}, {229, "Zimbabwe", "Zw", "263"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(columns.names[r.row], r.name);
        EXPECT_EQ(columns.codes[r.row], r.code) << r.name;
        EXPECT_EQ(CountryPrefix(columns, r.row), r.prefix) << r.name;
        EXPECT_EQ(CountryMask(columns, r.row), "(###)-###-####") << r.name;
    }
}

TEST(CountryTable, MenuTextsAndCommandIds) {
    const std::string table = ShippedTable();
    CountryColumns columns;
    ReadCountryTable(table.data(), table.size(), columns);
    EXPECT_EQ(CountryMenuText(columns, CountryRow(171)), "Canada +1");
    EXPECT_EQ(CountryMenuText(columns, CountryRow(kDefaultCountryCommand)), "USA +1");
    EXPECT_EQ(CountryRow(400), 229);
    EXPECT_TRUE(IsCountryCommand(171));
    EXPECT_TRUE(IsCountryCommand(400));
    EXPECT_FALSE(IsCountryCommand(170));
    EXPECT_FALSE(IsCountryCommand(401));
}

TEST(CountryTable, LinesAreCutAtCrLfOnlyAndExtraFieldsDropped) {
    struct Case {
        const char* what;
        std::string text;
        int rows;
        const char* last_name;
        const char* last_mask;
    } cases[] = {
        {"no line end after the last line", "A,a,1,#\r\nB,b,2,##", 2, "B", "##"},
        {"a bare line feed stays inside a line", "A,a,1,#\nB,b,2,##\r\n", 1, "A", "#\nB"},
        {"six fields keep only five", "A,a,1,#,x,y\r\n", 1, "A", "#"},
    };
    for (const auto& c : cases) {
        CountryColumns columns;
        ReadCountryTable(c.text.data(), c.text.size(), columns);
        ASSERT_EQ(columns.names.GetSize(), c.rows) << c.what;
        EXPECT_EQ(columns.names[c.rows - 1], c.last_name) << c.what;
        EXPECT_EQ(columns.masks[c.rows - 1], c.last_mask) << c.what;
    }
}

TEST(CountryTable, AMissingTableGivesEmptyTextsInsteadOfFailing) {
    CountryColumns columns;
    columns.names.Add("left over");
    ReadCountryTable(nullptr, 0, columns);
    EXPECT_TRUE(columns.names.IsEmpty());
    EXPECT_EQ(CountryMenuText(columns, 0), "");
    EXPECT_EQ(CountryPrefix(columns, 1), "");
    EXPECT_EQ(CountryMask(columns, -1), "");
}
