#include "ui/send/kestrid_ui_dlg.h"

#include "base/settings_store.h"
#include "base/version_file.h"
#include "controls/gdiplus_bitmap.h"
#include "controls/resource_data.h"
#include "convert/print_job.h"
#include "convert/win_job_platform.h"
#include "resource.h"
#include "ui/common/window_layout_win.h"

namespace {

constexpr UINT_PTR kQuitTimer = 200;
// Looks for what the send's worker could not post while a send runs.
constexpr UINT_PTR kSendWatchTimer = 201;
constexpr UINT kSendWatchPeriod = 250;
// Looks for a start-up job whose message was lost.
constexpr UINT_PTR kStartUpWatchTimer = 202;
constexpr UINT kStartUpWatchPeriod = 250;

// The conversion runs off the window's thread, which keeps the pointer: the
// window shows it busy for as long as it loads (see OnSetCursor).
class WorkerJobPlatform : public WinJobPlatform {
public:
    void ShowWaitCursor() override {}
    void RestoreCursor() override {}
};

}  // namespace

BEGIN_MESSAGE_MAP(CKestridUIDlg, CBitmapDialog)
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_WM_CLOSE()
    ON_WM_SETCURSOR()
    ON_BN_CLICKED(IDC_SEND_CLOSE, &CKestridUIDlg::OnClose)
    ON_BN_CLICKED(IDC_SEND_MINIMISE, &CKestridUIDlg::OnMinimise)
    ON_BN_CLICKED(IDC_SEND_COVER_TURN_ON, &CKestridUIDlg::OnCoverPageOn)
    ON_BN_CLICKED(IDC_SEND_COVER_TURN_OFF, &CKestridUIDlg::OnCoverPageOff)
    ON_BN_CLICKED(IDC_SEND_SEND, &CKestridUIDlg::OnSend)
    ON_BN_CLICKED(IDC_SEND_CONTACTS, &CKestridUIDlg::OnContacts)
    ON_BN_CLICKED(IDC_SEND_KEY, &CKestridUIDlg::OnKeyChange)
    ON_BN_CLICKED(IDC_SEND_ADD, &CKestridUIDlg::OnAdd)
    ON_BN_CLICKED(IDC_SEND_FLAG, &CKestridUIDlg::OnCountryMenu)
    ON_BN_CLICKED(IDC_SEND_COUNTRY_MENU, &CKestridUIDlg::OnCountryMenu)
    ON_COMMAND_RANGE(ID_COUNTRY_FIRST, ID_COUNTRY_LAST, &CKestridUIDlg::OnCountry)
    ON_WM_MEASUREITEM()
    ON_WM_CTLCOLOR()
    ON_MESSAGE(WM_REMOVE_RECIPIENT, &CKestridUIDlg::OnRemoveRecipient)
    ON_BN_CLICKED(IDC_SEND_CANCEL, &CKestridUIDlg::OnCancelSend)
    ON_MESSAGE(WM_SEND_PROGRESS, &CKestridUIDlg::OnSendProgress)
    ON_MESSAGE(WM_SEND_UPLOADED, &CKestridUIDlg::OnSendUploaded)
    ON_MESSAGE(WM_SEND_DONE, &CKestridUIDlg::OnSendDone)
    ON_MESSAGE(WM_START_UP_JOB_DONE, &CKestridUIDlg::OnStartUpJobDone)
END_MESSAGE_MAP()

CKestridUIDlg::CKestridUIDlg(CWnd* parent) : CBitmapDialog(IDD_SEND_FAX, parent) {}

CKestridUIDlg::~CKestridUIDlg() = default;

Notifier& CKestridUIDlg::Notify() { return m_boxes; }

