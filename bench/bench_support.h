// Clock and memory readings shared by the benchmark programs.
#pragma once

#include <string>

double NowSeconds();
// CPU time of this process: steadier than the wall clock on a shared machine.
double CpuSeconds();
// Resident set size and its peak, in KiB, from /proc/self/status.
long ResidentKiB();
long PeakResidentKiB();
// Starts the peak over from the current resident size.
bool ResetPeakResident();
std::string ReadWholeFile(const std::string& path);

// What an upload benchmark measured, for the runner to read.
struct UploadFigures {
    double seconds = 0;
    long rss_before_kib = 0;
    long peak_kib = 0;
    bool peak_reset = false;
    bool confirmed = false;
    long progress_reads = -1;  // left out when negative: only the worker counts them
};
// One JSON object in the file at path; false when it cannot be written.
bool WriteUploadFigures(const char* path, const UploadFigures& figures);
