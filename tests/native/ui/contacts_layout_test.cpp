// The picker's tables as the windows apply them: which controls each view
// leaves on show, where the controls stand, which fonts and faces they wear.
#include "resource.h"
#include "ui/contacts/contact_rows.h"
#include "ui/contacts/picker_layout.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

struct Rect {
    int left, top, right, bottom;
};
Rect RectOf(const ControlPlace& p) { return {p.left, p.top, p.left + p.width, p.top + p.height}; }
bool Overlap(const Rect& a, const Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}
bool Inside(const Rect& r, int width, int height) {
    return r.left >= 0 && r.top >= 0 && r.right <= width && r.bottom <= height && r.left < r.right && r.top < r.bottom;
}

std::vector<ControlPlace> PickerLayout() { return {kPickerLayout, kPickerLayout + kPickerLayoutCount}; }

// Which controls are on show after the views, applied in order, changed them.
std::map<int, bool> ShownAfter(std::initializer_list<PickerView> views) {
    std::map<int, bool> shown;
    for (PickerView view : views)
        for (const ShowChange& change : PickerViewChanges(view)) shown[change.id] = change.shown;
    return shown;
}

TEST(PickerViews, EachViewLeavesThePanelAndOneSortButtonOnShow) {
    using V = PickerView;
    struct Case {
        const char* what;
        std::initializer_list<PickerView> views;
        bool panel, sort_ascending, sort_descending;
    } cases[] = {
        {"opened", {V::kOpening}, false, false, true},
        {"a list came", {V::kOpening, V::kListShown}, true, false, true},
        {"an empty or failed list", {V::kOpening, V::kNothingListed}, false, false, true},
        {"descending, list kept on show", {V::kOpening, V::kListShown, V::kDescendingOrder}, true, true, false},
        {"descending, nothing found",
         {V::kOpening, V::kListShown, V::kDescendingOrder, V::kNothingListed},
         false,
         true,
         false},
        {"back to ascending", {V::kOpening, V::kDescendingOrder, V::kListShown, V::kAscendingOrder}, true, false, true},
    };
    for (const Case& c : cases) {
        std::map<int, bool> shown = ShownAfter(c.views);
        EXPECT_EQ(shown[kPickerPanelId], c.panel) << c.what;
        EXPECT_EQ(shown[IDC_PICK_SORT_ASCENDING], c.sort_ascending) << c.what;
        EXPECT_EQ(shown[IDC_PICK_SORT_DESCENDING], c.sort_descending) << c.what;
        // The rest never changes after opening.
        for (const ControlPlace& place : PickerLayout()) {
            if (place.id == kPickerPanelId || place.id == IDC_PICK_SORT_ASCENDING ||
                place.id == IDC_PICK_SORT_DESCENDING)
                continue;
            EXPECT_TRUE(shown[place.id]) << c.what << " " << place.id;
        }
    }
}

TEST(PickerViews, OpeningSetsEveryPlacedControlAndOnlyThose) {
    std::set<int> placed, opened;
    for (const ControlPlace& place : PickerLayout()) placed.insert(place.id);
    for (const ShowChange& change : PickerViewChanges(PickerView::kOpening)) {
        EXPECT_TRUE(opened.insert(change.id).second) << "set twice: " << change.id;
    }
    EXPECT_EQ(opened, placed);
    // The later views only touch placed controls.
    for (PickerView view : {PickerView::kListShown, PickerView::kNothingListed, PickerView::kAscendingOrder,
                            PickerView::kDescendingOrder}) {
        for (const ShowChange& change : PickerViewChanges(view)) EXPECT_EQ(placed.count(change.id), 1u) << change.id;
    }
}

