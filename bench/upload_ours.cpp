// Uploads one PDF to the fax service with the program's own submission
// routine and writes what it took: seconds, bytes, resident memory before
// the upload and its peak during it.
// usage: bench_upload_ours API_BASE CA_PEM_FILE KEY PDF RESULT_FILE
#include "upload_job.h"

int main(int argc, char** argv) {
    UploadJob job;
    if (!ReadUploadJob(argc, argv, &job)) return 2;
    const ServiceEndpoint& endpoint = job.endpoint;
    const FaxSubmission& fax = job.fax;

    UploadFigures figures;
    figures.rss_before_kib = ResidentKiB();
    figures.peak_reset = ResetPeakResident();
    const double start = NowSeconds();
    const SubmissionTransfer transfer = TransferFax(fax, endpoint);
    figures.seconds = NowSeconds() - start;
    figures.peak_kib = PeakResidentKiB();
    figures.confirmed = JudgeSubmission(transfer).result == kSubmissionConfirmed;

    if (!WriteUploadFigures(job.result_file, figures)) return 1;
    return figures.confirmed ? 0 : 1;
}
