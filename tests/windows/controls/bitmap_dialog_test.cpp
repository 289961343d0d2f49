// The skinned dialog base under Wine: background stretched over the client
// area, transparent statics, dragging by the surface.
#include "controls/bitmap_dialog.h"
#include "test_resources.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

using namespace kestrid_test;

namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 150;

class SkinDialog : public CBitmapDialog {
public:
    SkinDialog() : CBitmapDialog(IDD_SKIN) {}

    using CBitmapDialog::m_bHasBitmap;
    using CBitmapDialog::m_bTransparentStatics;
    using CBitmapDialog::m_pBackground;

    CStatic m_label;
    CEdit m_edit;
    std::vector<std::pair<WPARAM, LPARAM>> m_ncDowns;
    int m_sentNcDowns = 0;
    int m_buttonClicks = 0;
    bool m_marker = false;
    bool m_letSystemDrag = false;

    // Shown at a fixed place and size, on top, and painted.
    void Open() {
        ASSERT_TRUE(Create(IDD_SKIN, nullptr));
        SetWindowPos(&CWnd::wndTopMost, 100, 100, kWidth, kHeight, SWP_SHOWWINDOW);
        UpdateWindow();
        PumpPending();
    }
    void HideControls() {
        for (int id : {IDC_LABEL, IDC_EDIT, IDC_IMAGE_BUTTON, IDC_PLAIN_BUTTON}) GetDlgItem(id)->ShowWindow(SW_HIDE);
        Repaint();
    }
    void Repaint() {
        Invalidate();
        UpdateWindow();
        PumpPending();
    }
    // Waits until everything posted before now has been handled.
    void Settle() {
        m_marker = false;
        PostMessage(WM_APP);
        ASSERT_TRUE(PumpUntil([this] { return m_marker; }));
    }

protected:
    void DoDataExchange(CDataExchange* exchange) override {
        CBitmapDialog::DoDataExchange(exchange);
        DDX_Control(exchange, IDC_LABEL, m_label);
        DDX_Control(exchange, IDC_EDIT, m_edit);
    }
    // Recorded instead of starting the system's move loop, unless asked to.
    LRESULT OnNcLButtonDownMessage(WPARAM wParam, LPARAM lParam) {
        if (m_letSystemDrag) return Default();
        m_ncDowns.emplace_back(wParam, lParam);
        if (::InSendMessage()) ++m_sentNcDowns;
        return 0;
    }
    void OnPlainButton() { ++m_buttonClicks; }
    LRESULT OnMarker(WPARAM, LPARAM) {
        m_marker = true;
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(SkinDialog, CBitmapDialog)
    ON_MESSAGE(WM_NCLBUTTONDOWN, &SkinDialog::OnNcLButtonDownMessage)
    ON_MESSAGE(WM_APP, &SkinDialog::OnMarker)
    ON_BN_CLICKED(IDC_PLAIN_BUTTON, &SkinDialog::OnPlainButton)
END_MESSAGE_MAP()

void ExpectQuadrants(const Capture& shot) {
    ASSERT_EQ(shot.width, kWidth);
    ASSERT_EQ(shot.height, kHeight);
    struct Probe {
        int x, y;
        COLORREF colour;
    };
    // Corners and both sides of the middle lines: the bitmap's quadrants
    // meet at the centre of the client area, with nothing tiled or centred.
    const Probe probes[] = {{1, 1, kRed},   {198, 1, kGreen},   {1, 148, kBlue}, {198, 148, kYellow},
                            {96, 71, kRed}, {103, 71, kGreen},  {96, 78, kBlue}, {103, 78, kYellow},
                            {50, 37, kRed}, {150, 112, kYellow}};
    for (const Probe& probe : probes) {
        COLORREF seen = shot.At(probe.x, probe.y);
        EXPECT_TRUE(Near(seen, probe.colour)) << "at " << probe.x << "," << probe.y << ": " << Describe(seen);
    }
}

}  // namespace

TEST(BitmapDialog, StretchesSmallerAndLargerBitmapsOverTheClientArea) {
    for (UINT bitmap : {IDB_QUAD_SMALL, IDB_QUAD_LARGE}) {
        SCOPED_TRACE(bitmap);
        SkinDialog dialog;
        dialog.Open();
        EXPECT_TRUE(dialog.SetBackgroundBitmap(bitmap));
        dialog.HideControls();
        ExpectQuadrants(CaptureClient(dialog.m_hWnd));
        dialog.DestroyWindow();
    }
}

TEST(BitmapDialog, NewBitmapShowsOnlyAfterInvalidation) {
    SkinDialog dialog;
    dialog.Open();
    ASSERT_TRUE(dialog.SetBackgroundBitmap(IDB_QUAD_SMALL));
    dialog.HideControls();
    ASSERT_TRUE(Near(CaptureClient(dialog.m_hWnd).At(1, 1), kRed));

    ASSERT_TRUE(dialog.SetBackgroundBitmap(IDB_MAGENTA));
    PumpPending();
    EXPECT_TRUE(Near(CaptureClient(dialog.m_hWnd).At(1, 1), kRed)) << "repainted without invalidation";
    dialog.Repaint();
    Capture shot = CaptureClient(dialog.m_hWnd);
    EXPECT_TRUE(Near(shot.At(1, 1), kMagenta)) << Describe(shot.At(1, 1));
    EXPECT_TRUE(Near(shot.At(198, 148), kMagenta)) << Describe(shot.At(198, 148));
}

TEST(BitmapDialog, MissingBitmapFailsAndLeavesTheDefaultBackground) {
    const COLORREF face = ::GetSysColor(COLOR_3DFACE);
    SkinDialog dialog;
    dialog.Open();
    ASSERT_TRUE(dialog.SetBackgroundBitmap(IDB_QUAD_SMALL));

    EXPECT_FALSE(dialog.SetBackgroundBitmap(IDB_NOT_THERE));
    EXPECT_FALSE(dialog.m_bHasBitmap);
    EXPECT_EQ(dialog.m_pBackground, nullptr);
    dialog.HideControls();
    Capture shot = CaptureClient(dialog.m_hWnd);
    for (POINT p : {POINT{1, 1}, POINT{198, 148}, POINT{100, 75}})
        EXPECT_TRUE(Near(shot.At(p.x, p.y), face)) << p.x << "," << p.y << ": " << Describe(shot.At(p.x, p.y));
}

TEST(BitmapDialog, WindowWithoutBitmapPaintsTheDefaultBackground) {
    SkinDialog dialog;
    dialog.Open();
    dialog.HideControls();
    EXPECT_TRUE(Near(CaptureClient(dialog.m_hWnd).At(150, 120), ::GetSysColor(COLOR_3DFACE)));
}

// A window without a bitmap but with the extended dialog's background colour
// (as the contact panel is) paints that colour; its statics stay transparent.
TEST(BitmapDialog, BackgroundColourWithoutBitmap) {
    SkinDialog dialog;
    dialog.Open();
    dialog.SetBackgroundColor(RGB(255, 255, 255));
    dialog.HideControls();
    Capture shot = CaptureClient(dialog.m_hWnd);
    EXPECT_TRUE(Near(shot.At(1, 1), RGB(255, 255, 255))) << Describe(shot.At(1, 1));
    EXPECT_TRUE(Near(shot.At(198, 148), RGB(255, 255, 255))) << Describe(shot.At(198, 148));
    HDC dc = ::CreateCompatibleDC(nullptr);
    auto brush = reinterpret_cast<HBRUSH>(dialog.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                             reinterpret_cast<LPARAM>(dialog.m_label.m_hWnd)));
    EXPECT_EQ(brush, static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH)));
    EXPECT_EQ(::GetBkMode(dc), TRANSPARENT);
    ::DeleteDC(dc);
}

