// The text model of the masked edit: a mask cut into positions, fixed
// literals that never move and input slots that each accept one kind of
// character, shown as the prompt character while empty. Every editing
// decision of the control (typing, deleting, pasting, text set by the owner)
// is made here; COXMaskedEdit only moves the result into its window.
//
// Positions are counted from 0 and a caret position p lies before position p.
// All text is 8-bit; classification and casing follow the C runtime's
// current locale.
#pragma once

#include "framework/cstring.h"

#include <vector>

// One position of the mask.
class CMaskData {
public:
    enum Kind {
        kDecimalSeparator = 0,    // "."
        kThousandsSeparator = 1,  // ","
        kTimeSeparator = 2,       // ":"
        kDateSeparator = 3,       // "/"
        kDigit = 4,               // "#"
        kLetterOrDigit = 5,       // "A"
        kLetter = 6,              // "?"
        kUpperLetter = 7,         // ">"
        kLowerLetter = 8,         // "<"
        kPrintable = 9,           // "&"
        kEscapedLiteral = 10,     // backslash + character
        kLiteral = 11,            // any other character
    };

    bool IsInputSlot() const { return m_nKind >= kDigit && m_nKind <= kPrintable; }
    // Whether ch may stand in this slot (false for every literal).
    bool Accepts(char ch) const;
    // ch as this slot stores it (upper or lower case for those kinds).
    char Stored(char ch) const;

    int m_nKind = kLiteral;
    char m_chValue = 0;
};

// The user's locale separators; the first character of each setting.
struct MaskSeparators {
    char decimal = '.';
    char thousands = ',';
    char time = ':';
    char date = '/';
};

// What an editing step asks of the window.
struct MaskedEditOutcome {
    bool beep = false;     // something was refused: the validation-error reaction
    bool refresh = false;  // the display text changed and goes to the window
    int caret = -1;        // -1 leaves the caret; otherwise it is placed at the
                           // next input slot at or after this position
};

class MaskedEditEngine {
public:
    // Separators in use from the next SetMask on.
    void SetSeparators(const MaskSeparators& separators) { m_separators = separators; }

    // Replaces all positions (any input is lost); every slot starts empty.
    // A backslash takes the next character as a literal; a backslash at the
    // very end stands for itself.
    void SetMask(const CString& mask);
    bool HasMask() const { return !m_positions.empty(); }
    int GetCount() const { return static_cast<int>(m_positions.size()); }
    const CMaskData& At(int index) const { return m_positions.at(static_cast<size_t>(index)); }

    char GetPromptChar() const { return m_chPrompt; }
    // Refuses 0, line feed, carriage return and 127 (returns false, nothing
    // changes); otherwise empty slots show ch from now on.
    bool SetPromptChar(char ch);

    // The values of the input slots in order, prompt characters included.
    CString GetInputText() const;
    // The values of all positions: what the window shows.
    CString GetDisplayText() const;
    bool IsInputEmpty() const;
    // False for a negative index, an index past the end, or a literal.
    bool IsInputPosition(int index) const;

    // The first input slot at or after max(p, 0); the number of positions
    // when there is none; p itself when p lies past the end.
    int NextInputSlot(int p) const;
    // The caret position just after the input slot nearest before p, or p
    // itself when p is an input slot; without any, NextInputSlot(p).
    int PreviousInputSlot(int p) const;
    // Where a click leaves the caret when the edit would put it at hit: the
    // first slot of an empty field; the next empty slot when hit lies past
    // the last filled slot; the next slot when hit is on a literal; hit
    // itself inside the entered text.
    int CaretForClick(int hit) const;

    // Keeps the first start characters of the input text, appends text (without
    // prompt characters unless prompt_allowed) and deals the result out over the
    // slots in order, skipping characters a slot does not accept. Slots left
    // over get the prompt character. Returns false when anything was skipped.
    bool LayInInput(const CString& text, int start, bool prompt_allowed);
    // Takes the input characters of [from, to) out, closing the gap from the
    // right; returns how many input slots lay in the range.
    int RemoveRange(int from, int to);
    // Puts ch before the first slot at or after p, shifting the rest right (the
    // last one drops off). Returns the slot that took ch, or -1 when ch is
    // refused or no slot follows p (the input is then unchanged).
    int InsertChar(int p, char ch);
    // Returns p after storing ch there, p unchanged when p is a literal, -1
    // when the slot refuses ch.
    int OvertypeChar(int p, char ch);

    // Text the owner sets: literals standing at their own places are dropped,
    // the rest is laid in from the first slot, so the text with or without
    // its literals gives the same display and an empty text empties all slots.
    bool SetTextFromOutside(const CString& text);

    // The keyboard and clipboard steps on the selection (start, end).
    MaskedEditOutcome TypeChar(int start, int end, char ch, bool insert_mode);
    MaskedEditOutcome Backspace(int start, int end);
    MaskedEditOutcome DeleteForward(int start, int end);
    MaskedEditOutcome RemoveSelection(int start, int end);  // cut and clear
    // window_text is the text after the edit pasted the clipboard raw at start.
    MaskedEditOutcome AfterPaste(const CString& window_text, int start);

private:
    std::vector<CMaskData> m_positions;
    char m_chPrompt = ' ';
    MaskSeparators m_separators;
};
