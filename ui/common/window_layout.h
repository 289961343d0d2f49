// What a window's tables say about it: where the window and its controls
// go, which faces its image buttons wear and which fonts it makes. Plain
// data, so each window's portable unit holds its tables and the window only
// applies them (window_layout_win.h).
#pragma once

// A window's top-left corner on the screen.
struct WindowPlace {
    int left;
    int top;
};

// A window's size, and how far above the centre of the full-screen area it
// stands.
struct WindowSize {
    int width;
    int height;
    int lift;
};

// Centred in an area of area_width x area_height (the full-screen area),
// then lifted. Halves round toward zero; a window larger than the area gets
// a negative corner.
WindowPlace CentredPlace(int area_width, int area_height, const WindowSize& size);

// One control's place in its window's client area and the character height
// of the font it takes (0: the control keeps its font).
struct ControlPlace {
    int id;
    int left, top, width, height;
    int font_pixels;
};

// The PNG faces of an image button: shown pressed, normally, under the
// mouse and disabled (resource IDs).
struct ButtonFaces {
    int id;
    unsigned alternate, standard, hover, disabled;
};

// A font: its face, character height and weight, and its quality (0: the
// quality of the font it is made from).
struct FontLook {
    const char* face;
    int pixels;
    int weight;
    unsigned char quality;
};

// A control a view shows or hides (a window's own ID for a child window that
// is not a control of its template).
struct ShowChange {
    int id;
    bool shown;
};
