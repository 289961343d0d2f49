#include "controls/ox_masked_edit.h"

namespace {

// The first character of a locale setting, or fallback when it is unreadable.
char LocaleCharacter(LCTYPE type, char fallback) {
    char buffer[16] = {};
    if (::GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer) > 1 && buffer[0]) return buffer[0];
    return fallback;
}

}  // namespace

COXMaskedEdit::COXMaskedEdit(const char* mask) {
    MaskSeparators separators;
    separators.decimal = LocaleCharacter(LOCALE_SDECIMAL, separators.decimal);
    separators.thousands = LocaleCharacter(LOCALE_STHOUSAND, separators.thousands);
    separators.time = LocaleCharacter(LOCALE_STIME, separators.time);
    separators.date = LocaleCharacter(LOCALE_SDATE, separators.date);
    m_engine.SetSeparators(separators);
    SetMask(mask);
}

BEGIN_MESSAGE_MAP(COXMaskedEdit, CEdit)
    ON_WM_KEYDOWN()
    ON_WM_CHAR()
    ON_WM_SETFOCUS()
    ON_WM_LBUTTONDOWN()
    ON_MESSAGE(WM_CUT, &COXMaskedEdit::OnCut)
    ON_MESSAGE(WM_COPY, &COXMaskedEdit::OnCopy)
    ON_MESSAGE(WM_PASTE, &COXMaskedEdit::OnPaste)
    ON_MESSAGE(WM_CLEAR, &COXMaskedEdit::OnClear)
    ON_MESSAGE(WM_SETTEXT, &COXMaskedEdit::OnSetText)
    ON_CONTROL_REFLECT_EX(EN_KILLFOCUS, &COXMaskedEdit::OnKillFocusReflect)
    ON_CONTROL_REFLECT_EX(EN_UPDATE, &COXMaskedEdit::OnEditNotificationReflect)
    ON_CONTROL_REFLECT_EX(EN_CHANGE, &COXMaskedEdit::OnEditNotificationReflect)
END_MESSAGE_MAP()

void COXMaskedEdit::SetMask(const char* mask) {
    m_sMask = mask ? mask : "";
    m_engine.SetMask(m_sMask);
    Refresh(0);
}

BOOL COXMaskedEdit::SetPromptChar(char ch) {
    const bool accepted = m_engine.SetPromptChar(ch);
    // A plain edit keeps its text: there is nothing masked to redraw.
    if (m_engine.HasMask()) Refresh(-1);
    return accepted;
}

CString COXMaskedEdit::GetInputText() const {
    if (m_engine.HasMask()) return m_engine.GetInputText();
    CString text;
    if (m_hWnd) GetWindowText(text);
    return text;
}

BOOL COXMaskedEdit::LayInInput(const char* text, int start, BOOL promptAllowed) {
    if (!m_engine.HasMask()) return FALSE;  // no slots to lay anything into
    const bool complete = m_engine.LayInInput(text ? text : "", start, promptAllowed != FALSE);
    Refresh(0);
    return complete;
}

BOOL COXMaskedEdit::IsInputPosition(int index) const { return !m_engine.HasMask() || m_engine.IsInputPosition(index); }

BOOL COXMaskedEdit::IsInputEmpty() const {
    if (m_engine.HasMask()) return m_engine.IsInputEmpty();
    return !m_hWnd || GetWindowTextLength() == 0;
}

void COXMaskedEdit::ValidationError() { ::MessageBeep(MB_ICONEXCLAMATION); }

BOOL COXMaskedEdit::OnValidate() { return TRUE; }

void COXMaskedEdit::PreSubclassWindow() {
    CEdit::PreSubclassWindow();
    if (m_engine.HasMask()) Refresh(0);
}

