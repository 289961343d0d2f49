// The code page seam on Windows: the system's ANSI code page, which in the
// test prefix (and on the machines we ship to) is Windows-1252.
#include "service/code_page.h"
#include "service/text_at_wire.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(WindowsCodePage, TheAnsiCodePageIsWindows1252) { EXPECT_EQ(GetACP(), 1252u); }

TEST(WindowsCodePage, BytesAndCharactersAsTheTableHasThem) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    const std::u32string wide = AnsiToUnicode(all);
    ASSERT_EQ(wide.size(), all.size());
    EXPECT_EQ(UnicodeToAnsi(wide), all);
    struct {
        unsigned char byte;
        char32_t unicode;
    } cases[] = {{0x80, 0x20AC}, {0x8A, 0x0160}, {0x93, 0x201C}, {0x9F, 0x0178}, {0xE9, 0x00E9}, {0xFC, 0x00FC}};
    for (const auto& c : cases) {
        EXPECT_EQ(wide[c.byte - 1], c.unicode) << int(c.byte);
        EXPECT_EQ(UnicodeToAnsi(std::u32string(1, c.unicode)), std::string(1, static_cast<char>(c.byte)));
    }
}

TEST(WindowsCodePage, NoBestFitLookAlikes) {
    // The system would write "L" for "Ł" and "fi" for the ligature if asked to fit.
    const char32_t missing[] = {0x0141, 0x0100, 0x4E2D, 0xFB01, 0x1F3A8, 0xFFFD, 0xD800};
    for (const char32_t c : missing) EXPECT_EQ(UnicodeToAnsi(std::u32string(1, c)), "?") << int(c);
}

TEST(WindowsCodePage, AnswerTextAndOutgoingText) {
    EXPECT_EQ(DecodeAnswerText("M\\u00fcller, J\xc3\xbcrgen \\u0141 \\ud83c\\udfa8 \\u20ac").str(),
              "M\xfcller, J\xfcrgen ? ? \x80");
    EXPECT_EQ(AnsiToUtf8("Zo\xeb M\xfcller 5 \x80").str(), "Zo\xc3\xab M\xc3\xbcller 5 \xe2\x82\xac");
}

}  // namespace
