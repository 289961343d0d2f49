// Where the picker and its rows put their controls, which fonts and faces
// they wear and which controls each view shows. Plain tables, so the windows
// only apply them.
#pragma once

#include <vector>

constexpr int kPickerWidth = 720;
constexpr int kPickerHeight = 620;

// Centred in the full-screen area, lifted by 20 pixels.
struct PickerPlace {
    int left;
    int top;
};
PickerPlace ContactPickerPlace(int full_screen_width, int full_screen_height);

// A control's place in its window's client area and its font's character
// height (0: the font of the template).
struct PickerControlPlace {
    int id;
    int left, top, width, height;
    int font_pixels;
};
constexpr int kPickerPanelId = 0;  // the contact panel in these tables
extern const PickerControlPlace kPickerLayout[];
extern const int kPickerLayoutCount;

// The picker's fonts, made from the template's font with this face, height
// and weight; a control whose font_pixels is one of these wears that font.
struct PickerFont {
    int pixels;
    const char* face;
};
// The title and headings, the search box, the page labels.
constexpr PickerFont kPickerFonts[] = {
    {16, "Segoe UI"},
    {20, "Segoe UI"},
    {13, "Segoe UI Semibold"},
};
constexpr int kPickerFontCount = sizeof kPickerFonts / sizeof kPickerFonts[0];
constexpr int kPickerFontWeight = 400;
extern const unsigned kPickerBackground;  // the window's bitmap

// Background colours (COLORREF order, 0x00bbggrr) of the panel and of a row
// where its bitmap does not reach.
constexpr unsigned kPanelColour = 0x00FFFFFF;
constexpr unsigned kRowColour = 0x00FFFFFF;

// The PNG faces of an image button: alternate, standard, hover, disabled.
struct PickerButtonFaces {
    int id;
    unsigned alternate, standard, hover, disabled;
};
extern const PickerButtonFaces kPickerButtonFaces[];
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
struct ShowChange {
    int id;  // kPickerPanelId for the panel
    bool shown;
};
// The controls a view shows or hides; the others keep their state.
std::vector<ShowChange> PickerViewChanges(PickerView view);

// The row's controls for a row indented by indent.
std::vector<PickerControlPlace> ContactRowLayout(int indent);
extern const PickerButtonFaces kRowMemberButtonFaces[];  // hide and show members
extern const int kRowMemberButtonFaceCount;
// A picture shown on a disabled image button wears it as every face.
PickerButtonFaces PictureFaces(int id, unsigned picture);
// The row's font (ClearType), set on the row; its labels keep the template's.
extern const char kRowFontFace[];  // "Montserrat"
constexpr int kRowFontPixels = 10;
