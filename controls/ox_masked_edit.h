// The masked edit: a single-line edit whose text follows a mask such as
// "(###)-###-####". Literals stay in place, each input slot takes only its
// kind of character and shows the prompt character while empty. Without a
// mask it is a plain edit. The editing rules live in MaskedEditEngine; this
// class feeds it the window's messages and writes its display text back.
//
// Use: construct with an empty mask, subclass the dialog's edit control
// (DDX_Control or SubclassDlgItem), then SetPromptChar and SetMask. The owner
// reads the masked text with GetWindowText and clears the input with
// SetWindowText("") (the literals stay).
//
// The parent gets EN_UPDATE and EN_CHANGE after every change the control
// makes itself (text set by the owner sends only EN_UPDATE), and a
// MaskedEditValidation notification when the control loses the focus.
#pragma once

#include "controls/masked_edit_engine.h"
#include "framework/win/framework.h"

// The validation request sent with WM_NOTIFY when the control loses the focus.
constexpr UINT kMaskedEditValidate = 0x8136;

struct MaskedEditValidation {
    NMHDR hdr;                // the control, its ID, kMaskedEditValidate
    BOOL bValid;              // set to FALSE to refuse the text
    BOOL bDefaultValidation;  // TRUE: OnValidate decides as well
    int nPosition;            // where the caret goes when refused
};

class COXMaskedEdit : public CEdit {
public:
    explicit COXMaskedEdit(const char* mask = "");

    // Replaces the mask; any input is lost and the caret goes to the first slot.
    void SetMask(const char* mask);
    CString GetMask() const { return m_sMask; }
    // Refuses 0, line feed, carriage return and 127 (returns FALSE).
    BOOL SetPromptChar(char ch);
    char GetPromptChar() const { return m_engine.GetPromptChar(); }

    // The input slots' characters in order, prompts included; without a mask
    // the window text.
    CString GetInputText() const;
    // What the window shows while a mask is set.
    CString GetDisplayText() const { return m_engine.GetDisplayText(); }
    // Keeps the first start input characters, lays text in after them and puts
    // the caret on the first slot; FALSE when characters had to be skipped.
    BOOL LayInInput(const char* text, int start, BOOL promptAllowed);
    BOOL IsInputPosition(int index) const;
    BOOL IsInputEmpty() const;

    BOOL GetInsertMode() const { return m_bInsertMode; }
    void SetInsertMode(BOOL insert) { m_bInsertMode = insert; }
    BOOL GetAutoTab() const { return m_bAutoTab; }
    void SetAutoTab(BOOL autoTab) { m_bAutoTab = autoTab; }

    // The reaction to a refused character or text.
    virtual void ValidationError();
    // The control's own say on its text when it loses the focus.
    virtual BOOL OnValidate();

protected:
    void PreSubclassWindow() override;

    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnChar(UINT ch, UINT repeat, UINT flags);
    void OnSetFocus(CWnd* oldFocus);
    void OnLButtonDown(UINT flags, CPoint point);
    LRESULT OnCut(WPARAM wParam, LPARAM lParam);
    LRESULT OnCopy(WPARAM wParam, LPARAM lParam);
    LRESULT OnPaste(WPARAM wParam, LPARAM lParam);
    LRESULT OnClear(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetText(WPARAM wParam, LPARAM lParam);
    BOOL OnKillFocusReflect();
    // The edit's own EN_UPDATE / EN_CHANGE: held back while the control
    // rewrites its text, because the control then sends its own pair.
    BOOL OnEditNotificationReflect();

    // Writes the display text into the window (when it differs), then places
    // the caret at p; a negative p keeps the selection where it was.
    void Refresh(int p);
    // The caret goes to the next input slot at or after p; with auto-tab, past
    // the last slot the focus moves on instead.
    void PlaceCaret(int p);
    void Apply(const MaskedEditOutcome& outcome);
    void NotifyParent(UINT code);

    MaskedEditEngine m_engine;
    CString m_sMask;
    BOOL m_bInsertMode = TRUE;
    BOOL m_bAutoTab = FALSE;
    // Counts the control's own SetWindowText calls in progress.
    int m_nUpdateDepth = 0;
    // Whether the control's own text updates notify EN_CHANGE.
    BOOL m_bChangeNotification = TRUE;
    BOOL m_bHoldEditNotifications = FALSE;

    DECLARE_MESSAGE_MAP()
};
