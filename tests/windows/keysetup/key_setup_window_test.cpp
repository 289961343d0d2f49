// The key-setup window itself under Wine: how it opens, what its controls
// do, and the set-up action with the real account lookup against the local
// fax service (addresses and CA from run_with_sandbox.sh).
#include "base/program_folder.h"
#include "base/settings_store.h"
#include "controls/bitmap_dialog.h"
#include "resource.h"
#include "service/account_lookup.h"
#include "tests/support/sandbox_endpoint.h"
#include "ui/keysetup/kestrid_ui_login_dlg.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

using namespace kestrid_test;

namespace {

const char kGoodKey[] = "test-key-123";
const int kLeftOpen = 99;  // the result when the steps did not end the window

std::string ModulePath() {
    char path[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

// The window with its hooks open to the test.
class TestLoginDlg : public CKestridUILoginDlg {
public:
    using CKestridUILoginDlg::CKestridUILoginDlg;
    CEdit& KeyField() { return m_editKey; }
    CEdit& PasswordField() { return m_editPassword; }
    bool StillRunning() const { return m_hWnd && m_continueModal; }
};

// Dispatches like the window's own modal loop, keys through the dialog's
// pre-translation, until condition() holds or the time is up.
bool PumpThroughDialog(CWnd& dialog, const std::function<bool()>& condition, DWORD timeoutMs = 5000) {
    const DWORD start = ::GetTickCount();
    while (!condition() && ::GetTickCount() - start < timeoutMs) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!dialog.m_hWnd || !CWnd::WalkPreTranslateTree(dialog.m_hWnd, &msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return condition();
}

// Runs the window modally; steps run inside its loop once it shows. A window
// the steps leave open is ended with kLeftOpen.
struct ModalRun {
    TestLoginDlg* dialog = nullptr;
    std::function<void()> steps;
    int ticks = 0;
};
ModalRun* g_run = nullptr;

void CALLBACK RunSteps(HWND, UINT, UINT_PTR timer, DWORD) {
    ModalRun* run = g_run;
    if (!run) return;
    const bool shown = run->dialog->m_hWnd && ::IsWindowVisible(run->dialog->m_hWnd);
    if (!shown && ++run->ticks < 200) return;
    ::KillTimer(nullptr, timer);
    g_run = nullptr;
    if (shown) run->steps();
    if (run->dialog->StillRunning()) run->dialog->EndDialog(kLeftOpen);
}

INT_PTR RunModal(TestLoginDlg& dialog, const std::function<void()>& steps) {
    ModalRun run{&dialog, steps, 0};
    g_run = &run;
    ::SetTimer(nullptr, 0, 50, RunSteps);
    const INT_PTR result = dialog.DoModal();
    g_run = nullptr;
    return result;
}

CRect ClientPlace(CWnd& dialog, int id) {
    CRect place;
    ::GetWindowRect(::GetDlgItem(dialog.m_hWnd, id), &place);
    dialog.ScreenToClient(&place);
    return place;
}

LOGFONTA FontOf(CWnd& dialog, int id) {
    LOGFONTA font{};
    HFONT handle = reinterpret_cast<HFONT>(::SendDlgItemMessageA(dialog.m_hWnd, id, WM_GETFONT, 0, 0));
    ::GetObjectA(handle, sizeof font, &font);
    return font;
}

COLORREF BitmapPixel(UINT id, int x, int y) {
    CBitmap bitmap;
    if (!bitmap.LoadBitmap(id)) return CLR_INVALID;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, bitmap.m_hObject);
    const COLORREF c = ::GetPixel(dc, x, y);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    return c;
}

class KeySetupWindow : public testing::Test {
protected:
    void SetUp() override {
        EnsureGdiplus();
        ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Fax");
        m_version = ProgramFolderFromModulePath(ModulePath().c_str()).str() + "Version.txt";
        std::ofstream(m_version, std::ios::binary) << "2.5.1\r\n";
    }
    void TearDown() override {
        std::remove(m_version.c_str());
        ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Fax");
    }

    // The real lookup against the service run_with_sandbox.sh started.
    AccountLookupFn SandboxLookup() {
        const ServiceEndpoint endpoint = SandboxEndpoint();
        EXPECT_TRUE(NamesASandbox(endpoint)) << "run through run_with_sandbox.sh";
        return [endpoint](const CString& key, bool silent, Notifier& notifier) {
            return LookupAccount(key, silent, notifier, endpoint);
        };
    }

    void Type(TestLoginDlg& dialog, const char* text) {
        dialog.KeyField().SetWindowText(text);
        PumpPending();
    }
    void Click(TestLoginDlg& dialog, int id) {
        ::SendDlgItemMessageA(dialog.m_hWnd, id, BM_CLICK, 0, 0);
        PumpPending();
    }

    std::string m_version;
};

TEST_F(KeySetupWindow, OpensLaidOutWithTheStoredKey) {
    WriteSetting(kSettingsSection, "USERNAME", "stored-key");
    WriteSetting(kSettingsSection, "PASSWORD", "stored-password");
    TestLoginDlg dialog;
    const INT_PTR result = RunModal(dialog, [&] {
        CWnd& w = dialog;
        CString text;
        w.GetDlgItemText(IDC_KEY_TITLE, text);
        EXPECT_EQ(text, "Vantrel v2.5.1\r\n");  // the file's text as it is
        w.GetDlgItemText(IDC_KEY_FIELD, text);
        EXPECT_EQ(text, "stored-key");
        w.GetDlgItemText(IDC_KEY_PASSWORD, text);
        EXPECT_EQ(text, "stored-password");
        EXPECT_EQ(dialog.PasswordField().GetPasswordChar(), '*');

        CRect window;
        w.GetWindowRect(&window);
        const WindowPlace place =
            CentredPlace(::GetSystemMetrics(SM_CXFULLSCREEN), ::GetSystemMetrics(SM_CYFULLSCREEN), kKeySetupWindow);
        EXPECT_EQ(window, CRect(place.left, place.top, place.left + 565, place.top + 532));
        EXPECT_FALSE(w.GetExStyle() & WS_EX_TOPMOST);
        EXPECT_NE(w.SendMessage(WM_GETICON, ICON_BIG), 0);
        EXPECT_NE(w.SendMessage(WM_GETICON, ICON_SMALL), 0);

        for (int i = 0; i < kKeySetupLayoutCount; ++i) {
            const ControlPlace& c = kKeySetupLayout[i];
            EXPECT_EQ(ClientPlace(w, c.id), CRect(c.left, c.top, c.left + c.width, c.top + c.height)) << c.id;
        }
        struct FontCase {
            int id, pixels;
        } fonts[] = {{IDC_KEY_TITLE, 12}, {IDC_KEY_HEADING, 20},        {IDC_KEY_LABEL, 13},
                     {IDC_KEY_FIELD, 14}, {IDC_KEY_PASSWORD_LABEL, 13}, {IDC_KEY_PASSWORD, 14}};
        for (const FontCase& f : fonts) {
            const LOGFONTA font = FontOf(w, f.id);
            EXPECT_EQ(font.lfHeight, -f.pixels) << f.id;
            EXPECT_EQ(font.lfWeight, 500) << f.id;
            EXPECT_STREQ(font.lfFaceName, "Segoe UI") << f.id;
        }

        for (int id : {IDC_KEY_TITLE, IDC_KEY_HEADING, IDC_KEY_LABEL, IDC_KEY_FIELD, IDC_KEY_SETUP, IDC_KEY_MINIMISE,
                       IDC_KEY_CLOSE})
            EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(w.m_hWnd, id))) << id;
        for (int id : {IDC_KEY_PASSWORD_LABEL, IDC_KEY_PASSWORD, IDC_KEY_PASSWORD_TOGGLE})
            EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(w.m_hWnd, id))) << id;
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(w.m_hWnd, IDC_KEY_SETUP)));

        // Focus starts in the key field; Tab goes to set-up, minimise, close and round.
        EXPECT_EQ(::GetFocus(), ::GetDlgItem(w.m_hWnd, IDC_KEY_FIELD));
        std::vector<int> order;
        HWND item = ::GetDlgItem(w.m_hWnd, IDC_KEY_FIELD);
        for (int i = 0; i < 4; ++i) {
            item = ::GetNextDlgTabItem(w.m_hWnd, item, FALSE);
            order.push_back(::GetDlgCtrlID(item));
        }
        EXPECT_EQ(order, (std::vector<int>{IDC_KEY_SETUP, IDC_KEY_MINIMISE, IDC_KEY_CLOSE, IDC_KEY_FIELD}));

        // The skin shows through the labels around their black text.
        PumpUntil([] { return false; }, 300);
        const Capture shot = CaptureClient(w.m_hWnd);
        ASSERT_EQ(shot.width, 565);
        EXPECT_TRUE(Near(shot.At(540, 170), BitmapPixel(IDB_KEY_SETUP_BACKGROUND, 540, 170)))
            << Describe(shot.At(540, 170));
        int dark = 0;
        for (int y = 160; y < 198; ++y)
            for (int x = 96; x < 400; ++x)
                if (GetRValue(shot.At(x, y)) < 60 && GetGValue(shot.At(x, y)) < 60 && GetBValue(shot.At(x, y)) < 60)
                    ++dark;
        EXPECT_GT(dark, 100) << "the heading shows no dark text";
        // The set-up button shows its face.
        EXPECT_FALSE(Near(shot.At(282, 492), BitmapPixel(IDB_KEY_SETUP_BACKGROUND, 282, 492)));
    });
    EXPECT_EQ(result, kLeftOpen);
}

