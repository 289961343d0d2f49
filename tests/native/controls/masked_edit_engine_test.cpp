#include "controls/masked_edit_engine.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

const char kPhoneMask[] = "(###)-###-####";
const char kEmptyPhone[] = "(   )-   -    ";
const char kFullPhone[] = "(555)-123-4567";

// The engine with a selection, moved the way the control moves its caret.
struct Field {
    MaskedEditEngine engine;
    int start = 0;
    int end = 0;
    bool beeped = false;

    explicit Field(const char* mask, const char* text = nullptr) {
        engine.SetMask(mask);
        if (text) engine.SetTextFromOutside(text);
        Caret(0);
    }
    void Caret(int p) { start = end = engine.NextInputSlot(p); }
    void Select(int s, int e) {
        start = s;
        end = e;
    }
    void Apply(const MaskedEditOutcome& outcome) {
        beeped = outcome.beep;
        if (outcome.caret >= 0) Caret(outcome.caret);
    }
    void Type(char ch, bool insert = true) { Apply(engine.TypeChar(start, end, ch, insert)); }
    void Type(const std::string& text) {
        for (char ch : text) Type(ch);
    }
    void Backspace() { Apply(engine.Backspace(start, end)); }
    void Delete() { Apply(engine.DeleteForward(start, end)); }
    // What the edit control does first: the clipboard text replaces the selection.
    void Paste(const std::string& clip) {
        const std::string shown = Display();
        const std::string raw =
            shown.substr(0, static_cast<size_t>(start)) + clip + shown.substr(static_cast<size_t>(end));
        Apply(engine.AfterPaste(raw.c_str(), start));
    }
    std::string Display() const { return engine.GetDisplayText().str(); }
};

TEST(MaskedEditMask, ParsesEveryKindIntoPositions) {
    struct Case {
        const char* mask;
        const char* display;
        const char* slots;  // I: input slot, L: literal
    };
    const Case cases[] = {
        {kPhoneMask, kEmptyPhone, "LIIILLIIILIIII"},
        {"#A?><&", "      ", "IIIIII"},
        {".,:/", ".,:/", "LLLL"},
        {"\\#\\A-\\\\x", "#A-\\x", "LLLLL"},
        {"##\\", "  \\", "IIL"},  // a lone backslash at the end stands for itself
        {"a#b", "a b", "LIL"},    // only the capital A is a slot
        {"", "", ""},
    };
    for (const Case& c : cases) {
        MaskedEditEngine engine;
        engine.SetMask(c.mask);
        EXPECT_EQ(engine.GetDisplayText().str(), c.display) << c.mask;
        std::string slots;
        for (int i = 0; i < engine.GetCount(); ++i) slots += engine.IsInputPosition(i) ? 'I' : 'L';
        EXPECT_EQ(slots, c.slots) << c.mask;
        EXPECT_EQ(engine.HasMask(), c.mask[0] != '\0') << c.mask;
    }
}

TEST(MaskedEditMask, SeparatorLiteralsShowTheLocaleCharacters) {
    MaskedEditEngine engine;
    MaskSeparators separators;
    separators.decimal = ',';
    separators.thousands = '.';
    separators.time = '.';
    separators.date = '-';
    engine.SetSeparators(separators);
    engine.SetMask("#,###.##/##:##");
    EXPECT_EQ(engine.GetDisplayText().str(), " .   ,  -  .  ");
    EXPECT_EQ(engine.At(1).m_nKind, CMaskData::kThousandsSeparator);
    EXPECT_EQ(engine.At(5).m_nKind, CMaskData::kDecimalSeparator);
    EXPECT_EQ(engine.At(8).m_nKind, CMaskData::kDateSeparator);
    EXPECT_EQ(engine.At(11).m_nKind, CMaskData::kTimeSeparator);
}

TEST(MaskedEditMask, EmptyPhoneFieldShowsLiteralsAndTenPrompts) {
    Field field(kPhoneMask);
    EXPECT_EQ(field.Display(), kEmptyPhone);
    EXPECT_EQ(field.Display().size(), 14u);
    EXPECT_EQ(field.engine.GetInputText().str(), std::string(10, ' '));
    EXPECT_TRUE(field.engine.IsInputEmpty());
    EXPECT_EQ(field.start, 1);  // the first slot, after the parenthesis
}

TEST(MaskedEditMask, NewMaskDropsThePreviousInput) {
    Field field(kPhoneMask, kFullPhone);
    field.engine.SetMask("##-##");
    EXPECT_EQ(field.Display(), "  -  ");
    field.engine.SetMask(kPhoneMask);
    EXPECT_EQ(field.Display(), kEmptyPhone);
}