void COXMaskedEdit::Refresh(int p) {
    if (!m_hWnd || !::IsWindow(m_hWnd)) return;
    CString shown;
    GetWindowText(shown);
    const CString display = m_engine.GetDisplayText();
    // Writing the same text again would only flicker and report a change
    // that did not happen.
    if (shown != display) {
        // New text puts the edit's caret at the start; without a new place
        // it goes back where it was.
        int start = 0;
        int end = 0;
        GetSel(start, end);
        ++m_nUpdateDepth;
        SetWindowText(display);
        --m_nUpdateDepth;
        if (p < 0) SetSel(start, end);
    }
    if (p >= 0) PlaceCaret(p);
}

void COXMaskedEdit::PlaceCaret(int p) {
    p = m_engine.NextInputSlot(p);
    if (m_bAutoTab && p == m_engine.GetCount()) {
        HWND parent = ::GetParent(m_hWnd);
        HWND next = parent ? ::GetNextDlgTabItem(parent, m_hWnd, FALSE) : nullptr;
        if (next && next != m_hWnd) {
            ::SetFocus(next);
            return;
        }
    }
    SetSel(p, p);
}

void COXMaskedEdit::Apply(const MaskedEditOutcome& outcome) {
    if (outcome.beep) ValidationError();
    if (outcome.refresh) Refresh(outcome.caret);
    else if (outcome.caret >= 0) PlaceCaret(outcome.caret);
}

void COXMaskedEdit::NotifyParent(UINT code) {
    if (CWnd* parent = GetParent())
        parent->SendMessage(WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), code), reinterpret_cast<LPARAM>(m_hWnd));
}

void COXMaskedEdit::OnKeyDown(UINT key, UINT repeat, UINT flags) {
    if (!m_engine.HasMask()) {
        CEdit::OnKeyDown(key, repeat, flags);
        return;
    }
    // The state that came with this key, as the edit itself reads it: the
    // state of the keyboard now may already differ, and the edit would then
    // extend a selection that this handler collapses.
    const bool shift = (::GetKeyState(VK_SHIFT) & 0x8000) != 0;
    int start = 0;
    int end = 0;
    switch (key) {
    case VK_DELETE:
        GetSel(start, end);
        Apply(m_engine.DeleteForward(start, end));
        return;
    case VK_INSERT:
        m_bInsertMode = !m_bInsertMode;
        return;
    case VK_HOME:
    case VK_RIGHT:
    case VK_DOWN:
        CEdit::OnKeyDown(key, repeat, flags);
        if (!shift) {
            GetSel(start, end);
            PlaceCaret(start);  // on past the literals
        }
        return;
    case VK_LEFT:
    case VK_UP:
        CEdit::OnKeyDown(key, repeat, flags);
        if (!shift) {
            GetSel(start, end);
            const int p = m_engine.PreviousInputSlot(start);
            SetSel(p, p);
        }
        return;
    default:
        CEdit::OnKeyDown(key, repeat, flags);
    }
}

void COXMaskedEdit::OnChar(UINT ch, UINT repeat, UINT flags) {
    if (!m_engine.HasMask()) {
        CEdit::OnChar(ch, repeat, flags);
        return;
    }
    int start = 0;
    int end = 0;
    GetSel(start, end);
    if (ch >= 32) Apply(m_engine.TypeChar(start, end, static_cast<char>(ch), m_bInsertMode != FALSE));
    else if (ch == VK_BACK) Apply(m_engine.Backspace(start, end));
    else CEdit::OnChar(ch, repeat, flags);  // Ctrl+C, Ctrl+V, ... come back as messages
}

void COXMaskedEdit::OnSetFocus(CWnd* oldFocus) {
    CEdit::OnSetFocus(oldFocus);
    if (!m_engine.HasMask()) return;
    int start = 0;
    int end = 0;
    GetSel(start, end);
    if (start == 0 && end == GetWindowTextLength()) PlaceCaret(0);
}

void COXMaskedEdit::OnLButtonDown(UINT flags, CPoint point) {
    // Shift+click extends the selection as in any edit.
    if (m_engine.HasMask() && !(flags & MK_SHIFT)) {
        const LRESULT found = SendMessage(EM_CHARFROMPOS, 0, MAKELPARAM(point.x, point.y));
        const int hit = LOWORD(found);
        const int caret = m_engine.CaretForClick(hit);
        if (caret != hit) {
            // Where the edit would put the caret, typed characters would be
            // refused or leave gaps: the click goes where the number goes on.
            if (::GetFocus() != m_hWnd) SetFocus();
            PlaceCaret(caret);
            return;
        }
    }
    CEdit::OnLButtonDown(flags, point);
}