TEST_F(KeySetupWindow, AGoodKeyIsStoredAndHandedBack) {
    TestLoginDlg dialog;
    RecordingNotifier notifier;
    dialog.m_pNotifier = &notifier;
    dialog.m_lookup = SandboxLookup();
    const INT_PTR result = RunModal(dialog, [&] {
        Type(dialog, kGoodKey);
        Click(dialog, IDC_KEY_SETUP);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog.m_strKey, kGoodKey);
    ASSERT_EQ(notifier.boxes.size(), 1u);
    EXPECT_EQ(notifier.boxes[0].text, "Success! Your driver setup is complete");
    EXPECT_EQ(ReadSettingText("USERNAME"), kGoodKey);
    EXPECT_EQ(ReadSettingText("PASSWORD"), kGoodKey);
    EXPECT_EQ(ReadSettingText("accountId"), "a-9c1e5b73-2d48-4f0a-b6e9-3a7c0d5e1f22");
}

TEST_F(KeySetupWindow, EmptyAndRefusedKeysKeepTheWindowOpen) {
    const std::string app_name = [] {
        std::string path = ModulePath();
        path = path.substr(path.find_last_of('\\') + 1);
        return path.substr(0, path.rfind('.'));
    }();
    struct Case {
        const char* key;
        const char* text;
        std::string caption;
        unsigned icon;
    } cases[] = {
        {"", "Enter Username", app_name, kIconExclamation},
        {"not-a-key", "Invalid key. Please check your key and try again", "Vantrel", kIconHand},
    };
    for (const auto& c : cases) {
        WriteSetting(kSettingsSection, "USERNAME", "old-key");
        TestLoginDlg dialog;
        RecordingNotifier notifier;
        dialog.m_pNotifier = &notifier;
        dialog.m_lookup = SandboxLookup();
        const INT_PTR result = RunModal(dialog, [&] {
            Type(dialog, c.key);
            Click(dialog, IDC_KEY_SETUP);
            EXPECT_TRUE(dialog.IsWindowVisible()) << c.text;
        });
        EXPECT_EQ(result, kLeftOpen) << c.text;
        EXPECT_EQ(dialog.m_strKey, "") << c.text;
        ASSERT_EQ(notifier.boxes.size(), 1u) << c.text;
        EXPECT_EQ(notifier.boxes[0].text, c.text);
        EXPECT_EQ(notifier.boxes[0].caption, c.caption.c_str());
        EXPECT_EQ(notifier.boxes[0].icon, c.icon) << c.text;
        EXPECT_EQ(ReadSettingText("USERNAME"), "old-key") << c.text;
        EXPECT_EQ(ReadSettingText("PASSWORD"), "") << c.text;
    }
}

// Enter is the set-up button's key: it never ends the window without a key.
TEST_F(KeySetupWindow, EnterRunsTheSetUp) {
    for (const char* key : {"", kGoodKey}) {
        TestLoginDlg dialog;
        RecordingNotifier notifier;
        dialog.m_pNotifier = &notifier;
        dialog.m_lookup = SandboxLookup();
        const INT_PTR result = RunModal(dialog, [&] {
            Type(dialog, key);
            HWND field = dialog.KeyField().m_hWnd;
            ::SetFocus(field);
            ::PostMessageA(field, WM_KEYDOWN, VK_RETURN, 1);
            ::PostMessageA(field, WM_KEYUP, VK_RETURN, 0xC0000001);
            PumpThroughDialog(
                dialog, [&] { return !notifier.boxes.empty(); }, 10000);
        });
        ASSERT_EQ(notifier.boxes.size(), 1u) << key;
        if (*key) {
            EXPECT_EQ(result, IDOK);
            EXPECT_EQ(notifier.boxes[0].text, "Success! Your driver setup is complete");
            EXPECT_EQ(ReadSettingText("USERNAME"), key);
        } else {
            EXPECT_EQ(result, kLeftOpen);
            EXPECT_EQ(notifier.boxes[0].text, "Enter Username");
        }
    }
}

TEST_F(KeySetupWindow, CloseAndEscapeEndWithCancelAndStoreNothing) {
    for (const bool escape : {false, true}) {
        TestLoginDlg dialog;
        RecordingNotifier notifier;
        dialog.m_pNotifier = &notifier;
        dialog.m_lookup = [](const CString&, bool, Notifier&) {
            ADD_FAILURE() << "no lookup expected";
            return -1;
        };
        const INT_PTR result = RunModal(dialog, [&] {
            Type(dialog, kGoodKey);
            if (escape) {
                HWND field = dialog.KeyField().m_hWnd;
                ::SetFocus(field);
                ::PostMessageA(field, WM_KEYDOWN, VK_ESCAPE, 1);
                PumpThroughDialog(dialog, [&] { return !dialog.StillRunning(); });
            } else {
                Click(dialog, IDC_KEY_CLOSE);
            }
        });
        EXPECT_EQ(result, IDCANCEL) << escape;
        EXPECT_EQ(dialog.m_strKey, "");
        EXPECT_TRUE(notifier.boxes.empty());
        EXPECT_EQ(ReadSettingText("USERNAME"), "");
    }
}

TEST_F(KeySetupWindow, PasswordToggleShowsAndHidesTheCharacters) {
    TestLoginDlg dialog;
    const INT_PTR result = RunModal(dialog, [&] {
        CEdit& field = dialog.PasswordField();
        EXPECT_EQ(field.GetPasswordChar(), '*');
        Click(dialog, IDC_KEY_PASSWORD_TOGGLE);
        EXPECT_EQ(field.GetPasswordChar(), '\0');
        EXPECT_FALSE(field.GetStyle() & ES_PASSWORD);
        EXPECT_EQ(::GetFocus(), field.m_hWnd);
        Click(dialog, IDC_KEY_PASSWORD_TOGGLE);
        EXPECT_EQ(field.GetPasswordChar(), '*');
        EXPECT_TRUE(field.GetStyle() & ES_PASSWORD);
    });
    EXPECT_EQ(result, kLeftOpen);
}

// Wine gives a minimised window no client area and no paint, so the icon's
// pixels are checked on the kit's own painting (BitmapDialog tests); here the
// button must minimise, and a paint request meanwhile must not break the window.
TEST_F(KeySetupWindow, MinimiseButtonMinimisesAndTheWindowComesBack) {
    TestLoginDlg dialog;
    const INT_PTR result = RunModal(dialog, [&] {
        Click(dialog, IDC_KEY_MINIMISE);
        EXPECT_TRUE(PumpUntil([&] { return dialog.IsIconic() != FALSE; }));
        dialog.Invalidate();
        dialog.UpdateWindow();
        dialog.ShowWindow(SW_RESTORE);
        EXPECT_TRUE(PumpUntil([&] { return !dialog.IsIconic(); }));
    });
    EXPECT_EQ(result, kLeftOpen);
}

}  // namespace