TEST(MaskedEditSlots, NextAndPreviousInputSlot) {
    MaskedEditEngine engine;
    engine.SetMask(kPhoneMask);
    struct Case {
        int p, next, previous;
    };
    const Case cases[] = {
        {-3, 1, 1},  // nothing at or before 0: the next slot
        {0, 1, 1},  {1, 1, 1},  {3, 3, 3},    {4, 6, 4},    {5, 6, 4},
        {6, 6, 6},  {9, 10, 9}, {13, 13, 13}, {14, 14, 14}, {20, 20, 14},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(engine.NextInputSlot(c.p), c.next) << c.p;
        EXPECT_EQ(engine.PreviousInputSlot(c.p), c.previous) << c.p;
    }
    MaskedEditEngine literals;
    literals.SetMask("--");
    EXPECT_EQ(literals.NextInputSlot(0), 2);
    EXPECT_EQ(literals.PreviousInputSlot(1), 2);
    EXPECT_FALSE(literals.IsInputPosition(-1));
    EXPECT_FALSE(literals.IsInputPosition(2));
}

TEST(MaskedEditClick, TheCaretLandsWhereTypingContinuesTheNumber) {
    struct Case {
        const char* text;
        int hit;  // where the edit itself would put the caret
        int caret;
    };
    const Case cases[] = {
        // An empty field starts at its first slot wherever it is clicked.
        {"", 0, 1},
        {"", 1, 1},
        {"", 2, 1},
        {"", 4, 1},
        {"", 9, 1},
        {"", 14, 1},
        // Past the last filled slot: the next empty one, over the literals.
        {"5", 3, 2},
        {"5", 14, 2},
        {"555", 4, 6},
        {"555", 12, 6},
        {"55512", 14, 8},
        // A literal moves on to the next slot.
        {"5551234567", 0, 1},
        {"5551234567", 4, 6},
        {"5551234567", 5, 6},
        {"5551234567", 9, 10},
        {"555", 0, 1},
        // Inside the entered text, and at the end of a full number, the
        // click stays where it is.
        {"5551234567", 2, 2},
        {"5551234567", 7, 7},
        {"5551234567", 13, 13},
        {"5551234567", 14, 14},
        {"5551", 6, 6},
        {"5551", 7, 7},
        {"555", 3, 3},
    };
    for (const Case& c : cases) {
        Field field(kPhoneMask, c.text);
        EXPECT_EQ(field.engine.CaretForClick(c.hit), c.caret) << c.text << " at " << c.hit;
    }
    MaskedEditEngine plain;  // without a mask the edit decides
    EXPECT_EQ(plain.CaretForClick(5), 5);
}

TEST(MaskedEditTyping, TenDigitsFillTheGroupsAndTheCaretSkipsLiterals) {
    Field field(kPhoneMask);
    struct Step {
        char digit;
        const char* display;
        int caret;
    };
    const Step steps[] = {
        {'5', "(5  )-   -    ", 2},  {'5', "(55 )-   -    ", 3},  {'5', "(555)-   -    ", 6},
        {'1', "(555)-1  -    ", 7},  {'2', "(555)-12 -    ", 8},  {'3', "(555)-123-    ", 10},
        {'4', "(555)-123-4   ", 11}, {'5', "(555)-123-45  ", 12}, {'6', "(555)-123-456 ", 13},
        {'7', kFullPhone, 14},
    };
    for (const Step& step : steps) {
        field.Type(step.digit);
        EXPECT_EQ(field.Display(), step.display);
        EXPECT_EQ(field.start, step.caret) << step.display;
        EXPECT_EQ(field.end, step.caret);
        EXPECT_FALSE(field.beeped);
    }
    EXPECT_FALSE(field.engine.IsInputEmpty());
    EXPECT_EQ(field.engine.GetInputText().str(), "5551234567");
}

TEST(MaskedEditTyping, RefusedCharactersChangeNothingAndBeep) {
    struct Case {
        const char* text;
        int caret;
        char ch;
        bool insert;
        int caret_after;
    };
    const Case cases[] = {
        {"", 1, 'a', true, 1},                                           // a letter in a digit slot
        {"", 1, 'a', false, 1},                                          // the same while overtyping
        {"555123", 6, '-', true, 6},                                     // a literal character is no digit either
        {"555", 0, '7', true, 1},                                        // typed on a literal: only the caret moves on
        {"555", 4, '7', true, 6},      {kFullPhone, 14, '8', true, 14},  // past the last slot
        {kFullPhone, 6, 'x', true, 6},                                   // a letter in the middle of a full number
    };
    for (const Case& c : cases) {
        Field field(kPhoneMask, c.text);
        const std::string before = field.Display();
        field.Select(c.caret, c.caret);
        field.Type(c.ch, c.insert);
        EXPECT_TRUE(field.beeped) << c.text << " + " << c.ch;
        EXPECT_EQ(field.Display(), before) << c.text << " + " << c.ch;
        EXPECT_EQ(field.start, c.caret_after) << c.text << " + " << c.ch;
    }
}

