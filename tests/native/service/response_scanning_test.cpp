#include "service/response_scanning.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ErrorMessageRule, ShowsEverythingFromMessageOnWithoutPunctuation) {
    struct Case {
        const char* answer;
        bool applies;
        const char* message;
    } cases[] = {
        {R"({"error":{"message":"Fax number missing","code":400}})", true, "Fax number missing,code400"},
        {R"({"error":{"message":"jwt malformed"}})", true, "jwt malformed"},
        {R"({"name":"JsonWebTokenError","message":"x"})", false, ""},  // no error"
        {R"({"message":"before","error":"late"})", false, ""},         // message only before error"
        // The service's text, read once cut out: escaped quotes stay, raw colons go.
        {R"({"error":{"message":"Nummer ung\u00fcltig: \"+1\""}})", true, "Nummer ung\xfcltig \"+1\""},
        {"{\"error\":{\"message\":\"Zo\xc3\xab\"}}", true, "Zo\xeb"},
        {R"({"error":{"message":"Zeit\u003a 10\u007d"}})", true, "Zeit: 10}"},
        {"{\"error\":{\"message\":\"bad \xff byte\"}}", true, "bad ? byte"},
        {R"({"error":"boom"})", false, ""},
        {"", false, ""},
    };
    for (const auto& c : cases) {
        CString message = "untouched";
        EXPECT_EQ(ApplyErrorMessageRule(c.answer, message), c.applies) << c.answer;
        if (c.applies) EXPECT_EQ(message, c.message) << c.answer;
        else EXPECT_EQ(message, "untouched") << c.answer;
    }
}

TEST(TokenErrorRule, TurnsTheTokenErrorIntoTheInvalidKeyText) {
    struct Case {
        const char* answer;
        const char* shown;
    } cases[] = {
        {R"({"message":"JsonWebTokenError"})", "Invalid key. Please check your key and try again"},
        {R"({"message":"jwt expired"})", "jwt expired"},
        {R"({"message":"Schl\u00fcssel \"abc\" abgelaufen"})", "Schl\xfcssel \"abc\" abgelaufen"},
        {R"({"name":"JsonWebTokenError","x":1})", "nameJsonWebTokenError,x1"},  // no message: whole answer
        {R"({"name":"JsonWebTokenError","message":"JsonWebTokenError"})",
         "Invalid key. Please check your key and try again"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ApplyTokenErrorRule(c.answer), c.shown) << c.answer;
}

TEST(ServiceErrorReading, ErrorObjectFirstThenTokenError) {
    struct Case {
        const char* answer;
        bool error;
        const char* shown;
    } cases[] = {
        // An error object wins even when it names the token error.
        {R"({"error":{"name":"JsonWebTokenError","message":"jwt malformed"}})", true, "jwt malformed"},
        {R"({"message":"JsonWebTokenError"})", true, "Invalid key. Please check your key and try again"},
        {R"({"name":"JsonWebTokenError"})", true, "nameJsonWebTokenError"},
        {R"({"userId":"u1","accountId":"a1"})", false, ""},
        {"<html>Bad gateway</html>", false, ""},
        {"", false, ""},
    };
    for (const auto& c : cases) {
        CString message;
        EXPECT_EQ(ReadServiceError(c.answer, message), c.error) << c.answer;
        EXPECT_EQ(message, c.shown) << c.answer;
    }
}

TEST(ObjectListReading, ReadsFieldsOfEachObjectInOrder) {
    const auto objects = ReadObjectList(R"([{"uuid":"a1","name":"Memo: urgent"},{"uuid":"b2","name":"Plain"}])");
    ASSERT_EQ(objects.size(), 2u);
    ASSERT_EQ(objects[0].size(), 2u);
    EXPECT_EQ(objects[0][0].key, "uuid");
    EXPECT_EQ(objects[0][0].value, "a1");
    EXPECT_EQ(objects[0][1].key, "name");
    EXPECT_EQ(objects[0][1].value, "Memo");  // the plain reading stops at the colon
    EXPECT_EQ(objects[1][1].value, "Plain");

    const auto whole = ReadObjectList(R"([{"uuid":"a1","name":"Memo: urgent"}])", true);
    EXPECT_EQ(whole[0][1].value, "Memo: urgent");  // quotes go, later colons stay
}

TEST(ObjectListReading, EscapedQuotesAndFalseSeparators) {
    // An escaped quote stays in its value; a value holding "},{" as it stands
    // is cut there like a real separator.
    const auto objects = ReadObjectList(R"([{"name":"say \"hi\""},{"name":"a},{b"}])");
    ASSERT_EQ(objects.size(), 3u);
    EXPECT_EQ(objects[0][0].value, "say \"hi\"");
    EXPECT_EQ(objects[1][0].value, "a");
    EXPECT_TRUE(objects[2].empty());  // "b" has no colon: skipped
}

TEST(ObjectListReading, ValuesAreReadFromEscapesAndUtf8OnceCut) {
    struct Case {
        const char* what;
        const char* answer;
        std::vector<std::string> values;  // the "name" of each object
    } cases[] = {
        {"escapes",
         R"([{"uuid":"a","name":"Gr\u00fc\u00dfe \u20ac"}])",
         {"Gr\xfc\xdf"
          "e \x80"}},
        {"raw UTF-8",
         "[{\"uuid\":\"a\",\"name\":\"Gr\xc3\xbc\xc3\x9f"
         "e\"}]",
         {"Gr\xfc\xdf"
          "e"}},
        {"an escaped quote, comma and quote is no separator", R"([{"uuid":"a","name":"x\",\"y"}])", {"x\",\"y"}},
        {"escaped braces and comma are no separator",
         R"([{"uuid":"a","name":"x\u007d,\u007by"},{"name":"z"}])",
         {"x},{y", "z"}},
        {"an escaped colon stays", R"([{"uuid":"a","name":"Memo\u003a urgent"}])", {"Memo: urgent"}},
        {"outside the code page",
         R"([{"name":"\u0141\u00f3d\u017a"}])",
         {"?\xf3"
          "d?"}},
        {"invalid UTF-8 keeps the next object", "[{\"name\":\"a\xff\"},{\"name\":\"b\"}]", {"a?", "b"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> names;
        for (const ScannedObject& object : ReadObjectList(c.answer))
            for (const ScannedField& field : object)
                if (field.key == "name") names.push_back(field.value.str());
        EXPECT_EQ(names, c.values) << c.what;
    }
}

TEST(ObjectListReading, NestedMemberGivesTheOuterNameAsKey) {
    const auto objects = ReadObjectList(R"({"account":{"id":"7"}})");
    ASSERT_EQ(objects.size(), 1u);
    ASSERT_EQ(objects[0].size(), 1u);
    EXPECT_EQ(objects[0][0].key, "account");
    EXPECT_EQ(objects[0][0].value, "id");
}

}  // namespace
