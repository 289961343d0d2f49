#include "window_test_support.h"

#include "controls/gdiplus_bitmap.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace kestrid_test {

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (condition()) return true;
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= timeoutMs) return condition();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(20, timeoutMs - elapsed), QS_ALLINPUT);
    }
}

void PumpPending() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

Capture CaptureClient(HWND window) {
    Capture capture;
    RECT client;
    ::GetClientRect(window, &client);
    capture.width = client.right;
    capture.height = client.bottom;
    if (capture.width <= 0 || capture.height <= 0) return capture;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = capture.width;
    info.bmiHeader.biHeight = -capture.height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = ::GetDC(window);
    HBITMAP dib = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = ::CreateCompatibleDC(screen);
    HGDIOBJ old = ::SelectObject(memory, dib);
    ::BitBlt(memory, 0, 0, capture.width, capture.height, screen, 0, 0, SRCCOPY);
    ::GdiFlush();
    const auto* raw = static_cast<const DWORD*>(bits);
    capture.pixels.resize(static_cast<size_t>(capture.width) * capture.height);
    for (size_t i = 0; i < capture.pixels.size(); ++i) {
        DWORD p = raw[i];  // 0x00RRGGBB
        capture.pixels[i] = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    ::DeleteObject(dib);
    ::ReleaseDC(window, screen);
    return capture;
}

namespace {

// width x height pixels of source from (left, top).
Capture CopyPixels(HDC source, int left, int top, int width, int height) {
    HDC memory = ::CreateCompatibleDC(source);
    HBITMAP bitmap = ::CreateCompatibleBitmap(source, width, height);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, source, left, top, SRCCOPY);
    Capture capture = ReadPixels(memory, width, height);
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    return capture;
}

}  // namespace

Capture ReadPixels(HDC dc, int width, int height) {
    Capture capture;
    capture.width = width;
    capture.height = height;
    capture.pixels.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) capture.pixels[static_cast<size_t>(y) * width + x] = ::GetPixel(dc, x, y);
    return capture;
}

Capture CaptureWindow(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    HDC source = ::GetWindowDC(window);
    Capture capture = CopyPixels(source, 0, 0, rect.right - rect.left, rect.bottom - rect.top);
    ::ReleaseDC(window, source);
    return capture;
}

Capture CaptureScreen(const RECT& area) {
    HDC screen = ::GetDC(nullptr);
    Capture capture = CopyPixels(screen, area.left, area.top, area.right - area.left, area.bottom - area.top);
    ::ReleaseDC(nullptr, screen);
    return capture;
}

COLORREF BitmapPixel(HBITMAP bitmap, int x, int y) {
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    const COLORREF c = ::GetPixel(dc, x, y);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    return c;
}

bool SaveBmp(const Capture& capture, const std::string& path) {
    const int rowSize = (capture.width * 3 + 3) & ~3;
    const DWORD dataSize = static_cast<DWORD>(rowSize * capture.height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + dataSize;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = capture.width;
    header.biHeight = capture.height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biSizeImage = dataSize;
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&header, sizeof header, 1, out);
    std::vector<unsigned char> row(static_cast<size_t>(rowSize), 0);
    for (int y = capture.height - 1; y >= 0; --y) {
        for (int x = 0; x < capture.width; ++x) {
            COLORREF c = capture.At(x, y);
            row[static_cast<size_t>(x) * 3] = GetBValue(c);
            row[static_cast<size_t>(x) * 3 + 1] = GetGValue(c);
            row[static_cast<size_t>(x) * 3 + 2] = GetRValue(c);
        }
        std::fwrite(row.data(), 1, row.size(), out);
    }
    return std::fclose(out) == 0;
}

bool Near(COLORREF a, COLORREF b, int tolerance) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

std::string Describe(COLORREF c) {
    char text[32];
    std::snprintf(text, sizeof text, "RGB(%d, %d, %d)", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

void EnsureGdiplus() {
    static ULONG_PTR token = 0;
    if (token) return;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
}

namespace {

bool PngEncoder(CLSID* clsid) {
    UINT count = 0;
    UINT size = 0;
    Gdiplus::GetImageEncodersSize(&count, &size);
    if (!size) return false;
    std::vector<BYTE> buffer(size);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    Gdiplus::GetImageEncoders(count, size, encoders);
    for (UINT i = 0; i < count; ++i) {
        if (std::wstring(encoders[i].MimeType) == L"image/png") {
            *clsid = encoders[i].Clsid;
            return true;
        }
    }
    return false;
}

}  // namespace

std::string SaveScreenshot(const Capture& capture, const std::string& name) {
    EnsureGdiplus();
    const std::string folder = std::string(KESTRID_BINARY_DIR) + "/screenshots";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    const std::string path = folder + "/" + name;
    Gdiplus::Bitmap bitmap(capture.width, capture.height, PixelFormat24bppRGB);
    for (int y = 0; y < capture.height; ++y)
        for (int x = 0; x < capture.width; ++x) {
            const COLORREF c = capture.At(x, y);
            bitmap.SetPixel(x, y, Gdiplus::Color(GetRValue(c), GetGValue(c), GetBValue(c)));
        }
    CLSID png;
    if (!PngEncoder(&png)) return std::string();
    const std::wstring wide(path.begin(), path.end());
    return bitmap.Save(wide.c_str(), &png, nullptr) == Gdiplus::Ok ? path : std::string();
}

}  // namespace kestrid_test
