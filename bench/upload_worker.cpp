// Uploads one PDF to the fax service as the send-fax window does: on the
// send's worker thread, with every progress change read back the way the
// window reads it, and writes what it took (same figures as the direct
// upload, so the two compare).
// usage: bench_upload_worker API_BASE CA_PEM_FILE KEY PDF RESULT_FILE
#include "ui/send/send_worker.h"
#include "upload_job.h"

#include <condition_variable>
#include <mutex>

int main(int argc, char** argv) {
    UploadJob job;
    if (!ReadUploadJob(argc, argv, &job)) return 2;
    const ServiceEndpoint& endpoint = job.endpoint;
    const FaxSubmission& fax = job.fax;

    std::mutex mutex;
    std::condition_variable done;
    std::unique_ptr<SendResult> result;
    long progress_reads = 0;
    SendWorker worker;
    SendWorkerSink sink;
    // The window takes each change off its queue and reads the counts; here
    // the read happens at once, which costs the worker at least as much.
    sink.progress = [&] {
        worker.TakeProgress();
        ++progress_reads;
    };
    sink.finished = [&](std::unique_ptr<SendResult> finished) {
        std::lock_guard<std::mutex> lock(mutex);
        result = std::move(finished);
        done.notify_all();
    };

    UploadFigures figures;
    figures.rss_before_kib = ResidentKiB();
    figures.peak_reset = ResetPeakResident();
    const double start = NowSeconds();
    if (!worker.Start(fax, endpoint, sink)) return 1;
    {
        std::unique_lock<std::mutex> lock(mutex);
        done.wait(lock, [&] { return result != nullptr; });
    }
    figures.seconds = NowSeconds() - start;
    worker.Join();
    figures.peak_kib = PeakResidentKiB();
    figures.confirmed = JudgeSubmission(result->transfer).result == kSubmissionConfirmed;
    figures.progress_reads = progress_reads;

    if (!WriteUploadFigures(job.result_file, figures)) return 1;
    return figures.confirmed ? 0 : 1;
}
