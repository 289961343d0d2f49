// Answer reading, request texts and contact records: everything the requests
// decide without a network.
#include "framework/notifier.h"
#include "service/account_lookup.h"
#include "service/contact_listing.h"
#include "service/contact_record.h"
#include "service/cover_pages.h"
#include "service/fax_submission.h"
#include "service/http_exchange.h"
#include "service/http_exchange_callbacks.h"
#include "service/service_endpoint.h"
#include "tests/support/string_lists.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace kestrid_test;

namespace {

TEST(QueryValues, EveryByteOutsideTheUnreservedSetIsEncoded) {
    struct Case {
        const char* value;
        const char* encoded;
    } cases[] = {
        {"", ""},
        {"jo an", "jo%20an"},
        {"AT&T", "AT%26T"},
        {"a#b%c=d+e?f/g", "a%23b%25c%3Dd%2Be%3Ff%2Fg"},
        {"Az09-._~", "Az09-._~"},
        // The service reads the query as UTF-8.
        {"caf\xe9", "caf%C3%A9"},
        {"M\xfc", "M%C3%BC"},
        {"5 \x80", "5%20%E2%82%AC"},
    };
    for (const auto& c : cases) EXPECT_EQ(EncodeQueryValue(c.value), c.encoded) << c.value;
}

TEST(QueryValues, RequestPathsCarryEncodedValues) {
    EXPECT_EQ(ContactsRequestPath("", kContactsOrderAscending), "/v1/contacts?order=name%20asc&limit=3000");
    EXPECT_EQ(ContactsRequestPath("jo an", kContactsOrderAscending),
              "/v1/contacts?order=name%20asc&query=jo%20an&limit=3000");
    EXPECT_EQ(ContactsRequestPath("AT&T", kContactsOrderDescending),
              "/v1/contacts?order=name%20desc&query=AT%26T&limit=3000");
    EXPECT_EQ(CoverPagesRequestPath("a1&userId=x", "u 1"),
              "/coverpages?accountId=a1%26userId%3Dx&userId=u%201&isPublic=true");
}

// ---- contact records ------------------------------------------------------

TEST(ContactRecords, PlainTextIsWrittenInTheClassicFormat) {
    ContactRecord entry{1, 1, "Acme", 2, "+15551234567", "o1"};
    EXPECT_EQ(WriteContactRecord(entry), "1,1,Acme,2,+15551234567,o1");
    ContactRecord member{0, 0, "Ann", 0, "F1", "m1"};
    EXPECT_EQ(WriteContactRecord(member), "0,0,Ann,,F1,m1");
}

TEST(ContactRecords, AnyTextRoundTrips) {
    const ContactRecord cases[] = {
        {1, 0, "Smith, John", 0, "+15551234567", "c5"},
        {0, 1, "a\\b,c\\,d", 0, "+1,2", "u,\\"},
        {1, 1, ",", 12, "\\", ",,"},
        {1, 0, "", 0, "", ""},
        {0, 0, "trailing\\", 0, "x", "y\\"},
    };
    for (const ContactRecord& c : cases) {
        const CString line = WriteContactRecord(c);
        ContactRecord read;
        ASSERT_TRUE(ReadContactRecord(line, read)) << line;
        EXPECT_EQ(read.level, c.level) << line;
        EXPECT_EQ(read.org_flag, c.org_flag) << line;
        EXPECT_EQ(read.name, c.name) << line;
        EXPECT_EQ(read.member_count, c.level == 1 ? c.member_count : 0) << line;
        EXPECT_EQ(read.fax, c.fax) << line;
        EXPECT_EQ(read.uuid, c.uuid) << line;
    }
    EXPECT_EQ(WriteContactRecord({1, 0, "Smith, John", 0, "F", "u"}), "1,0,Smith\\, John,0,F,u");
}

TEST(ContactRecords, ShortOrForeignLinesAreHandledSafely) {
    ContactRecord r;
    EXPECT_FALSE(ReadContactRecord("", r));
    EXPECT_FALSE(ReadContactRecord("1", r));
    EXPECT_FALSE(ReadContactRecord("Dummy", r));
    EXPECT_FALSE(ReadContactRecord("2,0,x,0,f,u", r));
    ASSERT_TRUE(ReadContactRecord("1,1", r));
    EXPECT_EQ(r.org_flag, 1);
    EXPECT_EQ(r.name, "");
    ASSERT_TRUE(ReadContactRecord("1,0,Ann", r));  // missing fields read as empty
    EXPECT_EQ(r.name, "Ann");
    EXPECT_EQ(r.fax, "");
    EXPECT_EQ(r.uuid, "");
}

// ---- contact listing ------------------------------------------------------

struct ContactCase {
    const char* what;
    const char* answer;
    std::vector<std::string> records;
};

TEST(ContactList, BuildsRecordsFromTheAnswer) {
    const ContactCase cases[] = {
        {"person",
         R"({"count":1,"rows":[{"uuid":"u1","name":"Ann","lastName":"Lee","faxNumber":"F1","isOrganization":false,"contacts":[]}]})",
         {"1,0,Ann Lee,0,F1,u1"}},
        {"last name null",
         R"({"count":1,"rows":[{"uuid":"u1","name":"Ann","lastName":null,"faxNumber":"F1","isOrganization":false,"contacts":[]}]})",
         {"1,0,Ann,0,F1,u1"}},
        {"last name NULL",
         R"({"count":1,"rows":[{"uuid":"u1","name":"Ann","lastName":"NULL","faxNumber":"F1","isOrganization":false,"contacts":[]}]})",
         {"1,0,Ann,0,F1,u1"}},
        {"last name empty",
         R"({"count":1,"rows":[{"uuid":"u1","name":"Ann","lastName":"","faxNumber":"F1","isOrganization":false,"contacts":[]}]})",
         {"1,0,Ann,0,F1,u1"}},
        {"last name unquoted",
         R"({"count":1,"rows":[{"uuid":"u1","name":"Ann","lastName":Lee2,"faxNumber":"F1","isOrganization":false,"contacts":[]}]})",
         {"1,0,Ann Lee2,0,F1,u1"}},
        {"organisation with members",
         R"({"count":1,"rows":[{"uuid":"o1","name":"Acme","faxNumber":"F2","isOrganization":true,"contacts":[)"
         R"({"uuid":"m1","name":"Bo","faxNumber":"F3","isOrganization":false},)"
         R"({"uuid":"m2","name":"Cy","faxNumber":"F4","isOrganization":false}]}]})",
         {"1,1,Acme,2,F2,o1", "0,0,Bo,,F3,m1", "0,0,Cy,,F4,m2"}},
        {"an entry's own fields never come from its members",
         R"({"count":1,"rows":[{"uuid":"o1","name":"Acme","isOrganization":true,"contacts":[)"
         R"({"uuid":"m1","name":"Bo","lastName":"Smith","faxNumber":"F3","isOrganization":false}]}]})",
         {"1,1,Acme,1,,o1", "0,0,Bo,,F3,m1"}},
        {"a person's kind is its own, not its member's",
         R"({"count":1,"rows":[{"uuid":"p1","name":"Ann","faxNumber":"F1","contacts":[)"
         R"({"uuid":"m1","name":"Org","faxNumber":"F3","isOrganization":true}]}]})",
         {"1,0,Ann,1,F1,p1", "0,1,Org,,F3,m1"}},
        {"fax null reads as empty",
         R"({"count":1,"rows":[{"uuid":"u1","name":"Ann","faxNumber":null,"a":"b","c":[]}]})",
         {"1,0,Ann,0,,u1"}},
        {"fax null keeps the entry",
         R"({"count":2,"rows":[{"uuid":"u1","name":"Ann","faxNumber":null,"isOrganization":false,"x":"y","contacts":[]},)"
         R"({"uuid":"u2","name":"Bo","faxNumber":"F2","isOrganization":false,"contacts":[]}]})",
         {"1,0,Ann,0,,u1", "1,0,Bo,0,F2,u2"}},
        {"a member's null fax reads as empty",
         R"({"count":1,"rows":[{"uuid":"o1","name":"Acme","faxNumber":"F2","isOrganization":true,"contacts":[)"
         R"({"uuid":"m1","name":"Bo","faxNumber":null,"isOrganization":false}]}]})",
         {"1,1,Acme,1,F2,o1", "0,0,Bo,,,m1"}},
        {"the last member of an entry ends at its brace",
         R"({"count":1,"rows":[{"uuid":"u1","name":"Ann","faxNumber":"F1"}]})",
         {"1,0,Ann,0,F1,u1"}},
        {"blanks after the colons",
         R"({"count": 1, "rows": [{"uuid": "u1", "name": "Ann", "lastName": "Lee", "faxNumber": "F1", )"
         R"("isOrganization": true, "contacts": []}]})",
         {"1,1,Ann Lee,0,F1,u1"}},
        {"a last name holding a comma is kept whole",
         R"({"count":1,"rows":[{"uuid":"u1","name":"Ann","lastName":"Lee, Jr","faxNumber":"F1","contacts":[]}]})",
         {"1,0,Ann Lee\\, Jr,0,F1,u1"}},
        {"15-character fax passes, 16 drops the entry with its members",
         R"({"count":2,"rows":[{"uuid":"u1","name":"A","faxNumber":"+12345678901234","isOrganization":false,"contacts":[]},)"
         R"({"uuid":"o2","name":"B","faxNumber":"+123456789012345","isOrganization":true,"contacts":[)"
         R"({"uuid":"m1","name":"C","faxNumber":"F","isOrganization":false}]}]})",
         {"1,0,A,0,+12345678901234,u1"}},
        {"count without contacts", R"({"count":0,"rows":[]})", {}},
        {"last uuid without a closing bracket", R"({"count":1,"rows":[{"uuid":"u1")", {"1,0,,0,,"}},
        {"no contacts array: no members, a nested object is none",
         R"({"count":1,"rows":[{"uuid":"u1","name":"Ann","faxNumber":"F1","meta":{"uuid":"m1","name":"In","x":"y"}}]})",
         {"1,0,Ann,0,F1,u1"}},
        {"a nested object lends the entry nothing",
         R"({"count":1,"rows":[{"uuid":"u1","meta":{"name":"In","faxNumber":"F9","isOrganization":true},)"
         R"("name":"Ann","faxNumber":"F1","contacts":[]}]})",
         {"1,0,Ann,0,F1,u1"}},
        {"entries without contacts arrays stay apart",
         R"({"count":2,"rows":[{"uuid":"u1","name":"Ann","faxNumber":"F1"},{"uuid":"u2","name":"Bo","faxNumber":"F2"}]})",
         {"1,0,Ann,0,F1,u1", "1,0,Bo,0,F2,u2"}},
        {"an entry without an array before one with members",
         R"({"count":2,"rows":[{"uuid":"u1","name":"Ann"},{"uuid":"o2","name":"Org","isOrganization":true,)"
         R"("contacts":[{"uuid":"m1","name":"Cy"}]}]})",
         {"1,0,Ann,0,,u1", "1,1,Org,1,,o2", "0,0,Cy,,,m1"}},
        {"a member's nested object is no member and lends it nothing",
         R"({"count":1,"rows":[{"uuid":"o1","name":"Acme","isOrganization":true,"contacts":[)"
         R"({"uuid":"m1","a":{"name":"X","faxNumber":"F8"},"b":{"c":{"d":1}},"name":"Bo","faxNumber":"F3"},)"
         R"({"uuid":"m2","name":"Cy"}]}]})",
         {"1,1,Acme,2,,o1", "0,0,Bo,,F3,m1", "0,0,Cy,,,m2"}},
        {"braces and quotes inside strings are text",
         R"({"count":1,"rows":[{"uuid":"u1","note":"}{\"","name":"A{n}n","faxNumber":"F1","contacts":[]}]})",
         {"1,0,A{n}n,0,F1,u1"}},
        {"name holding a comma",
         R"({"count":1,"rows":[{"uuid":"c5","name":"Smith, John","lastName":null,"faxNumber":"+15551234567","isOrganization":false,"contacts":[]}]})",
         {"1,0,Smith\\, John,0,+15551234567,c5"}},
    };
    for (const auto& c : cases) {
        CStringArray records;
        records.Add("stale");
        BuildContactList(c.answer, records);
        EXPECT_EQ(Items(records), c.records) << c.what;
    }
}

