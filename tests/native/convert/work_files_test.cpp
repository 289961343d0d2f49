#include "convert/work_files.h"
#include "convert/posix_job_platform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

LocalTime At(int year, int month, int day, int hour, int minute, int second) {
    LocalTime time;
    time.year = year;
    time.month = month;
    time.day = day;
    time.hour = hour;
    time.minute = minute;
    time.second = second;
    return time;
}

TEST(TimeStamp, IsZeroPaddedMonthDayYearDashHourMinuteSecond) {
    struct Case {
        LocalTime time;
        const char* stamp;
    };
    const Case cases[] = {
        {At(2027, 2, 1, 9, 5, 3), "02012027-090503"},      {At(2026, 12, 9, 2, 8, 5), "12092026-020805"},
        {At(2026, 12, 31, 23, 59, 59), "12312026-235959"}, {At(2027, 1, 1, 0, 0, 0), "01012027-000000"},
        {At(999, 10, 10, 10, 10, 10), "10100999-101010"},  // even the year is padded
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TimeStamp(c.time).str(), c.stamp);
    }
}

TEST(WorkFileNames, PdfNameOfFirstFebruary2027) {
    const CString stem = WorkFileStem(WorkFolder("C:\\Kestrid\\"), At(2027, 2, 1, 9, 5, 3));
    EXPECT_EQ((stem + ".pdf").str(), "C:\\Kestrid\\Files\\Fax_02012027-090503.pdf");
    EXPECT_EQ((stem + ".ps").str(), "C:\\Kestrid\\Files\\Fax_02012027-090503.ps");
}

TEST(WorkFileNames, LaterAttemptsAddANumberToTheStem) {
    EXPECT_EQ(NumberedStem("Files\\Fax_1", 1).str(), "Files\\Fax_1");
    EXPECT_EQ(NumberedStem("Files\\Fax_1", 2).str(), "Files\\Fax_1_2");
    EXPECT_EQ(NumberedStem("Files\\Fax_1", 13).str(), "Files\\Fax_1_13");
}

TEST(GhostscriptProgram, IsInTheProgramFoldersXtraFolder) {
    EXPECT_EQ(GhostscriptProgram("C:\\Kestrid Fax\\").str(), "C:\\Kestrid Fax\\Xtra\\PD\\gswin32c.exe");
}

TEST(GhostscriptCommandLine, IsExactForAProgramFolderWithBlanks) {
    // The folder is passed in its short form; the work files keep their long,
    // blank-holding names and are quoted one by one.
    const CString line = GhostscriptCommandLine("C:\\PROGRA~1\\KESTRI~1\\",
                                                "C:\\Program Files\\Kestrid Fax\\Files\\Fax_02012027-090503.pdf",
                                                "C:\\Program Files\\Kestrid Fax\\Files\\Fax_02012027-090504.ps");
    EXPECT_EQ(line.str(),
              "\"C:\\PROGRA~1\\KESTRI~1\\Xtra\\PD\\gswin32c.exe\" -dNOPAUSE -dBATCH -sDEVICE=pdfwrite "
              "-sOutputFile=\"C:\\Program Files\\Kestrid Fax\\Files\\Fax_02012027-090503.pdf\" "
              "\"C:\\Program Files\\Kestrid Fax\\Files\\Fax_02012027-090504.ps\"");
}

TEST(SplitCommandLine, QuotesGroupBlanksAndDisappear) {
    const std::vector<std::string> words =
        SplitCommandLine("\"C:\\A B\\gswin32c.exe\" -dNOPAUSE  -sOutputFile=\"C:\\x y\\o.pdf\" \"C:\\p q\\i.ps\" \"\"");
    const std::vector<std::string> expected = {"C:\\A B\\gswin32c.exe", "-dNOPAUSE", "-sOutputFile=C:\\x y\\o.pdf",
                                               "C:\\p q\\i.ps", ""};
    EXPECT_EQ(words, expected);
    EXPECT_TRUE(SplitCommandLine("   ").empty());
}

}  // namespace
