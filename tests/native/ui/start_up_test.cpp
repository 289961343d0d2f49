// The send-fax window's start-up: which boxes show in which order, when page
// 1 comes and what a close does, for every order in which the conversion and
// the cover-page listing can finish; then the two jobs on real threads.
#include "ui/send/start_up.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

const RecordingNotifier::Box kNoGhostscript{"File missing. Please reinstall the software", "Fax", kIconExclamation};
const RecordingNotifier::Box kNotConverted{"Unable to convert the print job to PDF", "Fax", kIconExclamation};
const RecordingNotifier::Box kUploadFailed{"Upload Failed : Couldn't connect to server", "Vantrel", kIconHand};
const RecordingNotifier::Box kServiceError{"Service unavailable", "Vantrel", kIconHand};

std::vector<std::string> Texts(const StartUpBoxes& boxes) {
    std::vector<std::string> texts;
    for (const RecordingNotifier::Box& box : boxes) texts.push_back(box.text.str());
    return texts;
}

std::vector<std::string> Texts(std::initializer_list<RecordingNotifier::Box> boxes) {
    return Texts(StartUpBoxes(boxes));
}

}  // namespace

TEST(StartUp, BoxesKeepTheirOrderAndPage1ComesOnlyWhenBothJobsAreDone) {
    const StartUpBoxes none;
    struct Case {
        const char* name;
        StartUpBoxes conversion;
        StartUpBoxes listing;
        bool has_print_file;
        std::vector<std::string> shown;
    } cases[] = {
        {"both fine", none, none, true, {}},
        {"conversion fails", {kNotConverted}, none, true, Texts({kNotConverted})},
        {"no Ghostscript", {kNoGhostscript}, none, true, Texts({kNoGhostscript})},
        {"listing fails", none, {kUploadFailed}, true, Texts({kUploadFailed})},
        {"both fail", {kNotConverted}, {kServiceError}, true, Texts({kNotConverted, kServiceError})},
        {"both fail, no Ghostscript", {kNoGhostscript}, {kUploadFailed}, true, Texts({kNoGhostscript, kUploadFailed})},
        {"no print job", none, none, false, {}},
        {"no print job, listing fails", none, {kUploadFailed}, false, Texts({kUploadFailed})},
    };
    for (const Case& c : cases) {
        for (bool conversion_first : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (conversion_first ? ", conversion first" : ", listing first"));
            StartUpMachine start;
            const StartUpStep first = conversion_first ? start.ConversionDone(c.has_print_file, c.conversion)
                                                       : start.CoverPagesAnswered(c.listing);
            // One job done: nothing is told and nothing changes on screen yet.
            EXPECT_TRUE(first.boxes.empty());
            EXPECT_FALSE(first.fill_cover_pages || first.show_page1 || first.start_quit_timer || first.end_window);
            EXPECT_EQ(start.phase, StartUpPhase::Loading);

            const StartUpStep second = conversion_first ? start.CoverPagesAnswered(c.listing)
                                                        : start.ConversionDone(c.has_print_file, c.conversion);
            EXPECT_EQ(Texts(second.boxes), c.shown);
            EXPECT_TRUE(second.fill_cover_pages);
            EXPECT_EQ(second.show_page1, c.has_print_file);
            EXPECT_EQ(second.start_quit_timer, !c.has_print_file);
            EXPECT_FALSE(second.end_window);
            EXPECT_EQ(start.phase, StartUpPhase::Ready);
        }
    }
}

TEST(StartUp, TheBoxesKeepCaptionAndIcon) {
    StartUpMachine start;
    start.CoverPagesAnswered({kServiceError});
    const StartUpStep step = start.ConversionDone(true, {kNoGhostscript});
    ASSERT_EQ(step.boxes.size(), 2u);
    EXPECT_EQ(step.boxes[0].caption, "Fax");
    EXPECT_EQ(step.boxes[0].icon, static_cast<unsigned>(kIconExclamation));
    EXPECT_EQ(step.boxes[1].caption, "Vantrel");
    EXPECT_EQ(step.boxes[1].icon, static_cast<unsigned>(kIconHand));
}

