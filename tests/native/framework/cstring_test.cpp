#include "framework/cstring.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct FindCase {
    const char* text;
    const char* what;
    int start;
    int expected;
};

TEST(CStringFind, FollowsTheNotFoundRules) {
    const FindCase cases[] = {
        {"abcabc", "bc", 0, 1},  {"abcabc", "bc", 2, 4},    {"abcabc", "bc", 5, -1},
        {"abcabc", "abc", 3, 3}, {"abc", "x", 0, -1},       {"abc", "a", -1, -1},  // negative start
        {"abc", "a", 4, -1},                                                       // beyond the end
        {"abc", "", 3, 3},                                                         // empty text found at the end
        {"", "a", 0, -1},        {"Error", "error", 0, -1},                        // case-sensitive
    };
    for (const FindCase& c : cases)
        EXPECT_EQ(CString(c.text).Find(c.what, c.start), c.expected) << c.text << " / " << c.what << " @" << c.start;
}

TEST(CStringMid, ClampsNegativesAndClipsAtTheEnd) {
    const CString text = "hello";
    EXPECT_EQ(text.Mid(-1), "hello");  // from(text, -1) is the whole text
    EXPECT_EQ(text.Mid(2), "llo");
    EXPECT_EQ(text.Mid(5), "");
    EXPECT_EQ(text.Mid(9), "");
    EXPECT_EQ(text.Mid(1, 3), "ell");
    EXPECT_EQ(text.Mid(-4, 2), "he");
    EXPECT_EQ(text.Mid(2, -3), "");
    EXPECT_EQ(text.Mid(3, 100), "lo");
    EXPECT_EQ(text.Mid(7, 2), "");
}

TEST(CStringReplace, RemovesEveryNonOverlappingOccurrenceLeftToRight) {
    struct Case {
        const char* text;
        const char* old_text;
        const char* new_text;
        const char* expected;
        int count;
    } cases[] = {
        {"aaaa", "aa", "", "", 2},   {"aaa", "aa", "", "a", 1},  {"1+44 1+2", "1+", "+", "+44 +2", 2},
        {"abc", "x", "y", "abc", 0}, {"abc", "", "y", "abc", 0}, {"\\\"q\\\"", "\\\"", "", "q", 2},
    };
    for (const Case& c : cases) {
        CString text = c.text;
        EXPECT_EQ(text.Replace(c.old_text, c.new_text), c.count) << c.text;
        EXPECT_EQ(text, c.expected) << c.text;
    }
    CString braces = "{a}{b}";
    braces.Remove("{");
    braces.Remove("}");
    EXPECT_EQ(braces, "ab");
}

TEST(CStringTrim, RemovesWhiteSpaceAtBothEndsOnly) {
    CString text = " \t\r\n a b \n";
    EXPECT_EQ(text.Trim(), "a b");
    CString blank = "   ";
    EXPECT_EQ(blank.Trim(), "");
}

TEST(CStringCompare, IsExactAndCaseSensitive) {
    EXPECT_TRUE(CString("null").Equals("null"));
    EXPECT_FALSE(CString("NULL").Equals("null"));
    EXPECT_FALSE(CString("null ").Equals("null"));
    CString lower = "NuLl";
    EXPECT_TRUE(lower.MakeLower().Equals("null"));
}

TEST(CStringFormat, FormatsLikePrintfAndReplacesTheText) {
    CString text = "old";
    text.Format("1,%d,%s,%d,%s,%s", 0, "Ann Lee", 2, "F1", "u1");
    EXPECT_EQ(text, "1,0,Ann Lee,2,F1,u1");
    text.Format("%2d%2d%4d", 2, 1, 2027);
    EXPECT_EQ(text, " 2 12027");
    CString long_text;
    long_text.Format("%s", std::string(5000, 'x').c_str());
    EXPECT_EQ(long_text.GetLength(), 5000);
}

TEST(CStringConstruct, StopsAtTheFirstZeroByte) {
    const char body[] = {'a', 'b', '\0', 'c', '\0'};
    EXPECT_EQ(CString(body), "ab");
    EXPECT_EQ(CString(nullptr), "");
}

std::vector<std::string> Pieces(const CString& text, const char* sep, int start = 0) {
    CStringArray pieces;
    pieces.Add("left over from before");
    SplitText(text, sep, pieces, start);
    std::vector<std::string> out;
    for (const CString& p : pieces) out.push_back(p.str());
    return out;
}

TEST(SplitText, KeepsEmptyPiecesAndClearsTheListFirst) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Pieces("a,b,c", ","), (V{"a", "b", "c"}));
    EXPECT_EQ(Pieces("a,b,", ","), (V{"a", "b", ""}));  // ends with the separator
    EXPECT_EQ(Pieces(",,", ","), (V{"", "", ""}));      // k separators, k + 1 pieces
    EXPECT_EQ(Pieces("", ","), (V{""}));                // empty text, one empty piece
    EXPECT_EQ(Pieces("abc", ","), (V{"abc"}));
    EXPECT_EQ(Pieces("x},{y},{z", "},{"), (V{"x", "y", "z"}));
    EXPECT_EQ(Pieces("skip:a:b", ":", 5), (V{"a", "b"}));  // from a start position
}

TEST(CStringArrayOps, AddInsertRemove) {
    CStringArray list;
    list.Add("a");
    list.Add("c");
    list.InsertAt(1, "b");
    ASSERT_EQ(list.GetSize(), 3);
    EXPECT_EQ(list[1], "b");
    list.RemoveAt(0);
    EXPECT_EQ(list.GetAt(0), "b");
    list.SetAt(1, "z");
    EXPECT_EQ(list[1], "z");
    CStringArray copy;
    copy.Copy(list);
    list.RemoveAll();
    EXPECT_EQ(copy.GetSize(), 2);
    EXPECT_TRUE(list.IsEmpty());
}

}  // namespace
