#include "controls/picture_box_ex.h"

#include "controls/gif_frames.h"
#include "controls/resource_data.h"

#include <process.h>

#include <cstring>

namespace {

// The thread only ever waits on the stop event between frames, so after this
// long something is badly slow rather than stuck.
constexpr DWORD kStopWaitMs = 5000;

class PictureLock {
public:
    explicit PictureLock(CRITICAL_SECTION* section) : m_section(section) { ::EnterCriticalSection(section); }
    ~PictureLock() { ::LeaveCriticalSection(m_section); }
    PictureLock(const PictureLock&) = delete;
    PictureLock& operator=(const PictureLock&) = delete;

private:
    CRITICAL_SECTION* m_section;
};

IPicture* PictureFromStream(IStream* stream, DWORD size) {
    IPicture* picture = nullptr;
    if (FAILED(
            ::OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture, reinterpret_cast<void**>(&picture))))
        return nullptr;
    return picture;
}

void FillColour(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
    RECT rect = {left, top, right, bottom};
    HBRUSH brush = ::CreateSolidBrush(colour);
    ::FillRect(dc, &rect, brush);
    ::DeleteObject(brush);
}

}  // namespace

BEGIN_MESSAGE_MAP(CPictureBoxEx, CStatic)
    ON_WM_DESTROY()
    ON_WM_PAINT()
END_MESSAGE_MAP()

CPictureBoxEx::CPictureBoxEx() {
    m_hExitEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ::InitializeCriticalSection(&m_csPicture);
}

CPictureBoxEx::~CPictureBoxEx() {
    // The window goes first: a paint arriving later must not find the lock deleted.
    if (GetSafeHwnd()) DestroyWindow();
    UnLoad();
    if (m_hExitEvent) ::CloseHandle(m_hExitEvent);
    ::DeleteCriticalSection(&m_csPicture);
}

BOOL CPictureBoxEx::LoadFromResource(const char* name, const char* type) {
    const ResourceData data = FindResourceData(AfxGetResourceHandle(), name, type);
    if (!data.bytes) return FALSE;
    const void* bytes = data.bytes;
    const DWORD size = data.size;

    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_NODISCARD, size);
    if (!block) return FALSE;
    void* copy = ::GlobalLock(block);
    if (!copy) {
        ::GlobalFree(block);
        return FALSE;
    }
    std::memcpy(copy, bytes, size);
    ::GlobalUnlock(block);
    const BOOL loadedOk = LoadFromMemory(block, size);
    ::GlobalFree(block);
    return loadedOk;
}

BOOL CPictureBoxEx::LoadFromMemory(HGLOBAL data, DWORD size) {
    UnLoad();
    const auto* bytes = static_cast<const unsigned char*>(data ? ::GlobalLock(data) : nullptr);
    if (!bytes) return FALSE;
    // A size larger than the block would let the walk read past it.
    const SIZE_T blockSize = ::GlobalSize(data);
    if (blockSize < size) size = static_cast<DWORD>(blockSize);
    m_nDataSize = size;

    if (gif::IsGif(bytes, size)) {
        m_bIsGIF = TRUE;
        return LoadGif(bytes, data, size);  // unlocks the block
    }
    ::GlobalUnlock(data);
    return LoadPicture(data, size);
}

BOOL CPictureBoxEx::LoadGif(const unsigned char* bytes, HGLOBAL block, DWORD size) {
    gif::Screen screen;
    gif::ReadScreen(bytes, size, &screen);
    m_nPictureWidth = screen.width;
    m_nPictureHeight = screen.height;
    const int frames = gif::CountFrames(bytes, size);
    if (frames == 0) {
        ::GlobalUnlock(block);
        return FALSE;
    }

    if (frames == 1) {
        ::GlobalUnlock(block);
        IStream* stream = nullptr;
        if (FAILED(::CreateStreamOnHGlobal(block, FALSE, &stream))) return FALSE;
        m_pPicture = PictureFromStream(stream, size);
        stream->Release();
        if (!m_pPicture) return FALSE;
        return PrepareDC(m_nPictureWidth, m_nPictureHeight);
    }

    gif::Walker walker(bytes, size);
    gif::Frame cut;
    while (walker.CutFrame(&cut)) {
        const SIZE_T length = cut.bytes.size();
        HGLOBAL frameBlock = ::GlobalAlloc(GMEM_FIXED, length);
        if (!frameBlock) continue;
        std::memcpy(reinterpret_cast<void*>(frameBlock), cut.bytes.data(), length);
        IStream* stream = nullptr;
        if (FAILED(::CreateStreamOnHGlobal(frameBlock, TRUE, &stream))) {
            ::GlobalFree(frameBlock);
            continue;
        }
        IPicture* picture = PictureFromStream(stream, static_cast<DWORD>(length));
        stream->Release();       // frees the frame's block
        if (!picture) continue;  // the others still play
        FrameInfo frame;
        frame.m_pPicture = picture;
        frame.m_nFrameWidth = cut.width;
        frame.m_nFrameHeight = cut.height;
        frame.m_nFrameLeft = cut.left;
        frame.m_nFrameTop = cut.top;
        frame.m_nDelay = cut.delay;
        frame.m_nDisposal = cut.disposal;
        m_arrFrames.push_back(frame);
    }
    ::GlobalUnlock(block);
    if (m_arrFrames.empty()) return FALSE;
    return PrepareDC(m_nPictureWidth, m_nPictureHeight);
}