TEST(ContactList, NamesAreReadAsAnsiText) {
    const ContactCase cases[] = {
        {"escaped",
         R"({"count":1,"rows":[{"uuid":"i1","name":"M\u00fcller & S\u00f6hne","lastName":null,"faxNumber":"F1",)"
         R"("isOrganization":true,"contacts":[{"uuid":"m1","name":"Zo\u00eb M\u00fcller","faxNumber":"F2"}]}]})",
         {"1,1,M\xfcller & S\xf6hne,1,F1,i1", "0,0,Zo\xeb M\xfcller,,F2,m1"}},
        {"raw UTF-8",
         "{\"count\":1,\"rows\":[{\"uuid\":\"i2\",\"name\":\"M\xc3\xbcller, J\xc3\xbcrgen\",\"lastName\":null,"
         "\"faxNumber\":\"F1\",\"contacts\":[]}]}",
         {"1,0,M\xfcller\\, J\xfcrgen,0,F1,i2"}},
        {"last name",
         R"({"count":1,"rows":[{"uuid":"u1","name":"Ren\u00e9e","lastName":"Dub\u00f6is","faxNumber":"F1","contacts":[]}]})",
         {"1,0,Ren\xe9"
          "e Dub\xf6is,0,F1,u1"}},
        {"outside the code page and a surrogate pair",
         R"({"count":1,"rows":[{"uuid":"u1","name":"\u0141ukasz \ud83c\udfa8","faxNumber":"F1","contacts":[]}]})",
         {"1,0,?ukasz ?,0,F1,u1"}},
        {"escaped quotes, commas and separators stay in their value",
         R"({"count":1,"rows":[{"uuid":"u1","name":"A \"B\", \u0022C\u0022\u002c\",\"faxNumber\":\"+1","faxNumber":"F1",)"
         R"("contacts":[]}]})",
         {"1,0,A \"B\"\\, \"C\"\\,\"\\,\"faxNumber\":\"+1,0,F1,u1"}},
        {"invalid UTF-8 drops nothing after it",
         "{\"count\":2,\"rows\":[{\"uuid\":\"u1\",\"name\":\"a\xff\xc3\",\"faxNumber\":\"F1\",\"contacts\":[]},"
         "{\"uuid\":\"u2\",\"name\":\"b\",\"faxNumber\":\"F2\",\"contacts\":[]}]}",
         {"1,0,a??,0,F1,u1", "1,0,b,0,F2,u2"}},
    };
    for (const auto& c : cases) {
        CStringArray records;
        BuildContactList(c.answer, records);
        EXPECT_EQ(Items(records), c.records) << c.what;
    }
}

