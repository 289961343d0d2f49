#include "app/program/kestrid_ui_app.h"

#include "app/command_line.h"
#include "app/program/start_windows.h"
#include "app/settings_store.h"

#include <windows.h>
#include <commctrl.h>
#include <gdiplus.h>
#include <ole2.h>

CKestridUIApp theApp;

CKestridUIApp::CKestridUIApp() {
    m_dwRestartManagerSupportFlags = 1;  // restart only
}

BOOL CKestridUIApp::InitInstance() {
    // Never shut down explicitly: the process end releases GDI+.
    Gdiplus::GdiplusStartupInput gdiplus_input;
    Gdiplus::GdiplusStartup(&m_gdiplusToken, &gdiplus_input, nullptr);

    INITCOMMONCONTROLSEX controls;
    controls.dwSize = 8;
    controls.dwICC = ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);

    OleInitialize(nullptr);  // a failure only disables OLE pictures
    SetRegistryKey("Local AppWizard-Generated Applications");

    const CString stored_key = ReadSettingText("USERNAME");
    const CString command_line = m_lpCmdLine;

    if (ChooseStartWindow(command_line, stored_key) == StartWindow::SendFax)
        RunSendFaxWindow(command_line, stored_key);
    else
        RunKeySetupWindow(command_line);
    return FALSE;
}
