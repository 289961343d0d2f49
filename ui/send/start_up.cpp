#include "ui/send/start_up.h"

#include <exception>
#include <mutex>
#include <utility>

StartUpStep StartUpMachine::ConversionDone(bool print_file, const StartUpBoxes& boxes) {
    if (converted) return StartUpStep();
    converted = true;
    has_print_file = print_file;
    conversion_boxes = boxes;
    return WhenBothDone();
}

StartUpStep StartUpMachine::CoverPagesAnswered(const StartUpBoxes& boxes) {
    if (listed) return StartUpStep();
    listed = true;
    listing_boxes = boxes;
    return WhenBothDone();
}

StartUpStep StartUpMachine::WhenBothDone() {
    // A closed window tells nothing more; what is done stays held until the
    // other job is, so nothing is told out of order.
    StartUpStep step;
    if (phase != StartUpPhase::Loading || !converted || !listed) return step;
    phase = StartUpPhase::Ready;
    step.boxes = conversion_boxes;
    step.boxes.insert(step.boxes.end(), listing_boxes.begin(), listing_boxes.end());
    step.fill_cover_pages = true;
    step.show_page1 = has_print_file;
    step.start_quit_timer = !has_print_file;
    return step;
}

StartUpStep StartUpMachine::CloseAsked() {
    StartUpStep step;
    switch (phase) {
    case StartUpPhase::Loading:
        phase = StartUpPhase::Closed;
        step.end_window = true;
        break;
    case StartUpPhase::Ready:
        step.passed_on = true;
        break;
    case StartUpPhase::Closed:
        break;  // already ending
    }
    return step;
}

struct StartUpJobs::Gate {
    std::mutex mutex;
    bool open = true;
    Wake wake;
    bool ended[2] = {false, false};
    std::atomic<bool> abandoned{false};

    void Ring(StartUpJob job) {
        std::lock_guard<std::mutex> lock(mutex);
        ended[static_cast<int>(job)] = true;
        if (open && wake) wake(job);
    }
    void Listen(Wake listener) {
        std::lock_guard<std::mutex> lock(mutex);
        wake = std::move(listener);
        if (!open || !wake) return;
        for (StartUpJob job : {StartUpJob::Conversion, StartUpJob::CoverPages})
            if (ended[static_cast<int>(job)]) wake(job);
    }
};

namespace {

template <class Result>
void RunJob(const std::function<std::unique_ptr<Result>()>& job, Handoff<Result>& handoff, unsigned number,
            const std::shared_ptr<StartUpJobs::Gate>& gate, StartUpJob which) {
    std::unique_ptr<Result> result;
    try {
        result = job();
    } catch (const std::exception&) {
        // Out of memory on the way: the job ends with nothing to tell, and the
        // window goes on as after a job that found nothing.
        result.reset(new Result());
    }
    handoff.Finish(number, std::move(result), [&gate, which](unsigned) { gate->Ring(which); });
}

template <class Result>
std::thread StartJob(std::function<std::unique_ptr<Result>()> job, Handoff<Result>& handoff, unsigned number,
                     const std::shared_ptr<StartUpJobs::Gate>& gate, StartUpJob which) {
    try {
        return std::thread([job, &handoff, number, gate, which] { RunJob(job, handoff, number, gate, which); });
    } catch (const std::exception&) {
        RunJob(job, handoff, number, gate, which);
        return std::thread();
    }
}

}  // namespace

StartUpJobs::~StartUpJobs() { Shut(); }

void StartUpJobs::Start(Convert convert, List list, Wake wake) {
    Shut();
    m_gate = std::make_shared<Gate>();
    m_gate->wake = std::move(wake);
    m_nConversion = m_conversion.Begin();
    m_nCoverPages = m_coverPages.Begin();
    m_convertThread = StartJob(std::move(convert), m_conversion, m_nConversion, m_gate, StartUpJob::Conversion);
    // The flag lives in the gate, which the thread keeps for as long as it runs.
    const std::shared_ptr<Gate> gate = m_gate;
    std::function<std::unique_ptr<CoverPagesOutcome>()> listing = [list = std::move(list), gate] {
        return list(gate->abandoned);
    };
    m_listThread = StartJob(std::move(listing), m_coverPages, m_nCoverPages, m_gate, StartUpJob::CoverPages);
}

void StartUpJobs::Listen(Wake wake) {
    if (m_gate) m_gate->Listen(std::move(wake));
}

std::unique_ptr<ConversionOutcome> StartUpJobs::TakeConversion() { return m_conversion.Take(m_nConversion); }

std::unique_ptr<CoverPagesOutcome> StartUpJobs::TakeCoverPages() { return m_coverPages.Take(m_nCoverPages); }

void StartUpJobs::Shut() {
    if (m_gate) {
        m_gate->abandoned = true;
        std::lock_guard<std::mutex> lock(m_gate->mutex);
        m_gate->open = false;
    }
    if (m_convertThread.joinable()) m_convertThread.join();
    if (m_listThread.joinable()) m_listThread.join();
}
