// The windows start-up runs, and the windows they open in turn: only this
// folder knows every window.
#include "app/start_windows.h"

#include "framework/win/win_app.h"
#include "ui/contacts/dlg_contacts.h"
#include "ui/keysetup/kestrid_ui_login_dlg.h"
#include "ui/send/kestrid_ui_dlg.h"

void RunKeySetupWindow(const CString& command_line) {
    CKestridUILoginDlg dialog;
    CWinApp* app = AfxGetApp();
    app->m_pMainWnd = &dialog;
    dialog.m_strCmdLine = command_line;
    dialog.DoModal();  // the result is not used: the program ends with the window
    app->m_pMainWnd = nullptr;
}

void RunSendFaxWindow(const CString& command_line, const CString& stored_key) {
    CKestridUIDlg dialog;
    dialog.SetCommandLine(command_line);
    dialog.SetKey(stored_key);
    dialog.m_pickContacts = [](PickerLists& lists) { return RunContactPicker(nullptr, lists); };
    dialog.m_changeKey = [](CWnd* parent, CString& key) {
        CKestridUILoginDlg key_setup(parent);
        if (key_setup.DoModal() != IDOK) return false;
        key = key_setup.m_strKey;
        return true;
    };
    dialog.DoModal();
}
