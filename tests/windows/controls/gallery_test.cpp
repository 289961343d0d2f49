// A look at the kit with the program's own artwork: the key-setup template
// skinned with its background and image buttons, saved as a screenshot in
// the build folder (screenshots/) for review.
#include "controls/bitmap_dialog.h"
#include "controls/gdip_button.h"
#include "resource.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace kestrid_test;

namespace {

struct ButtonFace {
    int id;
    UINT alternate, standard, hover, disabled;
    int x, y, width, height;
};

// Faces and places of the key-setup window's buttons.
const ButtonFace kButtons[] = {
    {IDC_KEY_SETUP, 153, 152, 151, 153, 202, 472, 160, 40},
    {IDC_KEY_MINIMISE, 145, 155, 154, 156, 496, 12, 12, 12},
    {IDC_KEY_CLOSE, 150, 149, 148, 150, 533, 12, 12, 12},
};

class KeySetupLook : public CBitmapDialog {
public:
    KeySetupLook() : CBitmapDialog(IDD_KEY_SETUP) {}
    CGdipButton m_buttons[3];

    BOOL OnInitDialog() override {
        CBitmapDialog::OnInitDialog();
        SetWindowPos(&CWnd::wndNoTopMost, 40, 40, 565, 532, SWP_NOACTIVATE);
        m_backgroundLoaded = SetBackgroundBitmap(IDB_KEY_SETUP_BACKGROUND);
        SetDragAnywhere(TRUE);
        GetDlgItem(IDC_KEY_TITLE)->MoveWindow(25, 8, 250, 22);
        GetDlgItem(IDC_KEY_HEADING)->MoveWindow(96, 160, 480, 38);
        GetDlgItem(IDC_KEY_LABEL)->MoveWindow(102, 233, 200, 24);
        GetDlgItem(IDC_KEY_FIELD)->MoveWindow(108, 263, 348, 38);
        for (int i = 0; i < 3; ++i) {
            const ButtonFace& face = kButtons[i];
            CGdipButton& button = m_buttons[i];
            m_imagesLoaded += button.LoadAlternateImage(face.alternate, "PNG");
            m_imagesLoaded += button.LoadStandardImage(face.standard, "PNG");
            m_imagesLoaded += button.LoadHoverImage(face.hover, "PNG");
            m_imagesLoaded += button.LoadDisabledImage(face.disabled, "PNG");
            button.MoveWindow(face.x, face.y, face.width, face.height);
            button.ShowWindow(SW_SHOW);
        }
        return TRUE;
    }
    BOOL m_backgroundLoaded = FALSE;
    int m_imagesLoaded = 0;

protected:
    void DoDataExchange(CDataExchange* exchange) override {
        CBitmapDialog::DoDataExchange(exchange);
        for (int i = 0; i < 3; ++i) DDX_Control(exchange, kButtons[i].id, m_buttons[i]);
    }
};

COLORREF ResourcePixel(UINT id, int x, int y) {
    CBitmap bitmap;
    return bitmap.LoadBitmap(id) ? BitmapPixel(bitmap, x, y) : CLR_INVALID;
}

}  // namespace

TEST(Gallery, KeySetupSkinWithImageButtons) {
    EnsureGdiplus();
    KeySetupLook window;
    ASSERT_TRUE(window.Create(IDD_KEY_SETUP));
    EXPECT_TRUE(window.m_backgroundLoaded);
    EXPECT_EQ(window.m_imagesLoaded, 12);
    window.ShowWindow(SW_SHOW);
    window.UpdateWindow();
    ASSERT_TRUE(PumpUntil([&] {
        CRect client;
        window.GetClientRect(&client);
        return client.Width() == 565 && client.Height() == 532;
    }));
    PumpPending();
    Capture shot = CaptureClient(window.m_hWnd);
    ASSERT_EQ(shot.width, 565);

    // Bare surface shows the background one to one.
    for (POINT p : {POINT{5, 300}, POINT{560, 520}, POINT{300, 420}})
        EXPECT_TRUE(Near(shot.At(p.x, p.y), ResourcePixel(IDB_KEY_SETUP_BACKGROUND, p.x, p.y)))
            << p.x << "," << p.y << ": " << Describe(shot.At(p.x, p.y));
    // The set-up button's face covers its place.
    int differing = 0;
    for (int y = 472; y < 512; y += 4)
        for (int x = 202; x < 362; x += 4)
            if (!Near(shot.At(x, y), ResourcePixel(IDB_KEY_SETUP_BACKGROUND, x, y))) ++differing;
    EXPECT_GT(differing, 40) << "the set-up button shows no face";

    const std::string path = SaveScreenshot(shot, "kit_key_setup.png");
    ASSERT_FALSE(path.empty());
    FILE* saved = std::fopen(path.c_str(), "rb");
    ASSERT_NE(saved, nullptr);
    unsigned char magic[4] = {};
    EXPECT_EQ(std::fread(magic, 1, 4, saved), 4u);
    std::fclose(saved);
    EXPECT_EQ(magic[1], 'P');
    EXPECT_EQ(magic[2], 'N');
    window.DestroyWindow();
}