BOOL CPictureBoxEx::LoadPicture(HGLOBAL block, DWORD size) {
    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(block, FALSE, &stream))) return FALSE;
    m_pPicture = PictureFromStream(stream, size);
    stream->Release();
    if (!m_pPicture) return FALSE;

    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    m_pPicture->get_Width(&width);
    m_pPicture->get_Height(&height);
    HDC dc = ::GetDC(m_hWnd);
    if (!dc) return FALSE;
    m_nPictureWidth = ::MulDiv(width, ::GetDeviceCaps(dc, LOGPIXELSX), 2540);
    m_nPictureHeight = ::MulDiv(height, ::GetDeviceCaps(dc, LOGPIXELSY), 2540);
    ::ReleaseDC(m_hWnd, dc);
    return PrepareDC(m_nPictureWidth, m_nPictureHeight);
}

BOOL CPictureBoxEx::PrepareDC(int width, int height) {
    if (!m_hWnd || width <= 0 || height <= 0) return FALSE;
    SetWindowPos(nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);

    HDC dc = ::GetDC(m_hWnd);
    if (!dc) return FALSE;
    HDC memory = ::CreateCompatibleDC(dc);
    if (!memory) {
        ::ReleaseDC(m_hWnd, dc);
        return FALSE;
    }
    HBITMAP bitmap = ::CreateCompatibleBitmap(dc, width, height);
    if (!bitmap) {
        ::ReleaseDC(m_hWnd, dc);
        ::DeleteDC(memory);
        return FALSE;
    }
    {
        PictureLock lock(&m_csPicture);
        m_hMemDC = memory;
        m_hBitmap = bitmap;
        m_hOldBitmap = ::SelectObject(memory, bitmap);
        m_clrBackground = ::GetSysColor(COLOR_BTNFACE);
        RECT all = {0, 0, width, height};
        ::FillRect(memory, &all, reinterpret_cast<HBRUSH>(COLOR_MENU + 1));
    }
    ::ReleaseDC(m_hWnd, dc);
    m_bIsInitialized = TRUE;
    return TRUE;
}

BOOL CPictureBoxEx::RenderPicture(IPicture* picture, HDC dc, int x, int y, int width, int height) {
    OLE_XSIZE_HIMETRIC hmWidth = 0;
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    picture->get_Width(&hmWidth);
    picture->get_Height(&hmHeight);
    return SUCCEEDED(picture->Render(dc, x, y, width, height, 0, hmHeight, hmWidth, -hmHeight, nullptr));
}

BOOL CPictureBoxEx::Draw() {
    if (!m_bIsInitialized) return FALSE;
    if (m_bIsGIF && m_arrFrames.size() > 1) {
        if (m_hThread) return FALSE;  // already playing
        unsigned id = 0;
        auto handle = reinterpret_cast<HANDLE>(
            ::_beginthreadex(nullptr, 0, &CPictureBoxEx::ThreadProc, this, CREATE_SUSPENDED, &id));
        if (!handle) return FALSE;
        // Stored before the thread runs, so Stop can always wait for it.
        m_hThread = handle;
        ::ResumeThread(handle);
        return FALSE;
    }
    if (!m_pPicture) return FALSE;
    BOOL drawn;
    {
        PictureLock lock(&m_csPicture);
        drawn = RenderPicture(m_pPicture, m_hMemDC, 0, 0, m_nPictureWidth, m_nPictureHeight);
    }
    if (drawn) InvalidateRect(nullptr, FALSE);
    return drawn;
}

unsigned __stdcall CPictureBoxEx::ThreadProc(void* self) {
    static_cast<CPictureBoxEx*>(self)->ThreadAnimation();
    return 0;
}