// Fonts made with the helper have a character height of N pixels (give or
// take the rasteriser's rounding), not a cell height of N.
TEST(BitmapDialog, FontHeightHelperGivesCharacterHeightInPixels) {
    HDC screen = ::GetDC(nullptr);
    for (int pixels : {12, 13, 14, 20}) {
        LOGFONTA description{};
        description.lfHeight = CBitmapDialog::FontHeight(pixels);
        description.lfWeight = 500;
        lstrcpyA(description.lfFaceName, "Tahoma");
        CFont font;
        ASSERT_TRUE(font.CreateFontIndirect(&description));
        HGDIOBJ old = ::SelectObject(screen, font.m_hObject);
        TEXTMETRICA metrics{};
        ::GetTextMetricsA(screen, &metrics);
        ::SelectObject(screen, old);
        EXPECT_NEAR(metrics.tmHeight - metrics.tmInternalLeading, pixels, 1);
        EXPECT_GT(metrics.tmHeight, pixels);
    }
    ::ReleaseDC(nullptr, screen);
}

// The colour request of each kind of control, sent as the control would.
TEST(BitmapDialog, StaticsAndTheDialogAreTransparentEditsKeepTheirColours) {
    const HBRUSH hollow = static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
    for (bool withBitmap : {true, false}) {
        SCOPED_TRACE(withBitmap ? "with bitmap" : "without bitmap");
        SkinDialog dialog;
        dialog.Open();
        if (withBitmap) {
            ASSERT_TRUE(dialog.SetBackgroundBitmap(IDB_QUAD_SMALL));
        }
        HWND button = dialog.GetDlgItem(IDC_PLAIN_BUTTON)->m_hWnd;
        struct Case {
            UINT message;
            HWND control;
            bool transparent;
        };
        const Case cases[] = {{WM_CTLCOLORSTATIC, dialog.m_label.m_hWnd, true},
                              {WM_CTLCOLORDLG, dialog.m_hWnd, true},
                              {WM_CTLCOLOREDIT, dialog.m_edit.m_hWnd, false},
                              {WM_CTLCOLORBTN, button, false}};
        for (const Case& c : cases) {
            SCOPED_TRACE(c.message);
            HDC dc = ::CreateCompatibleDC(nullptr);
            ::SetBkMode(dc, OPAQUE);
            auto brush = reinterpret_cast<HBRUSH>(
                dialog.SendMessage(c.message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(c.control)));
            if (c.transparent) {
                EXPECT_EQ(brush, hollow);
                EXPECT_EQ(::GetBkMode(dc), TRANSPARENT);
            } else {
                // What the system gives a plain dialog for this control.
                auto system = reinterpret_cast<HBRUSH>(::DefWindowProcA(
                    dialog.m_hWnd, c.message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(c.control)));
                EXPECT_NE(brush, hollow);
                EXPECT_EQ(brush, system);
                EXPECT_EQ(::GetBkMode(dc), OPAQUE);
            }
            ::DeleteDC(dc);
        }
    }
}

