// Helpers for tests that run real windows: message pumping with a time-out,
// captures of windows and the screen, GDI+ start-up.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace kestrid_test {

// The colours the test pictures are painted in (make_test_images.py).
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kMagenta = RGB(255, 0, 255);

// Dispatches messages until condition() holds or timeoutMs passes; returns condition().
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 3000);
// Dispatches everything queued now, paints included.
void PumpPending();

// Pixels of a window's client area as the screen shows them.
struct Capture {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;
    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
Capture CaptureClient(HWND window);
// A window as it is painted, frame included (each window keeps its own
// surface, so what is on top of it does not matter).
Capture CaptureWindow(HWND window);
// A rectangle of the screen, windows on top of each other as they show.
Capture CaptureScreen(const RECT& area);
// Saves a capture as a 24-bit BMP file.
// The width x height pixels at the origin of a device context (a memory DC
// something was drawn into).
Capture ReadPixels(HDC dc, int width, int height);

bool SaveBmp(const Capture& capture, const std::string& path);

// One pixel of a bitmap that no device context holds.
COLORREF BitmapPixel(HBITMAP bitmap, int x, int y);

bool Near(COLORREF a, COLORREF b, int tolerance = 8);
std::string Describe(COLORREF c);

// Starts GDI+ for the test program (once).
void EnsureGdiplus();

// Saves a capture as a PNG for review in the build folder's screenshots/
// (GDI+ started); returns the path, empty when it could not be written.
std::string SaveScreenshot(const Capture& capture, const std::string& name);

}  // namespace kestrid_test
