// The fax submission on a thread of its own, so the send-fax window keeps
// painting and answering while the file goes up. The worker owns copies of
// everything it sends; the window hears from it only through the sink, whose
// calls run on the worker's thread and must do no more than post a message.
#pragma once

#include "service/fax_submission.h"
#include "service/service_endpoint.h"
#include "ui/send/handoff.h"

#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// What a finished send hands back to the window.
struct SendResult {
    SubmissionTransfer transfer;
    // Stopped by Cancel while bytes of the request were still to go up: the
    // service cannot have taken the fax. Never set once the last byte was up.
    bool cancelled = false;
    // The last byte of the request went up: from then on the service may
    // have the fax, whatever became of its answer.
    bool uploaded = false;
};

struct SendWorkerSink {
    std::function<void()> progress;         // new counts, to read with TakeProgress
    std::function<void()> upload_complete;  // the last byte of the request is up
    // The worker's last call: the result now belongs to the receiver.
    std::function<void(std::unique_ptr<SendResult>)> finished;
};

struct UploadCounts {
    long long sent = 0;
    long long total = 0;  // 0 while unknown
};

class SendWorker {
public:
    SendWorker() = default;
    ~SendWorker();  // abandons a running send and waits for it
    SendWorker(const SendWorker&) = delete;
    SendWorker& operator=(const SendWorker&) = delete;

    // Starts the send. False, and nothing started, while an earlier one has
    // not been joined: a second send cannot start.
    bool Start(FaxSubmission fax, ServiceEndpoint endpoint, SendWorkerSink sink);
    // Asks the upload to stop. Honoured only while a byte is still to go up;
    // after that the send runs to the service's answer.
    void Cancel();
    // Stops the transfer whatever it is doing (the window is going away) and
    // waits for the thread.
    void Abandon();
    // Waits for the thread to end.
    void Join();
    // Started and not yet joined.
    bool Busy() const { return m_thread.joinable(); }
    // The latest counts; the next change is posted again after this.
    UploadCounts TakeProgress();

    struct Shared;

private:
    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
};

// Carries a finished send's result to the window's thread.
using SendHandoff = Handoff<SendResult>;
