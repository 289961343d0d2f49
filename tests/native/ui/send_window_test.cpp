#include "ui/send/send_window.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

const ControlPlace* PlaceOf(int id) {
    for (int i = 0; i < kSendLayoutCount; ++i)
        if (kSendLayout[i].id == id) return &kSendLayout[i];
    return nullptr;
}

const ButtonFaces* FacesOf(int id) {
    for (int i = 0; i < kSendButtonFaceCount; ++i)
        if (kSendButtonFaces[i].id == id) return &kSendButtonFaces[i];
    return nullptr;
}

std::vector<int> FontedControls(SendFont font) {
    std::vector<int> ids;
    for (int i = 0; i < kSendControlFontCount; ++i)
        if (kSendControlFonts[i].font == font) ids.push_back(kSendControlFonts[i].id);
    return ids;
}

}  // namespace

TEST(SendWindowSize, CentredInTheFullScreenAreaAndLifted) {
    struct Case {
        int width, height, left, top;
    } cases[] = {
        {1280, 1004, 357, 172},
        {1920, 1050, 677, 195},
        {566, 621, 0, -20},     // integer halves
        {400, 300, -82, -180},  // a screen smaller than the window
    };
    for (const auto& c : cases) {
        const WindowPlace place = CentredPlace(c.width, c.height, kSendWindow);
        EXPECT_EQ(place.left, c.left) << c.width;
        EXPECT_EQ(place.top, c.top) << c.height;
    }
}

TEST(SendLayout, EveryControlInItsPlace) {
    struct Case {
        const char* what;
        int id, left, top, width, height;
    } cases[] = {
        {"title", IDC_SEND_TITLE, 25, 8, 250, 22},
        {"minimise", IDC_SEND_MINIMISE, 496, 12, 12, 12},
        {"close", IDC_SEND_CLOSE, 533, 12, 12, 12},
        {"key button", IDC_SEND_KEY, 7, 45, 48, 48},
        {"heading", IDC_SEND_HEADING, 93, 50, 200, 26},
        {"number label", IDC_SEND_NUMBER_LABEL, 93, 97, 200, 22},
        {"country list", IDC_SEND_COUNTRY_LIST, 100, 125, 150, 47},
        {"flag", IDC_SEND_FLAG, 100, 134, 16, 16},
        {"country menu", IDC_SEND_COUNTRY_MENU, 117, 134, 16, 16},
        {"number", IDC_SEND_NUMBER, 134, 128, 270, 30},
        {"contacts", IDC_SEND_CONTACTS, 439, 127, 30, 30},
        {"add", IDC_SEND_ADD, 472, 127, 30, 30},
        {"fax panel", kSendPanelId, 95, 191, 433, 80},
        {"loading text", IDC_SEND_LOADING_TEXT, 239, 238, 74, 38},
        {"loading picture", IDC_SEND_LOADING_PICTURE, 239, 306, 74, 8},
        {"cover heading", IDC_SEND_COVER_HEADING, 93, 270, 105, 28},
        {"cover page on (shown while off)", IDC_SEND_COVER_TURN_ON, 205, 273, 88, 26},
        {"cover page off (shown while on)", IDC_SEND_COVER_TURN_OFF, 205, 273, 88, 26},
        {"deliver-to label", IDC_SEND_DELIVER_TO_LABEL, 93, 310, 105, 14},
        {"subject label", IDC_SEND_SUBJECT_LABEL, 318, 310, 200, 14},
        {"deliver to", IDC_SEND_DELIVER_TO, 102, 355, 183, 20},
        {"subject", IDC_SEND_SUBJECT, 324, 355, 183, 20},
        {"notes label", IDC_SEND_NOTES_LABEL, 93, 397, 200, 14},
        {"notes", IDC_SEND_NOTES, 102, 430, 404, 20},
        {"cover label", IDC_SEND_COVER_LABEL, 93, 470, 200, 14},
        {"cover list", IDC_SEND_COVER_LIST, 102, 500, 400, 20},
        {"send", IDC_SEND_SEND, 200, 554, 160, 40},
    };
    ASSERT_EQ(kSendLayoutCount, static_cast<int>(sizeof cases / sizeof cases[0]));
    std::set<int> placed;
    for (const Case& c : cases) {
        const ControlPlace* place = PlaceOf(c.id);
        ASSERT_NE(place, nullptr) << c.what;
        EXPECT_TRUE(placed.insert(c.id).second) << c.what << " placed twice";
        EXPECT_EQ(place->left, c.left) << c.what;
        EXPECT_EQ(place->top, c.top) << c.what;
        EXPECT_EQ(place->width, c.width) << c.what;
        EXPECT_EQ(place->height, c.height) << c.what;
        EXPECT_EQ(place->font_pixels, 0) << c.what << ": fonts go by control";
        EXPECT_LE(place->left + place->width, kSendWidth) << c.what;
        EXPECT_LE(place->top + place->height, kSendHeight) << c.what;
    }
}