TEST(ContactList, ACommaInANameNoLongerShiftsTheFields) {
    CStringArray records;
    BuildContactList(
        R"({"count":1,"rows":[{"uuid":"c5","name":"Smith, John","faxNumber":"+15551234567","isOrganization":false,"contacts":[]}]})",
        records);
    ASSERT_EQ(records.GetSize(), 1);
    ContactRecord r;
    ASSERT_TRUE(ReadContactRecord(records[0], r));
    EXPECT_EQ(r.name, "Smith, John");
    EXPECT_EQ(r.fax, "+15551234567");
    EXPECT_EQ(r.uuid, "c5");
}

// ---- cover pages ----------------------------------------------------------

TEST(CoverPageAnswer, FillsBothListsAndFindsTheDefault) {
    struct Case {
        const char* what;
        const char* answer;
        const char* default_id;
        std::vector<std::string> ids;
        std::vector<std::string> names;
        const char* default_name;
    } cases[] = {
        {"two objects, second is the default",
         R"([{"uuid":"a","name":"One","file":"1.pdf"},{"uuid":"b","name":"Two","file":"2.pdf"}])",
         "b",
         {"a", "b"},
         {"One", "Two"},
         "Two"},
        {"name before uuid matches the previous uuid",
         R"([{"uuid":"a","name":"One"},{"name":"Two","uuid":"b"}])",
         "a",
         {"a", "b"},
         {"One", "Two"},
         "Two"},
        {"file before name ends the object",
         R"([{"uuid":"a","file":"1.pdf","name":"One"},{"uuid":"b","name":"Two"}])",
         "",
         {"a", "b"},
         {"Two"},
         "kept"},
        {"names keep what follows a colon",
         R"([{"uuid":"m","name":"Memo","file":"x"},{"uuid":"u","name":"Memo: urgent","file":"y"}])",
         "u",
         {"m", "u"},
         {"Memo", "Memo: urgent"},
         "Memo: urgent"},
        {"no objects", "", "x", {}, {}, "kept"},
        {"names read from escapes and UTF-8",
         "[{\"uuid\":\"a\",\"name\":\"Gr\\u00fc\\u00dfe\"},{\"uuid\":\"b\",\"name\":\"K\xc3\xb6ln \\\"Nord\\\"\"}]",
         "b",
         {"a", "b"},
         {"Gr\xfc\xdf"
          "e",
          "K\xf6ln \"Nord\""},
         "K\xf6ln \"Nord\""},
    };
    for (const auto& c : cases) {
        CoverPageLists lists;
        CString default_name = "kept";
        ReadCoverPageAnswer(c.answer, c.default_id, lists, default_name);
        EXPECT_EQ(Items(lists.ids), c.ids) << c.what;
        EXPECT_EQ(Items(lists.names), c.names) << c.what;
        EXPECT_EQ(default_name, c.default_name) << c.what;
    }
}

