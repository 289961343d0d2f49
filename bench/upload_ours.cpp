// Uploads one PDF to the fax service with the program's own submission
// routine and writes what it took: seconds, bytes, resident memory before
// the upload and its peak during it.
// usage: bench_upload_ours API_BASE CA_PEM_FILE KEY PDF RESULT_FILE
#include "bench_support.h"
#include "service/fax_submission.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s API_BASE CA_PEM_FILE KEY PDF RESULT_FILE\n", argv[0]);
        return 2;
    }
    ServiceEndpoint endpoint;
    endpoint.api_base = argv[1];
    endpoint.ca_pem = ReadWholeFile(argv[2]);

    FaxSubmission fax;
    fax.key = argv[3];
    fax.print_file = argv[4];
    fax.numbers.Add("5551230001");
    fax.contact_ids.Add("");
    fax.prefixes.Add("1");

    const long before = ResidentKiB();
    const bool reset = ResetPeakResident();
    const double start = NowSeconds();
    const SubmissionTransfer transfer = TransferFax(fax, endpoint);
    const double seconds = NowSeconds() - start;
    const long peak = PeakResidentKiB();
    const SubmissionVerdict verdict = JudgeSubmission(transfer);

    FILE* out = std::fopen(argv[5], "w");
    if (!out) return 1;
    std::fprintf(out, "{\"seconds\": %.4f, \"rss_before_kib\": %ld, \"peak_kib\": %ld, \"peak_reset\": %s, "
                      "\"confirmed\": %s}\n",
                 seconds, before, peak, reset ? "true" : "false",
                 verdict.result == kSubmissionConfirmed ? "true" : "false");
    std::fclose(out);
    return verdict.result == kSubmissionConfirmed ? 0 : 1;
}
