// The owner-drawn menu's drawing rules as plain functions: colours (values in
// the COLORREF layout 0x00BBGGRR), the place of every part of an item, the
// text format, and the Windows version classes the rules depend on. The
// Win32 theme only gathers the system values and paints what these decide.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace menu_rules {

using Colour = std::uint32_t;

constexpr Colour Rgb(int r, int g, int b) {
    return static_cast<Colour>(r & 0xFF) | static_cast<Colour>(g & 0xFF) << 8 | static_cast<Colour>(b & 0xFF) << 16;
}
constexpr int Red(Colour c) { return static_cast<int>(c & 0xFF); }
constexpr int Green(Colour c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int Blue(Colour c) { return static_cast<int>((c >> 16) & 0xFF); }

// number * numerator / denominator rounded half away from zero; -1 for a
// zero denominator (as Windows' MulDiv).
int MulDiv(int number, int numerator, int denominator);

// 86 % of a and 14 % of b per channel.
Colour Blend(Colour a, Colour b);
// The darker copy of c a lifted picture casts (blue kept a little brighter).
Colour Shadow(Colour c);

// Versions the menu rules tell apart, oldest first.
enum class WinVersion { Win95, Win98, WinME, NT4, Win2000, XPOrLater };
// From GetVersionEx: dwPlatformId (1 = 9x, 2 = NT), dwMajorVersion, dwMinorVersion.
WinVersion ClassifyWindows(unsigned long platform, unsigned long major, unsigned long minor);

// What the menu colour is chosen from.
struct MenuColourInputs {
    bool has_background_brush = false;  // the menu's MENUINFO carries a brush
    Colour background_brush = 0;
    WinVersion version = WinVersion::XPOrLater;
    bool flat_menus = false;    // SPI_GETFLATMENU
    bool theme_active = false;  // IsThemeActive, false when uxtheme is missing
    Colour menu_bar = 0;        // COLOR_MENUBAR
    Colour menu = 0;            // COLOR_MENU
};
// The menu's own brush first; the menu bar colour where XP draws flat or
// themed menus; otherwise the classic menu colour.
Colour MenuColour(const MenuColourInputs& in);

// Colours of one pop-up item's background.
struct ItemColours {
    Colour column;  // picture column and text area (A)
    Colour other;   // its partner (B), only used to see whether A stands out
};
// picture_background K, menu colour M. nearest maps a colour to the one the
// device shows; when A and B would look the same, K and M are used as they are.
ItemColours PopupItemColours(Colour picture_background, Colour menu, bool low_colour, Colour button_face,
                             const std::function<Colour(Colour)>& nearest);

// The one-pixel frame of a selected item.
Colour SelectionFrameColour(bool high_contrast, Colour highlight, Colour button_text);

struct TextColours {
    Colour gray;         // COLOR_GRAYTEXT
    Colour menu_text;    // COLOR_MENUTEXT
    Colour window_text;  // COLOR_WINDOWTEXT
};
Colour ItemTextColour(bool grayed, bool selected, bool high_contrast, const TextColours& system);

// The flat frame of a menu window: a dark outer line and a light inner band.
struct FrameColours {
    Colour outer;
    Colour inner;
};
FrameColours MenuFrameColours(Colour window, Colour menu);

// Rectangles in item coordinates; right and bottom exclusive.
struct Box {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const Box& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};
struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point& o) const { return x == o.x && y == o.y; }
};

// Where the parts of a pop-up item go.
struct PopupItemLayout {
    Box column;     // the picture column
    Box text_area;  // the rest of the item
    Box text;       // where the text is written
    Point picture;  // the picture's normal place
    Point lifted;   // a selected picture: one pixel up and left
    Point shadow;   // and its shadow one pixel down and right
};
// item: the item rectangle; cell: the menu's picture cell; picture: the size
// of the item's picture (0 x 0 for none).
PopupItemLayout LayOutPopupItem(const Box& item, int cell_width, int cell_height, int picture_width,
                                int picture_height);

// DrawText format bits (the values of the DT_ constants).
constexpr unsigned kDtRight = 0x2;
constexpr unsigned kDtVCenter = 0x4;
constexpr unsigned kDtSingleLine = 0x20;
constexpr unsigned kDtHidePrefix = 0x100000;

// Formats of the two text parts; "&" always marks a mnemonic. Mnemonics are
// hidden when the item asks for it (ODS_NOACCEL) unless Windows 2000 or later
// is set to always show keyboard cues.
struct TextFormats {
    unsigned left;
    unsigned right;
};
TextFormats ItemTextFormats(bool no_accel_state, bool keyboard_cues, WinVersion version);

// text as DrawText shows it with hidden mnemonics: each "&" marker goes,
// "&&" stays one "&".
std::string WithoutMnemonicMarkers(const std::string& text);

// The text up to the last tab and the part after it (empty without a tab).
struct TextParts {
    std::string left;
    std::string right;
    bool has_right = false;
};
TextParts SplitAtLastTab(const std::string& text);

}  // namespace menu_rules
