#include "ui/send/send_worker.h"

#include "ui/send/send_progress.h"

#include <atomic>
#include <exception>
#include <utility>

// What both threads touch; each holds it, so it lives as long as either needs it.
struct SendWorker::Shared {
    std::atomic<bool> cancel{false};
    std::atomic<bool> abandon{false};
    std::atomic<long long> sent{0};
    std::atomic<long long> total{0};
    // A progress message is on its way and has not been read yet.
    std::atomic<bool> progress_posted{false};
};

namespace {

// Sees every progress call of the transfer, on the worker's thread.
class WorkerWatch : public UploadWatch {
public:
    WorkerWatch(SendWorker::Shared& shared, const SendWorkerSink& sink) : m_shared(shared), m_sink(sink) {}

    bool KeepGoing(long long sent, long long total) override {
        m_shared.sent.store(sent);
        m_shared.total.store(total);
        if (m_shared.abandon.load()) {
            m_cancelled = CancelStillSafe(sent, total) && !m_uploaded;
            return false;
        }
        if (UploadWhole(sent, total)) {
            if (!m_uploaded) {
                m_uploaded = true;
                if (m_sink.upload_complete) m_sink.upload_complete();
            }
            return true;
        }
        // The byte count never goes back, so a whole upload stays whole.
        if (!m_uploaded && m_shared.cancel.load() && CancelStillSafe(sent, total)) {
            m_cancelled = true;
            return false;
        }
        if ((sent != m_last_sent || total != m_last_total) && !m_shared.progress_posted.exchange(true)) {
            m_last_sent = sent;
            m_last_total = total;
            if (m_sink.progress) m_sink.progress();
        }
        return true;
    }

    bool cancelled() const { return m_cancelled; }
    bool uploaded() const { return m_uploaded; }

private:
    SendWorker::Shared& m_shared;
    const SendWorkerSink& m_sink;
    bool m_uploaded = false;
    bool m_cancelled = false;
    long long m_last_sent = -1;
    long long m_last_total = -1;
};

void RunSend(const std::shared_ptr<SendWorker::Shared>& shared, const FaxSubmission& fax,
             const ServiceEndpoint& endpoint, const SendWorkerSink& sink) {
    std::unique_ptr<SendResult> result(new SendResult());
    WorkerWatch watch(*shared, sink);
    try {
        result->transfer = TransferFax(fax, endpoint, &watch);
        result->cancelled = watch.cancelled() && !result->transfer.outcome.transferred;
        result->uploaded = watch.uploaded();
    } catch (const std::exception&) {
        // Out of memory on the way: told like any failed transfer.
        result->transfer = SubmissionTransfer();
        result->transfer.has_handle = true;
        result->transfer.outcome.error_text = "Out of memory";
    }
    if (sink.finished) sink.finished(std::move(result));
}

}  // namespace

SendWorker::~SendWorker() { Abandon(); }

bool SendWorker::Start(FaxSubmission fax, ServiceEndpoint endpoint, SendWorkerSink sink) {
    if (m_thread.joinable()) return false;
    m_shared = std::make_shared<Shared>();
    std::shared_ptr<Shared> shared = m_shared;
    try {
        m_thread =
            std::thread([shared](const FaxSubmission& own_fax, const ServiceEndpoint& own_endpoint,
                                 const SendWorkerSink& own_sink) { RunSend(shared, own_fax, own_endpoint, own_sink); },
                        std::move(fax), std::move(endpoint), std::move(sink));
    } catch (const std::exception&) {
        return false;  // no thread: nothing was sent
    }
    return true;
}

void SendWorker::Cancel() {
    if (m_shared) m_shared->cancel.store(true);
}

void SendWorker::Abandon() {
    if (m_shared) m_shared->abandon.store(true);
    Join();
}

void SendWorker::Join() {
    if (m_thread.joinable()) m_thread.join();
}

UploadCounts SendWorker::TakeProgress() {
    UploadCounts counts;
    if (!m_shared) return counts;
    m_shared->progress_posted.store(false);
    counts.sent = m_shared->sent.load();
    counts.total = m_shared->total.load();
    return counts;
}
