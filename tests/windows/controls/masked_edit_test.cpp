// The masked edit as the send-fax window uses it: the fax-number field 1053
// of the window's template, bound by data exchange, given the country mask and
// driven by real window messages. The parent records what reaches its message
// map. The last test leaves a screenshot of a typed number in the window's look.
#include "controls/bitmap_dialog.h"
#include "controls/gdip_button.h"
#include "controls/gdiplus_bitmap.h"
#include "controls/ox_masked_edit.h"
#include "resource.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

using namespace kestrid_test;

namespace {

const char kPhoneMask[] = "(###)-###-####";
const char kEmptyPhone[] = "(   )-   -    ";
const char kFullPhone[] = "(555)-123-4567";

class CountingMaskedEdit : public COXMaskedEdit {
public:
    explicit CountingMaskedEdit(const char* mask) : COXMaskedEdit(mask) {}
    void ValidationError() override {
        ++m_beeps;
        COXMaskedEdit::ValidationError();
    }
    BOOL OnValidate() override { return m_ownVerdict; }
    int m_beeps = 0;
    BOOL m_ownVerdict = TRUE;
};

// The send window's template with the number field bound as the window binds it.
class NumberEntryDialog : public CBitmapDialog {
public:
    explicit NumberEntryDialog(const char* mask = "") : CBitmapDialog(IDD_SEND_FAX), m_number(mask) {}

    BOOL OnInitDialog() override {
        CBitmapDialog::OnInitDialog();
        SetWindowPos(&CWnd::wndNoTopMost, 40, 40, 565, 620, SWP_NOACTIVATE);
        m_number.MoveWindow(134, 128, 270, 30);
        m_number.ShowWindow(SW_SHOW);
        CWnd* subject = GetDlgItem(IDC_SEND_SUBJECT);
        subject->MoveWindow(324, 355, 183, 20);
        subject->ShowWindow(SW_SHOW);
        return TRUE;
    }

