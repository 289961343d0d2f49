#include "bench_support.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>

double NowSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

namespace {

long StatusKiB(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const size_t n = std::strlen(field);
    while (std::getline(in, line))
        if (line.compare(0, n, field) == 0) return std::atol(line.c_str() + n);
    return -1;
}

}  // namespace

long ResidentKiB() { return StatusKiB("VmRSS:"); }
long PeakResidentKiB() { return StatusKiB("VmHWM:"); }

bool ResetPeakResident() {
    // Writing 5 to clear_refs resets VmHWM to the current RSS (Linux 4.0+).
    FILE* f = std::fopen("/proc/self/clear_refs", "w");
    if (!f) return false;
    const bool ok = std::fputs("5", f) >= 0;
    return std::fclose(f) == 0 && ok;
}

bool WriteUploadFigures(const char* path, const UploadFigures& figures) {
    FILE* out = std::fopen(path, "w");
    if (!out) return false;
    std::fprintf(
        out, "{\"seconds\": %.4f, \"rss_before_kib\": %ld, \"peak_kib\": %ld, \"peak_reset\": %s, \"confirmed\": %s",
        figures.seconds, figures.rss_before_kib, figures.peak_kib, figures.peak_reset ? "true" : "false",
        figures.confirmed ? "true" : "false");
    if (figures.progress_reads >= 0) std::fprintf(out, ", \"progress_reads\": %ld", figures.progress_reads);
    std::fputs("}\n", out);
    return std::fclose(out) == 0;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}
