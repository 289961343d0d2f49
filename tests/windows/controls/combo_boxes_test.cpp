// The send window's two owner-drawn lists on page 2 of that window: the
// cover-page list (grey selected text on white, flat frame, drop-down
// notifications kept to itself) and the hidden country list's measure rule.
// Leaves a screenshot of the open cover-page list for the kit gallery.
#include "controls/bitmap_dialog.h"
#include "controls/bitmap_picker_combo.h"
#include "controls/gdiplus_bitmap.h"
#include "controls/my_combo_box.h"
#include "resource.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace kestrid_test;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
const char* const kCoverPages[] = {"Standard", "Confidential", "Urgent Notice", "Company Letterhead", "Personal Note"};

// Counts the reflected notifications it sees, then lets the list handle them.
class CountingCoverList : public CMyComboBox {
public:
    int m_dropdowns = 0;
    int m_closeups = 0;

protected:
    BOOL CountDropdown() {
        ++m_dropdowns;
        return FALSE;
    }
    BOOL CountCloseup() {
        ++m_closeups;
        return FALSE;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CountingCoverList, CMyComboBox)
    ON_CONTROL_REFLECT_EX(CBN_DROPDOWN, &CountingCoverList::CountDropdown)
    ON_CONTROL_REFLECT_EX(CBN_CLOSEUP, &CountingCoverList::CountCloseup)
END_MESSAGE_MAP()

class TestPickerCombo : public CBitmapPickerCombo {
public:
    using CBitmapPickerCombo::m_nItemHeight;
    using CBitmapPickerCombo::m_nItemWidth;
};

// Page 2 of the send window with only the cover-page list and its label.
class CoverPageView : public CBitmapDialog {
public:
    CoverPageView() : CBitmapDialog(IDD_SEND_FAX) {}
    CountingCoverList m_cover;
    TestPickerCombo m_countries;
    int m_parentDropdowns = 0;
    int m_parentCloseups = 0;
    int m_parentSelChanges = 0;

    BOOL OnInitDialog() override {
        CBitmapDialog::OnInitDialog();
        SetWindowPos(&CWnd::wndNoTopMost, 30, 30, 565, 620, 0);
        SetBackgroundBitmap(IDB_SEND_PAGE2_BACKGROUND);
        CWnd* label = GetDlgItem(IDC_SEND_COVER_LABEL);
        label->MoveWindow(93, 470, 200, 14);
        label->ShowWindow(SW_SHOW);
        m_cover.MoveWindow(102, 500, 400, 20);
        m_cover.ShowWindow(SW_SHOW);
        return TRUE;
    }
    void Fill() {
        for (const char* name : kCoverPages) m_cover.AddString(name);
        m_cover.SelectString(-1, "Confidential");
    }

protected:
    void DoDataExchange(CDataExchange* exchange) override {
        CBitmapDialog::DoDataExchange(exchange);
        DDX_Control(exchange, IDC_SEND_COVER_LIST, m_cover);
        DDX_Control(exchange, IDC_SEND_COUNTRY_LIST, m_countries);
    }
    void OnCoverDropdown() { ++m_parentDropdowns; }
    void OnCoverCloseup() { ++m_parentCloseups; }
    void OnCoverSelChange() { ++m_parentSelChanges; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CoverPageView, CBitmapDialog)
    ON_CBN_DROPDOWN(IDC_SEND_COVER_LIST, &CoverPageView::OnCoverDropdown)
    ON_CBN_CLOSEUP(IDC_SEND_COVER_LIST, &CoverPageView::OnCoverCloseup)
    ON_CBN_SELCHANGE(IDC_SEND_COVER_LIST, &CoverPageView::OnCoverSelChange)
END_MESSAGE_MAP()

int Ink(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c); }

// The darkest pixel of a band of rows: the core of the text's strokes.
COLORREF Darkest(const Capture& shot, int top, int bottom, int left, int right) {
    COLORREF darkest = kWhite;
    for (int y = top; y < bottom && y < shot.height; ++y)
        for (int x = left; x < right && x < shot.width; ++x)
            if (Ink(shot.At(x, y)) < Ink(darkest)) darkest = shot.At(x, y);
    return darkest;
}

HWND ListOf(CComboBox& combo) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    return ::GetComboBoxInfo(combo.m_hWnd, &info) ? info.hwndList : nullptr;
}

class CoverListTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureGdiplus();
        ::SetCursorPos(2, 2);  // away from the list, so hovering picks nothing
        ASSERT_TRUE(m_view.Create(IDD_SEND_FAX));
        m_view.ShowWindow(SW_SHOW);
        m_view.UpdateWindow();
        PumpPending();
    }
    void TearDown() override {
        if (m_view.m_hWnd) m_view.DestroyWindow();
    }
    bool Drop() {
        m_view.m_cover.ShowDropDown(TRUE);
        HWND list = ListOf(m_view.m_cover);
        const bool shown = PumpUntil([&] { return list && ::IsWindowVisible(list); });
        PumpPending();
        return shown;
    }

    CoverPageView m_view;
};

TEST_F(CoverListTest, SelectedEntryIsGreyOnWhiteWithoutHighlightBar) {
    m_view.Fill();
    ASSERT_EQ(m_view.m_cover.GetCurSel(), 1);
    ASSERT_TRUE(Drop());
    HWND list = ListOf(m_view.m_cover);
    const Capture shot = CaptureClient(list);
    const int itemHeight = m_view.m_cover.GetItemHeight(0);
    ASSERT_GT(itemHeight, 8);
    const COLORREF grey = ::GetSysColor(COLOR_BTNSHADOW);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(kCoverPages[i]);
        const int top = i * itemHeight;
        const COLORREF ink = Darkest(shot, top, top + itemHeight, 0, shot.width);
        if (i == 1) EXPECT_TRUE(Near(ink, grey, 24)) << Describe(ink) << " instead of " << Describe(grey);
        else EXPECT_LT(Ink(ink), 3 * 40) << Describe(ink);
        // Left of the text and right of it: the same white for every entry.
        EXPECT_EQ(shot.At(shot.width - 3, top + itemHeight / 2), kWhite);
        EXPECT_EQ(shot.At(shot.width / 2 + 60, top + 1), kWhite);
    }
    m_view.m_cover.ShowDropDown(FALSE);
    PumpPending();

    // The closed field shows the selection in the same grey.
    m_view.m_cover.SetFocus();
    PumpPending();
    ASSERT_TRUE(PumpUntil([&] {
        const Capture field = CaptureClient(m_view.m_cover.m_hWnd);
        return Near(Darkest(field, 3, field.height - 3, 3, field.width / 2), grey, 24);
    })) << Describe(Darkest(CaptureClient(m_view.m_cover.m_hWnd), 3, 17, 3, 200));
}

TEST_F(CoverListTest, EmptyListIsAWhiteFieldInAFlatWhiteFrame) {
    const Capture shot = CaptureClient(m_view.m_cover.m_hWnd);
    ASSERT_EQ(shot.width, 400);
    const int buttonLeft = shot.width - 2 - ::GetSystemMetrics(SM_CXHTHUMB);
    int notWhite = 0;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < buttonLeft; ++x)
            if (shot.At(x, y) != kWhite) ++notWhite;
    EXPECT_EQ(notWhite, 0) << "frame or field not white, e.g. " << Describe(shot.At(0, 0)) << " "
                           << Describe(shot.At(1, 1)) << " " << Describe(shot.At(10, shot.height - 1));
    // The drop-down arrow is still there.
    EXPECT_LT(Ink(Darkest(shot, 2, shot.height - 2, buttonLeft, shot.width - 2)), 3 * 100);
}

TEST_F(CoverListTest, DropDownAndCloseUpStayWithTheList) {
    m_view.Fill();
    ASSERT_TRUE(Drop());
    m_view.m_cover.ShowDropDown(FALSE);
    PumpPending();
    EXPECT_EQ(m_view.m_cover.m_dropdowns, 1);
    EXPECT_EQ(m_view.m_cover.m_closeups, 1);
    EXPECT_EQ(m_view.m_parentDropdowns, 0);
    EXPECT_EQ(m_view.m_parentCloseups, 0);

    // Other notifications still reach the window.
    m_view.m_cover.SetFocus();
    m_view.m_cover.SendMessage(WM_KEYDOWN, VK_DOWN, 0);
    PumpPending();
    EXPECT_EQ(m_view.m_cover.GetCurSel(), 2);
    EXPECT_EQ(m_view.m_parentSelChanges, 1);
}

