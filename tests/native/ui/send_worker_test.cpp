// The send on its worker thread against the local fax service over real
// HTTPS, slowed by the service's throttle: progress as it goes, the last byte
// seen before the answer, a cancel that stops the upload with nothing
// delivered, a cancel that comes too late, and a send that is abandoned.
#include "sandbox_fixture.h"

#include "tests/support/one_number_fax.h"
#include "ui/send/send_progress.h"
#include "ui/send/send_worker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <random>
#include <string>
#include <vector>

namespace {

using kestrid_test::OneNumberFax;

using Clock = std::chrono::steady_clock;

// What the worker told, in order, as the window's messages would carry it.
class Recorder {
public:
    SendWorkerSink Sink(SendWorker& worker) {
        SendWorkerSink sink;
        sink.progress = [this, &worker] {
            // Read at once, as the window does on the posted message.
            const UploadCounts counts = worker.TakeProgress();
            std::lock_guard<std::mutex> lock(m_mutex);
            m_events.push_back("progress");
            m_percents.push_back(ProgressPercent(counts.sent, counts.total));
            m_cv.notify_all();
        };
        sink.upload_complete = [this] {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_events.push_back("uploaded");
            m_cv.notify_all();
        };
        sink.finished = [this](std::unique_ptr<SendResult> result) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_events.push_back("finished");
            m_result = std::move(result);
            m_finished_at = Clock::now();
            m_cv.notify_all();
        };
        return sink;
    }

    // Waits until the condition holds on the events; false after timeout.
    template <class Pred>
    bool WaitFor(Pred pred, int seconds = 30) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_cv.wait_for(lock, std::chrono::seconds(seconds), [&] { return pred(*this); });
    }

    bool Has(const char* event) const {
        for (const std::string& e : m_events)
            if (e == event) return true;
        return false;
    }
    int LastPercent() const { return m_percents.empty() ? -1 : m_percents.back(); }

    std::vector<std::string> m_events;
    std::vector<int> m_percents;
    std::unique_ptr<SendResult> m_result;
    Clock::time_point m_finished_at;

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
};

class WorkerToSandbox : public testing::Test {
protected:
    void SetUp() override {
        TrustedSandbox().SetFault("none");
        TrustedSandbox().SetThrottle(0);
    }
    void TearDown() override { TrustedSandbox().SetThrottle(0); }

