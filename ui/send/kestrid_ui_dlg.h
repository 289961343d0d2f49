// The send-fax window: holds the print job, gathers the recipients (typed
// numbers with a country's prefix and mask, or contacts) and the cover-page
// details, and sends the fax. Its decisions are in send_flow, country_table
// and fax_rows; this class is the controls, the views and the wiring.
#pragma once

#include "controls/bitmap_dialog.h"
#include "controls/bitmap_picker_combo.h"
#include "controls/gdip_button.h"
#include "controls/menu/new_menu.h"
#include "controls/my_combo_box.h"
#include "controls/ox_masked_edit.h"
#include "controls/picture_box_ex.h"
#include "framework/notifier.h"
#include "ui/common/window_notifier.h"
#include "ui/send/country_table.h"
#include "ui/send/fax_container.h"
#include "ui/send/send_flow.h"
#include "ui/send/send_progress.h"
#include "ui/send/send_progress_view.h"
#include "ui/send/send_window.h"
#include "ui/send/send_worker.h"
#include "ui/send/start_up.h"

#include <functional>
#include <memory>

// Posted by the send's worker thread to the window; wParam is the number of
// the send, and a message of any other send is ignored.
constexpr UINT WM_SEND_PROGRESS = WM_APP + 50;  // new byte counts to read
constexpr UINT WM_SEND_UPLOADED = WM_APP + 51;  // the whole request is up
constexpr UINT WM_SEND_DONE = WM_APP + 52;      // the result waits in the send's handoff
// Posted by a start-up job's thread: its result waits in the jobs' handoff.
constexpr UINT WM_START_UP_JOB_DONE = WM_APP + 53;

class CKestridUIDlg : public CBitmapDialog, private SendFlowWindow {
public:
    explicit CKestridUIDlg(CWnd* parent = nullptr);
    ~CKestridUIDlg() override;

    // Set by the opener before DoModal: the command-line text (turned into
    // the print-file path at initialisation) and the application key.
    void SetCommandLine(const CString& command_line) { m_send.print_file = command_line; }
    void SetKey(const CString& key) { m_send.key = key; }

    // The views: loading, page 1 (cover page off), page 2 (cover page on).
    enum View { kLoadingView = kSendLoadingView, kPage1 = kSendPage1, kPage2 = kSendPage2 };
    void ShowView(int view);

    // Replaces the panel's rows from the recipient lists.
    void RebuildFaxPanel();
    // Removes entry index from the recipient lists and rebuilds the panel.
    void RemoveRecipient(int index);

    // 1 when the country table resource was read, 0 when it is missing.
    int LoadCountryTable(UINT id);
    void BuildCountryMenu();
    void SelectCountry(UINT command);

    // The cover pages of the current key into the lists, then into the
    // cover-page list (IDC_SEND_COVER_LIST).
    void RequestCoverPageList();
    void FillCoverPageList();

    // The other windows this one opens, set by the opener (windows do not
    // know each other). The contact picker fills the lists it is handed with
    // the chosen recipients and returns true for OK; the key set-up returns
    // true with the verified key. Unset, the buttons do nothing.
    std::function<bool(PickerLists&)> m_pickContacts;
    std::function<bool(CWnd* parent, CString& key)> m_changeKey;

    const SendState& State() const { return m_send; }
    SendPhase SendingPhase() const { return m_sendMachine.phase; }

protected:
    void DoDataExchange(CDataExchange* exchange) override;
    BOOL OnInitDialog() override;
    // Enter never ends this window: in the number field it adds the number,
    // elsewhere it does nothing. Only a confirmed fax ends it with OK.
    void OnOK() override;
    // Escape: the progress view's Cancel while it shows, else the close.
    void OnCancel() override;