    CountingMaskedEdit m_number;
    std::vector<std::string> m_events;
    MaskedEditValidation m_validation{};
    BOOL m_clearOnChange = FALSE;
    BOOL m_refuse = FALSE;
    BOOL m_ownValidation = TRUE;  // what the parent leaves in bDefaultValidation
    int m_refusedCaret = 0;

protected:
    void DoDataExchange(CDataExchange* exchange) override {
        CBitmapDialog::DoDataExchange(exchange);
        DDX_Control(exchange, IDC_SEND_NUMBER, m_number);
    }
    void OnNumberUpdate() { m_events.push_back("update"); }
    void OnNumberChange() {
        m_events.push_back("change");
        if (m_clearOnChange) {
            m_clearOnChange = FALSE;
            m_number.SetWindowText("");
        }
    }
    void OnNumberKillFocus() { m_events.push_back("killfocus"); }
    void OnValidateNumber(NMHDR* header, LRESULT* result) {
        auto* record = reinterpret_cast<MaskedEditValidation*>(header);
        m_validation = *record;
        if (m_refuse) record->bValid = FALSE;
        record->bDefaultValidation = m_ownValidation;
        record->nPosition = m_refusedCaret;
        m_events.push_back("validate");
        *result = 0;
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(NumberEntryDialog, CBitmapDialog)
    ON_EN_UPDATE(IDC_SEND_NUMBER, &NumberEntryDialog::OnNumberUpdate)
    ON_EN_CHANGE(IDC_SEND_NUMBER, &NumberEntryDialog::OnNumberChange)
    ON_EN_KILLFOCUS(IDC_SEND_NUMBER, &NumberEntryDialog::OnNumberKillFocus)
    ON_NOTIFY(kMaskedEditValidate, IDC_SEND_NUMBER, &NumberEntryDialog::OnValidateNumber)
END_MESSAGE_MAP()

bool SetClipboardText(HWND owner, const std::string& text) {
    if (!::OpenClipboard(owner)) return false;
    ::EmptyClipboard();
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(::GlobalLock(memory), text.c_str(), text.size() + 1);
    ::GlobalUnlock(memory);
    const bool set = ::SetClipboardData(CF_TEXT, memory) != nullptr;
    ::CloseClipboard();
    return set;
}

std::string ClipboardText(HWND owner) {
    std::string text;
    if (!::OpenClipboard(owner)) return "<clipboard busy>";
    if (HANDLE data = ::GetClipboardData(CF_TEXT)) {
        text = static_cast<const char*>(::GlobalLock(data));
        ::GlobalUnlock(data);
    }
    ::CloseClipboard();
    return text;
}

class MaskedEditField : public ::testing::Test {
protected:
    explicit MaskedEditField(const char* mask = "") : m_dialog(mask) {}

    void SetUp() override {
        ASSERT_TRUE(m_dialog.Create(IDD_SEND_FAX));
        m_dialog.ShowWindow(SW_SHOW);
        ::SetForegroundWindow(m_dialog.m_hWnd);
        // What selecting a country does to the field.
        Edit().SetPromptChar(' ');
        Edit().SetMask(kPhoneMask);
        Edit().SetFocus();
        PumpPending();
        ASSERT_EQ(::GetFocus(), Edit().m_hWnd);
        m_dialog.m_events.clear();
    }
    void TearDown() override { m_dialog.DestroyWindow(); }

    CountingMaskedEdit& Edit() { return m_dialog.m_number; }
    std::string Text() {
        CString text;
        Edit().GetWindowText(text);
        return text.str();
    }
    std::pair<int, int> Selection() {
        int start = 0;
        int end = 0;
        Edit().GetSel(start, end);
        return {start, end};
    }
    void Char(char ch) { Edit().SendMessage(WM_CHAR, static_cast<unsigned char>(ch), 1); }
    void Type(const std::string& text) {
        for (char ch : text) Char(ch);
    }
    void Key(UINT key) { Edit().SendMessage(WM_KEYDOWN, key, 1); }
    int Count(const char* event) const {
        int n = 0;
        for (const std::string& e : m_dialog.m_events) n += e == event;
        return n;
    }

    NumberEntryDialog m_dialog;
};

TEST_F(MaskedEditField, EmptyFieldShowsTheMaskWithTheCaretOnTheFirstSlot) {
    EXPECT_EQ(Text(), kEmptyPhone);
    EXPECT_EQ(Edit().GetWindowTextLength(), 14);
    EXPECT_EQ(Selection(), std::make_pair(1, 1));
    EXPECT_TRUE(Edit().IsInputEmpty());
}

TEST_F(MaskedEditField, TenTypedDigitsGiveTheNumberWithOneChangeEach) {
    const std::string digits = "5551234567";
    for (size_t i = 0; i < digits.size(); ++i) {
        Char(digits[i]);
        if (i == 2) {
            EXPECT_EQ(Selection(), std::make_pair(6, 6)) << "over ')' and '-' after the third digit";
        }
    }
    EXPECT_EQ(Text(), kFullPhone);
    EXPECT_EQ(Selection(), std::make_pair(14, 14));
    EXPECT_EQ(Edit().m_beeps, 0);
    EXPECT_EQ(Edit().GetInputText().str(), digits);
    ASSERT_EQ(m_dialog.m_events.size(), 20u);
    for (size_t i = 0; i < m_dialog.m_events.size(); i += 2) {
        EXPECT_EQ(m_dialog.m_events[i], "update");
        EXPECT_EQ(m_dialog.m_events[i + 1], "change");
    }
}

TEST_F(MaskedEditField, TextTheParentSetsWhileBeingToldStillFollowsTheMask) {
    Type("55");
    m_dialog.m_clearOnChange = TRUE;
    Char('5');
    EXPECT_EQ(Text(), kEmptyPhone);
    EXPECT_TRUE(Edit().IsInputEmpty());
    Edit().SetSel(1, 1);
    Type("12");
    EXPECT_EQ(Text(), "(12 )-   -    ");
}

TEST_F(MaskedEditField, RefusedCharactersBeepAndChangeNothing) {
    Type("55");
    m_dialog.m_events.clear();
    Char('a');
    EXPECT_EQ(Text(), "(55 )-   -    ");
    EXPECT_EQ(Edit().m_beeps, 1);
    EXPECT_EQ(Selection(), std::make_pair(3, 3));
    EXPECT_TRUE(m_dialog.m_events.empty()) << "nothing changed, nothing to report";

    Edit().SetSel(0, 0);
    Char('7');  // typed on the parenthesis: the caret moves on, the digit is lost
    EXPECT_EQ(Text(), "(55 )-   -    ");
    EXPECT_EQ(Edit().m_beeps, 2);
    EXPECT_EQ(Selection(), std::make_pair(1, 1));
}

TEST_F(MaskedEditField, KeysMoveOverLiteralsAndEditTheDigits) {
    Edit().SetWindowText(kFullPhone);
    enum Action { kSelect, kKey, kChar };
    struct Step {
        Action action;
        int arg;
        const char* text;
        int caret;
    };
    const Step steps[] = {
        {kSelect, 6, kFullPhone, 6},
        {kKey, VK_LEFT, kFullPhone, 4},   // back over "-" and ")" to just after the 5
        {kKey, VK_RIGHT, kFullPhone, 6},  // and forward over them again
        {kKey, VK_HOME, kFullPhone, 1},
        {kKey, VK_END, kFullPhone, 14},
        {kSelect, 6, kFullPhone, 6},
        {kChar, VK_BACK, "(551)-234-567 ", 3},  // the third digit goes, the rest moves left
        {kSelect, 4, "(551)-234-567 ", 4},
        {kKey, VK_DELETE, "(551)-345-67  ", 6},  // on ")": the next digit to the right goes
        {kKey, VK_INSERT, "(551)-345-67  ", 6},  // overtype from here
        {kSelect, 1, "(551)-345-67  ", 1},
        {kChar, '9', "(951)-345-67  ", 2},
        {kKey, VK_INSERT, "(951)-345-67  ", 2},  // insert again
        {kChar, '8', "(985)-134-567 ", 3},
        {kSelect, 13, "(985)-134-567 ", 13},
        {kChar, VK_BACK, "(985)-134-56  ", 12},
    };
    for (const Step& step : steps) {
        switch (step.action) {
        case kSelect:
            Edit().SetSel(step.arg, step.arg);
            break;
        case kKey:
            Key(static_cast<UINT>(step.arg));
            break;
        case kChar:
            Char(static_cast<char>(step.arg));
            break;
        }
        EXPECT_EQ(Text(), step.text) << step.action << " " << step.arg;
        EXPECT_EQ(Selection(), std::make_pair(step.caret, step.caret)) << step.action << " " << step.arg;
    }
    EXPECT_EQ(Edit().m_beeps, 0);
}

TEST_F(MaskedEditField, PasteKeepsOnlyTheDigitsOfTheClipboard) {
    struct Case {
        const char* before;
        int start, end;
        const char* clip;
        const char* text;
        int caret;
        int changes;
    };
    const Case cases[] = {
        {"", 1, 1, "555 123 4567", kFullPhone, 14, 1}, {"", 1, 1, "+1 (555) 123-4567", "(155)-512-3456", 14, 1},
        {"", 1, 1, "abc", kEmptyPhone, 1, 0},  // nothing fits: nothing changes
        {"555", 6, 6, "12", "(555)-12 -    ", 8, 1},   {kFullPhone, 0, 14, "fax", kEmptyPhone, 1, 1},
    };
    for (const Case& c : cases) {
        Edit().SetWindowText(c.before);
        Edit().SetSel(c.start, c.end);
        ASSERT_TRUE(SetClipboardText(m_dialog.m_hWnd, c.clip));
        m_dialog.m_events.clear();
        EXPECT_EQ(Edit().SendMessage(WM_PASTE), 0);
        EXPECT_EQ(Text(), c.text) << c.clip;
        EXPECT_EQ(Selection(), std::make_pair(c.caret, c.caret)) << c.clip;
        EXPECT_EQ(Count("change"), c.changes) << c.clip;
        EXPECT_EQ(Count("update"), c.changes) << c.clip;
    }
    ASSERT_TRUE(SetClipboardText(m_dialog.m_hWnd, "987"));
    Edit().SetWindowText("");
    Edit().SetSel(1, 1);
    Char(0x16);  // Ctrl+V comes back as WM_PASTE
    EXPECT_EQ(Text(), "(987)-   -    ");
}

TEST_F(MaskedEditField, TextFromTheOwnerFillsTheSlotsWithOrWithoutLiterals) {
    struct Case {
        const char* text;
        const char* shown;
    };
    const Case cases[] = {
        {kFullPhone, kFullPhone},    {"5551234567", kFullPhone},
        {"", kEmptyPhone},  // how the send window clears the field
        {"(555)", "(555)-   -    "}, {"call me", kEmptyPhone},
    };
    for (const Case& c : cases) {
        Edit().SetWindowText("9999999999");
        m_dialog.m_events.clear();
        EXPECT_EQ(::SetWindowTextA(Edit().m_hWnd, c.text), TRUE);
        EXPECT_EQ(Text(), c.shown) << c.text;
        // The owner knows what it set: the field reports the update, not a change.
        EXPECT_EQ(Count("update"), 1) << c.text;
        EXPECT_EQ(Count("change"), 0) << c.text;
        EXPECT_EQ(Selection(), std::make_pair(1, 1)) << c.text;
    }
}

TEST_F(MaskedEditField, CopyCutAndClearWorkOnTheSelection) {
    Edit().SetWindowText(kFullPhone);
    Edit().SetSel(1, 4);
    EXPECT_EQ(Edit().SendMessage(WM_COPY), 0);
    EXPECT_EQ(ClipboardText(m_dialog.m_hWnd), "555");
    EXPECT_EQ(Text(), kFullPhone);

    Edit().SetSel(6, 10);
    m_dialog.m_events.clear();
    EXPECT_EQ(Edit().SendMessage(WM_CUT), 0);
    EXPECT_EQ(ClipboardText(m_dialog.m_hWnd), "123-");  // the display text, literals included
    EXPECT_EQ(Text(), "(555)-456-7   ");
    EXPECT_EQ(Selection(), std::make_pair(6, 6));
    EXPECT_EQ(Count("change"), 1);

    Edit().SetSel(0, 14);
    EXPECT_EQ(Edit().SendMessage(WM_CLEAR), 0);
    EXPECT_EQ(Text(), kEmptyPhone);
    EXPECT_EQ(Selection(), std::make_pair(1, 1));
}

TEST_F(MaskedEditField, PromptCharacterChangeRedrawsTheEmptySlots) {
    Type("555");
    EXPECT_TRUE(Edit().SetPromptChar('_'));
    EXPECT_EQ(Text(), "(555)-___-____");
    EXPECT_EQ(Selection(), std::make_pair(6, 6)) << "the caret stays";
    EXPECT_FALSE(Edit().SetPromptChar('\r'));
    EXPECT_EQ(Text(), "(555)-___-____");
    EXPECT_EQ(Edit().GetPromptChar(), '_');
    Type("12");
    EXPECT_EQ(Text(), "(555)-12_-____");
    EXPECT_EQ(Edit().GetInputText().str(), "55512_____");
}

TEST_F(MaskedEditField, LeavingTheFieldAsksTheParentWhichMayRefuse) {
    Type("555");
    CWnd* subject = m_dialog.GetDlgItem(IDC_SEND_SUBJECT);
    subject->SetFocus();
    PumpPending();
    EXPECT_EQ(::GetFocus(), subject->m_hWnd);
    ASSERT_EQ(Count("validate"), 1);
    EXPECT_EQ(Count("killfocus"), 1);
    const MaskedEditValidation& record = m_dialog.m_validation;
    EXPECT_EQ(record.hdr.hwndFrom, Edit().m_hWnd);
    EXPECT_EQ(record.hdr.idFrom, static_cast<UINT_PTR>(IDC_SEND_NUMBER));
    EXPECT_EQ(record.hdr.code, 0x8136u);
    EXPECT_EQ(record.bValid, TRUE);
    EXPECT_EQ(record.bDefaultValidation, TRUE);
    EXPECT_EQ(record.nPosition, 0);
    EXPECT_EQ(Edit().m_beeps, 0);

    Edit().SetFocus();
    PumpPending();
    m_dialog.m_refuse = TRUE;
    m_dialog.m_refusedCaret = 4;
    subject->SetFocus();
    PumpPending();
    EXPECT_EQ(::GetFocus(), Edit().m_hWnd) << "a refused text keeps the focus";
    EXPECT_EQ(Edit().m_beeps, 1);
    EXPECT_EQ(Selection(), std::make_pair(6, 6));  // the next slot from 4
    EXPECT_EQ(Text(), "(555)-   -    ");
}

TEST_F(MaskedEditField, TheParentsAnswerAndTheOwnValidationDecideTogether) {
    struct Case {
        BOOL parentRefuses;
        BOOL ownValidation;
        BOOL ownVerdict;
        bool kept;
    };
    const Case cases[] = {
        {FALSE, TRUE, TRUE, false},   {FALSE, TRUE, FALSE, true},  // the control's own check refuses
        {FALSE, FALSE, FALSE, false},                              // the parent waived the own check
        {TRUE, FALSE, TRUE, true},    {TRUE, TRUE, TRUE, true},
    };
    CWnd* subject = m_dialog.GetDlgItem(IDC_SEND_SUBJECT);
    for (const Case& c : cases) {
        Edit().SetFocus();
        PumpPending();
        m_dialog.m_refuse = c.parentRefuses;
        m_dialog.m_ownValidation = c.ownValidation;
        m_dialog.m_refusedCaret = 9;
        Edit().m_ownVerdict = c.ownVerdict;
        Edit().m_beeps = 0;
        subject->SetFocus();
        PumpPending();
        const HWND expected = c.kept ? Edit().m_hWnd : subject->m_hWnd;
        EXPECT_EQ(::GetFocus(), expected) << c.parentRefuses << c.ownValidation << c.ownVerdict;
        EXPECT_EQ(Edit().m_beeps, c.kept ? 1 : 0);
        if (c.kept) {
            EXPECT_EQ(Selection(), std::make_pair(10, 10));
        }
    }
}

TEST_F(MaskedEditField, FocusWithTheWholeTextSelectedStartsAtTheFirstSlot) {
    Type("55");
    m_dialog.GetDlgItem(IDC_SEND_SUBJECT)->SetFocus();
    Edit().SetSel(0, -1);
    EXPECT_EQ(Selection(), std::make_pair(0, 14));
    Edit().SetFocus();
    EXPECT_EQ(Selection(), std::make_pair(1, 1));

    m_dialog.GetDlgItem(IDC_SEND_SUBJECT)->SetFocus();
    Edit().SetSel(2, 5);  // any other selection stays
    Edit().SetFocus();
    EXPECT_EQ(Selection(), std::make_pair(2, 5));
}

TEST_F(MaskedEditField, AutoTabMovesOnAfterTheLastSlot) {
    Edit().SetAutoTab(TRUE);
    Type("555123456");
    EXPECT_EQ(::GetFocus(), Edit().m_hWnd);
    Char('7');
    EXPECT_EQ(Text(), kFullPhone);
    EXPECT_EQ(::GetFocus(), m_dialog.GetDlgItem(IDC_SEND_SUBJECT)->m_hWnd) << "the next tab stop";
}

TEST_F(MaskedEditField, ShiftWithArrowsSelectsInsteadOfSkipping) {
    Edit().SetWindowText(kFullPhone);
    Edit().SetSel(3, 3);
    // The key state of the thread, which the edit reads for the same message.
    auto shift = [](bool down) {
        BYTE keys[256];
        ::GetKeyboardState(keys);
        keys[VK_SHIFT] = keys[VK_LSHIFT] = down ? 0x80 : 0;
        ::SetKeyboardState(keys);
    };
    shift(true);
    Key(VK_RIGHT);
    Key(VK_RIGHT);
    shift(false);
    EXPECT_EQ(Selection(), std::make_pair(3, 5)) << "the selection reaches over the literals";
    Key(VK_RIGHT);  // without Shift the caret lands on the next slot again
    EXPECT_EQ(Selection(), std::make_pair(6, 6));
}

TEST_F(MaskedEditField, SeparatorLiteralsShowTheUsersLocale) {
    char decimal[16] = {};
    char date[16] = {};
    ASSERT_GT(::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal, sizeof decimal), 1);
    ASSERT_GT(::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDATE, date, sizeof date), 1);
    Edit().SetMask("##/##.#");
    EXPECT_EQ(Text(), std::string("  ") + date[0] + "  " + decimal[0] + " ");
    Type("12345");
    EXPECT_EQ(Text(), std::string("12") + date[0] + "34" + decimal[0] + "5");
}

TEST_F(MaskedEditField, ClickIntoTheEmptyFieldStartsAtTheFirstSlot) {
    m_dialog.GetDlgItem(IDC_SEND_SUBJECT)->SetFocus();
    Edit().SetSel(14, 14);
    Edit().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 12));
    Edit().SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(200, 12));
    EXPECT_EQ(::GetFocus(), Edit().m_hWnd);
    EXPECT_EQ(Selection(), std::make_pair(1, 1));
}