// On screen: the label's box shows the bitmap, not a grey rectangle.
TEST(BitmapDialog, LabelIsDrawnStraightOntoTheBitmap) {
    for (bool transparent : {true, false}) {
        SkinDialog dialog;
        dialog.Open();
        dialog.m_bTransparentStatics = transparent;
        ASSERT_TRUE(dialog.SetBackgroundBitmap(IDB_QUAD_SMALL));
        dialog.m_label.SetWindowText("");
        dialog.m_label.MoveWindow(10, 10, 60, 20);
        dialog.Repaint();
        COLORREF inside = CaptureClient(dialog.m_hWnd).At(40, 20);
        if (transparent) {
            EXPECT_TRUE(Near(inside, kRed)) << Describe(inside);
        } else {
            EXPECT_FALSE(Near(inside, kRed)) << "an opaque label would hide the bitmap";
        }
    }
}

TEST(BitmapDialog, DraggingPostsACaptionPressWithTheClientPoint) {
    SkinDialog dialog;
    dialog.Open();
    dialog.SetDragAnywhere(TRUE);
    dialog.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 140));
    EXPECT_TRUE(dialog.m_ncDowns.empty()) << "must be posted, not sent";
    ASSERT_TRUE(PumpUntil([&] { return !dialog.m_ncDowns.empty(); }));
    dialog.Settle();
    ASSERT_EQ(dialog.m_ncDowns.size(), 1u);
    EXPECT_EQ(dialog.m_ncDowns[0].first, static_cast<WPARAM>(HTCAPTION));
    EXPECT_EQ(dialog.m_ncDowns[0].second, static_cast<LPARAM>((140 << 16) | 30));
    EXPECT_EQ(dialog.m_sentNcDowns, 0);
}