TEST(PickerLayout, ControlsStandApartInsideTheWindowExceptTheSortPairThatTakesTurns) {
    const std::vector<ControlPlace> layout = PickerLayout();
    std::set<int> ids;
    for (const ControlPlace& place : layout) {
        EXPECT_TRUE(ids.insert(place.id).second) << "placed twice: " << place.id;
        EXPECT_TRUE(Inside(RectOf(place), kPickerWidth, kPickerHeight)) << place.id;
    }
    const std::set<std::set<int>> sharing = {{IDC_PICK_SORT_ASCENDING, IDC_PICK_SORT_DESCENDING}};
    std::set<std::set<int>> shared;
    for (size_t i = 0; i < layout.size(); ++i) {
        for (size_t j = i + 1; j < layout.size(); ++j) {
            if (!Overlap(RectOf(layout[i]), RectOf(layout[j]))) continue;
            shared.insert({layout[i].id, layout[j].id});
            EXPECT_EQ(layout[i].left, layout[j].left);
            EXPECT_EQ(layout[i].top, layout[j].top);
            EXPECT_EQ(layout[i].width, layout[j].width);
            EXPECT_EQ(layout[i].height, layout[j].height);
        }
    }
    EXPECT_EQ(shared, sharing);

    // A row fits the panel's width, and five rows its height.
    for (const ControlPlace& place : layout) {
        if (place.id != kPickerPanelId) continue;
        EXPECT_LE(kContactRowLeft + kContactRowWidth, place.width);
        EXPECT_LE(kContactRowTop + 4 * kContactRowStep + kContactRowHeight, place.height);
    }
}

TEST(PickerLayout, EveryFontATextControlAsksForIsOneThePickerMakes) {
    struct Case {
        int id;
        const char* face;  // nullptr: the template's font
        int pixels;
    } cases[] = {
        {IDC_PICK_TITLE, "Segoe UI", 16},
        {IDC_PICK_NAME_HEADING, "Segoe UI", 16},
        {IDC_PICK_FAX_HEADING, "Segoe UI", 16},
        {IDC_PICK_SEARCH, "Segoe UI", 20},
        {IDC_PICK_PAGE_SIZE, "Segoe UI Semibold", 13},
        {IDC_PICK_RANGE, "Segoe UI Semibold", 13},
        {IDC_PICK_SELECT, nullptr, 0},
        {kPickerPanelId, nullptr, 0},
    };
    for (const Case& c : cases) {
        int found = 0;
        for (const ControlPlace& place : PickerLayout()) {
            if (place.id != c.id) continue;
            ++found;
            const char* face = nullptr;
            for (const FontLook& font : kPickerFonts)
                if (font.pixels == place.font_pixels) face = font.face;
            EXPECT_EQ(place.font_pixels, c.pixels) << c.id;
            EXPECT_EQ(face ? std::string(face) : "", c.face ? std::string(c.face) : "") << c.id;
        }
        EXPECT_EQ(found, 1) << c.id;
    }
    // Every placed font is made, one height means one font, all of regular
    // weight and of the template's quality.
    std::set<int> heights;
    for (const FontLook& font : kPickerFonts) {
        EXPECT_TRUE(heights.insert(font.pixels).second) << font.pixels;
        EXPECT_EQ(font.weight, 400) << font.pixels;
        EXPECT_EQ(font.quality, 0) << font.pixels;
    }
    for (const ControlPlace& place : PickerLayout()) {
        if (place.font_pixels) {
            EXPECT_EQ(heights.count(place.font_pixels), 1u) << place.id;
        }
    }
}

// The faces a button wears follow from its pictures: plain at rest, hover
// under the mouse, pressed when pressed (the alternate face) and when disabled;
// a button with one picture wears it always.
struct Pictures {
    int id;
    unsigned plain, hover, pressed;  // 0: no such picture
};
void ExpectFacesFollowPictures(const ButtonFaces* table, int count, const std::vector<Pictures>& cases) {
    std::map<int, ButtonFaces> faces;
    for (int i = 0; i < count; ++i) EXPECT_TRUE(faces.emplace(table[i].id, table[i]).second) << table[i].id;
    EXPECT_EQ(faces.size(), cases.size());
    for (const Pictures& c : cases) {
        ASSERT_EQ(faces.count(c.id), 1u) << c.id;
        const ButtonFaces& f = faces[c.id];
        EXPECT_EQ(f.standard, c.plain) << c.id;
        EXPECT_EQ(f.hover, c.hover ? c.hover : c.plain) << c.id;
        EXPECT_EQ(f.alternate, c.pressed ? c.pressed : c.plain) << c.id;
        EXPECT_EQ(f.disabled, c.pressed ? c.pressed : c.plain) << c.id;
    }
}