// The pointer and keyboard as a person uses them: input that goes through
// the system's queue and this thread's message loop.
void SendMouseClick(POINT screen) {
    ::SetCursorPos(screen.x, screen.y);
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(2, input, sizeof(INPUT));
}

void SendTyping(const std::string& digits) {
    for (char digit : digits) {
        INPUT input[2] = {};
        input[0].type = input[1].type = INPUT_KEYBOARD;
        input[0].ki.wVk = input[1].ki.wVk = static_cast<WORD>(digit);  // '0'..'9' are their own keys
        input[1].ki.dwFlags = KEYEVENTF_KEYUP;
        ::SendInput(2, input, sizeof(INPUT));
    }
}

TEST_F(MaskedEditField, RealClicksPutTheCaretWhereTheNumberGoesOn) {
    struct Case {
        const char* text;
        bool focused;
        int at;  // the click's place: just inside this character (14: the right half of the field)
        int caret;
    };
    const Case cases[] = {
        {"", true, 14, 1},          {"", false, 14, 1},
        {"", true, 2, 1},           {"", false, 6, 1},
        {"555", true, 12, 6},       {"555", false, 12, 6},
        {"5551234567", true, 4, 6},                                 // on a literal
        {"5551234567", true, 7, 7}, {"5551234567", false, 11, 11},  // inside the number: where clicked
    };
    CRect field;
    Edit().GetWindowRect(&field);
    for (const Case& c : cases) {
        Edit().SetWindowText(c.text);
        Edit().SetSel(0, 0);
        if (!c.focused) m_dialog.GetDlgItem(IDC_SEND_SUBJECT)->SetFocus();
        PumpPending();
        POINT point{field.right - 20, field.CenterPoint().y};
        if (c.at < 14) {
            const LRESULT place = Edit().SendMessage(EM_POSFROMCHAR, static_cast<WPARAM>(c.at));
            point = POINT{static_cast<short>(LOWORD(place)) + 1, static_cast<short>(HIWORD(place)) + 4};
            Edit().ClientToScreen(&point);
        }
        SendMouseClick(point);
        PumpUntil([&] { return ::GetFocus() == Edit().m_hWnd && Selection() != std::make_pair(0, 0); });
        PumpPending();
        EXPECT_EQ(::GetFocus(), Edit().m_hWnd) << c.text << " clicked at " << c.at;
        EXPECT_EQ(Selection(), std::make_pair(c.caret, c.caret)) << c.text << " clicked at " << c.at;
        // Two clicks at one place would make a double click.
        ::Sleep(::GetDoubleClickTime() + 50);
    }
}

