// The number panel as the send-fax window uses it: rows made from the
// recipient lists, the scroll bar and wheel on a real window, and the remove
// button's request reaching the window.
#include "framework/win/framework.h"
#include "resource.h"
#include "ui/send/fax_container.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

#include <vector>

using namespace kestrid_test;

namespace {

// Stands in for the send-fax window: hosts the panel and records removals.
class Host : public CWnd {
public:
    Host() {
        CreateEx(0, "STATIC", "", WS_POPUP | WS_VISIBLE, CRect(50, 50, 50 + 565, 50 + 400), nullptr, 0);
        m_panel.Create(IDD_FAX_PANEL, this);
        m_panel.SetWindowPos(&CWnd::wndTop, 95, 191 - 150, 433, 80, SWP_SHOWWINDOW);
    }
    ~Host() override {
        if (m_panel.m_hWnd) m_panel.DestroyWindow();
        if (m_hWnd) DestroyWindow();
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_REMOVE_RECIPIENT) {
            removed.push_back(static_cast<int>(wParam));
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
    // Where row i's top edge is, in the panel's client coordinates.
    int RowTop(int i) {
        CRect rect;
        m_panel.GetRow(i)->GetWindowRect(&rect);
        m_panel.ScreenToClient(&rect);
        return rect.top;
    }
    bool HasBar() { return (m_panel.GetStyle() & WS_VSCROLL) != 0; }

    CFaxContainer m_panel;
    std::vector<int> removed;
};

RecipientLists Recipients(int typed) {
    RecipientLists lists;
    for (int i = 0; i < typed; ++i) lists.AddTypedNumber("(555)-123-456" + std::to_string(i), "1");
    return lists;
}

}  // namespace

TEST(FaxPanel, RowsShowTheirEntryAndKind) {
    EnsureGdiplus();
    Host host;
    RecipientLists lists = Recipients(1);
    lists.AddContact("15559876543", "c-17", "Smith, John", "");
    lists.AddContact("15550000001,15550000002", "m-1,m-2", "Delta Freight", "2");
    host.m_panel.Rebuild(PlanFaxPanel(lists));
    PumpPending();
    ASSERT_EQ(host.m_panel.GetRowCount(), 3);
    struct Expect {
        const char* text;
        const char* tooltip;
        bool people;
    } expected[] = {
        {"(555)-123-4560", "1(555)-123-4560", false},
        {"Smith, John", "Smith, John", false},
        {"Delta Freight", "Delta Freight", true},
    };
    for (int i = 0; i < 3; ++i) {
        CDlgFaxContList* row = host.m_panel.GetRow(i);
        CString text;
        row->GetDlgItem(IDC_FAXROW_TEXT)->GetWindowText(text);
        EXPECT_EQ(text, expected[i].text);
        EXPECT_EQ(row->m_strTooltip, expected[i].tooltip);
        EXPECT_EQ(row->m_nIndex, i);
        EXPECT_EQ(row->GetDlgItem(IDC_FAXROW_PEOPLE)->IsWindowVisible() != FALSE, expected[i].people) << i;
        EXPECT_EQ(row->GetDlgItem(IDC_FAXROW_COUNT)->IsWindowVisible() != FALSE, expected[i].people) << i;
        EXPECT_FALSE(row->GetDlgItem(IDC_FAXROW_KIND)->IsWindowEnabled());
        EXPECT_TRUE(row->GetDlgItem(IDC_FAXROW_REMOVE)->IsWindowVisible());
        EXPECT_EQ(host.RowTop(i), 1 + 37 * i);
    }
    CString count;
    host.m_panel.GetRow(2)->GetDlgItem(IDC_FAXROW_COUNT)->GetWindowText(count);
    EXPECT_EQ(count, "2");
    // The organisation's row, with its people icon and count, scrolled into view.
    host.m_panel.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    PumpPending();
    SaveScreenshot(CaptureClient(host.m_panel.m_hWnd), "send_fax_panel_rows.png");
}

TEST(FaxPanel, ScrollBarAndWheelFollowTheRows) {
    Host host;
    host.m_panel.Rebuild(PlanFaxPanel(Recipients(1)));
    PumpPending();
    EXPECT_FALSE(host.HasBar()) << "one row fits";

    host.m_panel.Rebuild(PlanFaxPanel(Recipients(5)));  // 196 pixels of rows
    PumpPending();
    ASSERT_TRUE(host.HasBar());
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    ASSERT_TRUE(::GetScrollInfo(host.m_panel.m_hWnd, SB_VERT, &info));
    EXPECT_EQ(info.nMax, 195);
    EXPECT_EQ(static_cast<int>(info.nPage), 80);

    // A notch with the usual three lines is one step of 60 pixels.
    UINT lines = 3;
    ::SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    ASSERT_EQ(lines, 3u) << "the test expects the default wheel setting";
    host.m_panel.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    PumpPending();
    EXPECT_EQ(host.RowTop(0), 1 - 60);
    EXPECT_EQ(::GetScrollPos(host.m_panel.m_hWnd, SB_VERT), 60);

    host.m_panel.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
    host.m_panel.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
    PumpPending();
    EXPECT_EQ(host.RowTop(0), 1 - 116) << "stops at the end of the rows";

    // A rebuild starts again at the top.
    host.m_panel.Rebuild(PlanFaxPanel(Recipients(3)));
    PumpPending();
    EXPECT_EQ(host.RowTop(0), 1);
    EXPECT_EQ(::GetScrollPos(host.m_panel.m_hWnd, SB_VERT), 0);
}

TEST(FaxPanel, RemoveButtonAsksTheWindowWithTheRowsIndex) {
    Host host;
    host.m_panel.Rebuild(PlanFaxPanel(Recipients(3)));
    PumpPending();
    host.m_panel.GetRow(1)->GetDlgItem(IDC_FAXROW_REMOVE)->SendMessage(BM_CLICK);
    // Posted, so the row is not destroyed inside its own click.
    EXPECT_TRUE(host.removed.empty());
    ASSERT_TRUE(PumpUntil([&] { return !host.removed.empty(); }));
    EXPECT_EQ(host.removed, std::vector<int>{1});
}
