// The send-fax window's start-up: the print job's conversion and the
// cover-page listing run at the same time, each on a thread of its own, while
// the loading view shows and the window keeps answering. What the user sees
// keeps one order whatever finishes first: the loading view, then the
// conversion's boxes, then the listing's, then page 1 (or, without a print
// job, the quit timer). No window in here, so every rule has a table test.
#pragma once

#include "framework/cstring.h"
#include "framework/notifier.h"
#include "service/cover_pages.h"
#include "ui/send/handoff.h"

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

// The boxes a worker would have shown, in the order it would have.
using StartUpBoxes = std::vector<RecordingNotifier::Box>;

// What the conversion leaves: the new print-file path (the PDF, or the path
// as it was when none was made), whether a PDF was made, and its boxes.
struct ConversionOutcome {
    CString print_file;
    bool converted = false;
    StartUpBoxes boxes;
};

// What the cover-page listing leaves: the lists, the account's default name
// (kept as it was when the answer names none), and its boxes.
struct CoverPagesOutcome {
    CoverPageLists lists;
    CString default_name;
    StartUpBoxes boxes;
};

// loading -> ready (both jobs done: page 1 or the quit timer), or
// loading -> closed (the window was closed before that).
enum class StartUpPhase { Loading, Ready, Closed };

// What the window does on a start-up event.
struct StartUpStep {
    StartUpBoxes boxes;             // show now, owned by the window, in this order
    bool fill_cover_pages = false;  // the listing's names into the cover-page list
    bool show_page1 = false;
    bool start_quit_timer = false;  // no print job: the program ends after 500 ms
    bool end_window = false;        // end the window now (as Cancel), nothing shown
    // Start-up is over: a close is the window's own business (the send's rules).
    bool passed_on = false;
};

struct StartUpMachine {
    StartUpPhase phase = StartUpPhase::Loading;
    bool converted = false;  // the conversion is done
    bool listed = false;     // the cover pages were answered
    bool has_print_file = false;
    StartUpBoxes conversion_boxes;
    StartUpBoxes listing_boxes;

    // The conversion is done; has_print_file: the print-file path is not empty.
    StartUpStep ConversionDone(bool has_print_file, const StartUpBoxes& boxes);
    StartUpStep CoverPagesAnswered(const StartUpBoxes& boxes);
    // The close button, Escape or Alt+F4.
    StartUpStep CloseAsked();

private:
    StartUpStep WhenBothDone();
};

// The two jobs on their threads. They may start before the window exists
// (the conversion is the longest part of the start-up): each job's result
// waits in its handoff until the window takes it, and the window hears of it
// by wake, once it listens. wake is called on the worker's thread right after
// a result is left, or at once by Listen for a result left before; it must do
// no more than post a message, and is never called once Shut has begun, so a
// worker that ends after the window has gone cannot reach it.
enum class StartUpJob { Conversion, CoverPages };

class StartUpJobs {
public:
    StartUpJobs() = default;
    ~StartUpJobs();  // shuts
    StartUpJobs(const StartUpJobs&) = delete;
    StartUpJobs& operator=(const StartUpJobs&) = delete;

    using Wake = std::function<void(StartUpJob)>;
    using Convert = std::function<std::unique_ptr<ConversionOutcome>()>;
    // The listing is handed a flag that turns true when nobody waits for it
    // any more: it may then end early.
    using List = std::function<std::unique_ptr<CoverPagesOutcome>(const std::atomic<bool>& abandoned)>;
    // Starts both jobs. A job whose thread cannot be made runs here, before
    // this returns, and is handed over the same way.
    void Start(Convert convert, List list, Wake wake = nullptr);
    bool Started() const { return m_gate != nullptr; }
    // From now on wake is called for each job that ends, and right here for
    // each that has ended already.
    void Listen(Wake wake);
    // A job's result once it is there, and only once.
    std::unique_ptr<ConversionOutcome> TakeConversion();
    std::unique_ptr<CoverPagesOutcome> TakeCoverPages();
    // No wake-up from here on; the listing is abandoned and both threads are
    // waited for (a running Ghostscript is let finish). Results stay to be
    // taken.
    void Shut();

    struct Gate;

private:
    std::shared_ptr<Gate> m_gate;
    Handoff<ConversionOutcome> m_conversion;
    Handoff<CoverPagesOutcome> m_coverPages;
    unsigned m_nConversion = 0;
    unsigned m_nCoverPages = 0;
    std::thread m_convertThread;
    std::thread m_listThread;
};