void CKestridUIDlg::DoDataExchange(CDataExchange* exchange) {
    CBitmapDialog::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_SEND_TITLE, m_title);
    DDX_Control(exchange, IDC_SEND_LOADING_TEXT, m_loadingText);
    DDX_Control(exchange, IDC_SEND_LOADING_PICTURE, m_loading);
    DDX_Control(exchange, IDC_SEND_MINIMISE, m_btnMinimise);
    DDX_Control(exchange, IDC_SEND_CLOSE, m_btnClose);
    DDX_Control(exchange, IDC_SEND_KEY, m_btnKey);
    DDX_Control(exchange, IDC_SEND_HEADING, m_heading);
    DDX_Control(exchange, IDC_SEND_NUMBER_LABEL, m_numberLabel);
    DDX_Control(exchange, IDC_SEND_NUMBER, m_editNumber);
    DDX_Control(exchange, IDC_SEND_COUNTRY_LIST, m_countryList);
    DDX_Control(exchange, IDC_SEND_FLAG, m_btnFlag);
    DDX_Control(exchange, IDC_SEND_COUNTRY_MENU, m_btnCountryMenu);
    DDX_Control(exchange, IDC_SEND_CONTACTS, m_btnContacts);
    DDX_Control(exchange, IDC_SEND_ADD, m_btnAdd);
    DDX_Control(exchange, IDC_SEND_COVER_HEADING, m_coverHeading);
    DDX_Control(exchange, IDC_SEND_COVER_TURN_ON, m_btnCoverTurnOn);
    DDX_Control(exchange, IDC_SEND_COVER_TURN_OFF, m_btnCoverTurnOff);
    DDX_Control(exchange, IDC_SEND_DELIVER_TO_LABEL, m_deliverToLabel);
    DDX_Control(exchange, IDC_SEND_DELIVER_TO, m_editDeliverTo);
    DDX_Control(exchange, IDC_SEND_SUBJECT_LABEL, m_subjectLabel);
    DDX_Control(exchange, IDC_SEND_SUBJECT, m_editSubject);
    DDX_Control(exchange, IDC_SEND_NOTES_LABEL, m_notesLabel);
    DDX_Control(exchange, IDC_SEND_NOTES, m_editNotes);
    DDX_Control(exchange, IDC_SEND_COVER_LABEL, m_coverLabel);
    DDX_Control(exchange, IDC_SEND_COVER_LIST, m_coverList);
    DDX_Control(exchange, IDC_SEND_SEND, m_btnSend);
}

BOOL CKestridUIDlg::OnInitDialog() {
    CBitmapDialog::OnInitDialog();

    // The print job: its path from the command line; the conversion and the
    // cover-page listing start here, each on its own thread, and the window
    // opens on its loading view meanwhile (started before the window was
    // made, they held back the loading view on a busy machine). What they
    // leave is taken once the loading view shows.
    const PrintJobOpening job = OpenPrintJob(m_send.print_file);
    m_send.print_file = job.path;
    m_send.pdf_ready = false;
    WinJobPlatform platform;
    m_strProgramFolder = ProgramFolder(platform);
    StartJobs(job);
    const HWND window = m_hWnd;
    m_startUpJobs.Listen([window](StartUpJob) { ::PostMessageA(window, WM_START_UP_JOB_DONE, 0, 0); });

    const CString label = VersionLabel(m_strProgramFolder);
    m_title.SetWindowText(label);
    SetWindowText(label);

    PlaceCentred(*this, kSendWindow, &CWnd::wndTopMost);

    m_hIcon = AfxGetApp() ? AfxGetApp()->LoadIcon(IDR_MAINFRAME) : nullptr;
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    // The country menu is made afresh each time it opens (OnCountryMenu):
    // made here as well, its 230 flags would only hold up the loading view.
    LoadCountryTable(IDR_COUNTRY_TABLE);

    LayOut();
    ShowView(kLoadingView);
    SelectCountry(m_nCountry);
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    if (AfxGetApp()) AfxGetApp()->m_pMainWnd = this;

    ShowWindow(SW_HIDE);
    ShowWindow(SW_MINIMIZE);
    ShowWindow(SW_SHOWNORMAL);
    UpdateWindow();
    // Page 1 (or the quit timer) comes when both jobs are done.
    SetTimer(kStartUpWatchTimer, kStartUpWatchPeriod);
    return FALSE;
}

