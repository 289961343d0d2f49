#include "ui/send/send_window.h"

#include "base/command_line.h"
#include "resource.h"

namespace {

constexpr unsigned kBlack = SendColour(0, 0, 0);
constexpr unsigned kWhite = SendColour(255, 255, 255);
constexpr unsigned kLabelColour = SendColour(52, 73, 94);

const ControlColours kSendColours[] = {
    {IDC_SEND_TITLE, kBlack, false, 0},
    {IDC_SEND_LOADING_TEXT, kBlack, false, 0},
    {IDC_SEND_HEADING, kBlack, false, 0},
    {IDC_SEND_COVER_HEADING, kBlack, false, 0},
    {IDC_SEND_NUMBER, kBlack, false, 0},
    {IDC_SEND_DELIVER_TO, kBlack, false, 0},
    {IDC_SEND_SUBJECT, kBlack, false, 0},
    {IDC_SEND_NOTES, kBlack, false, 0},
    {IDC_SEND_NUMBER_LABEL, kLabelColour, false, 0},
    {IDC_SEND_DELIVER_TO_LABEL, kLabelColour, false, 0},
    {IDC_SEND_SUBJECT_LABEL, kLabelColour, false, 0},
    {IDC_SEND_NOTES_LABEL, kLabelColour, false, 0},
    {IDC_SEND_COVER_LABEL, kLabelColour, false, 0},
    {IDC_SEND_COVER_LIST, kBlack, true, kWhite},
};

}  // namespace

const char kOutOfMemoryText[] = "Out of memory";

const ControlPlace kSendLayout[] = {
    {IDC_SEND_TITLE, 25, 8, 250, 22, 0},
    {IDC_SEND_MINIMISE, 496, 12, 12, 12, 0},
    {IDC_SEND_CLOSE, 533, 12, 12, 12, 0},
    {IDC_SEND_KEY, 7, 45, 48, 48, 0},
    {IDC_SEND_HEADING, 93, 50, 200, 26, 0},
    {IDC_SEND_NUMBER_LABEL, 93, 97, 200, 22, 0},
    {IDC_SEND_COUNTRY_LIST, 100, 125, 150, 47, 0},
    {IDC_SEND_FLAG, 100, 134, 16, 16, 0},
    {IDC_SEND_COUNTRY_MENU, 117, 134, 16, 16, 0},
    {IDC_SEND_NUMBER, 134, 128, 270, 30, 0},
    {IDC_SEND_CONTACTS, 439, 127, 30, 30, 0},
    {IDC_SEND_ADD, 472, 127, 30, 30, 0},
    {kSendPanelId, 95, 191, 433, 80, 0},
    {IDC_SEND_LOADING_TEXT, 239, 238, 74, 38, 0},
    {IDC_SEND_LOADING_PICTURE, 239, 306, 74, 8, 0},
    {IDC_SEND_COVER_HEADING, 93, 270, 105, 28, 0},
    {IDC_SEND_COVER_TURN_ON, 205, 273, 88, 26, 0},
    {IDC_SEND_DELIVER_TO_LABEL, 93, 310, 105, 14, 0},
    {IDC_SEND_SUBJECT_LABEL, 318, 310, 200, 14, 0},
    {IDC_SEND_DELIVER_TO, 102, 355, 183, 20, 0},
    {IDC_SEND_SUBJECT, 324, 355, 183, 20, 0},
    {IDC_SEND_NOTES_LABEL, 93, 397, 200, 14, 0},
    {IDC_SEND_NOTES, 102, 430, 404, 20, 0},
    {IDC_SEND_COVER_LABEL, 93, 470, 200, 14, 0},
    {IDC_SEND_COVER_LIST, 102, 500, 400, 20, 0},
    {IDC_SEND_SEND, 200, 554, 160, 40, 0},
    {IDC_SEND_COVER_TURN_OFF, 205, 273, 88, 26, 0},
};
const int kSendLayoutCount = sizeof kSendLayout / sizeof kSendLayout[0];

const ControlPlace kSendProgressPlace = {IDC_SEND_PROGRESS, 60, 550, 320, 42, 0};
const ControlPlace kSendCancelPlace = {IDC_SEND_CANCEL, 396, 554, 110, 40, 0};

FontLook SendFontLook(SendFont font) {
    switch (font) {
    case SendFont::Title:
        return {"Segoe UI", 12, 500, 0};
    case SendFont::Heading:
        return {"Segoe UI Semibold", 20, 400, 0};
    case SendFont::Label:
        return {"Segoe UI Semibold", 13, 400, 0};
    case SendFont::Entry:
        return {"Segoe UI", 20, 400, 0};
    case SendFont::Field:
        return {"Segoe UI", 14, 400, 0};
    case SendFont::Progress:
        return {"Segoe UI Semibold", 15, 400, 0};
    }
    return {"Segoe UI", 14, 400, 0};
}

