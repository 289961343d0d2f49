// The notifier of the Windows build: an OK message box owned by the acting window.
#pragma once

#include "framework/notifier.h"

#include <windows.h>

class MessageBoxNotifier : public Notifier {
public:
    explicit MessageBoxNotifier(HWND owner) : m_owner(owner) {}
    void Show(const CString& text, const CString& caption, unsigned icon) override {
        ::MessageBoxA(m_owner, text, caption, MB_OK | icon);
    }

private:
    HWND m_owner;
};
