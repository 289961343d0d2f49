// Where the picker and its rows put their controls, which fonts and faces
// they wear and which controls each view shows. Plain tables, so the windows
// only apply them.
#pragma once

#include "ui/common/window_layout.h"

#include <vector>

constexpr int kPickerWidth = 720;
constexpr int kPickerHeight = 620;
// Centred in the full-screen area, lifted by this much.
constexpr int kPickerLift = 20;
constexpr WindowSize kPickerWindow = {kPickerWidth, kPickerHeight, kPickerLift};

// Control places (client area); a font_pixels other than 0 is the height of
// one of kPickerFonts.
constexpr int kPickerPanelId = 0;  // the contact panel in these tables
extern const ControlPlace kPickerLayout[];
extern const int kPickerLayoutCount;

// The picker's fonts, made over the template's font: the title and headings,
// the search box, the page labels.
constexpr FontLook kPickerFonts[] = {
    {"Segoe UI", 16, 400, 0},
    {"Segoe UI", 20, 400, 0},
    {"Segoe UI Semibold", 13, 400, 0},
};
constexpr int kPickerFontCount = sizeof kPickerFonts / sizeof kPickerFonts[0];
extern const unsigned kPickerBackground;  // the window's bitmap

// Background colours (COLORREF order, 0x00bbggrr) of the panel and of a row
// where its bitmap does not reach.
constexpr unsigned kPanelColour = 0x00FFFFFF;
constexpr unsigned kRowColour = 0x00FFFFFF;

// The faces of the image buttons.
extern const ButtonFaces kPickerButtonFaces[];
extern const int kPickerButtonFaceCount;

// What the picker shows: everything but the panel when it opens, then the
// panel for a list with contacts and no panel for an empty or failed one;
// of the two sort buttons only the one that selects the other order.
enum class PickerView {
    kOpening,
    kListShown,
    kNothingListed,
    kAscendingOrder,
    kDescendingOrder,
};
// The controls a view shows or hides; the others keep their state.
std::vector<ShowChange> PickerViewChanges(PickerView view);

// The row's controls for a row indented by indent.
std::vector<ControlPlace> ContactRowLayout(int indent);
extern const ButtonFaces kRowMemberButtonFaces[];  // hide and show members
extern const int kRowMemberButtonFaceCount;
// A picture shown on a disabled image button wears it as every face.
ButtonFaces PictureFaces(int id, unsigned picture);
// The row's font, set on the row; its labels keep the template's. Made
// from nothing but this, in ClearType (Windows' quality 5).
constexpr FontLook kRowFont = {"Montserrat", 10, 400, 5};