TEST(SendLayout, PlacingOrderIsTheTabOrder) {
    // The tab stops, in the order Tab visits them.
    const int tab_stops[] = {IDC_SEND_MINIMISE,      IDC_SEND_CLOSE, IDC_SEND_KEY,           IDC_SEND_NUMBER,
                             IDC_SEND_CONTACTS,      IDC_SEND_ADD,   IDC_SEND_COVER_TURN_ON, IDC_SEND_DELIVER_TO,
                             IDC_SEND_SUBJECT,       IDC_SEND_NOTES, IDC_SEND_COVER_LIST,    IDC_SEND_SEND,
                             IDC_SEND_COVER_TURN_OFF};
    std::vector<int> order;
    for (int i = 0; i < kSendLayoutCount; ++i)
        for (int id : tab_stops)
            if (kSendLayout[i].id == id) order.push_back(id);
    EXPECT_EQ(order, std::vector<int>(std::begin(tab_stops), std::end(tab_stops)));
}

TEST(SendLayout, TheProgressViewTakesTheSendButtonsRow) {
    const ControlPlace* send = PlaceOf(IDC_SEND_SEND);
    ASSERT_NE(send, nullptr);
    struct Case {
        const char* what;
        const ControlPlace& place;
        int id, left, top, width, height;
    } cases[] = {
        {"progress view", kSendProgressPlace, IDC_SEND_PROGRESS, 60, 550, 320, 42},
        {"cancel", kSendCancelPlace, IDC_SEND_CANCEL, 396, 554, 110, 40},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.place.id, c.id) << c.what;
        EXPECT_EQ(c.place.left, c.left) << c.what;
        EXPECT_EQ(c.place.top, c.top) << c.what;
        EXPECT_EQ(c.place.width, c.width) << c.what;
        EXPECT_EQ(c.place.height, c.height) << c.what;
        // On the send button's row, inside the window.
        EXPECT_LT(c.place.top, send->top + send->height) << c.what;
        EXPECT_GT(c.place.top + c.place.height, send->top) << c.what;
        EXPECT_LE(c.place.left + c.place.width, kSendWidth) << c.what;
    }
    EXPECT_LE(kSendProgressPlace.left + kSendProgressPlace.width, kSendCancelPlace.left) << "the two overlap";
}