TEST(MaskedEditTyping, InsertShiftsRightAndOvertypeReplaces) {
    struct Case {
        int caret;
        bool insert;
        const char* display;
        int caret_after;
    };
    const Case cases[] = {
        {6, true, "(555)-912-3456", 7},  // the last digit drops off
        {1, true, "(955)-512-3456", 2},  {13, true, "(555)-123-4569", 14},
        {6, false, "(555)-923-4567", 7}, {13, false, "(555)-123-4569", 14},
    };
    for (const Case& c : cases) {
        Field field(kPhoneMask, kFullPhone);
        field.Select(c.caret, c.caret);
        field.Type('9', c.insert);
        EXPECT_FALSE(field.beeped);
        EXPECT_EQ(field.Display(), c.display) << c.caret << (c.insert ? " insert" : " overtype");
        EXPECT_EQ(field.start, c.caret_after);
    }
}

TEST(MaskedEditTyping, TypingOverASelectionReplacesItsDigits) {
    Field field(kPhoneMask, kFullPhone);
    field.Select(6, 9);
    field.Type('8', false);  // inserts even in overtype mode
    EXPECT_FALSE(field.beeped);
    EXPECT_EQ(field.Display(), "(555)-845-67  ");
    EXPECT_EQ(field.start, 7);

    Field whole(kPhoneMask, kFullPhone);
    whole.Select(0, 14);
    whole.Type('2');
    EXPECT_EQ(whole.Display(), "(2  )-   -    ");
    EXPECT_EQ(whole.start, 2);

    Field literals(kPhoneMask, kFullPhone);
    literals.Select(4, 6);  // ")-" holds no slot
    literals.Type('1');
    EXPECT_TRUE(literals.beeped);
    EXPECT_EQ(literals.Display(), kFullPhone);
    EXPECT_EQ(literals.start, 6);
}

TEST(MaskedEditDeleting, BackspaceSkipsLiteralsToTheDigitBefore) {
    struct Case {
        const char* text;
        int start, end;
        const char* display;
        int caret_after;  // where the caret is after the step (unmoved when nothing changed)
        bool changed;
    };
    const Case cases[] = {
        {kFullPhone, 6, 6, "(551)-234-567 ", 3, true},  // after the hyphen: the third digit goes
        {kFullPhone, 8, 8, "(555)-134-567 ", 7, true},  // just after a digit: that digit
        {kFullPhone, 14, 14, "(555)-123-456 ", 13, true},
        {kFullPhone, 1, 1, kFullPhone, 1, false},  // only the parenthesis is before it
        {kFullPhone, 0, 0, kFullPhone, 0, false},
        {kFullPhone, 6, 9, "(555)-456-7   ", 6, true},  // a selection goes as a whole
        {kFullPhone, 4, 6, "(551)-234-567 ", 3, true},  // a selection of literals: as from its start
        {"555", 6, 6, "(55 )-   -    ", 3, true},
    };
    for (const Case& c : cases) {
        Field field(kPhoneMask, c.text);
        field.Select(c.start, c.end);
        MaskedEditOutcome outcome = field.engine.Backspace(c.start, c.end);
        field.Apply(outcome);
        EXPECT_EQ(outcome.refresh, c.changed) << c.start << "-" << c.end;
        EXPECT_EQ(field.Display(), c.display) << c.start << "-" << c.end;
        EXPECT_EQ(field.start, c.caret_after) << c.start << "-" << c.end;
        EXPECT_FALSE(outcome.beep);
    }
}

