// Paging of the fetched contact list: labels, page buttons and the records
// each page shows, for lists of every awkward length.
#include "ui/contacts/contact_paging.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct PageView {
    std::string label;
    int first;
    int end;
    bool previous;
    bool next;
};

PageView View(const ContactPaging& p) {
    return {RangeLabel(p).str(), p.first_index, p.end_index, PreviousEnabled(p), NextEnabled(p)};
}

void ExpectView(const ContactPaging& p, const PageView& want, const std::string& what) {
    const PageView got = View(p);
    EXPECT_EQ(got.label, want.label) << what;
    EXPECT_EQ(got.first, want.first) << what;
    EXPECT_EQ(got.end, want.end) << what;
    EXPECT_EQ(got.previous, want.previous) << what;
    EXPECT_EQ(got.next, want.next) << what;
}

TEST(ContactPaging, WalkingForwardAndBackThroughEveryPage) {
    struct Case {
        int list_size;
        int page_size;
        std::vector<PageView> pages;  // from the first page on
    } cases[] = {
        {23,
         5,
         {{"1-5/5", 0, 5, false, true},
          {"6-10/5", 5, 10, true, true},
          {"11-15/5", 10, 15, true, true},
          {"16-20/5", 15, 20, true, true},
          {"21-23/5", 20, 23, true, false}}},
        {5, 5, {{"1-5/1", 0, 5, false, false}}},
        {6, 5, {{"1-5/2", 0, 5, false, true}, {"6-6/2", 5, 6, true, false}}},
        {44,
         7,
         {{"1-7/7", 0, 7, false, true},
          {"8-14/7", 7, 14, true, true},
          {"15-21/7", 14, 21, true, true},
          {"22-28/7", 21, 28, true, true},
          {"29-35/7", 28, 35, true, true},
          {"36-42/7", 35, 42, true, true},
          {"43-44/7", 42, 44, true, false}}},
        {3, 5, {{"1-3/1", 0, 3, false, false}}},
        {0, 5, {{"", 0, 0, false, false}}},
    };
    for (const Case& c : cases) {
        const std::string what = std::to_string(c.list_size) + " records by " + std::to_string(c.page_size);
        ContactPaging p;
        p.page_size = c.page_size;
        ResetPaging(p, c.list_size);
        EXPECT_EQ(p.page_count, static_cast<int>(c.list_size == 0 ? 0 : c.pages.size())) << what;
        for (size_t i = 0; i < c.pages.size(); ++i) {
            ExpectView(p, c.pages[i], what + " page " + std::to_string(i + 1));
            EXPECT_EQ(NextPage(p, c.list_size), i + 1 < c.pages.size()) << what;
        }
        // Past the last page nothing moves; then back to the first.
        ExpectView(p, c.pages.back(), what + " after the last next");
        for (size_t i = c.pages.size(); i-- > 0;) {
            ExpectView(p, c.pages[i], what + " back on page " + std::to_string(i + 1));
            EXPECT_EQ(PreviousPage(p, c.list_size), i > 0) << what;
        }
        ExpectView(p, c.pages.front(), what + " after the last previous");
    }
}

TEST(ContactPaging, PageSizeStaysWithinItsLimitsAndReturnsToTheFirstPage) {
    ContactPaging p;
    ResetPaging(p, 44);
    ASSERT_TRUE(NextPage(p, 44));
    PageSizeDown(p, 44);
    EXPECT_EQ(p.page_size, 5);
    EXPECT_EQ(View(p).label, "1-5/9");

    PageSizeUp(p, 44);
    PageSizeUp(p, 44);
    EXPECT_EQ(PageSizeLabel(p), "7");
    EXPECT_EQ(View(p).label, "1-7/7");
    ASSERT_TRUE(NextPage(p, 44));
    PageSizeUp(p, 44);
    EXPECT_EQ(p.current_page, 0);
    EXPECT_EQ(View(p).label, "1-8/6");

    for (int i = 0; i < 200; ++i) PageSizeUp(p, 44);
    EXPECT_EQ(p.page_size, 100);
    EXPECT_EQ(View(p).label, "1-44/1");
    EXPECT_FALSE(NextEnabled(p));
    for (int i = 0; i < 200; ++i) PageSizeDown(p, 44);
    EXPECT_EQ(p.page_size, 5);
    EXPECT_EQ(PageSizeLabel(p), "5");
}

TEST(ContactPaging, AnEmptyListHasNoPageAndNoEnabledButton) {
    ContactPaging p;
    p.page_size = 9;
    ResetPaging(p, 23);
    ASSERT_TRUE(NextPage(p, 23));
    ResetPaging(p, 0);  // a new search found nothing
    EXPECT_EQ(p.page_count, 0);
    EXPECT_EQ(RangeLabel(p), "");
    EXPECT_EQ(PageSizeLabel(p), "9");
    EXPECT_FALSE(PreviousEnabled(p));
    EXPECT_FALSE(NextEnabled(p));
    EXPECT_FALSE(NextPage(p, 0));
    EXPECT_FALSE(PreviousPage(p, 0));
    EXPECT_EQ(p.first_index, 0);
    EXPECT_EQ(p.end_index, 0);
}

}  // namespace