void CKestridUIDlg::StartJobs(const PrintJobOpening& job) {
    const CString folder = m_strProgramFolder;
    auto convert = [job, folder] {
        std::unique_ptr<ConversionOutcome> outcome(new ConversionOutcome());
        outcome->print_file = job.path;
        if (job.prepare) {
            // The boxes wait for the window's thread, which shows them in order.
            RecordingNotifier boxes;
            WorkerJobPlatform platform;
            outcome->print_file = PreparePrintJob(platform, boxes, job.path, folder, job.owner, &outcome->converted);
            outcome->boxes = boxes.boxes;
        }
        return outcome;
    };
    const CString key = m_send.key;
    const CString default_name = m_strDefaultCoverPage;
    auto list = [key, default_name](const std::atomic<bool>& abandoned) {
        std::unique_ptr<CoverPagesOutcome> outcome(new CoverPagesOutcome());
        outcome->default_name = default_name;
        RecordingNotifier boxes;
        ::RequestCoverPages(key, outcome->lists, outcome->default_name, boxes, DefaultEndpoint(), &abandoned);
        outcome->boxes = boxes.boxes;
        return outcome;
    };
    m_startUpJobs.Start(convert, list);
}

LRESULT CKestridUIDlg::OnStartUpJobDone(WPARAM, LPARAM) {
    TakeStartUpResults();
    return 0;
}

void CKestridUIDlg::TakeStartUpResults() {
    if (std::unique_ptr<ConversionOutcome> conversion = m_startUpJobs.TakeConversion()) {
        m_send.print_file = conversion->print_file;
        m_send.pdf_ready = conversion->converted;
        ApplyStartUp(m_startUp.ConversionDone(!m_send.print_file.IsEmpty(), conversion->boxes));
    }
    if (std::unique_ptr<CoverPagesOutcome> listing = m_startUpJobs.TakeCoverPages()) {
        m_send.cover_pages = listing->lists;
        m_strDefaultCoverPage = listing->default_name;
        ApplyStartUp(m_startUp.CoverPagesAnswered(listing->boxes));
    }
}

void CKestridUIDlg::ApplyStartUp(const StartUpStep& step) {
    if (m_startUp.phase != StartUpPhase::Loading) KillTimer(kStartUpWatchTimer);
    if (step.end_window) {
        EndDialog(IDCANCEL);
        return;
    }
    for (const RecordingNotifier::Box& box : step.boxes) Notify().Show(box.text, box.caption, box.icon);
    if (step.fill_cover_pages) FillCoverPageList();
    if (step.show_page1) ShowView(kPage1);
    if (step.start_quit_timer) SetTimer(kQuitTimer, 500);
}

CFont* CKestridUIDlg::FontOf(SendFont font) {
    switch (font) {
    case SendFont::Title:
        return &m_fontTitle;
    case SendFont::Heading:
        return &m_fontHeading;
    case SendFont::Label:
        return &m_fontLabel;
    case SendFont::Entry:
        return &m_fontEntry;
    case SendFont::Field:
        return &m_fontField;
    case SendFont::Progress:
        return &m_fontProgress;
    }
    return nullptr;
}

CWnd* CKestridUIDlg::ControlOf(int id) { return id == kSendPanelId ? static_cast<CWnd*>(&m_faxPanel) : GetDlgItem(id); }

void CKestridUIDlg::MakeFonts() {
    const CFont* base = GetFont();
    for (SendFont font :
         {SendFont::Title, SendFont::Heading, SendFont::Label, SendFont::Entry, SendFont::Field, SendFont::Progress})
        MakeFont(*FontOf(font), base, SendFontLook(font));
    for (int i = 0; i < kSendControlFontCount; ++i)
        if (CWnd* control = ControlOf(kSendControlFonts[i].id)) control->SetFont(FontOf(kSendControlFonts[i].font));
    SetFont(&m_fontEntry);
}

void CKestridUIDlg::LoadButtonFaces() {
    CGdipButton* buttons[] = {&m_btnSend,        &m_btnAdd,          &m_btnContacts, &m_btnKey,  &m_btnCountryMenu,
                              &m_btnCoverTurnOn, &m_btnCoverTurnOff, &m_btnMinimise, &m_btnClose};
    for (int i = 0; i < kSendButtonFaceCount; ++i)
        for (CGdipButton* button : buttons)
            if (button->GetDlgCtrlID() == kSendButtonFaces[i].id) LoadFaces(*button, kSendButtonFaces[i]);
}

