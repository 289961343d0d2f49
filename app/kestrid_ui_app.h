#pragma once

#include "framework/win/win_app.h"

// Starts the graphics and control libraries, then runs exactly one modal
// window chosen from the command line and the stored key.
class CKestridUIApp : public CWinApp {
public:
    CKestridUIApp();
    BOOL InitInstance() override;

private:
    ULONG_PTR m_gdiplusToken = 0;  // kept for the whole process
};