TEST(StartUp, AJobThatReportsTwiceIsTakenOnce) {
    StartUpMachine start;
    start.ConversionDone(true, {kNotConverted});
    EXPECT_TRUE(start.ConversionDone(false, {kNoGhostscript}).boxes.empty());
    const StartUpStep step = start.CoverPagesAnswered({});
    EXPECT_EQ(Texts(step.boxes), Texts({kNotConverted}));
    EXPECT_TRUE(step.show_page1);
    // After page 1 nothing more comes from start-up.
    const StartUpStep late = start.CoverPagesAnswered({kUploadFailed});
    EXPECT_TRUE(late.boxes.empty());
    EXPECT_FALSE(late.show_page1 || late.fill_cover_pages || late.start_quit_timer);
}

TEST(StartUp, WhatACloseDoesInEachPhase) {
    enum Done { kNothing, kConversion, kListing, kBoth };
    struct Case {
        const char* name;
        Done done_before;
        bool closed_before;
        bool end_window;
        bool passed_on;
        StartUpPhase after;
    } cases[] = {
        {"loading, nothing done", kNothing, false, true, false, StartUpPhase::Closed},
        {"loading, conversion done", kConversion, false, true, false, StartUpPhase::Closed},
        {"loading, cover pages done", kListing, false, true, false, StartUpPhase::Closed},
        {"page 1 or the quit timer", kBoth, false, false, true, StartUpPhase::Ready},
        {"already closed", kNothing, true, false, false, StartUpPhase::Closed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StartUpMachine start;
        if (c.done_before == kConversion || c.done_before == kBoth) start.ConversionDone(true, {kNotConverted});
        if (c.done_before == kListing || c.done_before == kBoth) start.CoverPagesAnswered({kUploadFailed});
        if (c.closed_before) start.CloseAsked();
        const StartUpStep step = start.CloseAsked();
        EXPECT_EQ(step.end_window, c.end_window);
        EXPECT_EQ(step.passed_on, c.passed_on);
        EXPECT_TRUE(step.boxes.empty());
        EXPECT_FALSE(step.show_page1 || step.start_quit_timer || step.fill_cover_pages);
        EXPECT_EQ(start.phase, c.after);
    }
}

TEST(StartUp, AfterACloseTheJobsThatEndTellNothingAndShowNoPage) {
    for (bool conversion_first : {true, false}) {
        SCOPED_TRACE(conversion_first ? "conversion first" : "listing first");
        StartUpMachine start;
        start.CloseAsked();
        const StartUpStep a =
            conversion_first ? start.ConversionDone(true, {kNotConverted}) : start.CoverPagesAnswered({kUploadFailed});
        const StartUpStep b =
            conversion_first ? start.CoverPagesAnswered({kUploadFailed}) : start.ConversionDone(true, {kNotConverted});
        for (const StartUpStep& step : {a, b}) {
            EXPECT_TRUE(step.boxes.empty());
            EXPECT_FALSE(step.show_page1 || step.start_quit_timer || step.fill_cover_pages || step.end_window);
        }
        EXPECT_EQ(start.phase, StartUpPhase::Closed);
    }
}

namespace {

// A gate a job waits at until the test opens it.
class Latch {
public:
    void Open() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }
    void Wait() {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return m_open; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
};

struct Wakes {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<StartUpJob> jobs;
    StartUpJobs::Wake Fn() {
        return [this](StartUpJob job) {
            std::lock_guard<std::mutex> lock(mutex);
            jobs.push_back(job);
            changed.notify_all();
        };
    }
    bool WaitFor(size_t count) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(10), [&] { return jobs.size() >= count; });
    }
};

std::unique_ptr<ConversionOutcome> Converted(const char* path) {
    std::unique_ptr<ConversionOutcome> outcome(new ConversionOutcome());
    outcome->print_file = path;
    outcome->converted = true;
    return outcome;
}

}  // namespace

