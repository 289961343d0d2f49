// The send-fax window, run modally with what start-up hands it.
#include "app/program/start_windows.h"

#include "ui/send/kestrid_ui_dlg.h"

void RunSendFaxWindow(const CString& command_line, const CString& stored_key) {
    CKestridUIDlg dialog;
    dialog.SetCommandLine(command_line);
    dialog.SetKey(stored_key);
    dialog.DoModal();
}
