#include "printer/spool_job.h"

#include <cstdio>
#include <cwchar>

namespace printer {

namespace {

// Long enough for every comment the counter reads and its number.
const std::size_t kLineKept = 40;

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

}  // namespace

const wchar_t kDefaultPortName[] = L"VANTREL:";

std::wstring SpoolFilePath(const std::wstring& spool_folder, unsigned long job_id, int attempt) {
    std::wstring path = spool_folder + L"Fax job " + std::to_wstring(job_id);
    if (attempt > 1) path += L" (" + std::to_wstring(attempt) + L")";
    return path + L".ps";
}

void PageCounter::Feed(const char* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        const char c = data[i];
        if (c == '\n' || c == '\r') {
            EndLine();
            continue;
        }
        // A comment is judged by its start; the rest of a long line is data.
        if (line_.size() < kLineKept) line_.push_back(c);
    }
}

void PageCounter::EndLine() {
    if (StartsWith(line_, "%%BeginDocument")) {
        ++embedded_;
    } else if (StartsWith(line_, "%%EndDocument")) {
        if (embedded_ > 0) --embedded_;
    } else if (embedded_ == 0) {
        // Pages of an embedded document are not pages of the job.
        if (StartsWith(line_, "%%Pages:")) {
            unsigned long pages = 0;
            if (std::sscanf(line_.c_str() + 8, " %lu", &pages) == 1) {
                // The trailer's value wins over a header that said (atend).
                header_pages_ = pages;
                header_seen_ = true;
            }
        } else if (StartsWith(line_, "%%Page:")) {
            ++page_comments_;
        }
    }
    line_.clear();
}

unsigned long PageCounter::Pages() const {
    // The last line may end without a line break.
    PageCounter rest = *this;
    if (!rest.line_.empty()) rest.EndLine();
    if (rest.page_comments_ > 0) return rest.page_comments_;
    return rest.header_seen_ ? rest.header_pages_ : 0;
}

unsigned long JobPages(unsigned long counted, unsigned long spooler_pages) {
    return counted > 0 ? counted : spooler_pages;
}

JobOutcome EndOfJob(const JobRecord& job) {
    if (!job.file_open || job.write_failed) return JobOutcome::DiscardFailed;
    if (job.cancelled) return JobOutcome::DiscardCancelled;
    if (job.bytes == 0) return JobOutcome::DiscardEmpty;
    return JobOutcome::Deliver;
}

const wchar_t* OutcomeText(JobOutcome outcome) {
    switch (outcome) {
    case JobOutcome::Deliver:
        return L"handed to the program";
    case JobOutcome::DiscardEmpty:
        return L"empty, discarded";
    case JobOutcome::DiscardCancelled:
        return L"cancelled, discarded";
    case JobOutcome::DiscardFailed:
        return L"failed, discarded";
    }
    return L"";
}

std::wstring ProgramCommandLine(const std::wstring& program, unsigned long pages, const std::wstring& spool_file) {
    return L"\"" + program + L"\" -fromspooler -pages " + std::to_wstring(pages) + L" \"" + spool_file + L"\"";
}

std::wstring FolderOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

bool IsValidPortName(const std::wstring& name) {
    if (name.empty() || name.size() > 63 || name.back() != L':') return false;
    for (wchar_t c : name) {
        if (c == L'\\' || c == L',' || c < 0x20) return false;
    }
    return true;
}

std::wstring TraceLine(const TraceTime& time, unsigned long job_id, const std::wstring& text) {
    wchar_t stamp[64];
    std::swprintf(stamp, sizeof(stamp) / sizeof(stamp[0]), L"%04d-%02d-%02d %02d:%02d:%02d job %lu: ", time.year,
                  time.month, time.day, time.hour, time.minute, time.second, job_id);
    std::wstring line = stamp;
    // One job step is one line, whatever the text carries.
    for (wchar_t c : text) line.push_back(c == L'\r' || c == L'\n' ? L' ' : c);
    return line + L"\r\n";
}

bool TraceNeedsRotation(unsigned long long size) { return size >= kTraceLimitBytes; }

}  // namespace printer