TEST(StartUpJobs, BothJobsRunAtOnceAndEachResultIsTakenOnce) {
    // The conversion waits for the listing to have ended: this only finishes
    // when the two run at the same time.
    Latch listed;
    Wakes wakes;
    StartUpJobs jobs;
    std::thread::id conversion_thread, listing_thread;
    jobs.Start(
        [&] {
            conversion_thread = std::this_thread::get_id();
            listed.Wait();
            return Converted("C:\\Files\\Fax_1.pdf");
        },
        [&](const std::atomic<bool>&) {
            listing_thread = std::this_thread::get_id();
            std::unique_ptr<CoverPagesOutcome> outcome(new CoverPagesOutcome());
            outcome->lists.names.Add("Memo");
            outcome->boxes.push_back(kUploadFailed);
            return outcome;
        },
        wakes.Fn());
    ASSERT_TRUE(wakes.WaitFor(1));
    EXPECT_FALSE(jobs.TakeConversion());
    std::unique_ptr<CoverPagesOutcome> listing = jobs.TakeCoverPages();
    ASSERT_TRUE(listing);
    EXPECT_EQ(listing->lists.names.GetSize(), 1);
    EXPECT_EQ(Texts(listing->boxes), Texts({kUploadFailed}));
    EXPECT_FALSE(jobs.TakeCoverPages());
    listed.Open();
    ASSERT_TRUE(wakes.WaitFor(2));
    EXPECT_EQ(wakes.jobs, (std::vector<StartUpJob>{StartUpJob::CoverPages, StartUpJob::Conversion}));
    std::unique_ptr<ConversionOutcome> conversion = jobs.TakeConversion();
    ASSERT_TRUE(conversion);
    EXPECT_EQ(conversion->print_file, "C:\\Files\\Fax_1.pdf");
    EXPECT_FALSE(jobs.TakeConversion());
    jobs.Shut();
    EXPECT_NE(conversion_thread, std::this_thread::get_id());
    EXPECT_NE(listing_thread, std::this_thread::get_id());
    EXPECT_NE(conversion_thread, listing_thread);
}