TEST(CoverPageFill, SelectsTheDefaultThenTheLastChosenThenTheFirst) {
    struct Case {
        const char* what;
        CStringArray ids;
        CStringArray names;
        const char* default_name;
        const char* last_chosen;
        std::vector<std::string> entries;
        int selection;
    } cases[] = {
        {"nothing stored: first entry", List({"a", "b"}), List({"One", "Two"}), "", "", {"One", "Two"}, 0},
        {"default only", List({"a", "b"}), List({"One", "Two"}), "Two", "", {"One", "Two"}, 1},
        {"default wins over last chosen", List({"a", "b"}), List({"One", "Two"}), "Two", "One", {"One", "Two"}, 1},
        {"last chosen without default", List({"a", "b"}), List({"One", "Two"}), "", "one", {"One", "Two"}, 0},
        {"search starts at the second entry",
         List({"a", "b"}),
         List({"Memo Long", "Memo"}),
         "",
         "Memo",
         {"Memo Long", "Memo"},
         1},
        {"prefix match, ignoring case",
         List({"a", "b", "c"}),
         List({"Standard", "Memo Long", "Memo"}),
         "",
         "MEMO L",
         {"Standard", "Memo Long", "Memo"},
         1},
        {"a whole name wins over one it begins",
         List({"a", "b", "c"}),
         List({"Standard", "Memo Long", "Memo"}),
         "",
         "Memo",
         {"Standard", "Memo Long", "Memo"},
         2},
        {"the default by its whole name",
         List({"a", "b", "c"}),
         List({"Standard", "Memo Long", "memo"}),
         "Memo",
         "",
         {"Standard", "Memo Long", "memo"},
         2},
        {"no match leaves nothing selected", List({"a"}), List({"One"}), "", "Other", {"One"}, -1},
        {"default not in the list", List({"a"}), List({"One"}), "Gone", "", {"One"}, -1},
        {"only partnered names are shown", List({"a", "b"}), List({"One"}), "", "", {"One"}, 0},
        {"names without identifiers are not shown", List({}), List({"One"}), "", "", {}, -1},
        {"empty lists", List({}), List({}), "", "Memo", {}, -1},
    };
    for (const auto& c : cases) {
        const CoverPageFill fill = PlanCoverPageFill({c.ids, c.names}, c.default_name, c.last_chosen);
        EXPECT_EQ(Items(fill.entries), c.entries) << c.what;
        EXPECT_EQ(fill.selection, c.selection) << c.what;
    }
}