LRESULT COXMaskedEdit::OnCut(WPARAM, LPARAM) {
    if (!m_engine.HasMask()) return Default();
    int start = 0;
    int end = 0;
    GetSel(start, end);
    // The edit's copy puts the selected display text on the clipboard; its
    // cut would also delete the literals from the window.
    DefWindowProc(WM_COPY, 0, 0);
    Apply(m_engine.RemoveSelection(start, end));
    return 0;
}

LRESULT COXMaskedEdit::OnCopy(WPARAM, LPARAM) {
    Default();
    return 0;
}

LRESULT COXMaskedEdit::OnPaste(WPARAM, LPARAM) {
    if (!m_engine.HasMask()) return Default();
    int start = 0;
    int end = 0;
    GetSel(start, end);
    CString before;
    GetWindowText(before);
    // The edit pastes the raw clipboard text; what the parent should see is
    // the masked result that follows.
    m_bHoldEditNotifications = TRUE;
    Default();
    m_bHoldEditNotifications = FALSE;
    CString pasted;
    GetWindowText(pasted);
    MaskedEditOutcome outcome = m_engine.AfterPaste(pasted, start);
    if (m_engine.GetDisplayText() == before) {
        // Nothing of the clipboard fitted: the text goes back unreported.
        m_bHoldEditNotifications = TRUE;
        DefWindowProc(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(before.GetString()));
        m_bHoldEditNotifications = FALSE;
        outcome.refresh = false;
    }
    Apply(outcome);
    return 0;
}

LRESULT COXMaskedEdit::OnClear(WPARAM, LPARAM) {
    if (!m_engine.HasMask()) return Default();
    int start = 0;
    int end = 0;
    GetSel(start, end);
    Apply(m_engine.RemoveSelection(start, end));
    return 0;
}

LRESULT COXMaskedEdit::OnSetText(WPARAM, LPARAM lParam) {
    if (m_nUpdateDepth > 0) {
        m_bHoldEditNotifications = TRUE;
        const LRESULT result = Default();
        m_bHoldEditNotifications = FALSE;
        // Text the parent sets while it is told is the owner's, and must go
        // through the mask like any other.
        const int depth = m_nUpdateDepth;
        m_nUpdateDepth = 0;
        NotifyParent(EN_UPDATE);
        if (m_bChangeNotification) NotifyParent(EN_CHANGE);
        m_nUpdateDepth = depth;
        return result;
    }
    if (!m_engine.HasMask()) return Default();
    // Text from the owner: with or without the literals, it fills the slots.
    m_bChangeNotification = FALSE;
    const char* text = reinterpret_cast<const char*>(lParam);
    m_engine.SetTextFromOutside(text ? text : "");
    Refresh(0);
    m_bChangeNotification = TRUE;
    return TRUE;
}

BOOL COXMaskedEdit::OnKillFocusReflect() {
    if (!m_engine.HasMask()) return FALSE;
    MaskedEditValidation record{};
    record.hdr.hwndFrom = m_hWnd;
    record.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
    record.hdr.code = kMaskedEditValidate;
    record.bValid = TRUE;
    record.bDefaultValidation = TRUE;
    record.nPosition = 0;
    if (CWnd* parent = GetParent())
        parent->SendMessage(WM_NOTIFY, record.hdr.idFrom, reinterpret_cast<LPARAM>(&record));
    const BOOL accepted = record.bValid && (!record.bDefaultValidation || OnValidate());
    if (!accepted) {
        SetFocus();
        ValidationError();
        PlaceCaret(record.nPosition);
    }
    return FALSE;  // the parent sees EN_KILLFOCUS as with a plain edit
}

BOOL COXMaskedEdit::OnEditNotificationReflect() { return m_bHoldEditNotifications; }
