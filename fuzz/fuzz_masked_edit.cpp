// The mask engine fed with a mask and then a stream of keys, typed
// characters, pastes and text set by the owner. After every step the display
// keeps the mask's length and literals, and every slot holds the prompt or a
// character its kind accepts.
#include "controls/masked_edit_engine.h"
#include "fuzz_check.h"

#include <string>
#include <vector>

namespace {

struct Stream {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    bool More() const { return at < size; }
    uint8_t Byte() { return at < size ? data[at++] : 0; }
    std::string Text() {
        std::string text;
        for (size_t n = Byte() % 24; n > 0 && More(); --n) text += static_cast<char>(Byte());
        return text;
    }
};

void CheckInvariants(const MaskedEditEngine& engine, const std::vector<CMaskData>& mask) {
    FUZZ_CHECK(engine.GetCount() == static_cast<int>(mask.size()));
    const CString display = engine.GetDisplayText();
    FUZZ_CHECK(display.GetLength() == engine.GetCount());
    int slots = 0;
    for (int i = 0; i < engine.GetCount(); ++i) {
        const CMaskData& position = engine.At(i);
        FUZZ_CHECK(position.m_nKind == mask[static_cast<size_t>(i)].m_nKind);
        if (position.IsInputSlot()) {
            ++slots;
            const char v = position.m_chValue;
            FUZZ_CHECK(v == engine.GetPromptChar() || (position.Accepts(v) && position.Stored(v) == v));
        } else {
            FUZZ_CHECK(position.m_chValue == mask[static_cast<size_t>(i)].m_chValue);
        }
        FUZZ_CHECK(display.GetAt(i) == position.m_chValue);
    }
    FUZZ_CHECK(engine.GetInputText().GetLength() == slots);
}

void CheckCaret(const MaskedEditOutcome& outcome, int start, int end, int count) {
    const int low = start < end ? start : end;
    const int high = start < end ? end : start;
    FUZZ_CHECK(outcome.caret == -1 || (outcome.caret >= 0 && outcome.caret <= count) || outcome.caret == low ||
               outcome.caret == high);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Stream in{data, size};
    MaskedEditEngine engine;
    MaskSeparators separators;
    if (in.Byte() & 1) {
        separators.decimal = static_cast<char>(in.Byte());
        separators.thousands = static_cast<char>(in.Byte());
        separators.time = static_cast<char>(in.Byte());
        separators.date = static_cast<char>(in.Byte());
    }
    engine.SetSeparators(separators);
    engine.SetMask(CString(in.Text()));
    std::vector<CMaskData> mask;
    for (int i = 0; i < engine.GetCount(); ++i) mask.push_back(engine.At(i));
    CheckInvariants(engine, mask);

    const int count = engine.GetCount();
    // Selections as an edit reports them, with a little overreach both ways.
    auto position = [&] { return static_cast<int>(in.Byte() % (count + 4)) - 2; };
    for (int step = 0; step < 200 && in.More(); ++step) {
        const uint8_t op = in.Byte() % 9;
        MaskedEditOutcome outcome;
        int start = 0, end = 0;
        switch (op) {
        case 0:
        case 1: {
            start = position();
            end = in.Byte() & 1 ? start : position();
            const char ch = static_cast<char>(in.Byte());
            outcome = engine.TypeChar(start, end, ch, op == 0);
            CheckCaret(outcome, start, end, count);
            break;
        }
        case 2:
            start = position();
            end = in.Byte() & 1 ? start : position();
            CheckCaret(engine.Backspace(start, end), start, end, count);
            break;
        case 3:
            start = position();
            end = in.Byte() & 1 ? start : position();
            CheckCaret(engine.DeleteForward(start, end), start, end, count);
            break;
        case 4:
            start = position();
            end = position();
            CheckCaret(engine.RemoveSelection(start, end), start, end, count);
            break;
        case 5: {
            // The edit pasted the clipboard raw into its text at the caret.
            start = position();
            std::string text = engine.GetDisplayText().str();
            const size_t at = start < 0                                  ? 0
                              : static_cast<size_t>(start) > text.size() ? text.size()
                                                                         : static_cast<size_t>(start);
            text.insert(at, in.Text());
            outcome = engine.AfterPaste(CString(text), start);
            FUZZ_CHECK(outcome.caret >= 0 && outcome.caret <= count);
            break;
        }
        case 6: {
            const CString text(in.Text());
            engine.SetTextFromOutside(text);
            // Text set by the owner is idempotent through the display.
            const CString shown = engine.GetDisplayText();
            engine.SetTextFromOutside(shown);
            FUZZ_CHECK(engine.GetDisplayText() == shown);
            break;
        }
        case 7: {
            const char prompt = static_cast<char>(in.Byte());
            const bool refused = prompt == '\0' || prompt == '\n' || prompt == '\r' || prompt == 127;
            FUZZ_CHECK(engine.SetPromptChar(prompt) == !refused);
            break;
        }
        default: {
            const int p = position();
            const int next = engine.NextInputSlot(p);
            FUZZ_CHECK(next == p || next == count || engine.IsInputPosition(next) || p > count);
            const int previous = engine.PreviousInputSlot(p);
            FUZZ_CHECK(previous >= 0 || previous == p);
            engine.LayInInput(CString(in.Text()), position(), in.Byte() & 1);
            break;
        }
        }
        CheckInvariants(engine, mask);
    }
    return 0;
}