    // A PDF of size bytes that no compression shrinks.
    static std::string MakePdf(const std::string& name, size_t size) {
        std::string path = ScratchDir() + "/" + name;
        std::string bytes = "%PDF-1.4\n";
        std::mt19937 random(7);
        while (bytes.size() < size) bytes.push_back(static_cast<char>(random() & 0xff));
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    static size_t StoredSize(int seq, const std::string& name) {
        return ReadWholeFile(TrustedSandbox().OutboxFolder(seq) + "/" + name).size();
    }
};

TEST_F(WorkerToSandbox, ProgressAdvancesAndTheLastByteComesBeforeTheAnswer) {
    Sandbox& sandbox = TrustedSandbox();
    const std::string pdf = MakePdf("Fax_progress.pdf", 6 * 1024 * 1024);
    const int before = sandbox.StoredFaxCount();
    sandbox.SetThrottle(3 * 1024 * 1024);

    SendWorker worker;
    Recorder recorder;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(worker.Start(OneNumberFax(pdf), sandbox.Endpoint(), recorder.Sink(worker)));
    // A second send cannot start while this one runs.
    EXPECT_FALSE(worker.Start(OneNumberFax(pdf), sandbox.Endpoint(), recorder.Sink(worker)));
    ASSERT_TRUE(recorder.WaitFor([](Recorder& r) { return r.Has("finished"); }, 60));
    worker.Join();
    testing::internal::GetCapturedStderr();

    // Distinct percentages seen on the way, rising, and the order of the events.
    std::vector<int> distinct;
    for (int p : recorder.m_percents)
        if (distinct.empty() || p != distinct.back()) distinct.push_back(p);
    EXPECT_GE(distinct.size(), 3u);
    for (size_t i = 1; i < distinct.size(); ++i) EXPECT_GT(distinct[i], distinct[i - 1]);
    ASSERT_GE(recorder.m_events.size(), 2u);
    EXPECT_EQ(recorder.m_events.back(), "finished");
    EXPECT_EQ(recorder.m_events[recorder.m_events.size() - 2], "uploaded");

    ASSERT_TRUE(recorder.m_result);
    EXPECT_FALSE(recorder.m_result->cancelled);
    EXPECT_EQ(JudgeSubmission(recorder.m_result->transfer).result, kSubmissionConfirmed);
    ASSERT_EQ(sandbox.StoredFaxCount(), before + 1);
    EXPECT_EQ(StoredSize(before + 1, "Fax_progress.pdf"), 6u * 1024 * 1024);

    // Joined, the worker takes the next send.
    sandbox.SetThrottle(0);
    Recorder again;
    ASSERT_TRUE(worker.Start(OneNumberFax(pdf), sandbox.Endpoint(), again.Sink(worker)));
    worker.Join();
    EXPECT_TRUE(again.Has("finished"));
    EXPECT_EQ(sandbox.StoredFaxCount(), before + 2);
}

TEST_F(WorkerToSandbox, CancelHalfWayStopsWithinASecondAndNothingArrives) {
    Sandbox& sandbox = TrustedSandbox();
    const std::string pdf = MakePdf("Fax_cancel.pdf", 8 * 1024 * 1024);
    const int before = sandbox.StoredFaxCount();
    sandbox.SetThrottle(2 * 1024 * 1024);

    SendWorker worker;
    Recorder recorder;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(worker.Start(OneNumberFax(pdf), sandbox.Endpoint(), recorder.Sink(worker)));
    ASSERT_TRUE(recorder.WaitFor([](Recorder& r) { return r.LastPercent() >= 40 || r.Has("finished"); }));
    ASSERT_FALSE(recorder.Has("uploaded"));
    const auto cancelled_at = Clock::now();
    worker.Cancel();
    ASSERT_TRUE(recorder.WaitFor([](Recorder& r) { return r.Has("finished"); }, 10));
    worker.Join();
    testing::internal::GetCapturedStderr();

    EXPECT_LT(std::chrono::duration<double>(recorder.m_finished_at - cancelled_at).count(), 1.0);
    ASSERT_TRUE(recorder.m_result);
    EXPECT_TRUE(recorder.m_result->cancelled);
    EXPECT_FALSE(recorder.m_result->transfer.outcome.transferred);
    EXPECT_FALSE(recorder.Has("uploaded"));
    // The service saw the cut-off request and stored nothing.
    const auto cut = [&] {
        for (const LoggedRequest& r : sandbox.Requests())
            if (r.path == "/v1/fax/send" && r.status == "None") return true;
        return false;
    };
    for (auto deadline = Clock::now() + std::chrono::seconds(10); !cut() && Clock::now() < deadline;)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(cut());
    EXPECT_EQ(sandbox.StoredFaxCount(), before);
    EXPECT_TRUE(std::ifstream(pdf).good());
}

TEST_F(WorkerToSandbox, ACancelAfterTheLastByteIsTooLateAndTheAnswerCounts) {
    Sandbox& sandbox = TrustedSandbox();
    const std::string pdf = MakePdf("Fax_late.pdf", 256 * 1024);
    const int before = sandbox.StoredFaxCount();
    sandbox.SetFault("slow");  // the answer comes 2 s after the whole request

    SendWorker worker;
    Recorder recorder;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(worker.Start(OneNumberFax(pdf), sandbox.Endpoint(), recorder.Sink(worker)));
    ASSERT_TRUE(recorder.WaitFor([](Recorder& r) { return r.Has("uploaded"); }));
    worker.Cancel();
    ASSERT_TRUE(recorder.WaitFor([](Recorder& r) { return r.Has("finished"); }));
    worker.Join();
    testing::internal::GetCapturedStderr();

    ASSERT_TRUE(recorder.m_result);
    EXPECT_FALSE(recorder.m_result->cancelled);
    EXPECT_EQ(JudgeSubmission(recorder.m_result->transfer).result, kSubmissionConfirmed);
    EXPECT_EQ(sandbox.StoredFaxCount(), before + 1);
}

TEST_F(WorkerToSandbox, AbandonedWhileWaitingTheWorkerEndsPromptly) {
    Sandbox& sandbox = TrustedSandbox();
    const std::string pdf = MakePdf("Fax_stall.pdf", 64 * 1024);
    sandbox.SetFault("stall");  // takes the request, never answers

    Recorder recorder;
    testing::internal::CaptureStderr();
    {
        SendWorker worker;
        ASSERT_TRUE(worker.Start(OneNumberFax(pdf), sandbox.Endpoint(), recorder.Sink(worker)));
        ASSERT_TRUE(recorder.WaitFor([](Recorder& r) { return r.Has("uploaded"); }));
        const auto started = Clock::now();
        worker.Abandon();
        EXPECT_LT(std::chrono::duration<double>(Clock::now() - started).count(), 3.0);
    }
    testing::internal::GetCapturedStderr();
    ASSERT_TRUE(recorder.m_result);
    // Everything was up: the fax may have arrived, so it is not called cancelled.
    EXPECT_FALSE(recorder.m_result->cancelled);
    EXPECT_FALSE(recorder.m_result->transfer.outcome.transferred);
}

}  // namespace