TEST(BitmapDialog, NoDraggingWhenSwitchedOff) {
    SkinDialog dialog;
    dialog.Open();
    dialog.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 140));
    dialog.SetDragAnywhere(TRUE);
    dialog.SetDragAnywhere(FALSE);
    dialog.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 140));
    dialog.Settle();
    EXPECT_TRUE(dialog.m_ncDowns.empty());
}

// Real mouse clicks: the surface and a label without the notify style start
// a drag, an edit or a button takes the click itself.
TEST(BitmapDialog, RealClicksDragFromSurfaceAndLabelsOnly) {
    SkinDialog dialog;
    dialog.Open();
    dialog.SetDragAnywhere(TRUE);
    ASSERT_TRUE(dialog.SetBackgroundBitmap(IDB_QUAD_SMALL));
    dialog.m_label.MoveWindow(10, 10, 60, 20);
    dialog.m_edit.MoveWindow(10, 40, 80, 20);
    dialog.GetDlgItem(IDC_PLAIN_BUTTON)->MoveWindow(10, 70, 60, 24);
    dialog.GetDlgItem(IDC_IMAGE_BUTTON)->ShowWindow(SW_HIDE);
    dialog.Repaint();
    ::SetForegroundWindow(dialog.m_hWnd);

    struct Case {
        const char* what;
        int x, y;
        bool drags;
        std::function<bool()> taken;  // the control's own sign that it got the click
    };
    const Case cases[] = {{"surface", 150, 120, true, nullptr},
                          {"label", 30, 20, true, nullptr},
                          {"edit", 30, 50, false, [&] { return ::GetFocus() == dialog.m_edit.m_hWnd; }},
                          {"button", 30, 80, false, [&] { return dialog.m_buttonClicks == 1; }}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dialog.m_ncDowns.clear();
        POINT screen{c.x, c.y};
        dialog.ClientToScreen(&screen);
        ::SetCursorPos(screen.x, screen.y);
        PumpPending();
        INPUT input[2] = {};
        input[0].type = input[1].type = INPUT_MOUSE;
        input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        ASSERT_EQ(::SendInput(2, input, sizeof(INPUT)), 2u);
        if (c.drags) {
            ASSERT_TRUE(PumpUntil([&] { return !dialog.m_ncDowns.empty(); }));
            EXPECT_EQ(dialog.m_ncDowns[0].first, static_cast<WPARAM>(HTCAPTION));
            EXPECT_EQ(dialog.m_ncDowns[0].second, static_cast<LPARAM>((c.y << 16) | c.x));
        } else {
            ASSERT_TRUE(PumpUntil(c.taken));
            dialog.Settle();
            EXPECT_TRUE(dialog.m_ncDowns.empty());
        }
    }
}

namespace {

void SendMouse(DWORD flags, int x = 0, int y = 0) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = x * 65535 / (::GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = y * 65535 / (::GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = flags;
    ::SendInput(1, &input, sizeof input);
}

// The rest of the drag, fed from a timer because the system's move loop
// holds the thread until the button is released.
int g_dragStep = 0;
void CALLBACK ContinueDrag(HWND, UINT, UINT_PTR timer, DWORD) {
    ++g_dragStep;
    if (g_dragStep <= 3) {
        SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 150 + 10 * g_dragStep, 150 + 5 * g_dragStep);
    } else {
        SendMouse(MOUSEEVENTF_LEFTUP);
        ::KillTimer(nullptr, timer);
    }
}

}  // namespace

