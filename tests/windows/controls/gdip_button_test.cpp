// The image button in a real skinned window: composed pictures, hover,
// pressed, double clicks.
#include "controls/gdip_button.h"
#include "controls/bitmap_dialog.h"
#include "controls/resource_image_cache.h"
#include "test_resources.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

#include <memory>

using namespace kestrid_test;

namespace {

class TestButton : public CGdipButton {
public:
    using CGdipButton::m_bIsHovering;
    using CGdipButton::m_bRendered;
    using CGdipButton::m_pAltImage;
    using CGdipButton::m_pDisabledImage;
    using CGdipButton::m_pHoverImage;
    using CGdipButton::m_pStdImage;
};

// The button sits on the yellow quarter of the background.
class ButtonDialog : public CBitmapDialog {
public:
    ButtonDialog() : CBitmapDialog(IDD_SKIN) {}
    TestButton m_button;
    TestButton m_second;
    int m_clicks = 0;
    int m_doubleClicks = 0;
    int m_secondClicks = 0;
    int m_secondDoubleClicks = 0;

    void Open(bool loadImages = true) {
        EnsureGdiplus();
        ASSERT_TRUE(Create(IDD_SKIN, nullptr));
        ASSERT_TRUE(SetBackgroundBitmap(IDB_QUAD_SMALL));
        SetWindowPos(&CWnd::wndTopMost, 300, 200, 200, 150, SWP_NOACTIVATE);
        Place(loadImages);
        ShowWindow(SW_SHOW);
        UpdateWindow();
        PumpPending();
    }
    void Place(bool loadImages) {
        GetDlgItem(IDC_LABEL)->ShowWindow(SW_HIDE);
        GetDlgItem(IDC_EDIT)->ShowWindow(SW_HIDE);
        m_button.MoveWindow(120, 90, 40, 20);
        m_second.MoveWindow(120, 120, 40, 20);
        if (loadImages) {
            m_button.LoadAlternateImage(IDP_BLUE, "PNG");
            m_button.LoadStandardImage(IDP_RED, "PNG");
            m_button.LoadHoverImage(IDP_GREEN, "PNG");
            m_button.LoadDisabledImage(IDP_BLUE, "PNG");
        }
    }

protected:
    void DoDataExchange(CDataExchange* exchange) override {
        CBitmapDialog::DoDataExchange(exchange);
        DDX_Control(exchange, IDC_IMAGE_BUTTON, m_button);
        DDX_Control(exchange, IDC_PLAIN_BUTTON, m_second);
    }
    void OnClicked() { ++m_clicks; }
    void OnDoubleClicked() { ++m_doubleClicks; }
    void OnSecondClicked() { ++m_secondClicks; }
    void OnSecondDoubleClicked() { ++m_secondDoubleClicks; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ButtonDialog, CBitmapDialog)
    ON_BN_CLICKED(IDC_IMAGE_BUTTON, &ButtonDialog::OnClicked)
    ON_BN_DOUBLECLICKED(IDC_IMAGE_BUTTON, &ButtonDialog::OnDoubleClicked)
    ON_BN_CLICKED(IDC_PLAIN_BUTTON, &ButtonDialog::OnSecondClicked)
    ON_BN_DOUBLECLICKED(IDC_PLAIN_BUTTON, &ButtonDialog::OnSecondDoubleClicked)
END_MESSAGE_MAP()

COLORREF FacePixel(CWnd& button, int x = 10, int y = 10) { return CaptureClient(button.m_hWnd).At(x, y); }

bool ShowsColour(CWnd& button, COLORREF colour) {
    return PumpUntil([&] { return Near(FacePixel(button), colour); });
}

void MoveMouseTo(int x, int y) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = x * 65535 / (::GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = y * 65535 / (::GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    ::SendInput(1, &input, sizeof input);
}

}  // namespace

TEST(GdipButton, SubclassingMakesTheButtonOwnerDrawn) {
    ButtonDialog dialog;
    dialog.Open();
    EXPECT_EQ(dialog.m_button.GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW));
}

TEST(GdipButton, NormalPictureIsTheImageOverTheCapturedBackgroundOffsetByOnePixel) {
    ButtonDialog dialog;
    dialog.Open();
    ASSERT_TRUE(ShowsColour(dialog.m_button, kRed));
    EXPECT_TRUE(dialog.m_button.m_bRendered);
    Capture face = CaptureClient(dialog.m_button.m_hWnd);
    // Row 0 and column 0 keep the window's background; the image starts at 1, 1.
    EXPECT_TRUE(Near(face.At(0, 0), kYellow)) << Describe(face.At(0, 0));
    EXPECT_TRUE(Near(face.At(20, 0), kYellow)) << Describe(face.At(20, 0));
    EXPECT_TRUE(Near(face.At(0, 10), kYellow)) << Describe(face.At(0, 10));
    EXPECT_TRUE(Near(face.At(1, 1), kRed)) << Describe(face.At(1, 1));
    EXPECT_TRUE(Near(face.At(39, 19), kRed)) << Describe(face.At(39, 19));
}

TEST(GdipButton, TransparentPartsShowTheWindowBehind) {
    ButtonDialog dialog;
    dialog.Open();
    dialog.m_second.LoadAlternateImage(IDP_HALF_CLEAR, "PNG");
    dialog.m_second.LoadStandardImage(IDP_HALF_CLEAR, "PNG");
    dialog.m_second.LoadHoverImage(IDP_HALF_CLEAR, "PNG");
    dialog.m_second.LoadDisabledImage(IDP_HALF_CLEAR, "PNG");
    dialog.Invalidate();
    dialog.UpdateWindow();
    ASSERT_TRUE(ShowsColour(dialog.m_second, kRed));
    Capture face = CaptureClient(dialog.m_second.m_hWnd);
    EXPECT_TRUE(Near(face.At(30, 10), kYellow)) << Describe(face.At(30, 10));
}

TEST(GdipButton, HoverAndLeaveSwitchPictures) {
    ButtonDialog dialog;
    dialog.Open();
    ASSERT_TRUE(ShowsColour(dialog.m_button, kRed));
    CRect place;
    dialog.m_button.GetWindowRect(&place);
    MoveMouseTo(place.left + 15, place.top + 10);
    EXPECT_TRUE(ShowsColour(dialog.m_button, kGreen)) << Describe(FacePixel(dialog.m_button));
    EXPECT_TRUE(dialog.m_button.m_bIsHovering);
    MoveMouseTo(5, 5);
    EXPECT_TRUE(ShowsColour(dialog.m_button, kRed)) << Describe(FacePixel(dialog.m_button));
    EXPECT_FALSE(dialog.m_button.m_bIsHovering);
    // Tracking starts again with the next move over the button.
    MoveMouseTo(place.left + 20, place.top + 12);
    EXPECT_TRUE(ShowsColour(dialog.m_button, kGreen));
    MoveMouseTo(5, 5);
    EXPECT_TRUE(ShowsColour(dialog.m_button, kRed));
}

TEST(GdipButton, PressedShowsTheAlternatePicture) {
    ButtonDialog dialog;
    dialog.Open();
    ASSERT_TRUE(ShowsColour(dialog.m_button, kRed));
    dialog.m_button.SetState(TRUE);
    EXPECT_TRUE(ShowsColour(dialog.m_button, kBlue)) << Describe(FacePixel(dialog.m_button));
    dialog.m_button.SetState(FALSE);
    EXPECT_TRUE(ShowsColour(dialog.m_button, kRed));
}

TEST(GdipButton, DisabledButtonKeepsTheNormalPicture) {
    ButtonDialog dialog;
    dialog.Open();
    dialog.m_button.EnableWindow(FALSE);
    dialog.m_button.Invalidate();
    PumpPending();
    EXPECT_TRUE(ShowsColour(dialog.m_button, kRed)) << Describe(FacePixel(dialog.m_button));
}

// Pictures are composed once: a later background change does not reach a
// button already shown, while a button shown for the first time captures the
// background of that moment.
TEST(GdipButton, PicturesAreComposedOnceOnTheFirstPaint) {
    ButtonDialog dialog;
    dialog.Open();
    dialog.m_second.ShowWindow(SW_HIDE);
    dialog.m_second.LoadAlternateImage(IDP_BLUE, "PNG");
    dialog.m_second.LoadStandardImage(IDP_RED, "PNG");
    dialog.m_second.LoadHoverImage(IDP_GREEN, "PNG");
    dialog.m_second.LoadDisabledImage(IDP_BLUE, "PNG");
    ASSERT_TRUE(ShowsColour(dialog.m_button, kRed));
    EXPECT_FALSE(dialog.m_second.m_bRendered);

    ASSERT_TRUE(dialog.SetBackgroundBitmap(IDB_MAGENTA));
    dialog.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    dialog.m_second.ShowWindow(SW_SHOW);
    ASSERT_TRUE(ShowsColour(dialog.m_second, kRed));
    EXPECT_TRUE(Near(FacePixel(dialog.m_second, 0, 0), kMagenta)) << Describe(FacePixel(dialog.m_second, 0, 0));
    EXPECT_TRUE(Near(FacePixel(dialog.m_button, 0, 0), kYellow)) << Describe(FacePixel(dialog.m_button, 0, 0));
}

// Buttons with the same faces draw from one decoded copy of each image, the
// one the program's shared cache holds; a picture shown in all four slots is
// one image too.
TEST(GdipButton, ButtonsWithTheSameFacesShareOneDecodedImageEach) {
    ButtonDialog dialog;
    dialog.Open();
    for (int i = 0; i < 2; ++i) {  // a second load of the same image changes nothing
        EXPECT_TRUE(dialog.m_second.LoadAlternateImage(IDP_BLUE, "PNG"));
        EXPECT_TRUE(dialog.m_second.LoadStandardImage(IDP_RED, "PNG"));
        EXPECT_TRUE(dialog.m_second.LoadHoverImage(IDP_GREEN, "PNG"));
        EXPECT_TRUE(dialog.m_second.LoadDisabledImage(IDP_BLUE, "PNG"));
    }
    CResourceImageCache& cache = CResourceImageCache::Shared();
    const struct {
        const char* slot;
        const CGdiPlusBitmapResource* first;
        const CGdiPlusBitmapResource* second;
        UINT id;
    } slots[] = {{"alternate", dialog.m_button.m_pAltImage, dialog.m_second.m_pAltImage, IDP_BLUE},
                 {"standard", dialog.m_button.m_pStdImage, dialog.m_second.m_pStdImage, IDP_RED},
                 {"hover", dialog.m_button.m_pHoverImage, dialog.m_second.m_pHoverImage, IDP_GREEN},
                 {"disabled", dialog.m_button.m_pDisabledImage, dialog.m_second.m_pDisabledImage, IDP_BLUE}};
    for (const auto& slot : slots) {
        SCOPED_TRACE(slot.slot);
        ASSERT_NE(slot.first, nullptr);
        ASSERT_NE(slot.first->m_pBitmap, nullptr);
        EXPECT_EQ(slot.second, slot.first);
        EXPECT_EQ(cache.Find(slot.id, "PNG"), slot.first);
    }
    EXPECT_EQ(dialog.m_button.m_pAltImage, dialog.m_button.m_pDisabledImage);

    TestButton picture;
    for (auto load : {&CGdipButton::LoadAlternateImage, &CGdipButton::LoadStandardImage, &CGdipButton::LoadHoverImage,
                      &CGdipButton::LoadDisabledImage})
        EXPECT_TRUE((picture.*load)(IDP_HALF_CLEAR, "PNG"));
    EXPECT_EQ(picture.m_pAltImage, picture.m_pStdImage);
    EXPECT_EQ(picture.m_pHoverImage, picture.m_pStdImage);
    EXPECT_EQ(picture.m_pDisabledImage, picture.m_pStdImage);
}

// An image that cannot be decoded leaves its slot without a bitmap: the
// picture is the captured background alone.
TEST(GdipButton, AFaceThatCannotBeDecodedShowsTheBackground) {
    ButtonDialog dialog;
    dialog.Open(false);
    EXPECT_TRUE(dialog.m_button.LoadAlternateImage(IDP_BLUE, "PNG"));
    EXPECT_FALSE(dialog.m_button.LoadStandardImage(IDP_TEXT, "PNG"));
    EXPECT_TRUE(dialog.m_button.LoadHoverImage(IDP_GREEN, "PNG"));
    EXPECT_TRUE(dialog.m_button.LoadDisabledImage(IDP_BLUE, "PNG"));
    ASSERT_NE(dialog.m_button.m_pStdImage, nullptr);
    EXPECT_EQ(dialog.m_button.m_pStdImage->m_pBitmap, nullptr);
    dialog.m_button.Invalidate();
    EXPECT_TRUE(PumpUntil([&] { return dialog.m_button.m_bRendered == TRUE; }));
    EXPECT_TRUE(ShowsColour(dialog.m_button, kYellow)) << Describe(FacePixel(dialog.m_button));
    dialog.m_button.SetState(TRUE);
    EXPECT_TRUE(ShowsColour(dialog.m_button, kBlue)) << Describe(FacePixel(dialog.m_button));
}

// The images outlive every button that showed them: a button made later
// still composes its pictures from them.
TEST(GdipButton, AButtonDrawsItsFacesAfterAnotherWithTheSameFacesIsGone) {
    auto first = std::make_unique<ButtonDialog>();
    first->Open();
    ASSERT_TRUE(ShowsColour(first->m_button, kRed));

    ButtonDialog later;
    later.Open(false);
    later.m_button.ShowWindow(SW_HIDE);
    later.Place(true);
    first->DestroyWindow();
    first.reset();

    later.m_button.ShowWindow(SW_SHOW);
    EXPECT_TRUE(ShowsColour(later.m_button, kRed)) << Describe(FacePixel(later.m_button));
    later.m_button.SetState(TRUE);
    EXPECT_TRUE(ShowsColour(later.m_button, kBlue)) << Describe(FacePixel(later.m_button));
}

namespace {

// A button whose n-th picture surface cannot be made, as when GDI runs out.
class RefusingButton : public TestButton {
public:
    int m_refuse = 0;
    int m_made = 0;

protected:
    BOOL MakeSurface(CDC* like, int width, int height, CDC& surface, CBitmap& bitmap, HGDIOBJ& oldBitmap) override {
        if (++m_made == m_refuse) return FALSE;
        return TestButton::MakeSurface(like, width, height, surface, bitmap, oldBitmap);
    }
};

class RefusingButtonDialog : public CBitmapDialog {
public:
    RefusingButtonDialog() : CBitmapDialog(IDD_SKIN) {}
    RefusingButton m_button;

protected:
    void DoDataExchange(CDataExchange* exchange) override {
        CBitmapDialog::DoDataExchange(exchange);
        DDX_Control(exchange, IDC_IMAGE_BUTTON, m_button);
    }
};

}  // namespace

TEST(GdipButton, APictureThatCouldNotBeMadeIsMadeOnTheNextPaint) {
    // 1: the background, 2: the normal picture, 3: pressed, 4: hover.
    for (int refused : {1, 2, 3, 4}) {
        EnsureGdiplus();
        RefusingButtonDialog dialog;
        dialog.m_button.m_refuse = refused;
        ASSERT_TRUE(dialog.Create(IDD_SKIN, nullptr));
        ASSERT_TRUE(dialog.SetBackgroundBitmap(IDB_QUAD_SMALL));
        dialog.SetWindowPos(&CWnd::wndTopMost, 300, 200, 200, 150, SWP_NOACTIVATE);
        dialog.GetDlgItem(IDC_LABEL)->ShowWindow(SW_HIDE);
        dialog.GetDlgItem(IDC_EDIT)->ShowWindow(SW_HIDE);
        dialog.m_button.MoveWindow(120, 90, 40, 20);
        dialog.m_button.LoadAlternateImage(IDP_BLUE, "PNG");
        dialog.m_button.LoadStandardImage(IDP_RED, "PNG");
        dialog.m_button.LoadHoverImage(IDP_GREEN, "PNG");
        dialog.ShowWindow(SW_SHOW);
        dialog.UpdateWindow();
        PumpPending();
        ASSERT_GE(dialog.m_button.m_made, refused);
        EXPECT_FALSE(dialog.m_button.m_bRendered) << "surface " << refused << " is missing";

        dialog.m_button.Invalidate();
        EXPECT_TRUE(ShowsColour(dialog.m_button, kRed))
            << "surface " << refused << ": " << Describe(FacePixel(dialog.m_button));
        EXPECT_TRUE(dialog.m_button.m_bRendered);
        // Row 0 keeps the window's background where it was captured before
        // the button first showed.
        if (refused > 1) {
            EXPECT_TRUE(Near(FacePixel(dialog.m_button, 20, 0), kYellow))
                << "surface " << refused << ": " << Describe(FacePixel(dialog.m_button, 20, 0));
        }
        dialog.DestroyWindow();
    }
}

TEST(GdipButton, ButtonWithoutImagesComposesAndDrawsNothing) {
    ButtonDialog dialog;
    dialog.Open(false);
    PumpPending();
    EXPECT_FALSE(dialog.m_button.m_bRendered);
    dialog.m_button.Invalidate();
    PumpPending();
    EXPECT_FALSE(dialog.m_button.m_bRendered);
}

namespace {

// Runs modally and plays two quick clicks on each button through the queue,
// as the mouse would: down, up, double click, up. The second button is a
// plain owner-drawn button for comparison.
class DoubleClickDialog : public CBitmapDialog {
public:
    DoubleClickDialog() : CBitmapDialog(IDD_SKIN) {}
    TestButton m_button;
    CButton m_plain;
    int m_clicks = 0;
    int m_doubleClicks = 0;
    int m_plainClicks = 0;
    int m_plainDoubleClicks = 0;

