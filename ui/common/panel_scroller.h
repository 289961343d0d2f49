// CPanelScroller: the vertical scrolling of a panel whose content (rows of
// child windows) is taller than the panel. It keeps the page and display
// sizes and the scroll position and moves the content by whole pixels. The
// window it scrolls is reached through ScrollSurface, so the arithmetic runs
// in native tests; the Windows build attaches a real window.
#pragma once

struct ScrollBarState {
    int min = 0;
    int max = 0;
    int page = 0;
    int pos = 0;
    int track_pos = 0;
};

// The window being scrolled.
class ScrollSurface {
public:
    virtual ~ScrollSurface() = default;
    virtual bool Exists() = 0;
    // The client size the window would have without scroll bars.
    virtual void ClientSizeWithoutBars(int& width, int& height) = 0;
    // horizontal: the horizontal bar, else the vertical one.
    virtual ScrollBarState GetBar(bool horizontal) = 0;
    // Range, page, position and track position at once, redrawn.
    virtual void SetBar(bool horizontal, int min, int max, int page, int pos) = 0;
    virtual void SetBarPos(bool horizontal, int pos) = 0;
    // Moves the content (children included) by dx, dy pixels.
    virtual void ScrollContent(int dx, int dy) = 0;
    // Lines per wheel notch; -1 means a page per notch.
    virtual int WheelScrollLines() = 0;
};

// The scroll-bar codes it understands (the values of SB_LINEUP ... SB_THUMBTRACK).
enum ScrollCode {
    kScrollLineUp = 0,
    kScrollLineDown = 1,
    kScrollPageUp = 2,
    kScrollPageDown = 3,
    kScrollThumbPosition = 4,
    kScrollThumbTrack = 5,
};

constexpr int kScrollLineStep = 60;
constexpr int kWheelDelta = 120;

class CPanelScroller {
public:
    void Attach(ScrollSurface* surface) { m_surface = surface; }

    // The size of the content; updates the bars when the window exists.
    void SetDisplaySize(int width, int height);
    void SetScrollPos(int y) { m_scrollY = y; }
    // A WM_VSCROLL request.
    void OnVScroll(int code);
    // A WM_MOUSEWHEEL request; false when it was not handled.
    bool OnMouseWheel(int delta);

    int PageWidth() const { return m_pageWidth; }
    int PageHeight() const { return m_pageHeight; }
    int DisplayWidth() const { return m_displayWidth; }
    int DisplayHeight() const { return m_displayHeight; }
    int ScrollX() const { return m_scrollX; }
    int ScrollY() const { return m_scrollY; }

private:
    void UpdateScrollInfo();
    // One axis of the update; returns how far the content has to move.
    int UpdateAxis(bool horizontal, int window, int display, int& page, int& pos);

    ScrollSurface* m_surface = nullptr;
    int m_pageWidth = 0, m_pageHeight = 0;
    int m_displayWidth = 0, m_displayHeight = 0;
    int m_scrollX = 0, m_scrollY = 0;
};
