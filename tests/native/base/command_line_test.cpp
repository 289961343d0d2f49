#include "base/command_line.h"

#include <gtest/gtest.h>

namespace {

TEST(StartRouting, NeedsBothACommandLineAndAStoredKey) {
    struct Case {
        const char* command_line;
        const char* key;
        StartWindow expected;
    } cases[] = {
        {"", "", StartWindow::KeySetup},
        {"", "k1", StartWindow::KeySetup},          // empty line, even with a key
        {"/KEY=abc", "", StartWindow::KeySetup},    // only way /KEY= takes effect
        {"C:\\job.ps", "", StartWindow::KeySetup},  // print job before set-up
        // An installer's new key is set up, never taken for a print file.
        {"/KEY=abc", "k1", StartWindow::KeySetup},
        {"setup /KEY=abc more", "k1", StartWindow::KeySetup},
        {"/KEY=", "k1", StartWindow::KeySetup},
        {"\"/KEY=abc def\"", "k1", StartWindow::KeySetup},  // quoted as Windows passes it
        // A spooler line is a print job, whatever its path holds.
        {"-fromspooler -pages 1 \"C:\\spool/KEY=7\\job.ps\"", "k1", StartWindow::SendFax},
        {"-fromspooler -pages 1 \"C:\\spool/KEY=7\\job.ps\"", "", StartWindow::KeySetup},
        {"/KEY=abc -fromspooler", "k1", StartWindow::SendFax},
        {"/key=abc", "k1", StartWindow::SendFax},  // the marker is case-sensitive
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
        {"-fromspooler -pages 1 \"C:\\spool/KEY=7\\job.ps\"", "C:\\spool/KEY=7\\job.ps"},
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
    struct Case {
        const char* command_line;
        const char* key;
    } cases[] = {
        {"/KEY=abc /KEY=def", "abc /KEY=def"},
        {"setup /KEY=", ""},
        {"/KEY= abc def ", " abc def "},
        {"/KEY=abc\"", "abc\""},  // unquoted: a quote is part of the key
        {"/KEY=\"abc def\"", "\"abc def\""},
        // Quoted as Windows quotes an argument with a blank: the argument's
        // closing quote ends the key.
        {"\"/KEY=abc def\"", "abc def"},
        {"/S \"/KEY=abc def\" /NORESTART", "abc def"},
        {"\"/KEY=abc def", "abc def"},  // never closed
        {"\"/KEY=\"", ""},
        {"\"/KEY=a\" \"b\"", "a"},
    };
    for (const auto& c : cases) {
        CString key = "kept";
        EXPECT_TRUE(ExtractSilentKey(c.command_line, key)) << c.command_line;
        EXPECT_EQ(key, c.key) << c.command_line;
    }
}

TEST(SilentKey, NoMarkerOrASpoolerLineIsNoSilentStart) {
    for (const char* command_line :
         {"", "/key=abc", "C:\\job.ps", "-fromspooler -pages 1 \"C:\\spool/KEY=7\\job.ps\"", "/KEY=abc -fromspooler"}) {
        CString key = "kept";
        EXPECT_FALSE(ExtractSilentKey(command_line, key)) << command_line;
        EXPECT_EQ(key, "kept") << command_line;
    }
}

}  // namespace
