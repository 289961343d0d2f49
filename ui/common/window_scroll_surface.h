// The scroller's view of a real window: its client area, its own scroll bars
// and ScrollWindow, which moves the child windows with the content.
#pragma once

#include "framework/win/framework.h"
#include "ui/common/panel_scroller.h"

class WindowScrollSurface : public ScrollSurface {
public:
    explicit WindowScrollSurface(CWnd* window) : m_window(window) {}

    bool Exists() override;
    void ClientSizeWithoutBars(int& width, int& height) override;
    ScrollBarState GetBar(bool horizontal) override;
    void SetBar(bool horizontal, int min, int max, int page, int pos) override;
    void SetBarPos(bool horizontal, int pos) override;
    void ScrollContent(int dx, int dy) override;
    int WheelScrollLines() override;

private:
    CWnd* m_window;
};