TEST(CoverPageFill, StringSearchWrapsRoundFromTheStart) {
    const CStringArray entries = List({"Memo", "Standard", "memo two"});
    EXPECT_EQ(SelectStringIndex(entries, 0, "memo", 7), 2);  // after the start entry first
    EXPECT_EQ(SelectStringIndex(entries, 1, "memo", 7), 2);
    EXPECT_EQ(SelectStringIndex(entries, 2, "memo", 7), 0);   // wraps to the beginning
    EXPECT_EQ(SelectStringIndex(entries, -1, "memo", 7), 0);  // whole list from the top
    EXPECT_EQ(SelectStringIndex(entries, 0, "Standards", 7), 7);
    EXPECT_EQ(SelectStringIndex(List({}), 0, "x", -1), -1);
}

// ---- account lookup -------------------------------------------------------

TEST(AccountAnswer, StoresEveryPairAsTheRulesCutIt) {
    struct Case {
        const char* answer;
        std::vector<std::pair<std::string, std::string>> pairs;
    } cases[] = {
        {R"({"userId":"u1","accountId":"a1"})", {{"userId", "u1"}, {"accountId", "a1"}}},
        {R"({"account":{"id":"7","name":"x"}})", {{"account", "id"}, {"name", "x"}}},
        {R"({"createdAt":"2020-01-01T10:00:00Z"})", {{"createdAt", "2020-01-01T10"}}},
        {R"({"flag":true,"bare"})", {{"flag", "true"}}},
        {R"({"city":"K\u00f6ln","name":"M\u00fcller\u002c \"J\"\u003a x"})",
         {{"city", "K\xf6ln"}, {"name", "M\xfcller, \"J\": x"}}},
        {"{\"city\":\"K\xc3\xb6ln\xff\"}", {{"city", "K\xf6ln?"}}},
        {"", {}},
    };
    for (const auto& c : cases) {
        std::vector<std::pair<std::string, std::string>> pairs;
        for (const SettingPair& p : ReadAccountPairs(c.answer)) pairs.emplace_back(p.name.str(), p.value.str());
        EXPECT_EQ(pairs, c.pairs) << c.answer;
    }
}

