#include "ui/common/window_notifier.h"

void WindowNotifier::Show(const CString& text, const CString& caption, unsigned icon) {
    if (m_standIn && *m_standIn) {
        (*m_standIn)->Show(text, caption, icon);
        return;
    }
    ::MessageBoxA(m_owner.m_hWnd, text, caption, MB_OK | icon);
}
