#include "convert/print_job.h"
#include "convert/posix_job_platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

LocalTime At(int hour, int minute, int second) {
    LocalTime time;
    time.year = 2027;
    time.month = 2;
    time.day = 1;
    time.hour = hour;
    time.minute = minute;
    time.second = second;
    return time;
}

// The real POSIX platform with a clock the test can set and a log of the
// steps whose order matters.
class TestPlatform : public PosixJobPlatform {
public:
    explicit TestPlatform(std::vector<std::string>* log = nullptr) : m_log(log) {}

    void SetClock(std::vector<LocalTime> times) { m_times.assign(times.begin(), times.end()); }
    LocalTime Now() override {
        if (m_times.empty()) return PosixJobPlatform::Now();
        const LocalTime time = m_times.front();
        if (m_times.size() > 1) m_times.pop_front();  // the last reading repeats
        return time;
    }
    RunResult RunAndWait(const CString& command_line) override {
        command_lines.push_back(command_line.str());
        Log("run");
        return PosixJobPlatform::RunAndWait(command_line);
    }
    void ShowWaitCursor() override { Log("wait cursor"); }
    void RestoreCursor() override { Log("restore cursor"); }

    std::vector<std::string> command_lines;

private:
    void Log(const char* step) {
        if (m_log) m_log->push_back(step);
    }
    std::deque<LocalTime> m_times;
    std::vector<std::string>* m_log;
};

class LoggingNotifier : public RecordingNotifier {
public:
    explicit LoggingNotifier(std::vector<std::string>* log) : m_log(log) {}
    void Show(const CString& text, const CString& caption, unsigned icon) override {
        m_log->push_back("box");
        RecordingNotifier::Show(text, caption, icon);
    }

private:
    std::vector<std::string>* m_log;
};

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// Page count as poppler reads it; -1 when it cannot read the file.
int PdfPages(const std::string& path) {
    const std::string command = "pdfinfo '" + path + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    int pages = -1;
    char line[512];
    while (std::fgets(line, sizeof(line), pipe)) {
        if (std::sscanf(line, "Pages: %d", &pages) == 1) break;
    }
    pclose(pipe);
    return pages;
}

std::vector<std::string> FilesIn(const fs::path& folder) {
    std::vector<std::string> names;
    if (!fs::exists(folder)) return names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A program folder whose path holds a blank, with Debian's Ghostscript
// installed where the program looks for it, and a spool folder beside it.
class PrintJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "kestrid-convert-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root = pattern;
        program = root / "Kestrid Fax";
        spool = root / "spool dir";
        fs::create_directories(program);
        fs::create_directories(spool);
        work = program / "Files";
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    void InstallGhostscript() {
        fs::create_directories(program / "Xtra" / "PD");
        fs::create_symlink("/usr/bin/gs", program / "Xtra" / "PD" / "gswin32c.exe");
    }
    // The program builds names with backslashes; the POSIX platform reads
    // them as separators.
    CString ProgramFolder() const { return CString(program.string() + "\\"); }
    fs::path SpoolExample(const char* example, const char* name = "job 1.ps") {
        fs::path target = spool / name;
        fs::copy_file(fs::path(KESTRID_SOURCE_DIR) / "examples" / example, target);
        return target;
    }
    static fs::path Native(const CString& path) { return fs::path(NativePath(path)); }

    fs::path root, program, spool, work;
};

TEST_F(PrintJobTest, ConvertsRealJobsAndLeavesOnlyThePdf) {
    InstallGhostscript();
    struct Case {
        const char* example;
        int pages;
    };
    for (const Case& c : {Case{"one-page.ps", 1}, Case{"three-page.ps", 3}}) {
        SCOPED_TRACE(c.example);
        const fs::path job = SpoolExample(c.example);
        std::vector<std::string> log;
        TestPlatform platform(&log);
        LoggingNotifier notifier(&log);

        // Blanks around the command-line path are trimmed before the copy.
        bool converted = false;
        const CString result = PreparePrintJob(platform, notifier, CString("  " + job.string() + " \t"),
                                               ProgramFolder(), PrintFileOwner::Spooler, &converted);
        EXPECT_TRUE(converted);

        const std::string stem_prefix = (ProgramFolder() + "Files\\Fax_").str();
        EXPECT_EQ(result.str().rfind(stem_prefix, 0), 0u) << result.str();
        EXPECT_EQ(result.str().substr(result.str().size() - 4), ".pdf");
        EXPECT_EQ(PdfPages(NativePath(result)), c.pages);
        EXPECT_FALSE(fs::exists(job)) << "the spooled file must be gone";
        EXPECT_EQ(FilesIn(work), std::vector<std::string>{Native(result).filename().string()})
            << "the PostScript copy must be gone";
        EXPECT_TRUE(notifier.boxes.empty());
        EXPECT_EQ(log, (std::vector<std::string>{"wait cursor", "run", "restore cursor"}));

        // The command line names the PDF and the copy it was made from.
        ASSERT_EQ(platform.command_lines.size(), 1u);
        const CString& pdf = result;
        const CString ps = result.Left(result.GetLength() - 4) + ".ps";
        EXPECT_EQ(platform.command_lines[0], GhostscriptCommandLine(ProgramFolder(), pdf, ps).str());

        // Closing the window removes the PDF; the work folder stays.
        DeletePrintFileOnClose(platform, result, ProgramFolder());
        EXPECT_TRUE(FilesIn(work).empty());
        EXPECT_TRUE(fs::is_directory(work));
    }
}