TEST(AccountAnswer, OnlyAnAnswerWithBothIdsNamesTheAccount) {
    struct Case {
        const char* answer;
        bool named;
    } cases[] = {
        {R"({"userId":"u1","accountId":"a1"})", true},
        // Read as the pairs are stored: an object's first member joins its name.
        {R"({"account":{"name":"x","userId":"u1","accountId":"a1"}})", true},
        {R"({"account":{"userId":"u1","accountId":"a1"}})", false},
        {R"({"userId":"u1","accountId":"a1","userId":""})", false},  // the later pair is the stored one
        {R"({"userId":"u1"})", false},
        {R"({"accountId":"a1"})", false},
        {R"({"userId":"","accountId":"a1"})", false},
        {R"({"userId":null,"accountId":"a1"})", false},
        {R"({"userId":"u1","accountId":null})", false},
        {R"({"userid":"u1","accountid":"a1"})", false},  // names are case-sensitive
        {R"({"email":"fax.tester@example.com","account":{"name":"x"}})", false},
        {R"({"success":true})", false},
        {"<html><body>OK</body></html>", false},
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(NamesAccount(ReadAccountPairs(c.answer)), c.named) << c.answer;
}

TEST(AccountAnswer, DefaultCoverPageOfTheAccountObject) {
    struct Case {
        const char* answer;
        const char* id;
    } cases[] = {
        {R"({"account":{"faxDefaultCoverPage":"cp1","name":"x"}})", "cp1"},
        {R"({"account":{"faxDefaultCoverPage":null,"name":"x"}})", "null"},
        // The last member of the account object ends at its closing brace.
        {R"({"account":{"name":"x","faxDefaultCoverPage":"cp9"},"email":"e"})", "cp9"},
        {R"({"account":{"name":"x","faxDefaultCoverPage":"cp9"}})", "cp9"},
        {R"({"account":{"name":"x","faxDefaultCoverPage":null}})", "null"},
        {R"({"account":{"faxDefaultCoverPage":"cp9")", ""},  // cut off: no end
        {R"({"faxDefaultCoverPage":"cp1","account":{"name":"x"}})", ""},
        {R"({"userId":"u1"})", ""},
        {R"({"account":{"faxDefaultCoverPage":"cp-\u00fc\"x","name":"x"}})", "cp-\xfc\"x"},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadDefaultCoverPageId(c.answer), c.id) << c.answer;
}

