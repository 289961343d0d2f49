#include "app/kestrid_ui_app.h"

#include "app/start_windows.h"
#include "base/command_line.h"
#include "base/settings_store.h"

#include <windows.h>
#include <commctrl.h>
#include <gdiplus.h>
#include <ole2.h>

#include <cstring>

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

    // Our framework has no start-up of its own to run, no ActiveX containment
    // and no shell manager: the program uses none of them.
    OleInitialize(nullptr);  // a failure only disables OLE pictures
    SetRegistryKey("Local AppWizard-Generated Applications");

    char buffer[kSettingsBufferSize];
    std::memset(buffer, 0, sizeof buffer);
    buffer[0] = '\0';
    ReadSetting(kSettingsSection, "USERNAME", buffer);
    const CString stored_key = buffer;
    const CString command_line = m_lpCmdLine;

    if (ChooseStartWindow(command_line, stored_key) == StartWindow::SendFax) RunSendFaxWindow(command_line, stored_key);
    else RunKeySetupWindow(command_line);
    return FALSE;
}