// Send To hands over the user's own document, PostScript or PDF (Ghostscript
// reads both); only the spooler's file is the program's to delete.
TEST_F(PrintJobTest, AUsersDocumentIsConvertedAndLeftAsItWas) {
    InstallGhostscript();
    const fs::path pdf_source = spool / "made.pdf";
    ASSERT_EQ(std::system(("gs -q -dNOPAUSE -dBATCH -sDEVICE=pdfwrite -sOutputFile='" + pdf_source.string() + "' '" +
                           (fs::path(KESTRID_SOURCE_DIR) / "examples" / "three-page.ps").string() + "'")
                              .c_str()),
              0);
    struct Case {
        const char* name;
        PrintFileOwner owner;
        bool kept;
    } cases[] = {
        {"my report.ps", PrintFileOwner::User, true},
        {"my report.pdf", PrintFileOwner::User, true},
        {"spooled.ps", PrintFileOwner::Spooler, false},
        {"spooled.pdf", PrintFileOwner::Spooler, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path document = spool / c.name;
        if (fs::path(c.name).extension() == ".pdf") fs::copy_file(pdf_source, document);
        else fs::copy_file(fs::path(KESTRID_SOURCE_DIR) / "examples" / "three-page.ps", document);
        const std::string content = ReadAll(document);
        const auto written = fs::last_write_time(document);
        std::vector<std::string> log;
        TestPlatform platform;
        LoggingNotifier notifier(&log);

        const CString result =
            PreparePrintJob(platform, notifier, CString(document.string()), ProgramFolder(), c.owner);

        EXPECT_EQ(result.str().rfind((ProgramFolder() + "Files\\Fax_").str(), 0), 0u) << result.str();
        EXPECT_EQ(PdfPages(NativePath(result)), 3);
        EXPECT_TRUE(notifier.boxes.empty());
        ASSERT_EQ(fs::exists(document), c.kept);
        if (c.kept) {
            EXPECT_EQ(ReadAll(document), content);
            EXPECT_EQ(fs::last_write_time(document), written);
        }
        // Closing the window takes the PDF and nothing else.
        DeletePrintFileOnClose(platform, result, ProgramFolder());
        EXPECT_TRUE(FilesIn(work).empty());
        EXPECT_EQ(fs::exists(document), c.kept);
    }
}

TEST_F(PrintJobTest, MissingGhostscriptShowsTheBoxAndKeepsTheSpooledFile) {
    const fs::path job = SpoolExample("one-page.ps");
    std::vector<std::string> log;
    TestPlatform platform(&log);
    platform.SetClock({At(9, 5, 3)});
    LoggingNotifier notifier(&log);

    bool converted = true;
    const CString result = PreparePrintJob(platform, notifier, CString(job.string()), ProgramFolder(),
                                           PrintFileOwner::Spooler, &converted);

    EXPECT_EQ(result.str(), job.string());
    EXPECT_FALSE(converted) << "the spooled file is no PDF";
    ASSERT_EQ(notifier.boxes.size(), 1u);
    EXPECT_EQ(notifier.boxes[0].text.str(), "File missing. Please reinstall the software");
    EXPECT_EQ(notifier.boxes[0].caption.str(), "Fax");
    EXPECT_EQ(notifier.boxes[0].icon, static_cast<unsigned>(kIconExclamation));
    // The cursor is back before the box appears.
    EXPECT_EQ(log, (std::vector<std::string>{"wait cursor", "run", "restore cursor", "box"}));
    EXPECT_TRUE(fs::exists(job));
    // Neither the copy nor the empty PDF placeholder is left behind.
    EXPECT_TRUE(FilesIn(work).empty());
    // Closing the window keeps the spooled file: it is the only copy of the job.
    const std::string content = ReadAll(job);
    DeletePrintFileOnClose(platform, result, ProgramFolder());
    EXPECT_EQ(ReadAll(job), content);
}

TEST_F(PrintJobTest, JobGhostscriptCannotConvertKeepsTheSpooledFile) {
    InstallGhostscript();
    struct Case {
        const char* name;
        const char* content;  // nullptr: no such file
    };
    const Case cases[] = {
        {"garbage", "\x01\x02 this is not PostScript at all \xff\xfe"},
        // Ghostscript writes page 1 and then fails: a partial PDF is no conversion.
        {"fails on page 2",
         "%!PS\n/Helvetica findfont 20 scalefont setfont\n72 700 moveto (one) show showpage\n"
         "72 700 moveto (two) show undefined-operator showpage\n"},
        {"missing", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path job = spool / "job.ps";
        if (c.content) WriteFile(job, c.content);
        TestPlatform platform;
        RecordingNotifier notifier;

        bool converted = true;
        const CString result = PreparePrintJob(platform, notifier, CString(job.string()), ProgramFolder(),
                                               PrintFileOwner::Spooler, &converted);

        EXPECT_EQ(result.str(), job.string()) << "the spooled file stays the print file";
        EXPECT_FALSE(converted);
        EXPECT_EQ(fs::exists(job), c.content != nullptr);
        EXPECT_TRUE(FilesIn(work).empty()) << "no PDF and no copy left in the work folder";
        // The job is not taken for converted: the user is told.
        ASSERT_EQ(notifier.boxes.size(), 1u);
        EXPECT_EQ(notifier.boxes[0].text.str(), "Unable to convert the print job to PDF");
        EXPECT_EQ(notifier.boxes[0].caption.str(), "Fax");
        EXPECT_EQ(notifier.boxes[0].icon, static_cast<unsigned>(kIconExclamation));
        EXPECT_EQ(platform.command_lines.size(), 1u);

        // Closing the window keeps the spooled file it still names.
        DeletePrintFileOnClose(platform, result, ProgramFolder());
        EXPECT_EQ(fs::exists(job), c.content != nullptr);
        std::error_code ignored;
        fs::remove(job, ignored);
    }
}

TEST_F(PrintJobTest, EmptyPrintFilePathMakesNothing) {
    InstallGhostscript();
    TestPlatform platform;
    RecordingNotifier notifier;
    bool converted = true;
    const CString result =
        PreparePrintJob(platform, notifier, "   ", ProgramFolder(), PrintFileOwner::Spooler, &converted);
    EXPECT_TRUE(result.IsEmpty());
    EXPECT_FALSE(converted);
    EXPECT_TRUE(fs::is_directory(work)) << "the work folder is created on the way";
    EXPECT_TRUE(FilesIn(work).empty());
    DeletePrintFileOnClose(platform, result);  // nothing to delete, nothing happens
    EXPECT_TRUE(fs::is_directory(work));
}

TEST_F(PrintJobTest, TwoJobsInTheSameSecondGetTheirOwnFiles) {
    InstallGhostscript();
    const fs::path first_job = SpoolExample("one-page.ps", "first.ps");
    const fs::path second_job = SpoolExample("three-page.ps", "second.ps");
    TestPlatform platform;
    platform.SetClock({At(9, 5, 3)});
    RecordingNotifier notifier;

    const CString first = PreparePrintJob(platform, notifier, CString(first_job.string()), ProgramFolder());
    const CString second = PreparePrintJob(platform, notifier, CString(second_job.string()), ProgramFolder());

    EXPECT_EQ(Native(first).filename(), "Fax_02012027-090503.pdf");
    EXPECT_EQ(Native(second).filename(), "Fax_02012027-090503_2.pdf");
    EXPECT_EQ(PdfPages(NativePath(first)), 1) << "the first job's PDF must not be overwritten";
    EXPECT_EQ(PdfPages(NativePath(second)), 3);
    EXPECT_EQ(FilesIn(work), (std::vector<std::string>{"Fax_02012027-090503.pdf", "Fax_02012027-090503_2.pdf"}));
}

TEST_F(PrintJobTest, ClaimSkipsStemsWithEitherNameTaken) {
    fs::create_directories(work);
    // A copy left behind by an earlier job that could not start Ghostscript,
    // and a PDF of another job one number further.
    WriteFile(work / "Fax_02012027-090503.ps", "left behind");
    WriteFile(work / "Fax_02012027-090503_2.pdf", "other job");
    TestPlatform platform;
    platform.SetClock({At(9, 5, 3)});

    const WorkFileNames names = ClaimWorkFileNames(platform, CString(work.string() + "\\"));

    EXPECT_EQ(Native(names.pdf_path).filename(), "Fax_02012027-090503_3.pdf");
    EXPECT_EQ(Native(names.ps_path).filename(), "Fax_02012027-090503_3.ps");
    EXPECT_TRUE(names.pdf_claimed && names.ps_claimed);
    EXPECT_EQ(ReadAll(work / "Fax_02012027-090503.ps"), "left behind");
    EXPECT_EQ(ReadAll(work / "Fax_02012027-090503_2.pdf"), "other job");
    // The half-claimed stems were given back: only the two claimed names are new.
    EXPECT_EQ(FilesIn(work), (std::vector<std::string>{"Fax_02012027-090503.ps", "Fax_02012027-090503_2.pdf",
                                                       "Fax_02012027-090503_3.pdf", "Fax_02012027-090503_3.ps"}));
}

TEST(ClaimResultForCreateError, NamesInUseOrBeingDeletedAreTakenOnlyARefusingFolderFails) {
    struct Case {
        const char* what;
        unsigned long error;
        bool name_present;
        ClaimResult result;
    };
    const Case cases[] = {
        {"file exists", 80, true, ClaimResult::Taken},
        {"already exists", 183, true, ClaimResult::Taken},
        {"sharing violation", 32, true, ClaimResult::Taken},
        {"lock violation", 33, true, ClaimResult::Taken},
        {"delete pending", 303, true, ClaimResult::Taken},
        {"access denied, name pending deletion", 5, true, ClaimResult::Taken},
        {"access denied, read-only folder", 5, false, ClaimResult::Failed},
        {"path not found", 3, false, ClaimResult::Failed},
        {"disk full", 112, false, ClaimResult::Failed},
    };
    for (const Case& c : cases) EXPECT_EQ(ClaimResultForCreateError(c.error, c.name_present), c.result) << c.what;
}

TEST_F(PrintJobTest, EachNameTakesItsOwnClockReading) {
    fs::create_directories(work);
    TestPlatform platform;
    platform.SetClock({At(9, 5, 59), At(9, 6, 0)});  // the second turns between the two names
    const WorkFileNames names = ClaimWorkFileNames(platform, CString(work.string() + "\\"));
    EXPECT_EQ(Native(names.pdf_path).filename(), "Fax_02012027-090559.pdf");
    EXPECT_EQ(Native(names.ps_path).filename(), "Fax_02012027-090600.ps");
    EXPECT_TRUE(names.pdf_claimed && names.ps_claimed);
}

TEST_F(PrintJobTest, UnwritableWorkFolderFallsBackToThePlainNames) {
    // The work folder is missing, so nothing can be claimed; the run goes on
    // with the plain names and claims nothing.
    TestPlatform platform;
    platform.SetClock({At(9, 5, 3)});
    const WorkFileNames names = ClaimWorkFileNames(platform, CString(work.string() + "\\"));
    EXPECT_EQ(Native(names.pdf_path).filename(), "Fax_02012027-090503.pdf");
    EXPECT_EQ(Native(names.ps_path).filename(), "Fax_02012027-090503.ps");
    EXPECT_FALSE(names.pdf_claimed);
    EXPECT_FALSE(names.ps_claimed);
}

// Every claimer must end with its own pair; claims of one second never collide.
void ExpectDistinctPairs(const std::vector<std::string>& stems, size_t claimers, const fs::path& work) {
    EXPECT_EQ(stems.size(), claimers);
    EXPECT_EQ(std::set<std::string>(stems.begin(), stems.end()).size(), claimers);
    EXPECT_EQ(FilesIn(work).size(), 2 * claimers);
}

TEST_F(PrintJobTest, ThreadsClaimingAtOnceGetDistinctNames) {
    fs::create_directories(work);
    const CString work_folder(work.string() + "\\");
    const size_t kThreads = 8;
    std::atomic<size_t> ready{0};
    std::mutex guard;
    std::vector<std::string> stems;
    std::vector<std::thread> threads;
    for (size_t i = 0; i < kThreads; ++i) {
        threads.emplace_back([&] {
            TestPlatform platform;
            platform.SetClock({At(9, 5, 3)});
            ++ready;
            while (ready < kThreads) std::this_thread::yield();
            const WorkFileNames names = ClaimWorkFileNames(platform, work_folder);
            std::lock_guard<std::mutex> lock(guard);
            const std::string pdf = names.pdf_path.str();
            const std::string ps = names.ps_path.str();
            EXPECT_TRUE(names.pdf_claimed && names.ps_claimed);
            EXPECT_EQ(pdf.substr(0, pdf.size() - 4), ps.substr(0, ps.size() - 3)) << "one stem per pair";
            stems.push_back(pdf.substr(0, pdf.size() - 4));
        });
    }
    for (auto& thread : threads) thread.join();
    ExpectDistinctPairs(stems, kThreads, work);
}

TEST_F(PrintJobTest, ProcessesClaimingAtOnceGetDistinctNames) {
    fs::create_directories(work);
    const CString work_folder(work.string() + "\\");
    const int kProcesses = 6;
    int go[2], results[2];
    ASSERT_EQ(pipe(go), 0);
    ASSERT_EQ(pipe(results), 0);
    std::vector<pid_t> children;
    for (int i = 0; i < kProcesses; ++i) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(go[1]);
            close(results[0]);
            char byte;
            while (read(go[0], &byte, 1) > 0) {
            }  // released together when the parent closes it
            TestPlatform platform;
            platform.SetClock({At(9, 5, 3)});
            const WorkFileNames names = ClaimWorkFileNames(platform, work_folder);
            const std::string pdf = names.pdf_path.str();
            const std::string ps = names.ps_path.str();
            const bool paired =
                names.pdf_claimed && names.ps_claimed && pdf.substr(0, pdf.size() - 4) == ps.substr(0, ps.size() - 3);
            const std::string line = (paired ? pdf.substr(0, pdf.size() - 4) : std::string("UNPAIRED")) + "\n";
            const ssize_t written = write(results[1], line.data(), line.size());  // short: atomic
            _exit(written == static_cast<ssize_t>(line.size()) ? 0 : 1);
        }
        children.push_back(pid);
    }
    close(go[0]);
    close(results[1]);
    close(go[1]);
    std::string output;
    char buffer[4096];
    ssize_t got;
    while ((got = read(results[0], buffer, sizeof(buffer))) > 0) output.append(buffer, static_cast<size_t>(got));
    close(results[0]);
    for (pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::vector<std::string> stems;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_NE(line, "UNPAIRED");
        stems.push_back(line);
    }
    ExpectDistinctPairs(stems, kProcesses, work);
}

