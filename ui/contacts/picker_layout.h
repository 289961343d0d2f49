// Where the picker and its rows put their controls, which faces their image
// buttons wear and which controls each view shows. Plain tables, so the
// windows only apply them.
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
extern const char kPickerFontFace[];           // "Segoe UI"
extern const char kPickerSemiboldFontFace[];   // "Segoe UI Semibold", the 13-pixel labels
constexpr int kPickerFontWeight = 400;
constexpr unsigned kPickerBackground = 411;

// The PNG faces of an image button: alternate, standard, hover, disabled.
struct PickerButtonFaces {
    int id;
    unsigned alternate, standard, hover, disabled;
};
extern const PickerButtonFaces kPickerButtonFaces[];
extern const int kPickerButtonFaceCount;

// Views of the picker: 0 the start, 1 panel shown, 2 ascending order,
// 3 descending order, 4 panel hidden.
struct ShowChange {
    int id;  // kPickerPanelId for the panel
    bool shown;
};
std::vector<ShowChange> PickerShowMode(int mode);

// The row's controls for a row indented by indent.
std::vector<PickerControlPlace> ContactRowLayout(int indent);
extern const PickerButtonFaces kRowMemberButtonFaces[];  // hide and show members
extern const int kRowMemberButtonFaceCount;
extern const char kRowFontFace[];  // "Montserrat"