void CKestridUIDlg::LayOut() {
    SetBackgroundBitmap(IDB_SEND_LOADING_BACKGROUND);
    SetDragAnywhere(TRUE);
    // Made first, so the fonts reach them too; they stay below every placed
    // control in the z-order.
    MakeProgressControls();
    MakeFonts();
    m_faxPanel.Create(IDD_FAX_PANEL, this);

    // Placed in the table's order, which is also the z-order and so the tab order.
    const CWnd* after = &CWnd::wndTop;
    for (int i = 0; i < kSendLayoutCount; ++i) {
        const ControlPlace& p = kSendLayout[i];
        CWnd* wnd = ControlOf(p.id);
        if (!wnd) continue;
        wnd->SetWindowPos(after, p.left, p.top, p.width, p.height, SWP_NOACTIVATE);
        after = wnd;
    }
    LoadButtonFaces();
    m_btnMinimise.ShowWindow(SW_SHOW);
    m_btnClose.ShowWindow(SW_SHOW);
}

void CKestridUIDlg::MakeProgressControls() {
    // Hidden until a fax goes up; then the bar and Cancel stand where the
    // send button was, centred on the same row.
    auto rect = [](const ControlPlace& p) { return CRect(p.left, p.top, p.left + p.width, p.top + p.height); };
    m_progressView.CreateEx(0, "STATIC", "", WS_CHILD | SS_LEFT | SS_NOPREFIX, rect(kSendProgressPlace), this,
                            kSendProgressPlace.id);
    m_btnCancel.CreateEx(0, "BUTTON", "", WS_CHILD | WS_TABSTOP | BS_OWNERDRAW, rect(kSendCancelPlace), this,
                         kSendCancelPlace.id);
    LoadFaces(m_btnCancel, kSendCancelFaces);
}

