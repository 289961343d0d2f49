#include "app/command_line.h"

#include <gtest/gtest.h>

namespace {

TEST(StartRouting, NeedsBothACommandLineAndAStoredKey) {
    struct Case {
        const char* command_line;
        const char* key;
        StartWindow expected;
    } cases[] = {
        {"", "", StartWindow::KeySetup},
        {"", "k1", StartWindow::KeySetup},             // empty line, even with a key
        {"/KEY=abc", "", StartWindow::KeySetup},       // only way /KEY= takes effect
        {"C:\\job.ps", "", StartWindow::KeySetup},     // print job before set-up
        // An installer's new key is set up, never taken for a print file.
        {"/KEY=abc", "k1", StartWindow::KeySetup},
        {"setup /KEY=abc more", "k1", StartWindow::KeySetup},
        {"/KEY=", "k1", StartWindow::KeySetup},
        {"/key=abc", "k1", StartWindow::SendFax},      // the marker is case-sensitive
        {"C:\\job.ps", "k1", StartWindow::SendFax},
        {"-fromspooler -pages 1 \"C:\\a.ps\"", "k1", StartWindow::SendFax},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseStartWindow(c.command_line, c.key), c.expected) << c.command_line << " / " << c.key;
}

TEST(PrintFilePath, SpoolerFormAndBarePath) {
    struct Case {
        const char* command_line;
        const char* path;
    } cases[] = {
        {"-fromspooler -pages 2 \"C:\\spool\\job 1.ps\"", "C:\\spool\\job 1.ps"},
        {"junk -fromspooler x -pages 12 \"C:\\a.ps\" trailing", "C:\\a.ps"},
        // No "-pages ": the quote search starts at -1 and finds nothing, so the
        // path is the text before the first quote of the whole line.
        {"-fromspooler \"C:\\a.ps\"", "-fromspooler "},
        {"-fromspooler -pages 3 no quotes", ""},
        {"-fromspooler -pages 3 \"C:\\unterminated.ps", ""},
        {"  C:\\bare path.ps  ", "  C:\\bare path.ps  "},  // not trimmed here
        // Send To: one pair of quotes around the whole text goes, nothing else.
        {"\"C:\\My Documents\\a b.pdf\"", "C:\\My Documents\\a b.pdf"},
        {" \"C:\\a b.ps\"  ", "C:\\a b.ps"},
        {"\"\"", ""},
        {"\"C:\\a.ps\" \"C:\\b.ps\"", "\"C:\\a.ps\" \"C:\\b.ps\""},  // two paths: not one quoted text
        {"\"C:\\open.ps", "\"C:\\open.ps"},
        {"C:\\closed.ps\"", "C:\\closed.ps\""},
        {"\"", "\""},
        {"\"\"C:\\twice.ps\"\"", "\"\"C:\\twice.ps\"\""},  // only one pair, and only around it all
        // The spooler form keeps its own quote rule.
        {"-fromspooler -pages 1 \"\"C:\\a.ps\"\"", ""},
        {"/KEY=abc", "/KEY=abc"},
    };
    for (const auto& c : cases) EXPECT_EQ(ExtractPrintFilePath(c.command_line), c.path) << c.command_line;
}

TEST(PrintFilePath, OnlyTheSpoolerFormNamesASpooledFile) {
    struct Case {
        const char* command_line;
        bool spooler;
    } cases[] = {
        {"-fromspooler -pages 2 \"C:\\spool\\job.ps\"", true},
        {"junk -fromspooler", true},
        {"\"C:\\Users\\me\\my -fromspooler notes.pdf\"", true},  // the marker decides, as for the path
        {"\"C:\\Users\\me\\report.pdf\"", false},
        {"C:\\job.ps", false},
        {"-FROMSPOOLER -pages 1 \"C:\\a.ps\"", false},
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsSpoolerForm(c.command_line), c.spooler) << c.command_line;
}

TEST(SilentKey, TakesEverythingAfterTheFirstMarker) {
    CString key;
    EXPECT_TRUE(ExtractSilentKey("/KEY=abc /KEY=def", key));
    EXPECT_EQ(key, "abc /KEY=def");
    EXPECT_TRUE(ExtractSilentKey("setup /KEY=", key));
    EXPECT_EQ(key, "");
    key = "kept";
    EXPECT_FALSE(ExtractSilentKey("/key=abc", key));
    EXPECT_EQ(key, "kept");
}

}  // namespace