void CPictureBoxEx::ThreadAnimation() {
    const int frameCount = static_cast<int>(m_arrFrames.size());
    if (m_nCurrFrame >= frameCount) m_nCurrFrame = 0;
    {
        // Clears what an earlier, stopped run left of this frame.
        PictureLock lock(&m_csPicture);
        DisposeFrame(m_arrFrames[static_cast<size_t>(m_nCurrFrame.load())]);
    }
    while (!m_bExitThread) {
        const FrameInfo& frame = m_arrFrames[static_cast<size_t>(m_nCurrFrame.load())];
        if (frame.m_pPicture) {
            BOOL drawn;
            {
                PictureLock lock(&m_csPicture);
                if (frame.m_nDisposal == 3 && frame.m_nFrameWidth > 0 && frame.m_nFrameHeight > 0 && !m_hDisposeDC) {
                    m_hDisposeDC = ::CreateCompatibleDC(m_hMemDC);
                    m_hDisposeBitmap = ::CreateCompatibleBitmap(m_hMemDC, frame.m_nFrameWidth, frame.m_nFrameHeight);
                    m_hOldDisposeBitmap = ::SelectObject(m_hDisposeDC, m_hDisposeBitmap);
                    ::BitBlt(m_hDisposeDC, 0, 0, frame.m_nFrameWidth, frame.m_nFrameHeight, m_hMemDC,
                             frame.m_nFrameLeft, frame.m_nFrameTop, SRCCOPY);
                }
                drawn = RenderPicture(frame.m_pPicture, m_hMemDC, frame.m_nFrameLeft, frame.m_nFrameTop,
                                      frame.m_nFrameWidth, frame.m_nFrameHeight);
            }
            if (drawn) Invalidate(FALSE);
            if (m_bExitThread) break;
            ::WaitForSingleObject(m_hExitEvent, gif::FrameWaitMs(frame.m_nDelay));
            if (m_bExitThread) break;
            PictureLock lock(&m_csPicture);
            DisposeFrame(frame);
        }
        if (m_nCurrFrame + 1 >= frameCount) {
            m_nCurrFrame = 0;
            PictureLock lock(&m_csPicture);
            ClearPicture();
        } else {
            ++m_nCurrFrame;
        }
    }
}

void CPictureBoxEx::DisposeFrame(const FrameInfo& frame) {
    if (!m_hMemDC) return;
    if (frame.m_nDisposal == 2) {
        FillColour(m_hMemDC, frame.m_nFrameLeft, frame.m_nFrameTop, frame.m_nFrameLeft + frame.m_nFrameWidth,
                   frame.m_nFrameTop + frame.m_nFrameHeight, m_clrBackground);
    } else if (frame.m_nDisposal == 3 && m_hDisposeDC) {
        ::BitBlt(m_hMemDC, frame.m_nFrameLeft, frame.m_nFrameTop, frame.m_nFrameWidth, frame.m_nFrameHeight,
                 m_hDisposeDC, 0, 0, SRCCOPY);
        ::SelectObject(m_hDisposeDC, m_hOldDisposeBitmap);
        ::DeleteObject(m_hDisposeBitmap);
        ::DeleteDC(m_hDisposeDC);
        m_hDisposeDC = nullptr;
        m_hDisposeBitmap = nullptr;
        m_hOldDisposeBitmap = nullptr;
    }
}

void CPictureBoxEx::ClearPicture() {
    if (m_hMemDC) FillColour(m_hMemDC, 0, 0, m_nPictureWidth, m_nPictureHeight, m_clrBackground);
}

void CPictureBoxEx::Stop() {
    m_bExitThread = true;
    if (m_hExitEvent) ::SetEvent(m_hExitEvent);
    if (m_hThread) {
        // Frames and DCs are released right after this returns, so the
        // thread must be gone: a late end is better than a thread drawing
        // with freed pictures.
        if (::WaitForSingleObject(m_hThread, kStopWaitMs) == WAIT_TIMEOUT) ::WaitForSingleObject(m_hThread, INFINITE);
        ::CloseHandle(m_hThread);
        m_hThread = nullptr;
    }
    if (m_hExitEvent) ::ResetEvent(m_hExitEvent);
    m_bExitThread = false;
}

void CPictureBoxEx::UnLoad() {
    Stop();
    if (m_pPicture) {
        m_pPicture->Release();
        m_pPicture = nullptr;
    }
    for (FrameInfo& frame : m_arrFrames)
        if (frame.m_pPicture) frame.m_pPicture->Release();
    m_arrFrames.clear();
    {
        PictureLock lock(&m_csPicture);
        if (m_hMemDC) {
            ::SelectObject(m_hMemDC, m_hOldBitmap);
            ::DeleteDC(m_hMemDC);
        }
        if (m_hBitmap) ::DeleteObject(m_hBitmap);
        if (m_hDisposeDC) {
            ::SelectObject(m_hDisposeDC, m_hOldDisposeBitmap);
            ::DeleteDC(m_hDisposeDC);
        }
        if (m_hDisposeBitmap) ::DeleteObject(m_hDisposeBitmap);
        m_hMemDC = nullptr;
        m_hBitmap = nullptr;
        m_hOldBitmap = nullptr;
        m_hDisposeDC = nullptr;
        m_hDisposeBitmap = nullptr;
        m_hOldDisposeBitmap = nullptr;
    }
    m_nPictureWidth = 0;
    m_nPictureHeight = 0;
    m_clrBackground = RGB(255, 255, 255);
    m_nCurrFrame = 0;
    m_nDataSize = 0;
    m_bIsGIF = FALSE;
    m_bIsInitialized = FALSE;
}

void CPictureBoxEx::OnDestroy() {
    Stop();
    CStatic::OnDestroy();
}

void CPictureBoxEx::OnPaint() {
    CPaintDC dc(this);
    PictureLock lock(&m_csPicture);
    if (m_hMemDC) ::BitBlt(dc.m_hDC, 0, 0, m_nPictureWidth, m_nPictureHeight, m_hMemDC, 0, 0, SRCCOPY);
}
