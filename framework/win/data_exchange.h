// Data exchange: DoDataExchange binds control IDs to member controls and
// copies texts between controls and members, in either direction.
#pragma once

#include "framework/cstring.h"

#include <windows.h>

class CWnd;

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
    // Marks the exchange failed; the caller's UpdateData returns FALSE.
    void Fail(int id, const char* what);

    CWnd* m_pDlgWnd;
    BOOL m_bSaveAndValidate;  // TRUE: controls to members
    BOOL m_bFailed = FALSE;
};

// Subclasses the dialog's control id to control (once; later exchanges leave it).
void DDX_Control(CDataExchange* exchange, int id, CWnd& control);
// The text of control id to or from value.
void DDX_Text(CDataExchange* exchange, int id, CString& value);