TEST(SendFonts, EachFontAndTheControlsThatTakeIt) {
    struct Case {
        SendFont font;
        const char* face;
        int pixels, weight;
        std::vector<int> controls;
    } cases[] = {
        {SendFont::Title, "Segoe UI", 12, 500, {IDC_SEND_TITLE}},
        {SendFont::Heading,
         "Segoe UI Semibold",
         20,
         400,
         {IDC_SEND_LOADING_TEXT, IDC_SEND_HEADING, IDC_SEND_COVER_HEADING}},
        {SendFont::Label,
         "Segoe UI Semibold",
         13,
         400,
         {IDC_SEND_NUMBER_LABEL, IDC_SEND_DELIVER_TO_LABEL, IDC_SEND_SUBJECT_LABEL, IDC_SEND_NOTES_LABEL,
          IDC_SEND_COVER_LABEL}},
        {SendFont::Entry, "Segoe UI", 20, 400, {IDC_SEND_NUMBER}},
        {SendFont::Field,
         "Segoe UI",
         14,
         400,
         {IDC_SEND_DELIVER_TO, IDC_SEND_SUBJECT, IDC_SEND_NOTES, IDC_SEND_COVER_LIST}},
        {SendFont::Progress, "Segoe UI Semibold", 15, 400, {IDC_SEND_PROGRESS}},
    };
    int controls = 0;
    for (const Case& c : cases) {
        const FontLook look = SendFontLook(c.font);
        EXPECT_STREQ(look.face, c.face) << c.pixels;
        EXPECT_EQ(look.pixels, c.pixels) << c.face;
        EXPECT_EQ(look.weight, c.weight) << c.face;
        EXPECT_EQ(look.quality, 0) << c.face;
        EXPECT_EQ(FontedControls(c.font), c.controls) << c.face << " " << c.pixels;
        controls += static_cast<int>(c.controls.size());
    }
    EXPECT_EQ(kSendControlFontCount, controls) << "a control takes a font twice";
}

TEST(SendButtonFaces, EveryImageButtonsFourFaces) {
    struct Case {
        const char* what;
        ButtonFaces faces;
    } cases[] = {
        {"send", {IDC_SEND_SEND, 170, 169, 168, 170}},
        {"add", {IDC_SEND_ADD, 161, 160, 159, 161}},
        {"contacts", {IDC_SEND_CONTACTS, 410, 409, 408, 410}},
        {"key", {IDC_SEND_KEY, 405, 404, 403, 405}},
        {"country menu", {IDC_SEND_COUNTRY_MENU, 406, 406, 406, 406}},
        {"cover page on (shown while off)", {IDC_SEND_COVER_TURN_ON, 166, 166, 166, 166}},
        {"cover page off (shown while on)", {IDC_SEND_COVER_TURN_OFF, 167, 167, 167, 167}},
        {"minimise", {IDC_SEND_MINIMISE, 156, 155, 154, 156}},
        {"close", {IDC_SEND_CLOSE, 150, 149, 148, 150}},
    };
    ASSERT_EQ(kSendButtonFaceCount, static_cast<int>(sizeof cases / sizeof cases[0]));
    for (int i = 0; i < kSendButtonFaceCount; ++i) {
        const Case& c = cases[i];
        const ButtonFaces* faces = FacesOf(c.faces.id);
        ASSERT_NE(faces, nullptr) << c.what;
        EXPECT_EQ(kSendButtonFaces[i].id, c.faces.id) << c.what << ": loaded in this order";
        EXPECT_EQ(faces->alternate, c.faces.alternate) << c.what;
        EXPECT_EQ(faces->standard, c.faces.standard) << c.what;
        EXPECT_EQ(faces->hover, c.faces.hover) << c.what;
        EXPECT_EQ(faces->disabled, c.faces.disabled) << c.what;
    }
    // Cancel greys out while the fax is already up.
    const ButtonFaces cancel = {IDC_SEND_CANCEL, IDP_CANCEL_PRESSED, IDP_CANCEL, IDP_CANCEL_HOVER, IDP_CANCEL_DISABLED};
    EXPECT_EQ(kSendCancelFaces.id, cancel.id);
    EXPECT_EQ(kSendCancelFaces.alternate, cancel.alternate);
    EXPECT_EQ(kSendCancelFaces.standard, cancel.standard);
    EXPECT_EQ(kSendCancelFaces.hover, cancel.hover);
    EXPECT_EQ(kSendCancelFaces.disabled, cancel.disabled);
    EXPECT_NE(kSendCancelFaces.disabled, kSendCancelFaces.alternate);
}

