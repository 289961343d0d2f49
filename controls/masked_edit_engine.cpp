#include "controls/masked_edit_engine.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <utility>

bool CMaskData::Accepts(char ch) const {
    // The classification functions take the character as unsigned: codes
    // above 127 would otherwise be negative and undefined for them.
    const int code = static_cast<unsigned char>(ch);
    switch (m_nKind) {
    case kDigit:
        return std::isdigit(code) != 0;
    case kLetterOrDigit:
        return std::isalnum(code) != 0;
    case kLetter:
    case kUpperLetter:
    case kLowerLetter:
        return std::isalpha(code) != 0;
    case kPrintable:
        return code >= 32 && code <= 126;
    default:
        return false;
    }
}

char CMaskData::Stored(char ch) const {
    const int code = static_cast<unsigned char>(ch);
    if (m_nKind == kUpperLetter) return static_cast<char>(std::toupper(code));
    if (m_nKind == kLowerLetter) return static_cast<char>(std::tolower(code));
    return ch;
}

void MaskedEditEngine::SetMask(const CString& mask) {
    m_positions.clear();
    const std::string& text = mask.str();
    for (size_t i = 0; i < text.size(); ++i) {
        CMaskData position;
        const char c = text[i];
        switch (c) {
        case '.':
            position.m_nKind = CMaskData::kDecimalSeparator;
            position.m_chValue = m_separators.decimal;
            break;
        case ',':
            position.m_nKind = CMaskData::kThousandsSeparator;
            position.m_chValue = m_separators.thousands;
            break;
        case ':':
            position.m_nKind = CMaskData::kTimeSeparator;
            position.m_chValue = m_separators.time;
            break;
        case '/':
            position.m_nKind = CMaskData::kDateSeparator;
            position.m_chValue = m_separators.date;
            break;
        case '#':
            position.m_nKind = CMaskData::kDigit;
            break;
        case 'A':
            position.m_nKind = CMaskData::kLetterOrDigit;
            break;
        case '?':
            position.m_nKind = CMaskData::kLetter;
            break;
        case '>':
            position.m_nKind = CMaskData::kUpperLetter;
            break;
        case '<':
            position.m_nKind = CMaskData::kLowerLetter;
            break;
        case '&':
            position.m_nKind = CMaskData::kPrintable;
            break;
        case '\\':
            // A backslash with nothing after it can only mean itself.
            position.m_nKind = CMaskData::kEscapedLiteral;
            position.m_chValue = i + 1 < text.size() ? text[++i] : '\\';
            break;
        default:
            position.m_nKind = CMaskData::kLiteral;
            position.m_chValue = c;
            break;
        }
        if (position.IsInputSlot()) position.m_chValue = m_chPrompt;
        m_positions.push_back(position);
    }
}

bool MaskedEditEngine::SetPromptChar(char ch) {
    // These would break the single line or end the text early.
    if (ch == '\0' || ch == '\n' || ch == '\r' || ch == 127) return false;
    for (CMaskData& position : m_positions)
        if (position.IsInputSlot() && position.m_chValue == m_chPrompt) position.m_chValue = ch;
    m_chPrompt = ch;
    return true;
}

CString MaskedEditEngine::GetInputText() const {
    std::string text;
    for (const CMaskData& position : m_positions)
        if (position.IsInputSlot()) text += position.m_chValue;
    return CString(text);
}

CString MaskedEditEngine::GetDisplayText() const {
    std::string text;
    for (const CMaskData& position : m_positions) text += position.m_chValue;
    return CString(text);
}

bool MaskedEditEngine::IsInputEmpty() const {
    for (const CMaskData& position : m_positions)
        if (position.IsInputSlot() && position.m_chValue != m_chPrompt) return false;
    return true;
}

bool MaskedEditEngine::IsInputPosition(int index) const {
    return index >= 0 && index < GetCount() && At(index).IsInputSlot();
}

int MaskedEditEngine::NextInputSlot(int p) const {
    const int count = GetCount();
    if (p > count) return p;
    for (int i = std::max(p, 0); i < count; ++i)
        if (At(i).IsInputSlot()) return i;
    return count;
}

int MaskedEditEngine::PreviousInputSlot(int p) const {
    const int q = std::max(p, 0);
    if (IsInputPosition(q)) return q;
    for (int i = std::min(q, GetCount()) - 1; i >= 0; --i)
        if (At(i).IsInputSlot()) return i + 1;
    return NextInputSlot(p);
}

int MaskedEditEngine::CaretForClick(int hit) const {
    if (!HasMask()) return hit;
    int afterLastFilled = 0;
    for (int i = 0; i < GetCount(); ++i)
        if (At(i).IsInputSlot() && At(i).m_chValue != m_chPrompt) afterLastFilled = i + 1;
    // Typing behind the entered text would leave empty slots in the number:
    // the caret goes to the first free slot after it (the first slot of an
    // empty field).
    if (hit > afterLastFilled) return NextInputSlot(afterLastFilled);
    return IsInputPosition(hit) ? hit : NextInputSlot(hit);
}

bool MaskedEditEngine::LayInInput(const CString& text, int start, bool prompt_allowed) {
    const std::string input = GetInputText().str();
    std::string source = input.substr(0, static_cast<size_t>(std::clamp(start, 0, static_cast<int>(input.size()))));
    for (char c : text.str())
        if (prompt_allowed || c != m_chPrompt) source += c;

    bool complete = true;
    size_t read = 0;
    for (CMaskData& slot : m_positions) {
        if (!slot.IsInputSlot()) continue;
        bool placed = false;
        while (read < source.size() && !placed) {
            const char c = source[read++];
            if (c == m_chPrompt) {
                slot.m_chValue = m_chPrompt;
                placed = true;
            } else if (slot.Accepts(c)) {
                slot.m_chValue = slot.Stored(c);
                placed = true;
            } else {
                complete = false;
            }
        }
        // Nothing acceptable left: the slot is empty, like every slot after
        // it. Keeping its old value would splice a character of the previous
        // text into the new one.
        if (!placed) slot.m_chValue = m_chPrompt;
    }
    return complete;
}