TEST_F(PrintJobTest, DeletePrintFileOnCloseRemovesOnlyThatFile) {
    fs::create_directories(work);
    WriteFile(work / "Fax_02012027-090503.pdf", "%PDF");
    WriteFile(work / "Fax_02012027-090504.pdf", "%PDF");
    TestPlatform platform;
    DeletePrintFileOnClose(platform, CString(work.string() + "\\Fax_02012027-090503.pdf"), ProgramFolder());
    EXPECT_EQ(FilesIn(work), std::vector<std::string>{"Fax_02012027-090504.pdf"});
}

TEST_F(PrintJobTest, DeletePrintFileOnCloseLeavesWhatIsNotTheJobsPdf) {
    // A print-file path that still names the spooled job (no PDF was made),
    // or anything else that is not a PDF of the work folder, outlives the window.
    fs::create_directories(work);
    const fs::path spooled = SpoolExample("one-page.ps", "Fax_job.pdf");
    WriteFile(work / "Fax_02012027-090503.ps", "%!PS");
    WriteFile(work / "notes.pdf", "%PDF");
    TestPlatform platform;
    for (const fs::path& path : {spooled, work / "Fax_02012027-090503.ps", work / "notes.pdf"}) {
        DeletePrintFileOnClose(platform, CString(path.string()), ProgramFolder());
        EXPECT_TRUE(fs::exists(path)) << path;
    }
}

TEST(PosixJobPlatform, RunReportsStartFailureAndExitCode) {
    PosixJobPlatform platform;
    const RunResult missing = platform.RunAndWait("\"/nonexistent/Xtra\\PD\\gswin32c.exe\" -dBATCH");
    EXPECT_FALSE(missing.started);
    const RunResult exited = platform.RunAndWait("\"/bin/sh\" -c \"exit 3\"");
    EXPECT_TRUE(exited.started);
    EXPECT_TRUE(exited.exit_code_known);
    EXPECT_EQ(exited.exit_code, 3u);
}

}  // namespace
