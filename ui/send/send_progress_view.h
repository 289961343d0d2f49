// The progress view of the send-fax window while a fax goes up: one line of
// text ("Sending… 42 %", or the waiting text) over a rounded bar, painted in
// the window's colours over the place of the send button.
#pragma once

#include "controls/gdip_button.h"
#include "framework/win/framework.h"

class CSendProgressView : public CStatic {
public:
    // percent 0 to 100, or -1 when the total is not known (an empty bar).
    void SetProgress(const CString& text, int percent);
    const CString& Text() const { return m_text; }

protected:
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* dc);

    CString m_text;
    int m_percent = 0;

    DECLARE_MESSAGE_MAP()
};

// The progress view's Cancel: an image button like the others that, unlike
// them, shows its disabled image while it cannot be used (once the whole
// request is up, the fax may already be on its way).
class CSendCancelButton : public CGdipButton {
public:
    void DrawItem(LPDRAWITEMSTRUCT draw) override;
};