TEST_F(CoverListTest, AnswersItsFieldColourRequestWithWhite) {
    HDC dc = ::GetDC(m_view.m_cover.m_hWnd);
    const auto brush = reinterpret_cast<HBRUSH>(m_view.SendMessage(WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                                                   reinterpret_cast<LPARAM>(m_view.m_cover.m_hWnd)));
    ::ReleaseDC(m_view.m_cover.m_hWnd, dc);
    ASSERT_NE(brush, nullptr);
    LOGBRUSH description{};
    ASSERT_EQ(::GetObjectA(brush, sizeof(description), &description), static_cast<int>(sizeof(description)));
    EXPECT_EQ(description.lbStyle, static_cast<UINT>(BS_SOLID));
    EXPECT_EQ(description.lbColor, kWhite);
    EXPECT_NE(brush, ::GetSysColorBrush(COLOR_WINDOW)) << "the system's answer, not the list's";
    // Without a DC the request is not the list's to answer.
    const auto other = reinterpret_cast<HBRUSH>(
        m_view.SendMessage(WM_CTLCOLOREDIT, 0, reinterpret_cast<LPARAM>(m_view.m_cover.m_hWnd)));
    EXPECT_NE(other, brush);
}

TEST_F(CoverListTest, CountryListMeasuresEntriesToItsLargestBitmap) {
    TestPickerCombo& countries = m_view.m_countries;
    EXPECT_FALSE(countries.IsWindowVisible());
    EXPECT_EQ(countries.m_nItemWidth, 0);
    EXPECT_EQ(countries.m_nItemHeight, 0);
    ASSERT_EQ(countries.AddString("Canada"), 0);
    EXPECT_EQ(countries.GetItemHeight(0), 2);
    countries.m_nItemHeight = 16;
    ASSERT_EQ(countries.AddString("United States"), 1);
    EXPECT_EQ(countries.GetItemHeight(1), 18);
}

// A plain desktop behind the window, for the part of the list that hangs
// below the page.
class Backdrop {
public:
    Backdrop() {
        WNDCLASSA type{};
        type.lpfnWndProc = ::DefWindowProcA;
        type.hInstance = ::GetModuleHandleA(nullptr);
        type.hbrBackground = m_brush;
        type.lpszClassName = "KestridTestBackdrop";
        ::RegisterClassA(&type);
        m_window =
            ::CreateWindowExA(WS_EX_NOACTIVATE, type.lpszClassName, "", WS_POPUP, 0, 0, ::GetSystemMetrics(SM_CXSCREEN),
                              ::GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, type.hInstance, nullptr);
        ::SetWindowPos(m_window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
    ~Backdrop() {
        ::DestroyWindow(m_window);
        ::UnregisterClassA("KestridTestBackdrop", ::GetModuleHandleA(nullptr));
        ::DeleteObject(m_brush);
    }
    Backdrop(const Backdrop&) = delete;
    Backdrop& operator=(const Backdrop&) = delete;

private:
    HBRUSH m_brush = ::CreateSolidBrush(RGB(58, 110, 165));
    HWND m_window = nullptr;
};

TEST(CoverListGallery, ShowsTheOpenCoverPageList) {
    EnsureGdiplus();
    ::SetCursorPos(2, 2);
    Backdrop desktop;  // first, so the window comes on top of it
    CoverPageView view;
    ASSERT_TRUE(view.Create(IDD_SEND_FAX));
    view.ShowWindow(SW_SHOW);
    view.UpdateWindow();
    PumpPending();
    view.Fill();
    view.m_cover.ShowDropDown(TRUE);
    ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(ListOf(view.m_cover)); }));
    PumpPending();
    HWND list = ListOf(view.m_cover);
    RECT listRect;
    ::GetWindowRect(list, &listRect);
    RECT page;
    view.GetClientRect(&page);
    view.ClientToScreen(&page);
    // The lower part of page 2 as the screen shows it: label, field and the
    // open list, which is a window of its own and may reach below the page.
    RECT area = {page.left, page.top + 440, page.right, std::max(page.bottom, listRect.bottom + 12)};
    const Capture shot = CaptureScreen(area);
    ASSERT_EQ(shot.width, 565);

    // The list's own pixels are what the screen shows at its place.
    const Capture dropped = CaptureWindow(list);
    int same = 0, compared = 0;
    for (int y = 0; y < dropped.height; y += 3)
        for (int x = 0; x < dropped.width; x += 3) {
            ++compared;
            if (shot.At(listRect.left - area.left + x, listRect.top - area.top + y) == dropped.At(x, y)) ++same;
        }
    EXPECT_EQ(same, compared) << "the screen does not show the open list";

    ASSERT_FALSE(SaveScreenshot(shot, "kit_cover_page_list.png").empty());
    view.m_cover.ShowDropDown(FALSE);
    view.DestroyWindow();
}

}  // namespace