void CKestridUIDlg::ShowView(int view) {
    const SendWindowView shown = static_cast<SendWindowView>(view);
    if (shown == kSendLoadingView) {
        if (m_loading.LoadFromResource(IDR_LOADING_GIF, "GIF")) m_loading.Draw();
    } else {
        m_send.cover_page = shown == kSendPage2 ? 1 : 0;
        SetBackgroundBitmap(shown == kSendPage2 ? IDB_SEND_PAGE2_BACKGROUND : IDB_SEND_PAGE1_BACKGROUND);
        RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
    for (const ShowChange& change : SendViewShows(shown))
        if (CWnd* control = ControlOf(change.id)) control->ShowWindow(change.shown ? SW_SHOW : SW_HIDE);
    if (shown != kSendLoadingView) m_editNumber.SetFocus();
}

// ---- painting, timer, closing ------------------------------------------------

void CKestridUIDlg::OnPaint() {
    if (IsIconic()) PaintIconic(m_hIcon);
    else CBitmapDialog::OnPaint();
}

BOOL CKestridUIDlg::OnSetCursor(CWnd*, UINT hit, UINT) {
    // Working, yet usable: the window can be moved and closed while it loads.
    if (m_startUp.phase == StartUpPhase::Loading && hit == HTCLIENT) {
        ::SetCursor(::LoadCursor(nullptr, IDC_APPSTARTING));
        return TRUE;
    }
    return static_cast<BOOL>(Default());
}

HCURSOR CKestridUIDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

void CKestridUIDlg::OnTimer(UINT_PTR id) {
    if (id == kSendWatchTimer) {
        WatchSending();
        return;
    }
    if (id == kStartUpWatchTimer) {
        TakeStartUpResults();
        return;
    }
    if (id == kQuitTimer) {
        KillTimer(kQuitTimer);
        if (m_send.print_file.IsEmpty()) ::PostQuitMessage(0);
    }
    CBitmapDialog::OnTimer(id);
}

void CKestridUIDlg::OnDestroy() {
    // The transfer may still read the PDF: it stops, and its thread ends,
    // before the file goes. A result it left goes with the handoff.
    m_sendWorker.Abandon();
    KillTimer(kSendWatchTimer);
    // Closed during start-up: the jobs end first (Ghostscript is let finish),
    // and a PDF the conversion made goes like any other.
    KillTimer(kStartUpWatchTimer);
    m_startUpJobs.Shut();
    if (std::unique_ptr<ConversionOutcome> conversion = m_startUpJobs.TakeConversion())
        m_send.print_file = conversion->print_file;
    for (CFont* font : {&m_fontTitle, &m_fontHeading, &m_fontLabel, &m_fontEntry, &m_fontField, &m_fontProgress})
        font->DeleteObject();
    WinJobPlatform platform;
    DeletePrintFileOnClose(platform, m_send.print_file);
    CBitmapDialog::OnDestroy();
}

void CKestridUIDlg::OnClose() { RequestClose(); }

void CKestridUIDlg::OnCancel() {
    // Escape, from the dialog manager. During start-up it closes the window;
    // during the upload it is the focused Cancel: the send stops and the
    // window stays with its job.
    const StartUpStep start = m_startUp.CloseAsked();
    if (!start.passed_on) {
        ApplyStartUp(start);
        return;
    }
    const SendStep step = m_sendMachine.Apply(SendEvent::EscapePressed);
    if (step.end_window) {
        EndDialog(IDCANCEL);
        return;
    }
    if (step.request_cancel) m_sendWorker.Cancel();
    ApplySendView();
}

void CKestridUIDlg::RequestClose() {
    const StartUpStep start = m_startUp.CloseAsked();
    if (!start.passed_on) {
        ApplyStartUp(start);
        return;
    }
    const SendStep step = m_sendMachine.Apply(SendEvent::ClosePressed);
    if (step.end_window) {
        EndDialog(IDCANCEL);
        return;
    }
    // A send is on: the window ends once its worker has (see FinishSending).
    if (step.request_cancel) m_sendWorker.Cancel();
    ApplySendView();
}

void CKestridUIDlg::OnMinimise() { ShowWindow(SW_MINIMIZE); }

void CKestridUIDlg::OnOK() {
    if (!FormUsable()) return;
    CWnd* focus = CWnd::GetFocus();
    if (focus && focus->m_hWnd == m_editNumber.m_hWnd) OnAdd();
}

HBRUSH CKestridUIDlg::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
    HBRUSH brush = CBitmapDialog::OnCtlColor(dc, wnd, ctlColor);
    if (!wnd) return brush;
    if (const ControlColours* colours = SendControlColours(wnd->GetDlgCtrlID())) {
        dc->SetTextColor(colours->text);
        if (colours->paints_background) dc->SetBkColor(colours->background);
    }
    return brush;
}

void CKestridUIDlg::OnMeasureItem(int id, LPMEASUREITEMSTRUCT measure) {
    if (measure && measure->CtlType == ODT_MENU) {
        measure->itemWidth = 250;
        measure->itemHeight = 40;
        return;
    }
    CBitmapDialog::OnMeasureItem(id, measure);
}

// ---- cover page ---------------------------------------------------------------

void CKestridUIDlg::OnCoverPageOn() {
    if (!FormUsable()) return;
    if (!MayTurnCoverPageOn(Notify())) return;
    ShowView(kPage2);
    m_editDeliverTo.SetFocus();
}

void CKestridUIDlg::OnCoverPageOff() {
    if (FormUsable()) ShowView(kPage1);
}

void CKestridUIDlg::RequestCoverPageList() {
    ::RequestCoverPages(m_send.key, m_send.cover_pages, m_strDefaultCoverPage, Notify());
}

void CKestridUIDlg::FillCoverPageList() {
    const CoverPageFill fill = PlanCoverPageFill(m_send.cover_pages, m_strDefaultCoverPage);
    m_coverList.ResetContent();
    for (const CString& name : fill.entries) m_coverList.AddString(name);
    if (fill.selection >= 0) m_coverList.SetCurSel(fill.selection);
}

