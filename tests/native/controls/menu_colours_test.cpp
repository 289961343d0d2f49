#include "controls/menu/menu_colours.h"

#include <gtest/gtest.h>

#include <map>

using namespace menu_rules;

namespace {

std::string Show(Colour c) {
    return "(" + std::to_string(Red(c)) + "," + std::to_string(Green(c)) + "," + std::to_string(Blue(c)) + ")";
}

// The picture background of the menus, 0xF9F8F4 as a COLORREF.
constexpr Colour kPictureBackground = 0xF9F8F4;

TEST(MenuRules, MulDivRoundsHalfAwayFromZero) {
    struct Case {
        int number, numerator, denominator, result;
    };
    const Case cases[] = {
        {86, 255, 100, 219},                                  // 219.3
        {14, 255, 100, 36},                                   // 35.7
        {255, 7, 10, 179},                                    // 178.5 goes up
        {55, 7, 10, 39},                                      // 38.5 goes up
        {-5, 1, 2, -3},                                       // -2.5 goes down
        {5, -1, 2, -3},      {0, 7, 10, 0}, {10, 10, 0, -1},  // no denominator
    };
    for (const Case& c : cases)
        EXPECT_EQ(MulDiv(c.number, c.numerator, c.denominator), c.result)
            << c.number << " * " << c.numerator << " / " << c.denominator;
}

TEST(MenuRules, BlendTakes86PercentOfTheFirstAnd14OfTheSecondPerChannel) {
    struct Case {
        Colour a, b, blended;
    };
    const Case cases[] = {
        {Rgb(255, 255, 255), Rgb(255, 255, 255), Rgb(255, 255, 255)},  // never beyond 255
        {Rgb(0, 0, 0), Rgb(255, 255, 255), Rgb(36, 36, 36)},
        {Rgb(255, 255, 255), Rgb(0, 0, 0), Rgb(219, 219, 219)},
        {Rgb(255, 0, 0), Rgb(0, 0, 255), Rgb(219, 0, 36)},  // channels stay apart
        {kPictureBackground, Rgb(240, 240, 240), Rgb(244, 247, 248)},
        {Rgb(240, 240, 240), kPictureBackground, Rgb(240, 241, 241)},
        {kPictureBackground, Rgb(255, 255, 255), Rgb(246, 249, 250)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Blend(c.a, c.b), c.blended) << Show(c.a) << " + " << Show(c.b) << " gave " << Show(Blend(c.a, c.b));
}

TEST(MenuRules, ShadowIsSeventyPercentWithBlueLifted) {
    struct Case {
        Colour c, shadow;
    };
    const Case cases[] = {
        {Rgb(255, 255, 255), Rgb(179, 179, 217)},
        {Rgb(0, 0, 0), Rgb(0, 0, 39)},
        {Rgb(100, 200, 10), Rgb(70, 140, 46)},
    };
    for (const Case& c : cases) EXPECT_EQ(Shadow(c.c), c.shadow) << Show(c.c) << " gave " << Show(Shadow(c.c));
}

TEST(MenuRules, WindowsVersionsAreClassified) {
    struct Case {
        unsigned long platform, major, minor;
        WinVersion version;
    };
    const Case cases[] = {
        {1, 4, 0, WinVersion::Win95},     {1, 4, 10, WinVersion::Win98},    {1, 4, 90, WinVersion::WinME},
        {2, 4, 0, WinVersion::NT4},       {2, 3, 51, WinVersion::NT4},      {2, 5, 0, WinVersion::Win2000},
        {2, 5, 1, WinVersion::XPOrLater}, {2, 6, 1, WinVersion::XPOrLater}, {2, 10, 0, WinVersion::XPOrLater},
        {0, 3, 10, WinVersion::Win95},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClassifyWindows(c.platform, c.major, c.minor), c.version)
            << c.platform << " " << c.major << "." << c.minor;
}

TEST(MenuRules, MenuColourComesFromTheBrushThenFlatOrThemedMenusThenTheClassicColour) {
    const Colour brush = Rgb(10, 20, 30), bar = Rgb(200, 210, 220), classic = Rgb(240, 240, 240);
    struct Case {
        const char* what;
        bool has_brush;
        WinVersion version;
        bool flat, themed;
        Colour expected;
    };
    const Case cases[] = {
        {"brush on XP", true, WinVersion::XPOrLater, true, true, brush},
        {"brush on 2000", true, WinVersion::Win2000, false, false, brush},
        {"XP flat menus", false, WinVersion::XPOrLater, true, false, bar},
        {"XP visual styles", false, WinVersion::XPOrLater, false, true, bar},
        // Neither: the classic menu colour, never a made-up one.
        {"XP classic", false, WinVersion::XPOrLater, false, false, classic},
        {"2000 ignores flat menus", false, WinVersion::Win2000, true, true, classic},
        {"98", false, WinVersion::Win98, false, false, classic},
    };
    for (const Case& c : cases) {
        MenuColourInputs in;
        in.has_background_brush = c.has_brush;
        in.background_brush = brush;
        in.version = c.version;
        in.flat_menus = c.flat;
        in.theme_active = c.themed;
        in.menu_bar = bar;
        in.menu = classic;
        EXPECT_EQ(MenuColour(in), c.expected) << c.what;
    }
}

TEST(MenuRules, ItemColoursBlendPictureBackgroundAndMenuUnlessTheDeviceCannotTellThemApart) {
    const Colour menu = Rgb(240, 240, 240), face = Rgb(212, 208, 200);
    const auto exact = [](Colour c) { return c; };

    ItemColours normal = PopupItemColours(kPictureBackground, menu, false, face, exact);
    EXPECT_EQ(normal.column, Rgb(244, 247, 248));
    EXPECT_EQ(normal.other, Rgb(240, 241, 241));

    ItemColours low = PopupItemColours(kPictureBackground, menu, true, face, exact);
    EXPECT_EQ(low.column, Rgb(244, 247, 248));
    EXPECT_EQ(low.other, face);

    // A device that shows both as one colour: the plain colours are used.
    std::map<Colour, int> asked;
    const auto coarse = [&asked](Colour c) {
        ++asked[c];
        return Rgb(Red(c) & 0xF0, Green(c) & 0xF0, Blue(c) & 0xF0);
    };
    ItemColours same = PopupItemColours(kPictureBackground, menu, false, face, coarse);
    EXPECT_EQ(same.column, kPictureBackground);
    EXPECT_EQ(same.other, menu);
    EXPECT_EQ(asked.size(), 2u) << "both blends are looked up on the device";
}

TEST(MenuRules, FrameAndTextColoursFollowStateAndHighContrast) {
    const Colour highlight = Rgb(0, 120, 215), button_text = Rgb(1, 1, 1);
    EXPECT_EQ(SelectionFrameColour(false, highlight, button_text), highlight);
    EXPECT_EQ(SelectionFrameColour(true, highlight, button_text), button_text);

    const TextColours system{Rgb(109, 109, 109), Rgb(2, 2, 2), Rgb(3, 3, 3)};
    struct Case {
        bool grayed, selected, high_contrast;
        Colour expected;
    };
    const Case cases[] = {
        {false, false, false, system.menu_text},  {false, true, false, system.menu_text},
        {true, false, false, system.gray},        {true, true, true, system.gray},
        {false, false, true, system.window_text}, {false, true, true, system.menu_text},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ItemTextColour(c.grayed, c.selected, c.high_contrast, system), c.expected)
            << c.grayed << c.selected << c.high_contrast;
}

TEST(MenuRules, MenuFrameIsADarkLineAroundABlendOfWindowAndMenu) {
    const FrameColours frame = MenuFrameColours(Rgb(255, 255, 255), Rgb(240, 240, 240));
    EXPECT_EQ(frame.inner, Blend(Rgb(255, 255, 255), Rgb(240, 240, 240)));
    EXPECT_EQ(frame.outer, Rgb(132, 132, 132));
}

TEST(MenuRules, PopupItemPartsAreLaidOutFromTheItemAndTheCell) {
    struct Case {
        const char* what;
        Box item;
        int cell_w, cell_h, pic_w, pic_h;
        Box column, text;
        Point picture;
    };
    const Case cases[] = {
        // The country menu: 16 x 16 flags in items of 250 x 40.
        {"first country", {0, 0, 250, 40}, 16, 16, 16, 16, {0, 0, 24, 40}, {28, 0, 235, 40}, {3, 12}},
        {"second country", {0, 40, 250, 80}, 16, 16, 16, 16, {0, 40, 24, 80}, {28, 40, 235, 80}, {3, 52}},
        // A narrower picture is centred in the column.
        {"narrow picture", {5, 10, 205, 50}, 16, 15, 10, 10, {5, 10, 29, 50}, {33, 10, 190, 50}, {11, 25}},
        {"odd height", {0, 0, 100, 21}, 16, 15, 16, 15, {0, 0, 24, 21}, {28, 0, 85, 21}, {3, 3}},
    };
    for (const Case& c : cases) {
        const PopupItemLayout layout = LayOutPopupItem(c.item, c.cell_w, c.cell_h, c.pic_w, c.pic_h);
        EXPECT_EQ(layout.column, c.column) << c.what;
        EXPECT_EQ(layout.text_area, (Box{c.column.right, c.item.top, c.item.right, c.item.bottom})) << c.what;
        EXPECT_EQ(layout.text, c.text) << c.what;
        EXPECT_EQ(layout.picture, c.picture) << c.what;
        // Selected: lifted up-left, its shadow down-right.
        EXPECT_EQ(layout.lifted, (Point{c.picture.x - 1, c.picture.y - 1})) << c.what;
        EXPECT_EQ(layout.shadow, (Point{c.picture.x + 1, c.picture.y + 1})) << c.what;
    }
}

TEST(MenuRules, MnemonicsAreHiddenOnlyWhenAskedAndCuesAreNotAlwaysShown) {
    struct Case {
        bool no_accel, cues;
        WinVersion version;
        bool hidden;
    };
    const Case cases[] = {
        {false, false, WinVersion::XPOrLater, false}, {true, false, WinVersion::XPOrLater, true},
        {true, true, WinVersion::XPOrLater, false},   {true, true, WinVersion::Win2000, false},
        {true, true, WinVersion::NT4, true},          {true, true, WinVersion::WinME, true},
    };
    for (const Case& c : cases) {
        const TextFormats formats = ItemTextFormats(c.no_accel, c.cues, c.version);
        EXPECT_EQ((formats.left & kDtHidePrefix) != 0, c.hidden) << c.no_accel << c.cues;
        EXPECT_EQ((formats.right & kDtHidePrefix) != 0, c.hidden);
        EXPECT_EQ(formats.left & ~kDtHidePrefix, kDtSingleLine | kDtVCenter);
        EXPECT_EQ(formats.right & ~kDtHidePrefix, kDtSingleLine | kDtVCenter | kDtRight);
    }
}

TEST(MenuRules, HiddenMnemonicMarkersAreLeftOut) {
    struct Case {
        const char* text;
        const char* shown;
    };
    const Case cases[] = {
        {"&Canada +1", "Canada +1"},
        {"Can&ada", "Canada"},
        {"Fish && Chips", "Fish & Chips"},
        {"&&&x", "&x"},
        {"end&", "end"},
        {"plain", "plain"},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(WithoutMnemonicMarkers(c.text), c.shown) << c.text;
}

TEST(MenuRules, TextSplitsAtTheLastTab) {
    struct Case {
        const char* text;
        const char* left;
        const char* right;
        bool has_right;
    };
    const Case cases[] = {
        {"Canada +1", "Canada +1", "", false},
        {"&Open\tCtrl+O", "&Open", "Ctrl+O", true},
        {"a\tb\tc", "a\tb", "c", true},
        {"ends\t", "ends", "", true},
        {"", "", "", false},
    };
    for (const Case& c : cases) {
        const TextParts parts = SplitAtLastTab(c.text);
        EXPECT_EQ(parts.left, c.left) << c.text;
        EXPECT_EQ(parts.right, c.right) << c.text;
        EXPECT_EQ(parts.has_right, c.has_right) << c.text;
    }
}

}  // namespace