TEST_F(MaskedEditField, TenDigitsTypedAfterAClickIntoTheEmptyFieldGiveTheNumber) {
    CRect field;
    Edit().GetWindowRect(&field);
    SendMouseClick(POINT{field.right - 40, field.CenterPoint().y});  // the field has the focus already
    SendTyping("5551234567");
    PumpUntil([&] { return Text() == kFullPhone; });
    EXPECT_EQ(Text(), kFullPhone);
    EXPECT_EQ(Edit().m_beeps, 0);
}

class MaskGivenAtConstruction : public MaskedEditField {
protected:
    MaskGivenAtConstruction() : MaskedEditField("##-##") {}
    void SetUp() override {
        ASSERT_TRUE(m_dialog.Create(IDD_SEND_FAX));
        m_dialog.ShowWindow(SW_SHOW);
    }
};

TEST_F(MaskGivenAtConstruction, ShowsAsSoonAsTheFieldIsBound) {
    EXPECT_EQ(Text(), "  -  ");
    Edit().SetFocus();
    Edit().SetSel(0, 0);
    Type("1234");
    EXPECT_EQ(Text(), "12-34");
}

class PlainEdit : public MaskedEditField {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dialog.Create(IDD_SEND_FAX));
        m_dialog.ShowWindow(SW_SHOW);
        ::SetForegroundWindow(m_dialog.m_hWnd);
        Edit().SetFocus();
        PumpPending();
        m_dialog.m_events.clear();
    }
};

