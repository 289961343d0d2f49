// The conversion through the real Win32 calls: CreateProcessA starts the
// Ghostscript stand-in (which runs the Linux gs when under Wine) from a
// program folder whose path holds a blank.
#include "convert/print_job.h"
#include "convert/win_job_platform.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A build-time Unix path as Wine's Windows name for it.
std::string FromBuildPath(const std::string& unix_path) {
    std::string path = "Z:" + unix_path;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Page objects in a PDF as Ghostscript writes them ("/Type/Page", never
// inside a compressed stream).
int CountPages(const std::string& pdf) {
    int pages = 0;
    for (const char* marker : {"/Type/Page", "/Type /Page"}) {
        const std::string key = marker;
        for (size_t at = pdf.find(key); at != std::string::npos; at = pdf.find(key, at + 1)) {
            const size_t next = at + key.size();
            if (next < pdf.size() && pdf[next] != 's') ++pages;
        }
    }
    return pages;
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

void RemoveTree(const std::string& folder) {
    for (const std::string& name : FilesIn(folder)) {
        const std::string path = folder + name;
        if (GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveTree(path + "\\");
        } else {
            DeleteFileA(path.c_str());
        }
    }
    RemoveDirectoryA(folder.c_str());
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class PrintJobWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH] = "";
        ASSERT_GT(GetTempPathA(sizeof(temp), temp), 0u);
        std::ostringstream name;
        name << temp << "kestrid convert " << GetCurrentProcessId() << "-" << GetTickCount() << "\\";
        root = name.str();
        program = root + "Kestrid Fax\\";
        spool = root + "spool dir\\";
        work = program + "Files\\";
        ASSERT_TRUE(CreateDirectoryA(root.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA(program.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA(spool.c_str(), nullptr));
    }
    void TearDown() override { RemoveTree(root); }

    void InstallGhostscript() {
        const std::string standin = FromBuildPath(KESTRID_BINARY_DIR "/tools/gs-standin/");
        const std::string target = program + "Xtra\\PD\\";
        ASSERT_TRUE(CreateDirectoryA((program + "Xtra").c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
        ASSERT_TRUE(CopyFileA((standin + "gswin32c.exe").c_str(), (target + "gswin32c.exe").c_str(), FALSE));
        ASSERT_TRUE(CopyFileA((standin + "gs-standin.sh").c_str(), (target + "gs-standin.sh").c_str(), FALSE));
    }
    std::string SpoolExample(const char* example) {
        const std::string job = spool + "job 1.ps";
        const std::string source = FromBuildPath(KESTRID_SOURCE_DIR "/examples/") + example;
        EXPECT_TRUE(CopyFileA(source.c_str(), job.c_str(), FALSE)) << source;
        return job;
    }

    std::string root, program, spool, work;
};

TEST_F(PrintJobWindowsTest, ConvertsRealJobsThroughCreateProcess) {
    InstallGhostscript();
    struct Case {
        const char* example;
        int pages;
    };
    for (const Case& c : {Case{"one-page.ps", 1}, Case{"three-page.ps", 3}}) {
        SCOPED_TRACE(c.example);
        const std::string job = SpoolExample(c.example);
        WinJobPlatform platform;
        RecordingNotifier notifier;

        const CString result = PreparePrintJob(platform, notifier, CString(" " + job + " "), program.c_str());

        const std::string pdf = result.str();
        EXPECT_EQ(pdf.rfind(work + "Fax_", 0), 0u) << pdf;
        EXPECT_EQ(pdf.substr(pdf.size() - 4), ".pdf");
        const std::string content = ReadAll(pdf);
        EXPECT_EQ(content.rfind("%PDF-", 0), 0u) << "the wait must last until Ghostscript has written it";
        EXPECT_EQ(CountPages(content), c.pages);
        EXPECT_FALSE(Exists(job)) << "the spooled file must be gone";
        EXPECT_EQ(FilesIn(work).size(), 1u) << "only the PDF stays in the work folder";
        EXPECT_TRUE(notifier.boxes.empty());

        DeletePrintFileOnClose(platform, result, program.c_str());
        EXPECT_FALSE(Exists(pdf));
        EXPECT_TRUE(FilesIn(work).empty());
    }
}

TEST_F(PrintJobWindowsTest, MissingGhostscriptShowsTheBoxAndKeepsTheSpooledFile) {
    const std::string job = SpoolExample("one-page.ps");
    WinJobPlatform platform;
    RecordingNotifier notifier;

    const CString result = PreparePrintJob(platform, notifier, CString(job), program.c_str());

    EXPECT_EQ(result.str(), job);
    ASSERT_EQ(notifier.boxes.size(), 1u);
    EXPECT_EQ(notifier.boxes[0].text.str(), "File missing. Please reinstall the software");
    EXPECT_EQ(notifier.boxes[0].caption.str(), "Fax");
    EXPECT_EQ(notifier.boxes[0].icon, static_cast<unsigned>(MB_ICONEXCLAMATION));
    EXPECT_TRUE(Exists(job));
    EXPECT_TRUE(FilesIn(work).empty()) << "neither the copy nor the empty PDF placeholder stays";
    // Closing the window keeps the spooled file: it is the only copy of the job.
    DeletePrintFileOnClose(platform, result, program.c_str());
    EXPECT_TRUE(Exists(job));
}

TEST_F(PrintJobWindowsTest, UnreadableJobLeavesNoPdf) {
    InstallGhostscript();
    const std::string job = spool + "job 1.ps";
    {
        std::ofstream out(job, std::ios::binary);
        out << "not PostScript\x01\x02";
    }
    WinJobPlatform platform;
    RecordingNotifier notifier;

    const CString result = PreparePrintJob(platform, notifier, CString(job), program.c_str());

    EXPECT_EQ(result.str(), job);
    EXPECT_TRUE(Exists(job));
    EXPECT_TRUE(FilesIn(work).empty());
    ASSERT_EQ(notifier.boxes.size(), 1u);
    EXPECT_EQ(notifier.boxes[0].text.str(), "Unable to convert the print job to PDF");
    EXPECT_EQ(notifier.boxes[0].icon, static_cast<unsigned>(MB_ICONEXCLAMATION));
    DeletePrintFileOnClose(platform, result, program.c_str());
    EXPECT_TRUE(Exists(job));
}

TEST_F(PrintJobWindowsTest, ShortProgramFolderHoldsNoBlank) {
    WinJobPlatform platform;
    const std::string short_folder = platform.ShortForm(program.c_str()).str();
    EXPECT_EQ(short_folder.find(' '), std::string::npos) << short_folder;
    EXPECT_EQ(short_folder.back(), '\\');
    // Both long names keep their blanks inside their own quotes.
    const CString line =
        GhostscriptCommandLine(short_folder.c_str(), (work + "Fax_1.pdf").c_str(), (work + "Fax_1.ps").c_str());
    EXPECT_NE(line.str().find("-sOutputFile=\"" + work + "Fax_1.pdf\" \"" + work + "Fax_1.ps\""), std::string::npos);
}

TEST_F(PrintJobWindowsTest, ClaimIsExclusive) {
    WinJobPlatform platform;
    const CString name = (program + "Fax_1.pdf").c_str();
    EXPECT_EQ(platform.ClaimNew(name), ClaimResult::Claimed);
    EXPECT_EQ(platform.ClaimNew(name), ClaimResult::Taken);
    EXPECT_EQ(platform.SizeOf(name), 0);
    EXPECT_EQ(platform.ClaimNew((program + "no such folder\\Fax_1.pdf").c_str()), ClaimResult::Failed);
}

// The clock stands still, so every claim asks for the same names.
class StillClockPlatform : public WinJobPlatform {
public:
    LocalTime Now() override {
        LocalTime time;
        time.year = 2027;
        time.month = 2;
        time.day = 1;
        time.hour = 9;
        time.minute = 5;
        time.second = 3;
        return time;
    }
};

TEST_F(PrintJobWindowsTest, NamesHeldOpenOrPendingDeletionCountAsTaken) {
    StillClockPlatform platform;
    ASSERT_TRUE(CreateDirectoryA(work.c_str(), nullptr));
    // Another process still writes one name; another name is being deleted
    // while a handle keeps it.
    const std::string held = work + "Fax_02012027-090503.pdf";
    const std::string pending = work + "Fax_02012027-090503_2.pdf";
    HANDLE holder = CreateFileA(held.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    HANDLE deleting =
        CreateFileA(pending.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(deleting, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(DeleteFileA(pending.c_str()));

    EXPECT_EQ(platform.ClaimNew(held.c_str()), ClaimResult::Taken);
    EXPECT_EQ(platform.ClaimNew(pending.c_str()), ClaimResult::Taken);
    const WorkFileNames names = ClaimWorkFileNames(platform, work.c_str());
    EXPECT_EQ(names.pdf_path.str(), work + "Fax_02012027-090503_3.pdf");
    EXPECT_EQ(names.ps_path.str(), work + "Fax_02012027-090503_3.ps");
    EXPECT_TRUE(names.pdf_claimed && names.ps_claimed);
    CloseHandle(holder);
    CloseHandle(deleting);
    EXPECT_FALSE(Exists(pending));
}

TEST(WinJobPlatform, ProgramFolderIsTheFolderOfThisExecutable) {
    WinJobPlatform platform;
    const CString folder = ProgramFolder(platform);
    ASSERT_FALSE(folder.IsEmpty());
    EXPECT_EQ(folder.GetAt(folder.GetLength() - 1), '\\');
    EXPECT_TRUE(platform.Exists(folder + "convert_windows_tests.exe"));
}

}  // namespace