TEST(SendColours, TextAndBackgroundByControl) {
    constexpr unsigned kNone = 0xFFFFFFFFu;  // the dialog's own painting
    struct Case {
        const char* what;
        int id;
        unsigned text, background;
    } cases[] = {
        {"title", IDC_SEND_TITLE, 0x000000, kNone},
        {"loading text", IDC_SEND_LOADING_TEXT, 0x000000, kNone},
        {"heading", IDC_SEND_HEADING, 0x000000, kNone},
        {"cover heading", IDC_SEND_COVER_HEADING, 0x000000, kNone},
        {"number", IDC_SEND_NUMBER, 0x000000, kNone},
        {"deliver to", IDC_SEND_DELIVER_TO, 0x000000, kNone},
        {"subject", IDC_SEND_SUBJECT, 0x000000, kNone},
        {"notes", IDC_SEND_NOTES, 0x000000, kNone},
        {"number label", IDC_SEND_NUMBER_LABEL, 0x5E4934, kNone},
        {"deliver-to label", IDC_SEND_DELIVER_TO_LABEL, 0x5E4934, kNone},
        {"subject label", IDC_SEND_SUBJECT_LABEL, 0x5E4934, kNone},
        {"notes label", IDC_SEND_NOTES_LABEL, 0x5E4934, kNone},
        {"cover label", IDC_SEND_COVER_LABEL, 0x5E4934, kNone},
        {"cover list: black on white", IDC_SEND_COVER_LIST, 0x000000, 0xFFFFFF},
    };
    for (const Case& c : cases) {
        const ControlColours* colours = SendControlColours(c.id);
        ASSERT_NE(colours, nullptr) << c.what;
        EXPECT_EQ(colours->text, c.text) << c.what;
        EXPECT_EQ(colours->paints_background, c.background != kNone) << c.what;
        if (colours->paints_background) {
            EXPECT_EQ(colours->background, c.background) << c.what;
        }
    }
    for (int id : {IDC_SEND_SEND, IDC_SEND_FLAG, IDC_SEND_PROGRESS, IDC_SEND_LOADING_PICTURE, 0})
        EXPECT_EQ(SendControlColours(id), nullptr) << id;
    EXPECT_EQ(SendColour(52, 73, 94), 0x5E4934u);
}

TEST(OpenPrintJob, PathOwnerAndWhetherThereIsAJob) {
    struct Case {
        const char* what;
        const char* command_line;
        const char* path;
        PrintFileOwner owner;
        bool prepare;
    } cases[] = {
        {"spooled job", R"(-fromspooler -pages 3 "C:\spool\job 1.ps")", R"(C:\spool\job 1.ps)", PrintFileOwner::Spooler,
         true},
        {"Send To, quoted", R"("C:\My Files\letter.pdf")", R"(C:\My Files\letter.pdf)", PrintFileOwner::User, true},
        {"typed path", R"(C:\doc.ps)", R"(C:\doc.ps)", PrintFileOwner::User, true},
        {"blanks around a path are kept", "  C:\\doc.ps ", "  C:\\doc.ps ", PrintFileOwner::User, true},
        {"nothing", "", "", PrintFileOwner::User, false},
        {"blanks only", "   ", "", PrintFileOwner::User, false},
        {"empty quotes", "\"\"", "", PrintFileOwner::User, false},
        {"spooler form with a path of blanks", R"(-fromspooler -pages 1 "  ")", "", PrintFileOwner::Spooler, false},
    };
    for (const Case& c : cases) {
        const PrintJobOpening opening = OpenPrintJob(c.command_line);
        EXPECT_EQ(opening.path, c.path) << c.what;
        EXPECT_EQ(opening.owner == PrintFileOwner::Spooler, c.owner == PrintFileOwner::Spooler) << c.what;
        EXPECT_EQ(opening.prepare, c.prepare) << c.what;
    }
}