TEST_F(PlainEdit, WithoutAMaskEveryMessageIsTheEditsOwn) {
    EXPECT_EQ(Text(), "");
    Type("ab-1");
    EXPECT_EQ(Text(), "ab-1");
    EXPECT_EQ(Count("change"), 4);  // the edit's own notifications pass through
    Char(VK_BACK);
    Key(VK_HOME);
    Key(VK_DELETE);
    EXPECT_EQ(Text(), "b-");
    Edit().SetWindowText("(555)");
    EXPECT_EQ(Text(), "(555)");
    EXPECT_TRUE(Edit().SetPromptChar('_'));
    EXPECT_EQ(Text(), "(555)") << "a prompt character has nothing to redraw";
    EXPECT_EQ(Edit().GetInputText().str(), "(555)");
    EXPECT_FALSE(Edit().IsInputEmpty());
    EXPECT_TRUE(Edit().IsInputPosition(3));
    EXPECT_EQ(Edit().m_beeps, 0);
    Edit().SetMask(kPhoneMask);
    EXPECT_EQ(Text(), "(___)-___-____");  // the prompt character given before
    Edit().SetMask("");
    EXPECT_EQ(Text(), "");
}

// The number-entry corner of the send window's first page with a typed number.
class NumberEntryLook : public NumberEntryDialog {
public:
    BOOL OnInitDialog() override {
        NumberEntryDialog::OnInitDialog();
        m_backgroundLoaded = SetBackgroundBitmap(IDB_SEND_PAGE1_BACKGROUND);
        LOGFONTA base{};
        GetFont()->GetLogFont(&base);
        MakeFont(m_titleFont, base, "Segoe UI", 12, 500);
        MakeFont(m_headingFont, base, "Segoe UI Semibold", 20, 400);
        MakeFont(m_labelFont, base, "Segoe UI Semibold", 13, 400);
        MakeFont(m_entryFont, base, "Segoe UI", 20, 400);
        Place(IDC_SEND_TITLE, 25, 8, 250, 22, &m_titleFont);
        SetDlgItemText(IDC_SEND_TITLE, "Vantrel v2.4.1");
        Place(IDC_SEND_HEADING, 93, 50, 200, 26, &m_headingFont);
        Place(IDC_SEND_NUMBER_LABEL, 93, 97, 200, 22, &m_labelFont);
        m_number.SetFont(&m_entryFont);
        GetDlgItem(IDC_SEND_SUBJECT)->ShowWindow(SW_HIDE);

        struct Face {
            CGdipButton* button;
            int id;
            UINT standard, alternate, hover;
            int x, y, width, height;
        };
        const Face faces[] = {
            {&m_minimise, IDC_SEND_MINIMISE, IDP_MINIMISE, IDP_MINIMISE_PRESSED, IDP_MINIMISE_HOVER, 496, 12, 12, 12},
            {&m_close, IDC_SEND_CLOSE, IDP_CLOSE, IDP_CLOSE_PRESSED, IDP_CLOSE_HOVER, 533, 12, 12, 12},
            {&m_key, IDC_SEND_KEY, IDP_KEY, IDP_KEY_PRESSED, IDP_KEY_HOVER, 7, 45, 48, 48},
            {&m_menu, IDC_SEND_COUNTRY_MENU, IDP_COUNTRY_MENU, IDP_COUNTRY_MENU, IDP_COUNTRY_MENU, 117, 134, 16, 16},
            {&m_contacts, IDC_SEND_CONTACTS, IDP_CONTACTS, IDP_CONTACTS_PRESSED, IDP_CONTACTS_HOVER, 439, 127, 30, 30},
            {&m_add, IDC_SEND_ADD, IDP_ADD, IDP_ADD_PRESSED, IDP_ADD_HOVER, 472, 127, 30, 30},
        };
        for (const Face& face : faces) {
            face.button->SubclassDlgItem(static_cast<UINT>(face.id), this);
            m_imagesLoaded += face.button->LoadStandardImage(face.standard, "PNG");
            m_imagesLoaded += face.button->LoadAlternateImage(face.alternate, "PNG");
            m_imagesLoaded += face.button->LoadHoverImage(face.hover, "PNG");
            face.button->MoveWindow(face.x, face.y, face.width, face.height);
            face.button->ShowWindow(SW_SHOW);
        }
        // The flag of the chosen country on the plain bitmap button.
        if (m_flag.LoadFromResource(172, "PNG"))
            m_flag.m_pBitmap->GetHBITMAP(Gdiplus::Color(255, 255, 255), &m_flagBitmap);
        Place(IDC_SEND_FLAG, 100, 134, 16, 16, nullptr);
        SendDlgItemMessageA(m_hWnd, IDC_SEND_FLAG, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_flagBitmap));
        return TRUE;
    }
    ~NumberEntryLook() override {
        if (m_flagBitmap) ::DeleteObject(m_flagBitmap);
    }

    BOOL m_backgroundLoaded = FALSE;
    int m_imagesLoaded = 0;