// ---- fax submission -------------------------------------------------------

TEST(RecipientTexts, TypedNumbersAndContactsAreJoined) {
    struct Case {
        const char* what;
        CStringArray numbers, contact_ids, prefixes;
        const char* number_text;
        const char* contact_text;
    } cases[] = {
        {"mixed", List({"(555)-123-4567", "Ann", "(20)-7946-0958"}), List({"", "c-17", ""}), List({"1", "", "44"}),
         "+15551234567,+442079460958", "c-17"},
        {"text before the first plus goes, no prefix added", List({"1+44 20 7946 0958"}), List({""}), List({"1"}),
         "+442079460958", ""},
        {"only contacts", List({"A", "B"}), List({"c1", "c2"}), List({"", ""}), "", "c1,c2"},
        {"nothing", List({}), List({}), List({}), "", ""},
        {"a number already with plus keeps it", List({"+49 30 901820"}), List({""}), List({"1"}), "+4930901820", ""},
        // Each contact id goes once, whichever entries carry it.
        {"an organisation and its member chosen too", List({"1+1555,1+1666,1+1777", "1+1666"}),
         List({"o-1,m-1,m-2", "m-1"}), List({"", ""}), "", "o-1,m-1,m-2"},
        {"a member, then its organisation", List({"1+1666", "1+1555,1+1666"}), List({"m-1", "o-1,m-1"}), List({"", ""}),
         "", "m-1,o-1"},
        {"two organisations sharing a member", List({"A", "B"}), List({"o-1,m-1", "o-2,m-1,m-3"}), List({"", ""}), "",
         "o-1,m-1,o-2,m-3"},
        {"ids that only start alike are different", List({"A", "B", "C"}), List({"c12", "c1", "c123"}),
         List({"", "", ""}), "", "c12,c1,c123"},
        {"an empty id names no contact", List({"A"}), List({"c1,,c2,"}), List({""}), "", "c1,c2"},
    };
    for (const auto& c : cases) {
        const RecipientTexts texts = BuildRecipientTexts(c.numbers, c.contact_ids, c.prefixes);
        EXPECT_EQ(texts.numbers, c.number_text) << c.what;
        EXPECT_EQ(texts.contacts, c.contact_text) << c.what;
    }
}

