#include "controls/menu/menu_colours.h"

#include <cstdlib>

namespace menu_rules {

int MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) return -1;
    const long long product = static_cast<long long>(number) * numerator;
    const bool negative = (product < 0) != (denominator < 0);
    const long long a = std::llabs(product);
    const long long d = std::llabs(static_cast<long long>(denominator));
    const long long rounded = (a + d / 2) / d;
    return static_cast<int>(negative ? -rounded : rounded);
}

namespace {

int Clamp(int channel) { return channel > 254 ? 255 : (channel < 0 ? 0 : channel); }

int BlendChannel(int a, int b) { return Clamp(MulDiv(86, a, 100) + MulDiv(14, b, 100)); }

}  // namespace

Colour Blend(Colour a, Colour b) {
    return Rgb(BlendChannel(Red(a), Red(b)), BlendChannel(Green(a), Green(b)), BlendChannel(Blue(a), Blue(b)));
}

Colour Shadow(Colour c) {
    return Rgb(Clamp(MulDiv(Red(c), 7, 10)), Clamp(MulDiv(Green(c), 7, 10)), Clamp(MulDiv(Blue(c) + 55, 7, 10)));
}

WinVersion ClassifyWindows(unsigned long platform, unsigned long major, unsigned long minor) {
    if (platform == 2) {
        if (major < 5) return WinVersion::NT4;
        if (major == 5 && minor == 0) return WinVersion::Win2000;
        return WinVersion::XPOrLater;
    }
    // 9x (and the 16-bit hosted Win32s, treated as the oldest).
    if (platform == 1 && major == 4) {
        if (minor >= 90) return WinVersion::WinME;
        if (minor >= 10) return WinVersion::Win98;
    }
    return WinVersion::Win95;
}

Colour MenuColour(const MenuColourInputs& in) {
    if (in.has_background_brush) return in.background_brush;
    if (in.version == WinVersion::XPOrLater && (in.flat_menus || in.theme_active)) return in.menu_bar;
    // Classic menus (no flat menus, no visual styles) have the classic
    // menu colour; the items and the frame agree on it.
    return in.menu;
}

ItemColours PopupItemColours(Colour picture_background, Colour menu, bool low_colour, Colour button_face,
                             const std::function<Colour(Colour)>& nearest) {
    ItemColours colours{Blend(picture_background, menu), low_colour ? button_face : Blend(menu, picture_background)};
    if (nearest && nearest(colours.column) == nearest(colours.other)) {
        colours.column = picture_background;
        colours.other = menu;
    }
    return colours;
}

Colour SelectionFrameColour(bool high_contrast, Colour highlight, Colour button_text) {
    return high_contrast ? button_text : highlight;
}

Colour ItemTextColour(bool grayed, bool selected, bool high_contrast, const TextColours& system) {
    if (grayed) return system.gray;
    if (high_contrast && !selected) return system.window_text;
    return system.menu_text;
}

FrameColours MenuFrameColours(Colour window, Colour menu) {
    const Colour outer = Rgb(MulDiv(Red(menu), 55, 100), MulDiv(Green(menu), 55, 100), MulDiv(Blue(menu), 55, 100));
    return FrameColours{outer, Blend(window, menu)};
}

PopupItemLayout LayOutPopupItem(const Box& item, int cell_width, int cell_height, int picture_width,
                                int picture_height) {
    (void)cell_height;
    PopupItemLayout layout;
    const int column_right = item.left + cell_width + 8;
    layout.column = Box{item.left, item.top, column_right, item.bottom};
    layout.text_area = Box{column_right, item.top, item.right, item.bottom};
    layout.text = Box{item.left + cell_width + 12, item.top, item.right - 15, item.bottom};
    int x = item.left + 3;
    if (picture_width < cell_width) x += (cell_width - picture_width) / 2;
    const int y = item.top + (item.Height() - picture_height) / 2;
    layout.picture = Point{x, y};
    layout.lifted = Point{x - 1, y - 1};
    layout.shadow = Point{x + 1, y + 1};
    return layout;
}

TextFormats ItemTextFormats(bool no_accel_state, bool keyboard_cues, WinVersion version) {
    const bool cues_always_shown = keyboard_cues && version >= WinVersion::Win2000;
    const unsigned hide = no_accel_state && !cues_always_shown ? kDtHidePrefix : 0u;
    return TextFormats{kDtSingleLine | kDtVCenter | hide, kDtSingleLine | kDtVCenter | kDtRight | hide};
}

std::string WithoutMnemonicMarkers(const std::string& text) {
    std::string shown;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            if (i + 1 >= text.size()) break;
            ++i;
        }
        shown += text[i];
    }
    return shown;
}

TextParts SplitAtLastTab(const std::string& text) {
    TextParts parts;
    const size_t tab = text.rfind('\t');
    if (tab == std::string::npos) {
        parts.left = text;
        return parts;
    }
    parts.left = text.substr(0, tab);
    parts.right = text.substr(tab + 1);
    parts.has_right = true;
    return parts;
}

}  // namespace menu_rules