TEST(PickerFaces, EachImageButtonWearsItsOwnPictures) {
    ExpectFacesFollowPictures(kPickerButtonFaces, kPickerButtonFaceCount,
                              {
                                  {IDC_PICK_CLOSE, IDP_CLOSE, IDP_CLOSE_HOVER, IDP_CLOSE_PRESSED},
                                  {IDC_PICK_PREVIOUS, IDP_PREVIOUS, IDP_PREVIOUS_HOVER, IDP_PREVIOUS_PRESSED},
                                  {IDC_PICK_NEXT, IDP_NEXT, IDP_NEXT_HOVER, IDP_NEXT_PRESSED},
                                  {IDC_PICK_SELECT, IDP_SELECT, IDP_SELECT_HOVER, IDP_SELECT_PRESSED},
                                  // the order it selects, the way the size goes
                                  {IDC_PICK_SORT_ASCENDING, IDP_SORT_DOWN, 0, 0},
                                  {IDC_PICK_SORT_DESCENDING, IDP_SORT_UP, 0, 0},
                                  {IDC_PICK_PAGE_SIZE_UP, IDP_PAGE_SIZE_UP, 0, 0},
                                  {IDC_PICK_PAGE_SIZE_DOWN, IDP_PAGE_SIZE_DOWN, 0, 0},
                              });
    ExpectFacesFollowPictures(
        kRowMemberButtonFaces, kRowMemberButtonFaceCount,
        {
            {IDC_CONROW_HIDE_MEMBERS, IDP_HIDE_MEMBERS, IDP_HIDE_MEMBERS_HOVER, IDP_HIDE_MEMBERS_PRESSED},
            {IDC_CONROW_SHOW_MEMBERS, IDP_SHOW_MEMBERS, IDP_SHOW_MEMBERS_HOVER, IDP_SHOW_MEMBERS_PRESSED},
        });
    // A picture on a disabled button.
    const ButtonFaces kind = PictureFaces(IDC_CONROW_KIND, IDP_KIND_PERSON);
    ExpectFacesFollowPictures(&kind, 1, {{IDC_CONROW_KIND, IDP_KIND_PERSON, 0, 0}});
}

TEST(ContactRowLayout, AMembersPictureNameAndCountMoveRightTheNumberAndChevronsStay) {
    struct Case {
        int id;
        int person_left;  // in an entry's row
        bool indented;    // moved by the member indent in a member's row
    } cases[] = {
        {IDC_CONROW_KIND, 8, true},
        {IDC_CONROW_NAME, 40, true},
        {IDC_CONROW_MEMBER_ICON, 290, true},
        {IDC_CONROW_MEMBER_COUNT, 311, true},
        {IDC_CONROW_FAX, 400, false},
        {IDC_CONROW_HIDE_MEMBERS, 576, false},
        {IDC_CONROW_SHOW_MEMBERS, 576, false},
    };
    const std::vector<ControlPlace> entry = ContactRowLayout(0);
    const std::vector<ControlPlace> member = ContactRowLayout(kMemberIndent);
    ASSERT_EQ(entry.size(), std::size(cases));
    ASSERT_EQ(member.size(), std::size(cases));
    for (const Case& c : cases) {
        int found = 0;
        for (size_t i = 0; i < entry.size(); ++i) {
            if (entry[i].id != c.id) continue;
            ++found;
            EXPECT_EQ(entry[i].left, c.person_left) << c.id;
            EXPECT_EQ(member[i].id, c.id);
            EXPECT_EQ(member[i].left, c.person_left + (c.indented ? kMemberIndent : 0)) << c.id;
            EXPECT_EQ(member[i].top, entry[i].top) << c.id;
            EXPECT_TRUE(Inside(RectOf(entry[i]), kContactRowWidth, kContactRowHeight)) << c.id;
            EXPECT_TRUE(Inside(RectOf(member[i]), kContactRowWidth, kContactRowHeight)) << c.id;
        }
        EXPECT_EQ(found, 1) << c.id;
    }
    // In an entry's row only the two chevrons, which take turns, share a place.
    for (size_t i = 0; i < entry.size(); ++i) {
        for (size_t j = i + 1; j < entry.size(); ++j) {
            const bool chevrons = std::set<int>{entry[i].id, entry[j].id} ==
                                  std::set<int>{IDC_CONROW_HIDE_MEMBERS, IDC_CONROW_SHOW_MEMBERS};
            EXPECT_EQ(Overlap(RectOf(entry[i]), RectOf(entry[j])), chevrons) << entry[i].id << " " << entry[j].id;
        }
    }
}

}  // namespace