TEST(SubmissionVerdict, ShowsOneBoxPerAnswer) {
    struct Case {
        const char* answer;
        int result;
        const char* text;
        unsigned icon;
    } cases[] = {
        {R"({"errors":[{"error":"Invalid number","field":"recipientFax"}]})", -1, "Invalid number,field:recipientFax",
         kIconHand},
        {R"({"errors":[],"message":"Bad"})", -1, "Bad", kIconHand},
        {R"({"errors":[],"success":true})", 1, "Success! Your fax has been sent", kIconInformation},
        {R"({"success":true,"message":"Fax queued"})", 1, "Success! Your fax has been sent", kIconInformation},
        {R"({"success":false})", 0, "Fax was not accepted", kIconExclamation},  // a refusal, not a sent fax
        {R"({"success":1,"message":"ok"})", 1, "Success! Your fax has been sent", kIconInformation},
        {R"({"success": true })", 1, "Success! Your fax has been sent", kIconInformation},
        // Only true or 1 confirms; anything else keeps the job.
        {R"({"success":"false","message":"No line"})", 0, "No line", kIconExclamation},
        {R"({"success":"0"})", 0, "Fax was not accepted", kIconExclamation},
        {R"({"success":"true"})", 0, "Fax was not accepted", kIconExclamation},
        {R"({"success":0})", 0, "Fax was not accepted", kIconExclamation},
        {R"({"success":null})", 0, "Fax was not accepted", kIconExclamation},
        {R"({"success":yes})", 0, "Fax was not accepted", kIconExclamation},
        {R"({"success":2})", 0, "Fax was not accepted", kIconExclamation},
        {R"({"success":})", 0, "Fax was not accepted", kIconExclamation},
        {R"({"success":false,"message":"Fax f\u00fcr \"Zo\u00eb\" abgelehnt"})", 0, "Fax f\xfcr \"Zo\xeb\" abgelehnt",
         kIconExclamation},
        {R"({"errors":[{"error":"Nummer ung\u00fcltig \"+1\""}]})", -1, "Nummer ung\xfcltig \"+1\"", kIconHand},
        {"{\"message\":\"Zo\xc3\xab \xff\"}", -1, "Zo\xeb ?", kIconHand},
        {R"({"message":"Bad request"})", -1, "Bad request", kIconHand},
        {"", -1, "Unable to upload file", kIconHand},
        {"<html>502</html>", -1, "Unable to upload file", kIconHand},
    };
    for (const auto& c : cases) {
        RecordingNotifier notifier;
        EXPECT_EQ(ReadSubmissionAnswer(c.answer, notifier), c.result) << c.answer;
        ASSERT_EQ(notifier.boxes.size(), 1u) << c.answer;
        EXPECT_EQ(notifier.boxes[0].text, c.text) << c.answer;
        EXPECT_EQ(notifier.boxes[0].caption, "Vantrel");
        EXPECT_EQ(notifier.boxes[0].icon, c.icon) << c.answer;
    }
}

// ---- transfer callbacks ---------------------------------------------------

TEST(TransferCallbacks, ResponseBufferStaysTerminated) {
    ResponseBuffer buffer{static_cast<char*>(std::malloc(1)), 0};
    char first[] = "ab";
    char second[] = {'c', '\0', 'd'};
    EXPECT_EQ(CollectResponse(first, 1, 2, &buffer), 2u);
    EXPECT_EQ(CollectResponse(second, 3, 1, &buffer), 3u);
    ASSERT_EQ(buffer.size, 5u);
    EXPECT_EQ(std::string(buffer.memory, 6), std::string("abc\0d\0", 6));
    EXPECT_EQ(CString(buffer.memory), "abc");  // the answer text ends at the first zero byte
    std::free(buffer.memory);
}

TEST(TransferCallbacks, ProgressStopsTheAnswerAtTheCap) {
    ProgressRecord record{0.0, nullptr};
    testing::internal::CaptureStderr();
    EXPECT_EQ(TransferProgress(&record, 700000, 600000, 10, 5), 0);
    const std::string line = testing::internal::GetCapturedStderr();
    EXPECT_EQ(line, "UP: 5 of 10  DOWN: 600000 of 700000\r\n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(TransferProgress(&record, 0, 600001, 0, 0), 1);
    EXPECT_EQ(TransferProgressOld(&record, 0, 600000.99, 0, 0), 0);  // truncated, not rounded
    EXPECT_EQ(TransferProgressOld(&record, 0, 600001.0, 0, 0), 1);
    EXPECT_EQ(TransferProgressOld(&record, 0, 0, 1e12, 5e11), 0);  // the upload is not limited
    testing::internal::GetCapturedStderr();
}

}  // namespace