protected:
    static void MakeFont(CFont& font, LOGFONTA description, const char* face, int pixels, LONG weight) {
        description.lfHeight = CBitmapDialog::FontHeight(pixels);
        description.lfWeight = weight;
        lstrcpynA(description.lfFaceName, face, LF_FACESIZE);
        font.CreateFontIndirect(&description);
    }
    void Place(int id, int x, int y, int width, int height, CFont* font) {
        CWnd* control = GetDlgItem(id);
        control->MoveWindow(x, y, width, height);
        if (font) control->SetFont(font);
        control->ShowWindow(SW_SHOW);
    }
    HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT kind) {
        HBRUSH brush = NumberEntryDialog::OnCtlColor(dc, wnd, kind);
        const int id = wnd ? wnd->GetDlgCtrlID() : 0;
        if (id == IDC_SEND_NUMBER_LABEL) dc->SetTextColor(RGB(52, 73, 94));
        else if (id == IDC_SEND_TITLE || id == IDC_SEND_HEADING || id == IDC_SEND_NUMBER)
            dc->SetTextColor(RGB(0, 0, 0));
        return brush;
    }

    CFont m_titleFont, m_headingFont, m_labelFont, m_entryFont;
    CGdipButton m_minimise, m_close, m_key, m_menu, m_contacts, m_add;
    CGdiPlusBitmapResource m_flag;
    HBITMAP m_flagBitmap = nullptr;

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(NumberEntryLook, NumberEntryDialog)
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