    BOOL OnInitDialog() override {
        CBitmapDialog::OnInitDialog();
        m_plain.ModifyStyle(BS_TYPEMASK, BS_OWNERDRAW);
        m_button.LoadAlternateImage(IDP_BLUE, "PNG");
        m_button.LoadStandardImage(IDP_RED, "PNG");
        m_button.LoadHoverImage(IDP_GREEN, "PNG");
        m_button.LoadDisabledImage(IDP_BLUE, "PNG");
        for (CWnd* button : {static_cast<CWnd*>(&m_button), static_cast<CWnd*>(&m_plain)}) {
            button->MoveWindow(20, 20, 40, 20);
            const LPARAM inside = MAKELPARAM(10, 10);
            button->PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, inside);
            button->PostMessage(WM_LBUTTONUP, 0, inside);
            button->PostMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, inside);
            button->PostMessage(WM_LBUTTONUP, 0, inside);
        }
        PostMessage(WM_APP);
        return TRUE;
    }

protected:
    void DoDataExchange(CDataExchange* exchange) override {
        CBitmapDialog::DoDataExchange(exchange);
        DDX_Control(exchange, IDC_IMAGE_BUTTON, m_button);
        DDX_Control(exchange, IDC_PLAIN_BUTTON, m_plain);
    }
    void OnClicked() { ++m_clicks; }
    void OnDoubleClicked() { ++m_doubleClicks; }
    void OnPlainClicked() { ++m_plainClicks; }
    void OnPlainDoubleClicked() { ++m_plainDoubleClicks; }
    LRESULT OnDone(WPARAM, LPARAM) {
        EndDialog(IDOK);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DoubleClickDialog, CBitmapDialog)
    ON_BN_CLICKED(IDC_IMAGE_BUTTON, &DoubleClickDialog::OnClicked)
    ON_BN_DOUBLECLICKED(IDC_IMAGE_BUTTON, &DoubleClickDialog::OnDoubleClicked)
    ON_BN_CLICKED(IDC_PLAIN_BUTTON, &DoubleClickDialog::OnPlainClicked)
    ON_BN_DOUBLECLICKED(IDC_PLAIN_BUTTON, &DoubleClickDialog::OnPlainDoubleClicked)
    ON_MESSAGE(WM_APP, &DoubleClickDialog::OnDone)
END_MESSAGE_MAP()

}  // namespace

