// Carries a worker's result to the window's thread. The worker leaves the
// result here and then wakes the window with the job's number; a wake-up
// that is lost (a message that could not be posted) loses nothing, since the
// window also looks here by itself. Only the job that is running can hand in
// or take out a result, so a late or stray wake-up changes nothing.
#pragma once

#include <functional>
#include <memory>
#include <mutex>

template <class Result>
class Handoff {
public:
    // A new job begins: its number (never 0). A result still kept from an
    // earlier job is dropped.
    unsigned Begin() {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (++m_running == 0) m_running = 1;
        m_kept.reset();
        return m_running;
    }
    // The worker's side: keeps the result of job number job, then calls wake
    // with that number. A result of any other job is dropped.
    void Finish(unsigned job, std::unique_ptr<Result> result, const std::function<void(unsigned)>& wake) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (job != m_running) return;
            m_kept = std::move(result);
        }
        if (wake) wake(job);
    }
    // The window's side: the result of job number job once it is there, and
    // only once; nothing for another number.
    std::unique_ptr<Result> Take(unsigned job) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (job == 0 || job != m_running) return nullptr;
        return std::move(m_kept);
    }

private:
    std::mutex m_mutex;
    unsigned m_running = 0;
    std::unique_ptr<Result> m_kept;
};
