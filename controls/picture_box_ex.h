// A static control that shows a picture and plays an animated GIF in a loop.
// Each GIF frame is cut out as a one-frame GIF and decoded by OLE; a worker
// thread renders the frames one after another into an off-screen bitmap that
// painting copies to the screen. Anything else (and a one-frame GIF) is one
// OLE picture drawn once.
#pragma once

#include "framework/win/framework.h"

#include <ocidl.h>
#include <olectl.h>

#include <atomic>
#include <vector>

class CPictureBoxEx : public CStatic {
public:
    CPictureBoxEx();
    ~CPictureBoxEx() override;

    // Copies the resource into a global block and loads it from there.
    BOOL LoadFromResource(const char* name, const char* type);
    BOOL LoadFromResource(UINT id, const char* type) { return LoadFromResource(MAKEINTRESOURCEA(id), type); }
    // The caller keeps the block; every frame is copied out of it.
    BOOL LoadFromMemory(HGLOBAL data, DWORD size);
    // Starts the animation (FALSE) or draws a still picture once (TRUE when drawn).
    BOOL Draw();
    // Ends the animation thread; the picture stays loaded and Draw plays on
    // from the frame where it stopped.
    void Stop();
    void UnLoad();

protected:
    struct FrameInfo {
        IPicture* m_pPicture = nullptr;
        int m_nFrameWidth = 0;
        int m_nFrameHeight = 0;
        int m_nFrameLeft = 0;
        int m_nFrameTop = 0;
        UINT m_nDelay = 0;  // hundredths of a second; all bits set without timing
        int m_nDisposal = 0;
    };

    void OnDestroy();
    void OnPaint();

    BOOL PrepareDC(int width, int height);
    BOOL LoadGif(const unsigned char* data, HGLOBAL block, DWORD size);
    BOOL LoadPicture(HGLOBAL block, DWORD size);
    static unsigned __stdcall ThreadProc(void* self);
    void ThreadAnimation();
    // Both run with the off-screen picture locked.
    void DisposeFrame(const FrameInfo& frame);
    void ClearPicture();
    static BOOL RenderPicture(IPicture* picture, HDC dc, int x, int y, int width, int height);

    int m_nPictureWidth = 0;
    int m_nPictureHeight = 0;
    COLORREF m_clrBackground = RGB(255, 255, 255);
    std::atomic<int> m_nCurrFrame{0};
    DWORD m_nDataSize = 0;
    BOOL m_bIsGIF = FALSE;

    std::vector<FrameInfo> m_arrFrames;

    HDC m_hMemDC = nullptr;
    HBITMAP m_hBitmap = nullptr;
    HGDIOBJ m_hOldBitmap = nullptr;
    HDC m_hDisposeDC = nullptr;
    HBITMAP m_hDisposeBitmap = nullptr;
    HGDIOBJ m_hOldDisposeBitmap = nullptr;

    IPicture* m_pPicture = nullptr;
    BOOL m_bIsInitialized = FALSE;
    std::atomic<bool> m_bExitThread{false};
    HANDLE m_hExitEvent = nullptr;
    HANDLE m_hThread = nullptr;
    // The off-screen picture is drawn by the animation thread and copied by
    // painting; only one of them may hold it at a time.
    CRITICAL_SECTION m_csPicture;

    DECLARE_MESSAGE_MAP()
};
