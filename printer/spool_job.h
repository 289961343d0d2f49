// What the "Vantrel Fax" print monitor decides for one print job, apart from
// the Win32 calls that carry it out: the spool file's name, the pages the job
// holds, whether the job goes on to the program, the program's command line,
// the port names it accepts and the lines of its trace. Paths and names are
// wide text, as the spooler hands them over.
#pragma once

#include <cstddef>
#include <string>

namespace printer {

// The spool file of a job in the spool folder (which ends with a backslash).
// The first attempt is "Fax job <id>.ps"; later ones, for a name left over
// from an earlier run of the spooler (job numbers start again at each start),
// add " (2)", " (3)", ... The blank is deliberate: every path the program is
// given holds one, so its quoting is exercised by every job.
std::wstring SpoolFilePath(const std::wstring& spool_folder, unsigned long job_id, int attempt);
// How many names SpoolFilePath is tried with before the job is refused.
constexpr int kSpoolNameAttempts = 100;

// Counts the pages of a PostScript job as its bytes arrive, in chunks cut
// anywhere: the document-structuring comments "%%Page:" at the start of a
// line, one per page, and the "%%Pages: N" promise of the header as the
// fallback for a job that carries no page comments.
class PageCounter {
public:
    void Feed(const char* data, std::size_t size);
    // Page comments seen, else the header's count, else 0 (unknown).
    unsigned long Pages() const;

private:
    void EndLine();

    std::string line_;  // the start of the current line, as much as is read
    int embedded_ = 0;  // depth of %%BeginDocument ... %%EndDocument
    unsigned long page_comments_ = 0;
    unsigned long header_pages_ = 0;
    bool header_seen_ = false;
};

// The page count for the command line: what the job's own comments say,
// else the spooler's count when it has one, else 0.
unsigned long JobPages(unsigned long counted, unsigned long spooler_pages);

// What the end of a job comes to.
enum class JobOutcome {
    Deliver,           // the program is started with the spool file
    DiscardEmpty,      // no byte was written
    DiscardCancelled,  // the spooler cancelled or dropped the job
    DiscardFailed,     // a write failed, or the spool file could not be made
};

struct JobRecord {
    bool file_open = false;  // StartDocPort made the spool file
    unsigned long long bytes = 0;
    bool write_failed = false;
    bool cancelled = false;
};

JobOutcome EndOfJob(const JobRecord& job);
// The words the trace uses for an outcome.
const wchar_t* OutcomeText(JobOutcome outcome);

// The program's command line: the program's path in quotes, then
// -fromspooler -pages N and the spool file's path in quotes, which is the
// form the program reads.
std::wstring ProgramCommandLine(const std::wstring& program, unsigned long pages, const std::wstring& spool_file);

// The folder of a program path, ending with a backslash (empty for a bare
// name): the program starts there.
std::wstring FolderOf(const std::wstring& path);

// A port name the monitor accepts: 1 to 63 characters, ending with ':', none
// of them a backslash, comma or control character (the spooler keeps port
// names in comma-separated lists and as registry key names).
bool IsValidPortName(const std::wstring& name);
// The port the installer adds.
extern const wchar_t kDefaultPortName[];

// One line of the trace log: "YYYY-MM-DD hh:mm:ss job <id>: <text>" (job 0
// is the monitor itself), ending with CR LF.
struct TraceTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
std::wstring TraceLine(const TraceTime& time, unsigned long job_id, const std::wstring& text);
// The log stays small: past this size it is moved aside (one older copy
// kept) before the next line is written.
constexpr unsigned long long kTraceLimitBytes = 256 * 1024;
bool TraceNeedsRotation(unsigned long long size);

}  // namespace printer
