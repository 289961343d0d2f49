// Everything of the window framework in one include.
//
// A window class derives from CDialog / CDialogEx (or a control class), lists
// its handlers in a message map and binds its controls in DoDataExchange:
//
//   class CMyDlg : public CDialogEx {
//   public:
//       CMyDlg() : CDialogEx(IDD_MY) {}
//   protected:
//       void DoDataExchange(CDataExchange* dx) override {
//           CDialogEx::DoDataExchange(dx);
//           DDX_Control(dx, IDC_SEND, m_send);      // subclasses the control
//       }
//       BOOL OnInitDialog() override;            // call CDialogEx::OnInitDialog() first
//       void OnSend();
//       HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT kind);  // call the base first
//       CButton m_send;
//       DECLARE_MESSAGE_MAP()
//   };
//   BEGIN_MESSAGE_MAP(CMyDlg, CDialogEx)
//       ON_BN_CLICKED(IDC_SEND, &CMyDlg::OnSend)
//       ON_WM_CTLCOLOR()
//   END_MESSAGE_MAP()
//
// DoModal runs the framework's own modal loop, which offers every message to
// PreTranslateMessage of the window it is for and of its parents; Create makes
// a modeless (child) dialog. A parent hands WM_CTLCOLOR*, WM_DRAWITEM,
// WM_MEASUREITEM, WM_COMMAND and WM_NOTIFY of a subclassed control back to it
// first (ON_WM_CTLCOLOR_REFLECT, DrawItem, ON_CONTROL_REFLECT, ...). Base
// handlers (CWnd::OnPaint and the like) run the window's default processing.
// All text is ANSI: the A functions of Win32.
#pragma once

#include "framework/cstring.h"
#include "framework/win/controls.h"
#include "framework/win/data_exchange.h"
#include "framework/win/dialog.h"
#include "framework/win/gdi.h"
#include "framework/win/geometry.h"
#include "framework/win/menu.h"
#include "framework/win/message_map.h"
#include "framework/win/win_app.h"
#include "framework/win/wnd.h"