TEST(MaskedEditDeleting, DeleteOnALiteralTakesTheNextDigitToItsRight) {
    struct Case {
        const char* text;
        int start, end;
        const char* display;
        int caret_after;
        bool changed;
    };
    const Case cases[] = {
        {kFullPhone, 4, 4, "(555)-234-567 ", 6, true},  // on ")": the 1 goes
        {kFullPhone, 0, 0, "(551)-234-567 ", 1, true},
        {kFullPhone, 1, 1, "(551)-234-567 ", 1, true},
        {kFullPhone, 13, 13, "(555)-123-456 ", 13, true},
        {kFullPhone, 14, 14, kFullPhone, 14, false},  // nothing to its right
        {kFullPhone, 1, 4, "(123)-456-7   ", 1, true},
        {kFullPhone, 4, 6, "(555)-234-567 ", 6, true},  // literals only: the range moves right
        {"555", 6, 6, "(555)-   -    ", 6, true},       // an empty slot goes, nothing moves
    };
    for (const Case& c : cases) {
        Field field(kPhoneMask, c.text);
        field.Select(c.start, c.end);
        MaskedEditOutcome outcome = field.engine.DeleteForward(c.start, c.end);
        field.Apply(outcome);
        EXPECT_EQ(outcome.refresh, c.changed) << c.start << "-" << c.end;
        EXPECT_EQ(field.Display(), c.display) << c.start << "-" << c.end;
        EXPECT_EQ(field.start, c.caret_after) << c.start << "-" << c.end;
    }
    MaskedEditEngine tail;
    tail.SetMask("##--");
    tail.SetTextFromOutside("12");
    EXPECT_EQ(tail.DeleteForward(2, 2).refresh, false);  // only literals up to the end
    EXPECT_EQ(tail.GetDisplayText().str(), "12--");
}

TEST(MaskedEditDeleting, CutAndClearEmptyTheSelectedSlots) {
    Field field(kPhoneMask, kFullPhone);
    field.Select(2, 8);
    field.Apply(field.engine.RemoveSelection(2, 8));
    EXPECT_EQ(field.Display(), "(534)-567-    ");
    EXPECT_EQ(field.start, 2);
}

TEST(MaskedEditPaste, AcceptableCharactersFillTheSlotsInOrder) {
    struct Case {
        const char* text;
        int start, end;
        const char* clip;
        const char* display;
        int caret_after;
    };
    const Case cases[] = {
        {"", 1, 1, "555 123 4567", kFullPhone, 14},
        {"", 1, 1, "5 5 5 1 2 3 4 5 6 7", kFullPhone, 14},
        {"", 1, 1, "(555)-123-4567", kFullPhone, 14},
        {"", 1, 1, "abcdef", kEmptyPhone, 1},  // letters fill nothing
        {"555", 6, 6, "123", "(555)-123-    ", 10},
        {"555", 6, 6, "xy", "(555)-   -    ", 6},
        {"555", 1, 1, "12", "(125)-55 -    ", 8},    // the pasted digits go first
        {kFullPhone, 0, 14, "abc", kEmptyPhone, 1},  // letters over the whole number
        {"(999)-999-9999", 0, 14, "555123456x", "(555)-123-456 ", 13},
    };
    for (const Case& c : cases) {
        Field field(kPhoneMask, c.text);
        field.Select(c.start, c.end);
        field.Paste(c.clip);
        EXPECT_EQ(field.Display(), c.display) << c.clip;
        EXPECT_EQ(field.start, c.caret_after) << c.clip;
    }
}

TEST(MaskedEditOutsideText, WithOrWithoutLiteralsGivesTheSameDisplay) {
    struct Case {
        const char* before;
        const char* text;
        const char* display;
        bool complete;
    };
    const Case cases[] = {
        {kFullPhone, "", kEmptyPhone, true},
        {"", kFullPhone, kFullPhone, true},
        {"", "5551234567", kFullPhone, true},
        {"", "(555)", "(555)-   -    ", true},  // the text may end inside a run of literals
        {"", "(555)-12", "(555)-12 -    ", true},
        {"", "555", "(555)-   -    ", true},
        {"", "555-123-4567", kFullPhone, false},        // misplaced literals are skipped
        {"(999)-999-9999", "abc", kEmptyPhone, false},  // nothing of the old number stays
        {"(999)-999-9999", "555123456x", "(555)-123-456 ", false},
    };
    for (const Case& c : cases) {
        Field field(kPhoneMask, c.before);
        EXPECT_EQ(field.engine.SetTextFromOutside(c.text), c.complete) << c.text;
        EXPECT_EQ(field.Display(), c.display) << c.text;
    }
}

TEST(MaskedEditLayIn, KeepsTheFirstCharactersAndDealsOutTheRest) {
    MaskedEditEngine engine;
    engine.SetMask(kPhoneMask);
    engine.SetTextFromOutside("5559999");
    EXPECT_TRUE(engine.LayInInput("12", 3, false));
    EXPECT_EQ(engine.GetDisplayText().str(), "(555)-12 -    ");
    EXPECT_TRUE(engine.LayInInput("1 2", 3, true));  // prompt characters hold a slot
    EXPECT_EQ(engine.GetDisplayText().str(), "(555)-1 2-    ");
    EXPECT_TRUE(engine.LayInInput("1 2", 3, false));
    EXPECT_EQ(engine.GetDisplayText().str(), "(555)-12 -    ");
    EXPECT_FALSE(engine.LayInInput("7a8", -4, true));
    EXPECT_EQ(engine.GetDisplayText().str(), "(78 )-   -    ");
}