TEST(MaskedEditLook, TypedNumberInTheSendWindow) {
    EnsureGdiplus();
    NumberEntryLook window;
    ASSERT_TRUE(window.Create(IDD_SEND_FAX));
    EXPECT_TRUE(window.m_backgroundLoaded);
    EXPECT_EQ(window.m_imagesLoaded, 18);
    window.m_number.SetPromptChar(' ');
    window.m_number.SetMask(kPhoneMask);
    window.ShowWindow(SW_SHOW);
    ::SetForegroundWindow(window.m_hWnd);
    window.m_number.SetFocus();
    for (char digit : std::string("5551234567"))
        window.m_number.SendMessage(WM_CHAR, static_cast<unsigned char>(digit), 1);
    CString text;
    window.m_number.GetWindowText(text);
    EXPECT_EQ(text.str(), kFullPhone);
    window.m_number.SetSel(14, 14);
    window.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ASSERT_TRUE(PumpUntil([&] {
        CRect client;
        window.GetClientRect(&client);
        return client.Width() == 565 && client.Height() == 620;
    }));
    PumpPending();
    Capture shot = CaptureClient(window.m_hWnd);
    ASSERT_EQ(shot.width, 565);

    // The field is white with dark digits across its width.
    CRect field;
    window.m_number.GetWindowRect(&field);
    window.ScreenToClient(&field);
    int dark = 0;
    int darkRight = 0;
    for (int y = field.top; y < field.bottom; ++y)
        for (int x = field.left; x < field.right; ++x) {
            const COLORREF c = shot.At(x, y);
            if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 200) {
                ++dark;
                if (x > field.left + 90) ++darkRight;
            }
        }
    EXPECT_GT(dark, 150) << "no digits in the field";
    EXPECT_GT(darkRight, 50) << "the last group is missing";
    EXPECT_TRUE(Near(shot.At(field.right - 3, field.top + 2), RGB(255, 255, 255)))
        << Describe(shot.At(field.right - 3, field.top + 2));

    // Only the number-entry corner: the top of the first page.
    Capture corner;
    corner.width = shot.width;
    corner.height = 180;
    corner.pixels.assign(shot.pixels.begin(), shot.pixels.begin() + static_cast<long>(corner.width) * corner.height);
    EXPECT_FALSE(SaveScreenshot(corner, "kit_masked_number.png").empty());
    window.DestroyWindow();
}

}  // namespace
