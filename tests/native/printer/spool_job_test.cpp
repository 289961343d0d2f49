#include "printer/spool_job.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include <string>
#include <vector>

namespace {

using printer::JobOutcome;
using printer::JobRecord;

TEST(SpoolFilePath, FirstNameThenNumberedOnes) {
    struct Case {
        unsigned long job;
        int attempt;
        const wchar_t* path;
    };
    const Case cases[] = {
        {17, 1, L"C:\\ProgramData\\Vantrel\\Spool\\Fax job 17.ps"},
        {17, 2, L"C:\\ProgramData\\Vantrel\\Spool\\Fax job 17 (2).ps"},
        {4294967295UL, 100, L"C:\\ProgramData\\Vantrel\\Spool\\Fax job 4294967295 (100).ps"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(printer::SpoolFilePath(L"C:\\ProgramData\\Vantrel\\Spool\\", c.job, c.attempt), c.path);
    }
}

// The counter is fed the job in chunks of every size, so a comment cut
// anywhere, even between "\r" and "\n", counts once.
unsigned long CountInChunks(const std::string& job, std::size_t chunk) {
    printer::PageCounter counter;
    for (std::size_t at = 0; at < job.size(); at += chunk) {
        counter.Feed(job.data() + at, std::min(chunk, job.size() - at));
    }
    return counter.Pages();
}

TEST(PageCounter, CountsPageCommentsWhereverTheChunksAreCut) {
    struct Case {
        const char* name;
        std::string job;
        unsigned long pages;
    };
    const Case cases[] = {
        {"three pages, LF",
         "%!PS-Adobe-3.0\n%%Pages: 3\n%%Page: 1 1\nshowpage\n%%Page: 2 2\nshowpage\n%%Page: 3 3\n"
         "showpage\n%%EOF\n",
         3},
        {"CR LF line ends", "%!PS\r\n%%Page: 1 1\r\nshowpage\r\n%%Page: 2 2\r\nshowpage\r\n", 2},
        {"CR line ends", "%!PS\r%%Page: 1 1\rshowpage\r%%Page: 2 2\r", 2},
        {"last line without a break", "%!PS\n%%Page: 1 1", 1},
        {"comments win over the header", "%!PS\n%%Pages: 9\n%%Page: 1 1\n", 1},
        {"header only", "%!PS\n%%Pages: 4\nshowpage\n", 4},
        {"header (atend), trailer's count", "%!PS\n%%Pages: (atend)\nshowpage\n%%Trailer\n%%Pages: 6\n", 6},
        {"(atend) and no trailer", "%!PS\n%%Pages: (atend)\n", 0},
        {"not at a line start", "%!PS\nx %%Page: 1 1\n(%%Page: 2 2) show\n", 0},
        {"embedded document's pages are not the job's",
         "%!PS\n%%Page: 1 1\n%%BeginDocument: logo.eps\n%%Pages: 5\n%%Page: 1 1\n%%Page: 2 2\n%%EndDocument\n"
         "%%Page: 2 2\n",
         2},
        {"no PostScript comments at all", std::string(5000, 'x'), 0},
        {"a long line before the comment",
         std::string(100000, 'a') + "\n%%Page: 1 1\n" + std::string(70, 'b') + "%%Page: 2 2\n", 1},
    };
    for (const Case& c : cases) {
        for (std::size_t chunk : {std::size_t(1), std::size_t(2), std::size_t(3), std::size_t(7), std::size_t(4096)}) {
            EXPECT_EQ(CountInChunks(c.job, chunk), c.pages) << c.name << ", chunks of " << chunk;
        }
    }
}

TEST(PageCounter, TheThreePageExampleHasThreePages) {
    FILE* file = std::fopen(KESTRID_SOURCE_DIR "/examples/three-page.ps", "rb");
    ASSERT_NE(file, nullptr);
    printer::PageCounter counter;
    char buffer[13];  // odd chunks, as the spooler's may be
    std::size_t read;
    while ((read = std::fread(buffer, 1, sizeof(buffer), file)) > 0) counter.Feed(buffer, read);
    std::fclose(file);
    EXPECT_EQ(counter.Pages(), 3u);
}

TEST(JobPages, OwnCountElseSpoolersElseZero) {
    EXPECT_EQ(printer::JobPages(3, 5), 3u);
    EXPECT_EQ(printer::JobPages(0, 5), 5u);
    EXPECT_EQ(printer::JobPages(0, 0), 0u);
}

TEST(EndOfJob, OnlyAWholeJobWithDataGoesToTheProgram) {
    struct Case {
        const char* name;
        JobRecord job;
        JobOutcome outcome;
    };
    auto job = [](bool open, unsigned long long bytes, bool write_failed, bool cancelled) {
        JobRecord record;
        record.file_open = open;
        record.bytes = bytes;
        record.write_failed = write_failed;
        record.cancelled = cancelled;
        return record;
    };
    const Case cases[] = {
        {"data", job(true, 1, false, false), JobOutcome::Deliver},
        {"empty", job(true, 0, false, false), JobOutcome::DiscardEmpty},
        {"cancelled with data", job(true, 500, false, true), JobOutcome::DiscardCancelled},
        {"cancelled before any data", job(true, 0, false, true), JobOutcome::DiscardCancelled},
        {"a write failed", job(true, 500, true, false), JobOutcome::DiscardFailed},
        {"a write failed, then cancelled", job(true, 500, true, true), JobOutcome::DiscardFailed},
        {"no spool file", job(false, 0, false, false), JobOutcome::DiscardFailed},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(printer::EndOfJob(c.job), c.outcome) << c.name;
    }
}

TEST(ProgramCommandLine, IsTheSpoolerFormWithBothPathsQuoted) {
    EXPECT_EQ(printer::ProgramCommandLine(L"C:\\Program Files\\Vantrel\\KestridUI.exe", 3,
                                          L"C:\\ProgramData\\Vantrel\\Spool\\Fax job 17.ps"),
              L"\"C:\\Program Files\\Vantrel\\KestridUI.exe\" -fromspooler -pages 3 "
              L"\"C:\\ProgramData\\Vantrel\\Spool\\Fax job 17.ps\"");
    EXPECT_EQ(printer::ProgramCommandLine(L"K.exe", 0, L"a.ps"), L"\"K.exe\" -fromspooler -pages 0 \"a.ps\"");
}

TEST(FolderOf, EndsWithTheSeparator) {
    EXPECT_EQ(printer::FolderOf(L"C:\\Program Files\\Vantrel\\KestridUI.exe"), L"C:\\Program Files\\Vantrel\\");
    EXPECT_EQ(printer::FolderOf(L"KestridUI.exe"), L"");
}

TEST(IsValidPortName, TakesNamesEndingWithAColonAndNoListOrPathCharacters) {
    struct Case {
        std::wstring name;
        bool valid;
    };
    const Case cases[] = {
        {L"VANTREL:", true},
        {L"Vantrel Fax 2:", true},
        {std::wstring(62, L'P') + L":", true},
        {std::wstring(63, L'P') + L":", false},
        {L"", false},
        {L":", true},
        {L"VANTREL", false},
        {L"VAN,TREL:", false},
        {L"C:\\spool:", false},
        {L"VAN\nTREL:", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(printer::IsValidPortName(c.name), c.valid) << c.name.size();
    }
    EXPECT_TRUE(printer::IsValidPortName(printer::kDefaultPortName));
}

TEST(TraceLine, StampJobAndOneLineOfText) {
    printer::TraceTime time;
    time.year = 2027;
    time.month = 2;
    time.day = 1;
    time.hour = 9;
    time.minute = 5;
    time.second = 3;
    EXPECT_EQ(printer::TraceLine(time, 17, L"started"), L"2027-02-01 09:05:03 job 17: started\r\n");
    EXPECT_EQ(printer::TraceLine(time, 0, L"two\r\nlines"), L"2027-02-01 09:05:03 job 0: two  lines\r\n");
}

TEST(TraceNeedsRotation, AtTheLimit) {
    EXPECT_FALSE(printer::TraceNeedsRotation(printer::kTraceLimitBytes - 1));
    EXPECT_TRUE(printer::TraceNeedsRotation(printer::kTraceLimitBytes));
}

}  // namespace
