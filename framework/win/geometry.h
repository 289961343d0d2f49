// Point, size and rectangle types over the Win32 structures, so they can be
// handed to the API directly.
#pragma once

#include <windows.h>

class CPoint : public POINT {
public:
    CPoint(int px, int py) {
        x = px;
        y = py;
    }
    // From a packed message parameter: x in the low word, y in the high word, both signed.
    explicit CPoint(LPARAM packed) {
        x = static_cast<short>(LOWORD(packed));
        y = static_cast<short>(HIWORD(packed));
    }
};

class CSize : public SIZE {
public:
    CSize() {
        cx = 0;
        cy = 0;
    }
    CSize(int w, int h) {
        cx = w;
        cy = h;
    }
};

class CRect : public RECT {
public:
    CRect() { left = top = right = bottom = 0; }
    CRect(int l, int t, int r, int b) {
        left = l;
        top = t;
        right = r;
        bottom = b;
    }
    // NOLINTNEXTLINE(google-explicit-constructor)
    CRect(const RECT& r) {
        left = r.left;
        top = r.top;
        right = r.right;
        bottom = r.bottom;
    }
    bool operator==(const RECT& o) const { return ::EqualRect(this, &o) != FALSE; }

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }
    void OffsetRect(int dx, int dy) {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
};