void CKestridUIDlg::OnKeyChange() {
    if (!FormUsable()) return;
    CString key;
    if (!m_changeKey || !m_changeKey(this, key)) return;
    m_send.cover_pages.ids.RemoveAll();
    m_send.cover_pages.names.RemoveAll();
    m_send.key = key;
    RequestCoverPageList();
    FillCoverPageList();
}

// ---- recipients and sending ---------------------------------------------------------

void CKestridUIDlg::RebuildFaxPanel() { m_faxPanel.Rebuild(PlanFaxPanel(m_send.recipients)); }

void CKestridUIDlg::RemoveRecipient(int index) {
    m_send.recipients.RemoveAt(index);
    RebuildFaxPanel();
}

LRESULT CKestridUIDlg::OnRemoveRecipient(WPARAM index, LPARAM) {
    // The lists are the window's again only once the send is over.
    if (FormUsable()) RemoveRecipient(static_cast<int>(index));
    return 0;
}

void CKestridUIDlg::OnAdd() {
    if (FormUsable()) AddTypedNumber(*this, m_send, Notify());
}

void CKestridUIDlg::OnSend() {
    if (!FormUsable()) return;
    const SendState before = m_send;
    const CString field = NumberFieldText();
    const HWND focus = ::GetFocus();
    FaxSubmission fax;
    if (!PrepareSubmission(*this, m_send, Notify(), fax)) return;
    if (!m_sendMachine.Apply(SendEvent::SendPressed).start_worker) return;
    m_sendBefore = before;
    m_strFieldBeforeSend = field;
    m_hFocusBeforeSend = focus;
    StartSending(fax);
}

void CKestridUIDlg::StartSending(const FaxSubmission& fax) {
    // The worker talks to the window by posted messages that carry the send's
    // number; its result waits in the handoff. A message that cannot be
    // posted is made up for by the watch timer, so the form always comes back.
    const HWND window = m_hWnd;
    const unsigned send = m_sendHandoff->Begin();
    m_nSend = send;
    std::shared_ptr<SendHandoff> handoff = m_sendHandoff;
    SendWorkerSink sink;
    sink.progress = [window, send] { ::PostMessageA(window, WM_SEND_PROGRESS, send, 0); };
    sink.upload_complete = [window, send] { ::PostMessageA(window, WM_SEND_UPLOADED, send, 0); };
    sink.finished = [window, send, handoff](std::unique_ptr<SendResult> result) {
        handoff->Finish(send, std::move(result),
                        [window](unsigned number) { ::PostMessageA(window, WM_SEND_DONE, number, 0); });
    };
    m_sendCounts = UploadCounts();
    ApplySendView();
    SetTimer(kSendWatchTimer, kSendWatchPeriod);
    if (!m_sendWorker.Start(fax, DefaultEndpoint(), sink)) sink.finished(ThreadlessSendResult());
}

void CKestridUIDlg::WatchSending() {
    if (m_sendMachine.phase == SendPhase::Idle) {
        KillTimer(kSendWatchTimer);
        return;
    }
    if (std::unique_ptr<SendResult> result = m_sendHandoff->Take(m_nSend)) {
        FinishSending(std::move(result));
        return;
    }
    const UploadCounts counts = m_sendWorker.TakeProgress();
    if (counts.sent == m_sendCounts.sent && counts.total == m_sendCounts.total) return;
    m_sendCounts = counts;
    if (UploadWhole(counts.sent, counts.total)) m_sendMachine.Apply(SendEvent::UploadComplete);
    ApplySendView();
}

void CKestridUIDlg::OnCancelSend() {
    if (m_sendMachine.Apply(SendEvent::CancelPressed).request_cancel) m_sendWorker.Cancel();
    ApplySendView();
}

LRESULT CKestridUIDlg::OnSendProgress(WPARAM send, LPARAM) {
    if (send != m_nSend || m_sendMachine.phase == SendPhase::Idle) return 0;
    m_sendCounts = m_sendWorker.TakeProgress();
    ApplySendView();
    return 0;
}