int MaskedEditEngine::RemoveRange(int from, int to) {
    std::string rest;
    int removed = 0;
    for (int i = 0; i < GetCount(); ++i) {
        if (!At(i).IsInputSlot()) continue;
        if (i < from || i >= to) rest += At(i).m_chValue;
        else ++removed;
    }
    if (removed > 0) LayInInput(CString(rest), 0, true);
    return removed;
}

int MaskedEditEngine::InsertChar(int p, char ch) {
    const CString remembered = GetInputText();
    std::string shifted;
    int target = -1;
    for (int i = 0; i < GetCount(); ++i) {
        if (!At(i).IsInputSlot()) continue;
        if (target < 0 && i >= p) {
            shifted += ch;
            target = i;
        }
        shifted += At(i).m_chValue;
    }
    if (target < 0) return -1;
    if (!LayInInput(CString(shifted), 0, true)) {
        LayInInput(remembered, 0, true);
        return -1;
    }
    return target;
}

int MaskedEditEngine::OvertypeChar(int p, char ch) {
    if (!IsInputPosition(p)) return p;
    CMaskData& slot = m_positions[static_cast<size_t>(p)];
    if (ch == m_chPrompt) {
        slot.m_chValue = ch;
        return p;
    }
    if (!slot.Accepts(ch)) return -1;
    slot.m_chValue = slot.Stored(ch);
    return p;
}

bool MaskedEditEngine::SetTextFromOutside(const CString& text) {
    // Walk the runs of literals; a run whose characters stand at its place in
    // the text (counted after what was dropped before it) is dropped. The
    // text may end inside a run.
    std::string rest = text.str();
    int dropped = 0;
    for (int i = 0; i < GetCount() && i - dropped < static_cast<int>(rest.size());) {
        if (At(i).IsInputSlot()) {
            ++i;
            continue;
        }
        int end = i;
        while (end < GetCount() && !At(end).IsInputSlot()) ++end;
        const size_t at = static_cast<size_t>(i - dropped);
        const size_t length = std::min(static_cast<size_t>(end - i), rest.size() - at);
        bool matches = true;
        for (size_t k = 0; k < length && matches; ++k) matches = rest[at + k] == At(i + static_cast<int>(k)).m_chValue;
        if (matches) {
            rest.erase(at, length);
            dropped += static_cast<int>(length);
        }
        i = end;
    }
    return LayInInput(CString(rest), 0, true);
}

MaskedEditOutcome MaskedEditEngine::TypeChar(int start, int end, char ch, bool insert_mode) {
    if (start > end) std::swap(start, end);
    MaskedEditOutcome outcome;
    int result;
    if (start == end) {
        if (!IsInputPosition(start)) {
            outcome.beep = true;
            outcome.caret = start;
            return outcome;
        }
        result = insert_mode ? InsertChar(start, ch) : OvertypeChar(start, ch);
    } else {
        if (RemoveRange(start, end) == 0) {
            outcome.beep = true;
            outcome.caret = start;
            return outcome;
        }
        result = InsertChar(start, ch);  // typing over a selection always inserts
    }
    outcome.refresh = true;
    if (result < 0) {
        outcome.beep = true;
        outcome.caret = start;
    } else {
        outcome.caret = result + 1;
    }
    return outcome;
}

MaskedEditOutcome MaskedEditEngine::Backspace(int start, int end) {
    if (start > end) std::swap(start, end);
    MaskedEditOutcome outcome;
    if (start != end) {
        if (RemoveRange(start, end) > 0) {
            outcome.refresh = true;
            outcome.caret = start;
            return outcome;
        }
        end = start;
    }
    if (start < 1) return outcome;
    // Step left over literals until an input character goes.
    for (int from = start - 1, to = end; from >= 0; --from, --to) {
        if (RemoveRange(from, to) > 0) {
            outcome.refresh = true;
            outcome.caret = from;
            return outcome;
        }
    }
    return outcome;
}

MaskedEditOutcome MaskedEditEngine::DeleteForward(int start, int end) {
    if (start > end) std::swap(start, end);
    MaskedEditOutcome outcome;
    int from = start;
    int to = start == end ? start + 1 : end;
    // Step right over literals until an input character goes or the range
    // reaches the end.
    for (;;) {
        if (RemoveRange(from, to) > 0) {
            outcome.refresh = true;
            outcome.caret = from;
            return outcome;
        }
        if (to >= GetCount()) return outcome;
        ++from;
        ++to;
    }
}

MaskedEditOutcome MaskedEditEngine::RemoveSelection(int start, int end) {
    if (start > end) std::swap(start, end);
    MaskedEditOutcome outcome;
    RemoveRange(start, end);
    outcome.refresh = true;
    outcome.caret = start;
    return outcome;
}

MaskedEditOutcome MaskedEditEngine::AfterPaste(const CString& window_text, int start) {
    LayInInput(window_text, 0, false);
    MaskedEditOutcome outcome;
    outcome.refresh = true;
    outcome.caret = GetCount();
    for (int i = std::max(start, 0); i < GetCount(); ++i) {
        if (At(i).IsInputSlot() && At(i).m_chValue == m_chPrompt) {
            outcome.caret = i;
            break;
        }
    }
    return outcome;
}
