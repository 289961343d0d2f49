// Conversion of a PostScript job: the program's conversion step (copy into the
// work folder, Ghostscript through the program's command line, clean-up)
// against gs alone with the same options, alternating. Prints the median of N
// runs of each and every run.
// usage: bench_convert PROGRAM_FOLDER JOB.ps GS ROUNDS
// PROGRAM_FOLDER must hold Xtra/PD/gswin32c.exe that runs Ghostscript.
#include "bench_support.h"
#include "convert/posix_job_platform.h"
#include "convert/print_job.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct SilentNotifier : Notifier {
    bool shown = false;
    void Show(const CString& text, const CString&, unsigned) override {
        shown = true;
        std::fprintf(stderr, "box: %s\n", text.GetString());
    }
};

std::string Windows(const std::string& path) {
    std::string out = path;
    std::replace(out.begin(), out.end(), '/', '\\');
    return out;
}

bool CopyFile(const std::string& from, const std::string& to) {
    const std::string bytes = ReadWholeFile(from);
    FILE* f = std::fopen(to.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

long long FileSize(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

double Median(std::vector<double> runs) {
    std::sort(runs.begin(), runs.end());
    const size_t n = runs.size();
    return n % 2 ? runs[n / 2] : (runs[n / 2 - 1] + runs[n / 2]) / 2;
}

std::string List(const std::vector<double>& runs) {
    std::string text = "[";
    char number[32];
    for (size_t i = 0; i < runs.size(); ++i) {
        std::snprintf(number, sizeof number, "%s%.4f", i ? ", " : "", runs[i]);
        text += number;
    }
    return text + "]";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s PROGRAM_FOLDER JOB.ps GS ROUNDS\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    const std::string job = argv[2];
    const std::string gs = argv[3];
    const int rounds = std::max(1, std::atoi(argv[4]));
    const std::string spool = folder + "/spool.ps";
    const std::string direct_pdf = folder + "/direct.pdf";

    std::vector<double> ours, alone;
    long long ours_size = -1, alone_size = -1;
    for (int r = 0; r < rounds; ++r) {
        // Ours: the spooled file is consumed, so it is laid out afresh each round
        // (outside the clock, as the printer would have written it).
        if (!CopyFile(job, spool)) return 1;
        PosixJobPlatform platform;
        SilentNotifier notifier;
        double start = NowSeconds();
        const CString pdf =
            PreparePrintJob(platform, notifier, CString(Windows(spool)), CString(Windows(folder + "/")));
        ours.push_back(NowSeconds() - start);
        const std::string pdf_path = NativePath(pdf);
        ours_size = FileSize(pdf_path);
        if (notifier.shown || pdf_path.size() < 4 || pdf_path.compare(pdf_path.size() - 4, 4, ".pdf") != 0) {
            std::fprintf(stderr, "our conversion did not produce a PDF (%s)\n", pdf_path.c_str());
            return 1;
        }
        std::remove(pdf_path.c_str());

        // gs alone, same options, same input.
        const std::string output = "-sOutputFile=" + direct_pdf;
        std::vector<std::string> words = {gs, "-dNOPAUSE", "-dBATCH", "-sDEVICE=pdfwrite", output, job};
        std::vector<char*> args;
        for (std::string& w : words) args.push_back(w.data());
        args.push_back(nullptr);
        start = NowSeconds();
        pid_t pid = 0;
        int wstatus = 0;
        if (posix_spawnp(&pid, gs.c_str(), nullptr, nullptr, args.data(), environ) != 0 ||
            waitpid(pid, &wstatus, 0) != pid || !WIFEXITED(wstatus) || WEXITSTATUS(wstatus) != 0) {
            std::fprintf(stderr, "gs alone failed\n");
            return 1;
        }
        alone.push_back(NowSeconds() - start);
        alone_size = FileSize(direct_pdf);
        std::remove(direct_pdf.c_str());
    }
    std::printf(
        "{\"ours_s\": %.4f, \"gs_alone_s\": %.4f, \"ours_pdf_bytes\": %lld, \"gs_pdf_bytes\": %lld, "
        "\"rounds\": %d, \"ours_runs_s\": %s, \"gs_alone_runs_s\": %s}\n",
        Median(ours), Median(alone), ours_size, alone_size, rounds, List(ours).c_str(), List(alone).c_str());
    return 0;
}
