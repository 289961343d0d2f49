// The send-fax window's tables and rules, without the window: its size and
// place, where each control goes and which font and faces it wears, the text
// colours by control, how the print job of the command line is opened, what
// the progress bar shows and the result of a send that could not start. The
// window (kestrid_ui_dlg) applies them and adds the controls and the wiring.
#pragma once

#include "convert/print_job.h"
#include "framework/cstring.h"
#include "ui/common/window_layout.h"
#include "ui/send/send_progress.h"
#include "ui/send/send_worker.h"

#include <memory>
#include <vector>

// Size of the window and its background bitmaps.
constexpr int kSendWidth = 565;
constexpr int kSendHeight = 620;
// Top-left corner: centred in the full-screen area, lifted by this much.
constexpr int kSendLift = 20;
constexpr WindowSize kSendWindow = {kSendWidth, kSendHeight, kSendLift};

// The fax panel in these tables: a child window, not a control of the template.
constexpr int kSendPanelId = 0;
// The controls in the order they are placed, which is also the z-order and
// so the tab order. The places set no font (font_pixels 0): two of the
// window's fonts share a height, so the fonts go by kSendControlFonts.
extern const ControlPlace kSendLayout[];
extern const int kSendLayoutCount;
// Made when the window opens and hidden until a fax goes up: the progress
// view and its Cancel stand where the send button was, on the same row.
extern const ControlPlace kSendProgressPlace;
extern const ControlPlace kSendCancelPlace;

// The views: loading (while the cover pages come), page 1 (cover page off)
// and page 2 (cover page on).
enum SendWindowView { kSendLoadingView = 0, kSendPage1 = 1, kSendPage2 = 2 };
// What a view shows and hides, in the order it does. The key button is in no
// view: it shows in every one.
std::vector<ShowChange> SendViewShows(SendWindowView view);

// The window's fonts.
enum class SendFont { Title, Heading, Label, Entry, Field, Progress };
FontLook SendFontLook(SendFont font);
// Which control takes which font, in the order they are set. The window
// itself takes the entry font.
struct ControlFont {
    int id;
    SendFont font;
};
extern const ControlFont kSendControlFonts[];
extern const int kSendControlFontCount;

// The image buttons' faces, in the order they are loaded, and the Cancel of
// the progress view.
extern const ButtonFaces kSendButtonFaces[];
extern const int kSendButtonFaceCount;
extern const ButtonFaces kSendCancelFaces;

// Colours as the Windows API keeps them: 0x00bbggrr.
constexpr unsigned SendColour(unsigned red, unsigned green, unsigned blue) { return red | (green << 8) | (blue << 16); }
// How a control's text is painted: its colour, and the background behind the
// text where it is painted.
struct ControlColours {
    int id;
    unsigned text;
    bool paints_background;
    unsigned background;
};
// A control's colours; nullptr for a control painted as the dialog paints it.
const ControlColours* SendControlColours(int id);

// How the window opens the print job of its command line: the path it names,
// whose file it is, and whether there is a job to copy and convert at all
// (a path of blanks names none, and the window then holds no path).
struct PrintJobOpening {
    CString path;
    PrintFileOwner owner = PrintFileOwner::User;
    bool prepare = false;
};
PrintJobOpening OpenPrintJob(const CString& command_line);

// The progress bar's percentage in a phase: -1 (no bar) while the total is
// unknown, and full once the whole request is up and the answer awaited.
int ProgressBarPercent(SendPhase phase, const UploadCounts& counts);

// A send whose worker thread could not be made: told like a transfer that
// failed at once.
std::unique_ptr<SendResult> ThreadlessSendResult();
extern const char kOutOfMemoryText[];  // "Out of memory"