TEST(GdipButton, DoubleClickGivesTwoClicks) {
    EnsureGdiplus();
    DoubleClickDialog dialog;
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_clicks, 2);
    EXPECT_EQ(dialog.m_doubleClicks, 0);
    // Without the image button's translation the second press is a double click.
    EXPECT_EQ(dialog.m_plainClicks, 1);
    EXPECT_EQ(dialog.m_plainDoubleClicks, 1);
}

namespace {

// Two real clicks in quick succession, made with the mouse: the system turns
// the second press into a double click, which the image button counts as a
// press of its own.
class RealDoubleClickDialog : public CBitmapDialog {
public:
    RealDoubleClickDialog() : CBitmapDialog(IDD_SKIN) {}
    TestButton m_button;
    int m_clicks = 0;
    int m_doubleClicks = 0;

    BOOL OnInitDialog() override {
        CBitmapDialog::OnInitDialog();
        SetWindowPos(&CWnd::wndTopMost, 300, 200, 200, 150, SWP_SHOWWINDOW);
        m_button.LoadAlternateImage(IDP_BLUE, "PNG");
        m_button.LoadStandardImage(IDP_RED, "PNG");
        m_button.LoadHoverImage(IDP_GREEN, "PNG");
        m_button.LoadDisabledImage(IDP_BLUE, "PNG");
        m_button.MoveWindow(20, 20, 40, 20);
        SetTimer(kClick, 100);
        SetTimer(kGiveUp, 15000);
        return TRUE;
    }
    static constexpr UINT_PTR kClick = 1;
    static constexpr UINT_PTR kGiveUp = 2;

protected:
    void DoDataExchange(CDataExchange* exchange) override {
        CBitmapDialog::DoDataExchange(exchange);
        DDX_Control(exchange, IDC_IMAGE_BUTTON, m_button);
    }
    void OnTimer(UINT_PTR id) {
        if (id == kGiveUp) {
            KillTimer(id);
            EndDialog(-2);
            return;
        }
        ::SetForegroundWindow(m_hWnd);
        CRect place;
        m_button.GetWindowRect(&place);
        const POINT at{place.left + 10, place.top + 10};
        ::SetCursorPos(at.x, at.y);
        // On a busy machine the window reaches the screen late: click only
        // once the pointer is really over the button, or a click is lost.
        if (::WindowFromPoint(at) != m_button.m_hWnd || ::GetForegroundWindow() != m_hWnd) return;
        KillTimer(id);
        INPUT input[4] = {};
        for (INPUT& one : input) one.type = INPUT_MOUSE;
        input[0].mi.dwFlags = input[2].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        input[1].mi.dwFlags = input[3].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        ::SendInput(4, input, sizeof(INPUT));
    }
    void Count(int& counter) {
        ++counter;
        if (m_clicks + m_doubleClicks >= 2) EndDialog(IDOK);
    }
    void OnClicked() { Count(m_clicks); }
    void OnDoubleClicked() { Count(m_doubleClicks); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(RealDoubleClickDialog, CBitmapDialog)
    ON_WM_TIMER()
    ON_BN_CLICKED(IDC_IMAGE_BUTTON, &RealDoubleClickDialog::OnClicked)
    ON_BN_DOUBLECLICKED(IDC_IMAGE_BUTTON, &RealDoubleClickDialog::OnDoubleClicked)
END_MESSAGE_MAP()

}  // namespace

TEST(GdipButton, RealDoubleClickWithTheMouseGivesTwoClicks) {
    EnsureGdiplus();
    RealDoubleClickDialog dialog;
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_clicks, 2);
    EXPECT_EQ(dialog.m_doubleClicks, 0);
}

// Held down with the mouse, the button shows its pressed picture; released
// over it, it clicks and goes back.
TEST(GdipButton, MousePressShowsThePressedPicture) {
    ButtonDialog dialog;
    dialog.Open();
    ASSERT_TRUE(ShowsColour(dialog.m_button, kRed));
    ::SetForegroundWindow(dialog.m_hWnd);
    CRect place;
    dialog.m_button.GetWindowRect(&place);
    MoveMouseTo(place.left + 15, place.top + 10);
    INPUT press{};
    press.type = INPUT_MOUSE;
    press.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    ::SendInput(1, &press, sizeof press);
    EXPECT_TRUE(ShowsColour(dialog.m_button, kBlue)) << Describe(FacePixel(dialog.m_button));
    press.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(1, &press, sizeof press);
    EXPECT_TRUE(PumpUntil([&] { return dialog.m_clicks == 1; }));
    EXPECT_FALSE(Near(FacePixel(dialog.m_button), kBlue));
    MoveMouseTo(5, 5);
    EXPECT_TRUE(ShowsColour(dialog.m_button, kRed));
}