LRESULT CKestridUIDlg::OnSendUploaded(WPARAM send, LPARAM) {
    if (send != m_nSend) return 0;
    m_sendMachine.Apply(SendEvent::UploadComplete);
    ApplySendView();
    return 0;
}

LRESULT CKestridUIDlg::OnSendDone(WPARAM send, LPARAM) {
    // Only the running send's result is taken; any other message finds nothing.
    if (send != m_nSend || m_sendMachine.phase == SendPhase::Idle) return 0;
    if (std::unique_ptr<SendResult> result = m_sendHandoff->Take(m_nSend)) FinishSending(std::move(result));
    return 0;
}

void CKestridUIDlg::FinishSending(std::unique_ptr<SendResult> result) {
    KillTimer(kSendWatchTimer);
    m_sendWorker.Join();
    const SendStep step =
        m_sendMachine.Apply(result->cancelled ? SendEvent::WorkerCancelled : SendEvent::WorkerFinished);
    if (step.end_window) {
        EndDialog(IDCANCEL);
        return;
    }
    if (step.restore_form) {
        m_send = m_sendBefore;
        RebuildFaxPanel();
        m_editNumber.SetWindowText(m_strFieldBeforeSend);
    }
    ApplySendView();
    if (step.tell_cancelled) Notify().Show(kCancelledText, kSendCaption, kIconInformation);
    if (step.tell_verdict) ConcludeSubmission(*result, step.end_after_verdict);
}

void CKestridUIDlg::ApplySendView() {
    const SendPhase phase = m_sendMachine.phase;
    const SendView view = ViewFor(phase);
    m_progressView.SetProgress(ProgressViewText(phase, m_sendCounts.sent, m_sendCounts.total),
                               ProgressBarPercent(phase, m_sendCounts));
    m_btnCancel.EnableWindow(view.cancel_enabled);

    if (view.progress_shown == (m_progressView.IsWindowVisible() != FALSE)) return;
    // Into or out of the progress view: the form's controls follow it. The
    // view goes first on the way out, so nothing shows it over the verdict.
    if (view.progress_shown) {
        m_btnSend.ShowWindow(SW_HIDE);
        m_progressView.ShowWindow(SW_SHOW);
        m_btnCancel.ShowWindow(SW_SHOW);
        m_btnCancel.SetFocus();
    } else {
        m_progressView.ShowWindow(SW_HIDE);
        m_btnCancel.ShowWindow(SW_HIDE);
        m_btnSend.ShowWindow(SW_SHOW);
    }
    // The flag stays as it is (a disabled bitmap button greys it out); its
    // handler does nothing meanwhile, like every handler of the form.
    CWnd* form[] = {&m_btnKey,      &m_editNumber,     &m_btnCountryMenu,  &m_btnContacts,
                    &m_btnAdd,      &m_btnCoverTurnOn, &m_btnCoverTurnOff, &m_editDeliverTo,
                    &m_editSubject, &m_editNotes,      &m_coverList,       &m_faxPanel};
    for (CWnd* wnd : form) wnd->EnableWindow(view.form_enabled);
    if (!view.progress_shown) {
        const bool back =
            m_hFocusBeforeSend && ::IsWindowVisible(m_hFocusBeforeSend) && ::IsWindowEnabled(m_hFocusBeforeSend);
        if (back) ::SetFocus(m_hFocusBeforeSend);
        else m_btnSend.SetFocus();
    }
}

void CKestridUIDlg::ConcludeSubmission(const SendResult& result, bool end_anyway) {
    const SubmissionVerdict verdict = JudgeFinishedSend(result.transfer, result.uploaded);
    if (verdict.shown) Notify().Show(verdict.text, kServiceCaption, verdict.icon);
    if (SubmissionEndsWindow(verdict.result)) CBitmapDialog::OnOK();
    else if (end_anyway) EndDialog(IDCANCEL);
}

void CKestridUIDlg::OnContacts() {
    if (!FormUsable()) return;
    PickerLists picked = PickerListsFrom(m_send.recipients);
    if (!m_pickContacts || !m_pickContacts(picked)) return;
    MergePickedContacts(m_send.recipients, picked);
    RebuildFaxPanel();
}

