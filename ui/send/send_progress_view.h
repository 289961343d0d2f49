// The progress view of the send-fax window while a fax goes up: one line of
// text ("Sending… 42 %", or the waiting text) over a rounded bar, painted in
// the window's colours over the place of the send button.
#pragma once

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
