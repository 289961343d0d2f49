#include "ui/common/window_scroll_surface.h"

bool WindowScrollSurface::Exists() { return m_window && m_window->m_hWnd && ::IsWindow(m_window->m_hWnd); }

void WindowScrollSurface::ClientSizeWithoutBars(int& width, int& height) {
    CRect client;
    m_window->GetClientRect(&client);
    width = client.Width();
    height = client.Height();
    // A bar on show takes its room from the client area; count it back in.
    const DWORD style = m_window->GetStyle();
    if (style & WS_VSCROLL) width += ::GetSystemMetrics(SM_CXVSCROLL);
    if (style & WS_HSCROLL) height += ::GetSystemMetrics(SM_CYHSCROLL);
}

ScrollBarState WindowScrollSurface::GetBar(bool horizontal) {
    SCROLLINFO info{};
    ScrollBarState state;
    if (m_window->GetScrollInfo(horizontal ? SB_HORZ : SB_VERT, &info, SIF_ALL)) {
        state.min = info.nMin;
        state.max = info.nMax;
        state.page = static_cast<int>(info.nPage);
        state.pos = info.nPos;
        state.track_pos = info.nTrackPos;
    }
    return state;
}

void WindowScrollSurface::SetBar(bool horizontal, int min, int max, int page, int pos) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
    info.nMin = min;
    info.nMax = max;
    info.nPage = static_cast<UINT>(page);
    info.nPos = pos;
    info.nTrackPos = pos;
    m_window->SetScrollInfo(horizontal ? SB_HORZ : SB_VERT, &info, TRUE);
}

void WindowScrollSurface::SetBarPos(bool horizontal, int pos) {
    m_window->SetScrollPos(horizontal ? SB_HORZ : SB_VERT, pos, TRUE);
}

void WindowScrollSurface::ScrollContent(int dx, int dy) { m_window->ScrollWindow(dx, dy); }

int WindowScrollSurface::WheelScrollLines() {
    UINT lines = 3;
    ::SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    return lines == WHEEL_PAGESCROLL ? -1 : static_cast<int>(lines);
}
