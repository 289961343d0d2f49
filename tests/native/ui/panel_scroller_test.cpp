#include "ui/common/panel_scroller.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A window of a given client size that records what the scroller does.
class FakeSurface : public ScrollSurface {
public:
    FakeSurface(int width, int height) : width_(width), height_(height) {}
    bool Exists() override { return exists; }
    void ClientSizeWithoutBars(int& width, int& height) override {
        width = width_;
        height = height_;
    }
    ScrollBarState GetBar(bool horizontal) override { return horizontal ? h : v; }
    void SetBar(bool horizontal, int min, int max, int page, int pos) override {
        ScrollBarState& bar = horizontal ? h : v;
        bar = {min, max, page, pos, pos};
    }
    void SetBarPos(bool horizontal, int pos) override { (horizontal ? h : v).pos = pos; }
    void ScrollContent(int dx, int dy) override {
        moves.push_back({dx, dy});
        content_y += dy;
    }
    int WheelScrollLines() override { return wheel_lines; }

    bool exists = true;
    int wheel_lines = 3;
    ScrollBarState h, v;
    std::vector<std::pair<int, int>> moves;
    int content_y = 0;  // where the content's top is drawn

private:
    int width_, height_;
};

// The number panel: 433 x 80 pixels.
struct Panel {
    Panel() : surface(433, 80) { scroller.Attach(&surface); }
    void Rows(int count) {
        scroller.SetDisplaySize(1, 0);
        scroller.SetScrollPos(0);
        scroller.SetDisplaySize(1, 1 + count * 37 + 10);
    }
    FakeSurface surface;
    CPanelScroller scroller;
};

}  // namespace

TEST(PanelScroller, TheBarShowsOnlyWhenTheContentIsTaller) {
    struct Case {
        int rows;
        int max, page;  // of the vertical bar
    } cases[] = {
        {0, 0, 0},
        {1, 0, 0},    // 48 pixels fit
        {2, 84, 80},  // 85 pixels do not
        {5, 195, 80},
    };
    for (const auto& c : cases) {
        Panel panel;
        panel.Rows(c.rows);
        EXPECT_EQ(panel.surface.v.max, c.max) << c.rows;
        EXPECT_EQ(panel.surface.v.page, c.page) << c.rows;
        EXPECT_EQ(panel.scroller.PageHeight(), c.page) << c.rows;
        EXPECT_EQ(panel.surface.h.max, 0) << "the content is 1 pixel wide";
        EXPECT_EQ(panel.scroller.PageWidth(), 0);
    }
}

TEST(PanelScroller, LinesPagesAndTheThumbStayInsideTheContent) {
    struct Case {
        const char* what;
        std::vector<int> codes;
        int track;  // the bar's track position for thumb codes
        int y;      // scroll position afterwards
    } cases[] = {
        {"one line down", {kScrollLineDown}, 0, 60},
        {"two lines down stop at the end",
         {kScrollLineDown, kScrollLineDown, kScrollLineDown, kScrollLineDown},
         0,
         196 - 80},
        {"up from the top does nothing", {kScrollLineUp}, 0, 0},
        {"down then up", {kScrollLineDown, kScrollLineUp}, 0, 0},
        {"a page is the panel's height", {kScrollPageDown}, 0, 80},
        {"page up after a page down", {kScrollPageDown, kScrollPageUp}, 0, 0},
        {"thumb tracking", {kScrollThumbTrack}, 33, 33},
        {"thumb position past the end", {kScrollThumbPosition}, 500, 116},
        {"other codes are ignored", {8, 6, 7}, 0, 0},
    };
    for (const auto& c : cases) {
        Panel panel;
        panel.Rows(5);  // 196 pixels of content in an 80-pixel panel
        panel.surface.v.track_pos = c.track;
        for (int code : c.codes) panel.scroller.OnVScroll(code);
        EXPECT_EQ(panel.scroller.ScrollY(), c.y) << c.what;
        EXPECT_EQ(panel.surface.v.pos, c.y) << c.what;
        EXPECT_EQ(panel.surface.content_y, -c.y) << c.what;  // the content moved the other way
    }
}

TEST(PanelScroller, WheelStepsFollowTheSystemSetting) {
    struct Case {
        const char* what;
        int rows;
        int lines;  // lines per notch (-1: a page)
        int delta;
        bool handled;
        int y;
    } cases[] = {
        {"one notch of three lines is one step", 5, 3, -120, true, 60},
        {"less than a notch still steps once", 5, 3, -30, true, 60},
        {"two notches of three lines", 5, 3, -240, true, 116},
        {"six lines a notch: two steps", 5, 6, -120, true, 116},
        {"up at the top", 5, 3, 120, true, 0},
        {"page scrolling", 5, -1, -120, true, 80},
        {"no bar, nothing to scroll", 1, 3, -120, false, 0},
        {"two rows already scroll", 2, 3, -120, true, 5},
    };
    for (const auto& c : cases) {
        Panel panel;
        panel.surface.wheel_lines = c.lines;
        panel.Rows(c.rows);
        EXPECT_EQ(panel.scroller.OnMouseWheel(c.delta), c.handled) << c.what;
        EXPECT_EQ(panel.scroller.ScrollY(), c.y) << c.what;
    }
}

TEST(PanelScroller, RebuildingScrollsTheContentBackToTheOrigin) {
    Panel panel;
    panel.Rows(5);
    panel.scroller.OnVScroll(kScrollLineDown);
    ASSERT_EQ(panel.surface.content_y, -60);
    panel.Rows(3);
    EXPECT_EQ(panel.surface.content_y, 0);
    EXPECT_EQ(panel.scroller.ScrollY(), 0);
    EXPECT_EQ(panel.surface.v.pos, 0);
    EXPECT_EQ(panel.surface.v.max, 1 + 3 * 37 + 10 - 1);
}

TEST(PanelScroller, AShrunkenWindowKeepsThePositionInProportion) {
    FakeSurface tall(433, 80);
    CPanelScroller scroller;
    scroller.Attach(&tall);
    scroller.SetDisplaySize(1, 400);
    tall.v.track_pos = 100;
    scroller.OnVScroll(kScrollThumbTrack);
    ASSERT_EQ(scroller.ScrollY(), 100);

    FakeSurface small(433, 40);  // the same scroller on a smaller window
    small.v = tall.v;
    scroller.Attach(&small);
    scroller.SetDisplaySize(1, 400);
    EXPECT_EQ(scroller.PageHeight(), 40);
    EXPECT_EQ(scroller.ScrollY(), 50);  // 100 x 40 / 80
    ASSERT_EQ(small.moves.size(), 1u);
    EXPECT_EQ(small.moves[0], std::make_pair(0, 50));
}

TEST(PanelScroller, WithoutAWindowNothingHappens) {
    CPanelScroller scroller;
    scroller.SetDisplaySize(1, 500);
    scroller.OnVScroll(kScrollLineDown);
    EXPECT_FALSE(scroller.OnMouseWheel(-120));
    EXPECT_EQ(scroller.ScrollY(), 0);

    FakeSurface gone(433, 80);
    gone.exists = false;
    scroller.Attach(&gone);
    scroller.SetDisplaySize(1, 500);
    EXPECT_TRUE(gone.moves.empty());
    EXPECT_EQ(gone.v.max, 0);
}