    void OnPaint();
    HCURSOR OnQueryDragIcon();
    BOOL OnSetCursor(CWnd* wnd, UINT hit, UINT message);
    void OnTimer(UINT_PTR id);
    void OnDestroy();
    HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);
    void OnMeasureItem(int id, LPMEASUREITEMSTRUCT measure);

    void OnClose();
    void OnMinimise();
    void OnCoverPageOn();
    void OnCoverPageOff();
    void OnSend();
    void OnContacts();
    void OnKeyChange();
    void OnAdd();
    void OnCountryMenu();
    void OnCountry(UINT command);
    LRESULT OnRemoveRecipient(WPARAM index, LPARAM);
    void OnCancelSend();
    LRESULT OnSendProgress(WPARAM, LPARAM);
    LRESULT OnSendUploaded(WPARAM, LPARAM);
    LRESULT OnSendDone(WPARAM send, LPARAM);
    // The send's result, by its message or found by the watch timer.
    void FinishSending(std::unique_ptr<SendResult> result);
    // What the watch timer does: a result or byte count whose message was lost.
    void WatchSending();

    // Tells the user the submission's verdict; ends the window when confirmed,
    // or in any case when end_anyway (it was closed while the fax went up).
    void ConcludeSubmission(const SendResult& result, bool end_anyway = false);

    // The send in the background: the worker with its own copy of the fax,
    // and the view that replaces the send button meanwhile.
    void StartSending(const FaxSubmission& fax);
    void RequestClose();
    void ApplySendView();
    // Nothing of the form answers before page 1 (the key button shows on the
    // loading view too) or while a fax goes up.
    bool FormUsable() const {
        return m_startUp.phase == StartUpPhase::Ready && ViewFor(m_sendMachine.phase).form_enabled;
    }
    void MakeProgressControls();

    // Start-up: the conversion and the cover-page listing on their threads;
    // their results, by their message or found by the watch timer, and what
    // the start-up's rules make of them.
    void StartJobs(const PrintJobOpening& job);
    LRESULT OnStartUpJobDone(WPARAM, LPARAM);
    void TakeStartUpResults();
    void ApplyStartUp(const StartUpStep& step);

    // SendFlowWindow
    CString NumberFieldText() override;
    void ClearNumberField() override;
    void FocusNumberField() override;
    void RebuildPanel() override { RebuildFaxPanel(); }
    CString CoverPageName() override;
    CString RecipientName() override;
    CString Subject() override;
    CString Notes() override;

    Notifier& Notify();
    void LayOut();
    void MakeFonts();
    CFont* FontOf(SendFont font);
    // A control of the window's tables (kSendPanelId: the fax panel).
    CWnd* ControlOf(int id);
    void LoadButtonFaces();
    // The flag picture of a country: its PNG, else a bitmap of that ID.
    bool LoadFlag(UINT command, CBitmap& flag);

    SendState m_send;
    SendMachine m_sendMachine;
    SendState m_sendBefore;        // the state the send began from, for a cancel
    CString m_strFieldBeforeSend;  // the number field's text then
    HWND m_hFocusBeforeSend = nullptr;
    UploadCounts m_sendCounts;
    // The running send's number (0: none yet) and where its result arrives.
    unsigned m_nSend = 0;
    std::shared_ptr<SendHandoff> m_sendHandoff = std::make_shared<SendHandoff>();
    CString m_strDefaultCoverPage;  // the account's default, for the process
    CountryColumns m_countries;
    UINT m_nCountry = kDefaultCountryCommand;
    CNewMenu m_countryMenu;
    CBitmap m_flag;  // shown on IDC_SEND_FLAG for as long as the button shows it
    CString m_strProgramFolder;
    WindowNotifier m_boxes{*this};

    HICON m_hIcon = nullptr;
    CFont m_fontTitle;
    CFont m_fontHeading;
    CFont m_fontLabel;
    CFont m_fontEntry;
    CFont m_fontField;

    CFaxContainer m_faxPanel;
    CStatic m_title, m_loadingText, m_heading, m_numberLabel, m_coverHeading;
    CStatic m_deliverToLabel, m_subjectLabel, m_notesLabel, m_coverLabel;
    CPictureBoxEx m_loading;
    CGdipButton m_btnMinimise, m_btnClose, m_btnKey, m_btnCountryMenu, m_btnContacts, m_btnAdd;
    // The cover-page switch: one button shows while the cover page is off
    // and turns it on, the other the other way round.
    CGdipButton m_btnCoverTurnOn, m_btnCoverTurnOff, m_btnSend;
    CButton m_btnFlag;
    COXMaskedEdit m_editNumber;
    CBitmapPickerCombo m_countryList;
    CEdit m_editDeliverTo, m_editSubject, m_editNotes;
    CMyComboBox m_coverList;
    CFont m_fontProgress;
    CSendProgressView m_progressView;
    CSendCancelButton m_btnCancel;
    StartUpMachine m_startUp;
    // Declared last, so destroyed first: a running send is stopped and its
    // thread joined, and the start-up jobs are waited for, before anything
    // they read goes.
    StartUpJobs m_startUpJobs;
    SendWorker m_sendWorker;

    DECLARE_MESSAGE_MAP()
};
