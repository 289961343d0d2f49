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