std::vector<ShowChange> SendViewShows(SendWindowView view) {
    if (view == kSendLoadingView)
        return {{kSendPanelId, false},
                {IDC_SEND_LOADING_PICTURE, true},
                {IDC_SEND_LOADING_TEXT, true},
                {IDC_SEND_TITLE, true}};
    const bool cover = view == kSendPage2;
    std::vector<ShowChange> shows = {{IDC_SEND_LOADING_PICTURE, false}, {IDC_SEND_LOADING_TEXT, false}};
    for (int id : {IDC_SEND_DELIVER_TO_LABEL, IDC_SEND_SUBJECT_LABEL, IDC_SEND_NOTES_LABEL, IDC_SEND_COVER_LABEL,
                   IDC_SEND_DELIVER_TO, IDC_SEND_SUBJECT, IDC_SEND_NOTES, IDC_SEND_COVER_LIST})
        shows.push_back({id, cover});
    shows.push_back({kSendPanelId, true});
    shows.push_back({IDC_SEND_TITLE, true});
    shows.push_back({IDC_SEND_COVER_TURN_OFF, cover});
    shows.push_back({IDC_SEND_COVER_TURN_ON, !cover});
    for (int id : {IDC_SEND_HEADING, IDC_SEND_NUMBER_LABEL, IDC_SEND_COVER_HEADING, IDC_SEND_NUMBER, IDC_SEND_SEND,
                   IDC_SEND_CONTACTS, IDC_SEND_ADD, IDC_SEND_FLAG, IDC_SEND_COUNTRY_MENU})
        shows.push_back({id, true});
    shows.push_back({IDC_SEND_COUNTRY_LIST, false});
    return shows;
}

const ControlFont kSendControlFonts[] = {
    {IDC_SEND_TITLE, SendFont::Title},         {IDC_SEND_LOADING_TEXT, SendFont::Heading},
    {IDC_SEND_HEADING, SendFont::Heading},     {IDC_SEND_COVER_HEADING, SendFont::Heading},
    {IDC_SEND_NUMBER_LABEL, SendFont::Label},  {IDC_SEND_DELIVER_TO_LABEL, SendFont::Label},
    {IDC_SEND_SUBJECT_LABEL, SendFont::Label}, {IDC_SEND_NOTES_LABEL, SendFont::Label},
    {IDC_SEND_COVER_LABEL, SendFont::Label},   {IDC_SEND_NUMBER, SendFont::Entry},
    {IDC_SEND_DELIVER_TO, SendFont::Field},    {IDC_SEND_SUBJECT, SendFont::Field},
    {IDC_SEND_NOTES, SendFont::Field},         {IDC_SEND_COVER_LIST, SendFont::Field},
    {IDC_SEND_PROGRESS, SendFont::Progress},
};
const int kSendControlFontCount = sizeof kSendControlFonts / sizeof kSendControlFonts[0];

const ButtonFaces kSendButtonFaces[] = {
    {IDC_SEND_SEND, IDP_SEND_PRESSED, IDP_SEND, IDP_SEND_HOVER, IDP_SEND_PRESSED},
    {IDC_SEND_ADD, IDP_ADD_PRESSED, IDP_ADD, IDP_ADD_HOVER, IDP_ADD_PRESSED},
    {IDC_SEND_CONTACTS, IDP_CONTACTS_PRESSED, IDP_CONTACTS, IDP_CONTACTS_HOVER, IDP_CONTACTS_PRESSED},
    {IDC_SEND_KEY, IDP_KEY_PRESSED, IDP_KEY, IDP_KEY_HOVER, IDP_KEY_PRESSED},
    {IDC_SEND_COUNTRY_MENU, IDP_COUNTRY_MENU, IDP_COUNTRY_MENU, IDP_COUNTRY_MENU, IDP_COUNTRY_MENU},
    // Each half of the cover-page switch pictures the state it is seen in.
    {IDC_SEND_COVER_TURN_ON, IDP_COVER_OFF, IDP_COVER_OFF, IDP_COVER_OFF, IDP_COVER_OFF},
    {IDC_SEND_COVER_TURN_OFF, IDP_COVER_ON, IDP_COVER_ON, IDP_COVER_ON, IDP_COVER_ON},
    {IDC_SEND_MINIMISE, IDP_MINIMISE_PRESSED, IDP_MINIMISE, IDP_MINIMISE_HOVER, IDP_MINIMISE_PRESSED},
    {IDC_SEND_CLOSE, IDP_CLOSE_PRESSED, IDP_CLOSE, IDP_CLOSE_HOVER, IDP_CLOSE_PRESSED},
};
const int kSendButtonFaceCount = sizeof kSendButtonFaces / sizeof kSendButtonFaces[0];
const ButtonFaces kSendCancelFaces = {IDC_SEND_CANCEL, IDP_CANCEL_PRESSED, IDP_CANCEL, IDP_CANCEL_HOVER,
                                      IDP_CANCEL_DISABLED};

const ControlColours* SendControlColours(int id) {
    for (const ControlColours& colours : kSendColours)
        if (colours.id == id) return &colours;
    return nullptr;
}

PrintJobOpening OpenPrintJob(const CString& command_line) {
    PrintJobOpening opening;
    opening.owner = IsSpoolerForm(command_line) ? PrintFileOwner::Spooler : PrintFileOwner::User;
    opening.path = ExtractPrintFilePath(command_line);
    CString trimmed = opening.path;
    trimmed.Trim();
    opening.prepare = !trimmed.IsEmpty();
    if (!opening.prepare) opening.path.Empty();
    return opening;
}

int ProgressBarPercent(SendPhase phase, const UploadCounts& counts) {
    if (phase == SendPhase::Waiting) return 100;
    return counts.total > 0 ? ProgressPercent(counts.sent, counts.total) : -1;
}

std::unique_ptr<SendResult> ThreadlessSendResult() {
    std::unique_ptr<SendResult> result(new SendResult());
    result->transfer.has_handle = true;
    result->transfer.outcome.error_text = kOutOfMemoryText;
    return result;
}
