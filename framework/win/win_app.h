// The application object: one global instance derived from CWinApp, whose
// InitInstance the entry point runs. The program's windows are modal and run
// inside InitInstance, so there is no message loop of the application's own:
// when InitInstance returns, the process ends with ExitInstance's code.
#pragma once

#include <windows.h>

class CWnd;

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return m_exitCode; }

    void SetRegistryKey(const char* company) { m_registryKey = company; }
    // An icon resource of the executable at the system's large icon size.
    HICON LoadIcon(UINT id) const { return ::LoadIconA(m_hInstance, MAKEINTRESOURCEA(id)); }

    HINSTANCE m_hInstance = nullptr;
    const char* m_lpCmdLine = "";  // the command line without the program name
    CWnd* m_pMainWnd = nullptr;
    DWORD m_dwRestartManagerSupportFlags = 0;
    const char* m_registryKey = nullptr;
    int m_exitCode = 0;
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
// Where dialog templates, bitmaps and images are loaded from: the executable.
HINSTANCE AfxGetResourceHandle();
