// Text at the wire: the ANSI code page (Windows-1252 here) against UTF-8 and
// the escapes of the service's answers.
#include "service/text_at_wire.h"
#include "service/code_page.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct TextCase {
    const char* what;
    std::string in;
    std::string out;
};

void ExpectEach(const std::vector<TextCase>& cases, CString (*convert)(const CString&)) {
    for (const TextCase& c : cases) EXPECT_EQ(convert(CString(c.in)).str(), c.out) << c.what;
}

TEST(CodePage, EveryByteHasOneCharacterAndComesBack) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    const std::u32string wide = AnsiToUnicode(all);
    ASSERT_EQ(wide.size(), all.size());
    EXPECT_EQ(UnicodeToAnsi(wide), all);
    // ASCII and Latin-1 are themselves; 0x80 to 0x9F are Windows-1252's own.
    struct {
        unsigned char byte;
        char32_t unicode;
    } cases[] = {
        {'A', U'A'},    {0x7F, 0x7F},   {0x80, 0x20AC},  // euro sign
        {0x81, 0x0081}, {0x8A, 0x0160}, {0x8D, 0x008D},  // undefined bytes stand for themselves
        {0x8F, 0x008F}, {0x90, 0x0090}, {0x93, 0x201C}, {0x96, 0x2013}, {0x99, 0x2122}, {0x9D, 0x009D},
        {0x9F, 0x0178}, {0xA0, 0x00A0}, {0xDF, 0x00DF}, {0xE9, 0x00E9}, {0xFC, 0x00FC}, {0xFF, 0x00FF},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(wide[c.byte - 1], c.unicode) << int(c.byte);
        EXPECT_EQ(UnicodeToAnsi(std::u32string(1, c.unicode)), std::string(1, static_cast<char>(c.byte)))
            << int(c.byte);
    }
}

TEST(CodePage, CharactersOutsideTheCodePageBecomeAQuestionMark) {
    // No best-fit look-alikes: "L" for "Ł" would be a different name.
    const char32_t missing[] = {0x0141, 0x015B, 0x0100, 0x4E2D, 0xFB01, 0x1F3A8, 0xFFFD, 0x0394};
    for (const char32_t c : missing) EXPECT_EQ(UnicodeToAnsi(std::u32string(1, c)), "?") << int(c);
    EXPECT_EQ(UnicodeToAnsi(U"\u0141ukasz"), "?ukasz");
}

TEST(TextAtWire, AnsiTextGoesOutAsUtf8) {
    ExpectEach(
        {
            {"empty", "", ""},
            {"ASCII is unchanged", "jo an&T=1%/?\x01\x7f", "jo an&T=1%/?\x01\x7f"},
            {"latin-1 letters", "caf\xe9", "caf\xc3\xa9"},
            {"search", "M\xfc", "M\xc3\xbc"},
            {"euro sign",
             "Gr\xf6\xdf"
             "e 5 \x80",
             "Gr\xc3\xb6\xc3\x9f"
             "e 5 \xe2\x82\xac"},
            {"windows-1252 punctuation", "\x93q\x94 \x96", "\xe2\x80\x9cq\xe2\x80\x9d \xe2\x80\x93"},
            {"an undefined byte", "\x81", "\xc2\x81"},
            {"y with diaeresis", "\xff\x9f", "\xc3\xbf\xc5\xb8"},
        },
        AnsiToUtf8);
}

TEST(TextAtWire, Utf8ComesInAsAnsiText) {
    ExpectEach(
        {
            {"ASCII", "Ann Lee", "Ann Lee"},
            {"two-byte letters", "M\xc3\xbcller, J\xc3\xbcrgen", "M\xfcller, J\xfcrgen"},
            {"euro sign", "\xe2\x82\xac", "\x80"},
            {"outside the code page", "\xc5\x81ukasz", "?ukasz"},
            {"four bytes, one character", "a\xf0\x9f\x8e\xa8z", "a?z"},
            {"a stray continuation byte", "a\x80z", "a?z"},
            {"a lead byte without its continuation", "\xc3z\xc3", "?z?"},
            {"cut-off three-byte sequence", "\xe2\x82z", "?z"},
            {"latin-1 instead of UTF-8", "M\xfcller", "M?ller"},
            {"overlong forms", "\xc0\xaf\xe0\x80\xaf", "?????"},
            {"an encoded surrogate", "\xed\xa0\x80", "???"},
            {"beyond U+10FFFF", "\xf4\x90\x80\x80", "????"},
            {"bytes no sequence starts with", "\xfe\xff", "??"},
            {"NUL read from a value", std::string("a\0b", 3), "a?b"},
        },
        Utf8ToAnsi);
}

TEST(TextAtWire, AnswerValuesAreReadFromTheirEscapesThenUtf8) {
    ExpectEach(
        {
            {"plain", "Acme", "Acme"},
            {"simple escapes", "a\\\"b\\\\c\\/d\\be\\ff\\ng\\rh\\ti", "a\"b\\c/d\be\ff\ng\rh\ti"},
            {"latin-1 escape", "M\\u00fcller", "M\xfcller"},
            {"upper-case hex", "M\\u00FCller", "M\xfcller"},
            {"euro sign", "\\u20ac 5", "\x80 5"},
            {"outside the code page", "\\u0141ukasz", "?ukasz"},
            {"surrogate pair", "Blau \\ud83c\\udfa8!", "Blau ?!"},
            {"lone high surrogate", "a\\ud83cz", "a?z"},
            {"high surrogate before a letter escape", "\\ud83c\\u0041", "?A"},
            {"lone low surrogate", "\\udfa8z", "?z"},
            {"two high surrogates", "\\ud83c\\ud83c\\udfa8", "??"},
            {"escaped quote and comma stay in the value", "\\u0022a\\u0022\\u002c b", "\"a\", b"},
            {"NUL", "a\\u0000b", "a?b"},
            {"raw UTF-8", "M\xc3\xbcller, J\xc3\xbcrgen", "M\xfcller, J\xfcrgen"},
            {"raw and escaped mixed", "Zo\\u00eb M\xc3\xbcller", "Zo\xeb M\xfcller"},
            {"invalid UTF-8 keeps the rest", "a\xff\\u00fcb\xc3",
             "a?\xfc"
             "b?"},
            {"a backslash that starts no escape", "C:\\x \\u12G4 \\u12", "C:\\x \\u12G4 \\u12"},
            {"trailing backslash", "end\\", "end\\"},
        },
        DecodeAnswerText);
}

TEST(TextAtWire, ProtectedEscapesHoldNoPunctuation) {
    struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"plain \"text\": {x}", "plain \"text\": {x}"},
        {"a\\\"b", "a\\u0022b"},
        {"\\\\\"", "\\u005C\""},  // an escaped backslash, then a real quote
        {"\\/\\n", "\\u002F\\u000A"},
        {"\\u00fc", "\\u00fc"},
        {"\\q\\u12", "\\u005Cq\\u005Cu12"},
        {"end\\", "end\\u005C"},
    };
    for (const auto& c : cases) {
        const CString protectedText = ProtectEscapes(c.in);
        EXPECT_EQ(protectedText, c.out) << c.in;
        // Protection changes how the text is written, never what it says.
        EXPECT_EQ(DecodeAnswerText(protectedText), DecodeAnswerText(c.in)) << c.in;
    }
}

}  // namespace
