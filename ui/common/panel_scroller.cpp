#include "ui/common/panel_scroller.h"

#include <cstdlib>

void CPanelScroller::SetDisplaySize(int width, int height) {
    m_displayWidth = width;
    m_displayHeight = height;
    if (m_surface && m_surface->Exists()) UpdateScrollInfo();
}

int CPanelScroller::UpdateAxis(bool horizontal, int window, int display, int& page, int& pos) {
    const int bar_pos = m_surface->GetBar(horizontal).pos;
    int delta;
    if (window < display) {
        // Keep the same part of the content in view after a resize.
        if (page > 0 && pos > 0) pos = static_cast<int>(static_cast<long long>(pos) * window / page);
        page = window;
        if (pos > display - page - 1) pos = display - page - 1;
        delta = bar_pos - pos;
        m_surface->SetBar(horizontal, 0, display - 1, page, pos);
    } else {
        page = 0;
        pos = 0;
        delta = bar_pos;
        m_surface->SetBar(horizontal, 0, 0, 0, 0);
    }
    return delta;
}

void CPanelScroller::UpdateScrollInfo() {
    int width = 0, height = 0;
    m_surface->ClientSizeWithoutBars(width, height);
    const int dx = UpdateAxis(true, width, m_displayWidth, m_pageWidth, m_scrollX);
    const int dy = UpdateAxis(false, height, m_displayHeight, m_pageHeight, m_scrollY);
    if (dx != 0 || dy != 0) m_surface->ScrollContent(dx, dy);
}

void CPanelScroller::OnVScroll(int code) {
    if (!m_surface) return;
    int delta;
    switch (code) {
    case kScrollLineUp:
        delta = -kScrollLineStep;
        break;
    case kScrollLineDown:
        delta = kScrollLineStep;
        break;
    case kScrollPageUp:
        delta = -m_pageHeight;
        break;
    case kScrollPageDown:
        delta = m_pageHeight;
        break;
    case kScrollThumbPosition:
    case kScrollThumbTrack:
        delta = m_surface->GetBar(false).track_pos - m_scrollY;
        break;
    default:
        return;
    }
    const int target = m_scrollY + delta;
    if (target < 0) delta = -m_scrollY;
    else if (target > m_displayHeight - m_pageHeight) delta = (m_displayHeight - m_pageHeight) - m_scrollY;
    if (delta == 0) return;
    m_scrollY += delta;
    m_surface->SetBarPos(false, m_scrollY);
    m_surface->ScrollContent(0, -delta);
}

bool CPanelScroller::OnMouseWheel(int delta) {
    if (!m_surface || !m_surface->Exists()) return false;
    const ScrollBarState bar = m_surface->GetBar(false);
    if (bar.min == bar.max) return false;
    const int notches = std::abs(delta) / kWheelDelta;
    const int lines = m_surface->WheelScrollLines();
    if (lines == -1) {
        OnVScroll(delta > 0 ? kScrollPageUp : kScrollPageDown);
        return true;
    }
    int steps = notches * lines / 3;
    if (steps < 1) steps = 1;
    for (int i = 0; i < steps; ++i) OnVScroll(delta > 0 ? kScrollLineUp : kScrollLineDown);
    return true;
}