TEST(ProgressBar, PercentByPhaseAndCounts) {
    struct Case {
        SendPhase phase;
        long long sent, total;
        int percent;
    } cases[] = {
        {SendPhase::Sending, 0, 0, -1},  // total unknown: no bar
        {SendPhase::Sending, 4096, 0, -1},     {SendPhase::Sending, 0, 1000, 0},
        {SendPhase::Sending, 999, 1000, 99},  // rounded down
        {SendPhase::Sending, 1000, 1000, 100}, {SendPhase::Cancelling, 500, 1000, 50},
        {SendPhase::Idle, 0, 0, -1},           {SendPhase::Waiting, 0, 0, 100},  // everything is up
        {SendPhase::Waiting, 10, 1000, 100},
    };
    for (const Case& c : cases) {
        UploadCounts counts;
        counts.sent = c.sent;
        counts.total = c.total;
        EXPECT_EQ(ProgressBarPercent(c.phase, counts), c.percent)
            << static_cast<int>(c.phase) << " " << c.sent << "/" << c.total;
    }
}

TEST(ThreadlessSend, ToldLikeATransferThatFailedAtOnce) {
    const std::unique_ptr<SendResult> result = ThreadlessSendResult();
    ASSERT_NE(result, nullptr);
    EXPECT_FALSE(result->cancelled);
    EXPECT_FALSE(result->uploaded);
    const SubmissionVerdict verdict = JudgeFinishedSend(result->transfer, result->uploaded);
    EXPECT_TRUE(verdict.shown);
    EXPECT_EQ(verdict.result, -1);
    EXPECT_EQ(verdict.text, "Upload Failed : Out of memory");
    EXPECT_EQ(verdict.icon, kIconHand);
}

TEST(SendViews, WhatEachViewShowsAndHides) {
    const std::vector<int> cover_fields = {
        IDC_SEND_DELIVER_TO_LABEL, IDC_SEND_SUBJECT_LABEL, IDC_SEND_NOTES_LABEL, IDC_SEND_COVER_LABEL,
        IDC_SEND_DELIVER_TO,       IDC_SEND_SUBJECT,       IDC_SEND_NOTES,       IDC_SEND_COVER_LIST};
    const std::vector<int> form = {IDC_SEND_TITLE,         IDC_SEND_HEADING, IDC_SEND_NUMBER_LABEL,
                                   IDC_SEND_COVER_HEADING, IDC_SEND_NUMBER,  IDC_SEND_SEND,
                                   IDC_SEND_CONTACTS,      IDC_SEND_ADD,     IDC_SEND_FLAG,
                                   IDC_SEND_COUNTRY_MENU,  kSendPanelId};
    struct Case {
        const char* what;
        SendWindowView view;
        std::vector<int> shown, hidden;
    } cases[] = {
        {"loading",
         kSendLoadingView,
         {IDC_SEND_LOADING_PICTURE, IDC_SEND_LOADING_TEXT, IDC_SEND_TITLE},
         {kSendPanelId}},
        {"page 1", kSendPage1, form, cover_fields},
        {"page 2", kSendPage2, form, {}},
    };
    // The switch shows the half that changes the state; the country list
    // never shows, the loading view's controls leave with it.
    cases[1].shown.push_back(IDC_SEND_COVER_TURN_ON);
    cases[1].hidden.insert(cases[1].hidden.end(), {IDC_SEND_COVER_TURN_OFF, IDC_SEND_LOADING_PICTURE,
                                                   IDC_SEND_LOADING_TEXT, IDC_SEND_COUNTRY_LIST});
    cases[2].shown.insert(cases[2].shown.end(), cover_fields.begin(), cover_fields.end());
    cases[2].shown.push_back(IDC_SEND_COVER_TURN_OFF);
    cases[2].hidden = {IDC_SEND_COVER_TURN_ON, IDC_SEND_LOADING_PICTURE, IDC_SEND_LOADING_TEXT, IDC_SEND_COUNTRY_LIST};
    for (const Case& c : cases) {
        std::set<int> shown, hidden;
        for (const ShowChange& change : SendViewShows(c.view)) {
            EXPECT_TRUE((change.shown ? shown : hidden).insert(change.id).second) << c.what << " " << change.id;
            EXPECT_NE(change.id, IDC_SEND_KEY) << c.what << ": the key button shows in every view";
        }
        EXPECT_EQ(shown, std::set<int>(c.shown.begin(), c.shown.end())) << c.what;
        EXPECT_EQ(hidden, std::set<int>(c.hidden.begin(), c.hidden.end())) << c.what;
    }
}