CString CKestridUIDlg::NumberFieldText() {
    CString text;
    m_editNumber.GetWindowText(text);
    return text;
}

void CKestridUIDlg::ClearNumberField() { m_editNumber.SetWindowText(""); }

void CKestridUIDlg::FocusNumberField() { m_editNumber.SetFocus(); }

CString CKestridUIDlg::CoverPageName() {
    CString text;
    m_coverList.GetWindowText(text);
    return text;
}

CString CKestridUIDlg::RecipientName() {
    CString text;
    m_editDeliverTo.GetWindowText(text);
    return text;
}

CString CKestridUIDlg::Subject() {
    CString text;
    m_editSubject.GetWindowText(text);
    return text;
}

CString CKestridUIDlg::Notes() {
    CString text;
    m_editNotes.GetWindowText(text);
    return text;
}

// ---- countries ------------------------------------------------------------------

int CKestridUIDlg::LoadCountryTable(UINT id) {
    m_countries.RemoveAll();
    const ResourceData table = FindResourceData(AfxGetResourceHandle(), MAKEINTRESOURCEA(id), "CSV");
    if (!table.bytes) return 0;
    ReadCountryTable(static_cast<const char*>(table.bytes), table.size, m_countries);
    return 1;
}

bool CKestridUIDlg::LoadFlag(UINT command, CBitmap& flag) {
    flag.DeleteObject();
    CGdiPlusBitmapResource picture;
    if (picture.LoadFromResource(command, "PNG") && picture.m_pBitmap) {
        HBITMAP bitmap = nullptr;
        if (picture.m_pBitmap->GetHBITMAP(Gdiplus::Color(255, 255, 255, 255), &bitmap) == Gdiplus::Ok && bitmap)
            return flag.Attach(bitmap) != FALSE;
    }
    HANDLE bitmap = ::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(command), IMAGE_BITMAP, 0, 0,
                                 LR_CREATEDIBSECTION | LR_LOADMAP3DCOLORS);
    return bitmap && flag.Attach(bitmap) != FALSE;
}

void CKestridUIDlg::BuildCountryMenu() {
    m_countryMenu.DestroyMenu();
    CMenuDrawModeScope scope(CNewMenu::STYLE_XP);
    m_countryMenu.CreatePopupMenu();
    for (int row = 0; row < kMenuCountryCount && row < m_countries.names.GetSize(); ++row) {
        const UINT command = kFirstCountryCommand + static_cast<UINT>(row);
        CBitmap flag;
        const bool has_flag = LoadFlag(command, flag);
        m_countryMenu.InsertODMenu(static_cast<UINT>(row), MF_BYPOSITION | MF_STRING, command,
                                   CountryMenuText(m_countries, row), has_flag ? &flag : nullptr);
    }
}

void CKestridUIDlg::OnCountryMenu() {
    if (!FormUsable()) return;
    CRect button;
    m_btnFlag.GetWindowRect(&button);
    BuildCountryMenu();
    MENUINFO info{};
    info.cbSize = sizeof info;
    info.fMask = MIM_MAXHEIGHT;
    info.cyMax = 300;
    m_countryMenu.SetMenuInfo(&info);
    m_countryMenu.TrackPopupMenu(TPM_VERTICAL, button.left + 1, button.top + 25, this);
}

void CKestridUIDlg::OnCountry(UINT command) {
    if (FormUsable()) SelectCountry(command);
}

void CKestridUIDlg::SelectCountry(UINT command) {
    CBitmap flag;
    LoadFlag(command, flag);
    m_nCountry = command;
    // The button keeps showing the picture, so the old one goes only now.
    m_btnFlag.SetBitmap(static_cast<HBITMAP>(flag.m_hObject));
    m_flag.DeleteObject();
    m_flag.Attach(flag.Detach());
    m_btnFlag.Invalidate();
    m_editNumber.SetPromptChar(' ');
    const int row = CountryRow(command);
    m_send.prefix = CountryPrefix(m_countries, row);
    m_editNumber.SetMask(CountryMask(m_countries, row));
    m_editNumber.SetFocus();
}