// The whole drag through the system's move loop: the window follows the
// mouse by exactly the distance the mouse travelled.
TEST(BitmapDialog, DragMovesTheWindowWithTheMouse) {
    SkinDialog dialog;
    dialog.Open();
    dialog.HideControls();
    dialog.SetDragAnywhere(TRUE);
    dialog.m_letSystemDrag = true;
    ::SetForegroundWindow(dialog.m_hWnd);
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 150, 150);
    PumpPending();
    g_dragStep = 0;
    ::SetTimer(nullptr, 0, 30, ContinueDrag);
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(PumpUntil([] { return g_dragStep > 3; }));
    PumpPending();
    CRect place;
    dialog.GetWindowRect(&place);
    EXPECT_EQ(place.left, 130);
    EXPECT_EQ(place.top, 115);
}

namespace {

// A 32 x 32 icon, red on the left half and blue on the right, fully opaque.
HICON TwoColourIcon() {
    const int size = 32;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP colour = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* pixels = static_cast<DWORD*>(bits);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) pixels[y * size + x] = x < size / 2 ? 0xFF0000 : 0x0000FF;
    std::vector<BYTE> clear(size * size / 8, 0);  // mask 0: the colour shows
    HBITMAP mask = ::CreateBitmap(size, size, 1, 1, clear.data());
    ICONINFO icon{TRUE, 0, 0, mask, colour};
    HICON handle = ::CreateIconIndirect(&icon);
    ::DeleteObject(colour);
    ::DeleteObject(mask);
    return handle;
}

// Paints as the program's windows paint while minimised: the icon, on the
// background the icon erase gives it (a colour of its own here).
class IconicDialog : public SkinDialog {
public:
    HICON m_icon = TwoColourIcon();
    int m_iconErases = 0;
    ~IconicDialog() override { ::DestroyIcon(m_icon); }

protected:
    void OnPaint() { PaintIconic(m_icon); }
    LRESULT OnIconEraseBackground(WPARAM wParam, LPARAM) {
        ++m_iconErases;
        CRect client;
        GetClientRect(&client);
        HBRUSH brush = ::CreateSolidBrush(kMagenta);
        ::FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
        ::DeleteObject(brush);
        return 1;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(IconicDialog, SkinDialog)
    ON_WM_PAINT()
    ON_MESSAGE(WM_ICONERASEBKGND, &IconicDialog::OnIconEraseBackground)
END_MESSAGE_MAP()

}  // namespace

// Under Wine a minimised window has no client area and gets no paint, so the
// icon painting is looked at in the open window, pixel by pixel.
TEST(BitmapDialog, IconPaintingCentresTheIconOnTheIconBackground) {
    IconicDialog dialog;
    dialog.Open();
    dialog.HideControls();
    const Capture shot = CaptureClient(dialog.m_hWnd);
    EXPECT_GT(dialog.m_iconErases, 0);
    ASSERT_EQ(shot.width, kWidth);
    ASSERT_EQ(shot.height, kHeight);
    const int left = (kWidth - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int top = (kHeight - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    // Every pixel: the icon's halves where it is centred, the background
    // the window erased for it everywhere else.
    int wrong = 0, red = 0, blue = 0;
    std::string first;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x) {
            const int ix = x - left, iy = y - top;
            const bool inIcon = ix >= 0 && iy >= 0 && ix < 32 && iy < 32;
            const COLORREF expected = !inIcon ? kMagenta : ix < 16 ? kRed : kBlue;
            if (Near(shot.At(x, y), expected, 2)) {
                red += expected == kRed;
                blue += expected == kBlue;
            } else if (wrong++ == 0) {
                first = std::to_string(x) + "," + std::to_string(y) + ": " + Describe(shot.At(x, y));
            }
        }
    EXPECT_EQ(wrong, 0) << "first at " << first;
    EXPECT_EQ(red, 32 * 16);
    EXPECT_EQ(blue, 32 * 16);
    dialog.DestroyWindow();
}
