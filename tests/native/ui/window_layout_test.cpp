#include "ui/common/window_layout.h"

#include <gtest/gtest.h>

TEST(CentredPlace, CentresInTheAreaAndLifts) {
    struct Case {
        const char* what;
        int area_width, area_height, width, height, lift;
        int left, top;
    } cases[] = {
        {"send window, 1280x1004", 1280, 1004, 565, 620, 20, 357, 172},
        {"key setup, 1920x1050", 1920, 1050, 565, 532, 20, 677, 239},
        {"halves round toward zero", 566, 533, 565, 532, 20, 0, -20},
        {"no lift", 800, 600, 200, 100, 0, 300, 250},
        {"area smaller than the window", 400, 300, 565, 620, 20, -82, -180},
        {"odd negative half rounds toward zero", 564, 531, 565, 532, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const WindowPlace place = CentredPlace(c.area_width, c.area_height, {c.width, c.height, c.lift});
        EXPECT_EQ(place.left, c.left) << c.what;
        EXPECT_EQ(place.top, c.top) << c.what;
    }
}
