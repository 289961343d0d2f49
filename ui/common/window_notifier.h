// The notifier of a window: OK message boxes owned by the window, unless the
// window's stand-in hook holds another notifier (tests put a recording one
// there before the window opens).
#pragma once

#include "framework/notifier.h"
#include "framework/win/wnd.h"

class WindowNotifier : public Notifier {
public:
    // The owner's handle and the stand-in are read at each box, so the
    // notifier can be made with the window, before either is set.
    explicit WindowNotifier(const CWnd& owner, Notifier* const* stand_in = nullptr)
        : m_owner(owner), m_standIn(stand_in) {}
    void Show(const CString& text, const CString& caption, unsigned icon) override;

private:
    const CWnd& m_owner;
    Notifier* const* m_standIn;
};