TEST(StartUpJobs, AJobThatEndsAfterTheShutWakesNobodyButLeavesItsResult) {
    Latch release;
    std::atomic<bool> started{false};
    Wakes wakes;
    StartUpJobs jobs;
    jobs.Start(
        [&] {
            started = true;
            release.Wait();
            return Converted("C:\\Files\\Fax_2.pdf");
        },
        [](const std::atomic<bool>&) { return std::unique_ptr<CoverPagesOutcome>(new CoverPagesOutcome()); },
        wakes.Fn());
    ASSERT_TRUE(wakes.WaitFor(1));
    while (!started) std::this_thread::yield();
    // The conversion is let go only once the shut has closed the way back.
    std::thread shut([&] { jobs.Shut(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    release.Open();
    shut.join();
    // Shut has waited for the thread: its result is there, and no wake-up came.
    EXPECT_EQ(wakes.jobs, (std::vector<StartUpJob>{StartUpJob::CoverPages}));
    std::unique_ptr<ConversionOutcome> conversion = jobs.TakeConversion();
    ASSERT_TRUE(conversion);
    EXPECT_EQ(conversion->print_file, "C:\\Files\\Fax_2.pdf");
}

TEST(StartUpJobs, AJobThatFailsOnTheWayStillEnds) {
    Wakes wakes;
    StartUpJobs jobs;
    jobs.Start([]() -> std::unique_ptr<ConversionOutcome> { throw std::bad_alloc(); },
               [](const std::atomic<bool>&) { return std::unique_ptr<CoverPagesOutcome>(new CoverPagesOutcome()); },
        wakes.Fn());
    ASSERT_TRUE(wakes.WaitFor(2));
    std::unique_ptr<ConversionOutcome> conversion = jobs.TakeConversion();
    ASSERT_TRUE(conversion);
    EXPECT_TRUE(conversion->print_file.IsEmpty());
    EXPECT_FALSE(conversion->converted);
}

TEST(StartUpJobs, JobsStartedBeforeTheWindowListensAreToldOnceItDoes) {
    // The jobs start before the window exists; whichever ended before it
    // listens is told when it does, whichever ends after is told then; each
    // once.
    Latch release;
    std::atomic<bool> converting{false};
    Wakes wakes;
    StartUpJobs jobs;
    // A check that fails half way still lets the conversion end.
    struct OpenAtEnd {
        Latch& latch;
        ~OpenAtEnd() { latch.Open(); }
    } open_at_end{release};
    EXPECT_FALSE(jobs.Started());
    jobs.Start(
        [&] {
            converting = true;
            release.Wait();
            return Converted("C:\\Files\\Fax_3.pdf");
        },
        [](const std::atomic<bool>&) {
            std::unique_ptr<CoverPagesOutcome> outcome(new CoverPagesOutcome());
            outcome->lists.names.Add("Memo");
            return outcome;
        });
    EXPECT_TRUE(jobs.Started());
    // The listing has left its result before anyone listens.
    std::unique_ptr<CoverPagesOutcome> listing;
    for (int i = 0; i < 1000 && !listing; ++i) {
        listing = jobs.TakeCoverPages();
        if (!listing) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(listing);
    EXPECT_EQ(listing->lists.names.GetSize(), 1);
    while (!converting) std::this_thread::yield();

    jobs.Listen(wakes.Fn());
    ASSERT_TRUE(wakes.WaitFor(1));
    EXPECT_EQ(wakes.jobs, (std::vector<StartUpJob>{StartUpJob::CoverPages}));
    EXPECT_FALSE(jobs.TakeConversion());
    release.Open();
    ASSERT_TRUE(wakes.WaitFor(2));
    std::unique_ptr<ConversionOutcome> conversion = jobs.TakeConversion();
    ASSERT_TRUE(conversion);
    EXPECT_EQ(conversion->print_file, "C:\\Files\\Fax_3.pdf");
    jobs.Shut();
    EXPECT_EQ(wakes.jobs, (std::vector<StartUpJob>{StartUpJob::CoverPages, StartUpJob::Conversion}));

    // Shut before anyone listened: a listener that comes late hears nothing.
    StartUpJobs shut;
    shut.Start([] { return Converted("C:\\Files\\Fax_4.pdf"); },
               [](const std::atomic<bool>&) { return std::unique_ptr<CoverPagesOutcome>(new CoverPagesOutcome()); });
    shut.Shut();
    Wakes late;
    shut.Listen(late.Fn());
    EXPECT_TRUE(late.jobs.empty());
    EXPECT_TRUE(shut.TakeConversion());
}

TEST(StartUpJobs, TheShutAbandonsTheListingAndDoesNotWaitForItsAnswer) {
    // A listing that would wait for the service's answer for a long time
    // gives up once it is abandoned; the shut waits for nothing more.
    std::atomic<bool> listing_started{false}, saw_abandoned{false};
    Wakes wakes;
    StartUpJobs jobs;
    jobs.Start([] { return Converted("C:\\Files\\Fax_5.pdf"); },
               [&](const std::atomic<bool>& abandoned) {
                   listing_started = true;
                   const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
                   while (!abandoned && std::chrono::steady_clock::now() < until)
                       std::this_thread::sleep_for(std::chrono::milliseconds(5));
                   saw_abandoned = abandoned.load();
                   return std::unique_ptr<CoverPagesOutcome>(new CoverPagesOutcome());
               },
               wakes.Fn());
    ASSERT_TRUE(wakes.WaitFor(1));
    while (!listing_started) std::this_thread::yield();
    const auto start = std::chrono::steady_clock::now();
    jobs.Shut();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 5.0);
    EXPECT_TRUE(saw_abandoned);
    EXPECT_EQ(wakes.jobs, (std::vector<StartUpJob>{StartUpJob::Conversion}));
}