TEST(MaskedEditPrimitives, RemoveInsertOvertypeResults) {
    MaskedEditEngine engine;
    engine.SetMask(kPhoneMask);
    engine.SetTextFromOutside(kFullPhone);
    EXPECT_EQ(engine.RemoveRange(4, 6), 0);
    EXPECT_EQ(engine.RemoveRange(0, 5), 3);
    EXPECT_EQ(engine.GetDisplayText().str(), "(123)-456-7   ");
    EXPECT_EQ(engine.InsertChar(14, '1'), -1);  // no slot at or after the end
    EXPECT_EQ(engine.InsertChar(4, '0'), 6);
    EXPECT_EQ(engine.GetDisplayText().str(), "(123)-045-67  ");
    EXPECT_EQ(engine.OvertypeChar(5, '9'), 5);  // a literal stays
    EXPECT_EQ(engine.OvertypeChar(6, 'q'), -1);
    EXPECT_EQ(engine.OvertypeChar(6, ' '), 6);  // the prompt character empties a slot
    EXPECT_EQ(engine.GetDisplayText().str(), "(123)- 45-67  ");
}

TEST(MaskedEditPrompt, ChangingItRedrawsOnlyEmptySlots) {
    Field field(kPhoneMask, "555");
    EXPECT_TRUE(field.engine.SetPromptChar('_'));
    EXPECT_EQ(field.Display(), "(555)-___-____");
    EXPECT_EQ(field.engine.GetPromptChar(), '_');
    field.Select(6, 6);
    field.Type("12");
    EXPECT_EQ(field.Display(), "(555)-12_-____");
    field.Select(8, 8);
    field.Type(' ');  // the old prompt is now an ordinary character, and no digit
    EXPECT_TRUE(field.beeped);

    for (char refused : {'\0', '\n', '\r', '\x7f'}) {
        EXPECT_FALSE(field.engine.SetPromptChar(refused)) << static_cast<int>(refused);
        EXPECT_EQ(field.Display(), "(555)-12_-____");
        EXPECT_EQ(field.engine.GetPromptChar(), '_');
    }
    EXPECT_TRUE(field.engine.SetPromptChar(' '));
    EXPECT_EQ(field.Display(), "(555)-12 -    ");

    Field empty(kPhoneMask);
    EXPECT_TRUE(empty.engine.SetPromptChar('*'));
    EXPECT_TRUE(empty.engine.IsInputEmpty());
    EXPECT_EQ(empty.Display(), "(***)-***-****");
}

TEST(MaskedEditKinds, EachSlotKindAcceptsAndStoresItsCharacters) {
    struct Case {
        const char* mask;
        char ch;
        bool accepted;
        char stored;
    };
    const Case cases[] = {
        {"#", '0', true, '0'},   {"#", 'a', false, 0},    {"#", '\xe9', false, 0}, {"A", 'z', true, 'z'},
        {"A", '7', true, '7'},   {"A", '-', false, 0},    {"?", 'Q', true, 'Q'},   {"?", '5', false, 0},
        {">", 'q', true, 'Q'},   {">", 'Q', true, 'Q'},   {">", '1', false, 0},    {"<", 'Q', true, 'q'},
        {"<", '_', false, 0},    {"&", '%', true, '%'},   {"&", '~', true, '~'},   {"&", '!', true, '!'},
        {"&", '\x7f', false, 0}, {"&", '\x1f', false, 0}, {"&", '\xe9', false, 0},
    };
    for (const Case& c : cases) {
        Field field(c.mask);
        field.Type(c.ch);
        EXPECT_EQ(field.beeped, !c.accepted) << c.mask << " " << static_cast<int>(c.ch);
        EXPECT_EQ(field.Display(), std::string(1, c.accepted ? c.stored : ' ')) << c.mask;
    }
}

TEST(MaskedEditKinds, MixedMaskWithEscapesAndCasing) {
    Field field("\\#>>-<<<-&&");
    EXPECT_EQ(field.Display(), "#  -   -  ");
    field.Type("abCDe");
    EXPECT_EQ(field.Display(), "#AB-cde-  ");
    EXPECT_EQ(field.start, 8);
    field.Type("?!");
    EXPECT_EQ(field.Display(), "#AB-cde-?!");
    EXPECT_EQ(field.engine.GetInputText().str(), "ABcde?!");
}

}  // namespace
