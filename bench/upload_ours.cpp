// Uploads one PDF to the fax service with the program's own submission
// routine and writes what it took: seconds, bytes, resident memory before
// the upload and its peak during it.
// usage: bench_upload_ours API_BASE CA_PEM_FILE KEY PDF RESULT_FILE
#include "upload_job.h"

#include <cstdio>

int main(int argc, char** argv) {
    UploadJob job;
    if (!ReadUploadJob(argc, argv, &job)) return 2;
    const ServiceEndpoint& endpoint = job.endpoint;
    const FaxSubmission& fax = job.fax;

    const long before = ResidentKiB();
    const bool reset = ResetPeakResident();
    const double start = NowSeconds();
    const SubmissionTransfer transfer = TransferFax(fax, endpoint);
    const double seconds = NowSeconds() - start;
    const long peak = PeakResidentKiB();
    const SubmissionVerdict verdict = JudgeSubmission(transfer);

    FILE* out = std::fopen(job.result_file, "w");
    if (!out) return 1;
    std::fprintf(out,
                 "{\"seconds\": %.4f, \"rss_before_kib\": %ld, \"peak_kib\": %ld, \"peak_reset\": %s, "
                 "\"confirmed\": %s}\n",
                 seconds, before, peak, reset ? "true" : "false",
                 verdict.result == kSubmissionConfirmed ? "true" : "false");
    std::fclose(out);
    return verdict.result == kSubmissionConfirmed ? 0 : 1;
}
