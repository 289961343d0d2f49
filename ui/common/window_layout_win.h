// Applying a window's tables (window_layout.h) to real windows: fonts,
// button faces and the window's place on the screen.
#pragma once

#include "controls/gdip_button.h"
#include "framework/win/gdi.h"
#include "framework/win/wnd.h"
#include "ui/common/window_layout.h"

// Makes font as look says, from base (every other field of its LOGFONT);
// without a base, from an all-zero LOGFONT.
void MakeFont(CFont& font, const CFont* base, const FontLook& look);

// Loads the four PNG faces of faces into button.
void LoadFaces(CGdipButton& button, const ButtonFaces& faces);

// Sizes window to width x height and centres it in the full-screen area,
// lifted by lift pixels, at z_order (&CWnd::wndTopMost and the like).
void PlaceCentred(CWnd& window, const WindowSize& size, const CWnd* z_order);
