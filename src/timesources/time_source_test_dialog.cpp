// CTestTimeSource: the test dialog, its worker thread and its report.
#include "timesources/time_source_test_dialog.h"

#include <commctrl.h>
#include <process.h>

#include <exception>
#include <mutex>

#include "platform/describe_error.h"
#include "platform/module.h"
#include "platform/stop_event.h"
#include "sampling/sample_report.h"
#include "sampling/sampler_rules.h"
#include "sampling/time_sampler.h"
#include "timesources/timesources_resource.h"
#include "ui/control_utils.h"
#include "ui/dialog_fonts.h"
#include "ui/wait_cursor.h"

// One test: the line to test, and what the worker found. The worker writes the title once the
// line is parsed and the report when it ends; the dialog's thread reads them under the lock.
class CTestRun {
 public:
  explicit CTestRun(std::string line) : line_(std::move(line)) {}

  // The worker's whole job: parse with the keyring check, sample, report.
  void Work() {
    TimeSourceSpec spec;
    bool parsed = ParseTimeSource(spec, line_, false);
    {
      std::lock_guard<std::mutex> lock(lock_);
      title_ = SampleTestTitle(spec);
    }
    samples_.clear();
    uint32_t code = 0;
    try {
      if (parsed) code = RunTimeSource(spec, &samples_);
    } catch (const std::exception&) {
      code = kExceptionInRun;
    }
    SampleReport report = BuildSampleReport(spec, parsed, code, samples_);
    std::lock_guard<std::mutex> lock(lock_);
    report_ = report;
  }

  // The title once the worker has parsed the line (empty before).
  std::string Title() {
    std::lock_guard<std::mutex> lock(lock_);
    return title_;
  }
  // The report once the worker has ended; a run that never started reports why.
  SampleReport Report() {
    std::lock_guard<std::mutex> lock(lock_);
    return report_;
  }
  // Records that no worker could be started, with the system's code.
  void FailToStart(uint32_t code) {
    char description[128];
    DescribeError(code, description, sizeof description);
    std::lock_guard<std::mutex> lock(lock_);
    report_.text = line_ + "\r\nTest failed; error " + std::to_string(int32_t(code)) + ": " + description + ".";
    report_.failed = true;
  }

 private:
  const std::string line_;
  SampleSet samples_;  // the worker's alone
  std::mutex lock_;
  std::string title_;
  SampleReport report_;
};

namespace {

constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollMs = 100;

unsigned __stdcall TestWorker(void* param) {
  std::unique_ptr<std::shared_ptr<CTestRun>> run(static_cast<std::shared_ptr<CTestRun>*>(param));
  (*run)->Work();
  return 0;
}

}  // namespace

CTestTimeSource::~CTestTimeSource() { WaitForWorker(); }

INT_PTR CTestTimeSource::OnMessage(UINT msg, WPARAM, LPARAM) {
  if (msg != WM_SETCURSOR || !worker_) return 0;
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  SetWindowLongPtrA(window_, DWLP_MSGRESULT, TRUE);
  return 1;
}

INT_PTR CTestTimeSource::OnInitDialog(HWND, LPARAM initParam) {
  PlaceNearOwner(window_, owner_ ? owner_ : GetParent(window_));
  run_ = std::make_shared<CTestRun>(*reinterpret_cast<const std::string*>(initParam));
  pendingEnd_ = 0;
  titleShown_ = false;
  HWND progress = GetDlgItem(window_, IDC_TEST_PROGRESS);
  SetWindowLongPtrA(progress, GWL_STYLE, GetWindowLongPtrA(progress, GWL_STYLE) | PBS_MARQUEE);
  SendMessageA(progress, PBM_SETRANGE32, 0, 100);
  SendMessageA(progress, PBM_SETSTEP, 1, 0);
  SetDlgItemTextA(window_, IDC_TEST_GROUP, "Test in progress. Please wait....");
  if (HFONT monospace = MonospaceDialogFont())
    SendDlgItemMessageA(window_, IDC_TEST_REPORT, WM_SETFONT, reinterpret_cast<WPARAM>(monospace), FALSE);
  caretHidden_ = false;
  timer_ = SetTimer(window_, kPollTimer, kPollMs, nullptr);
  EnableItem(window_, IDOK, false);
  StartWorker();
  BeginWaitCursor();
  return 1;
}

// A stop left set by an earlier test would end this one at its first pause.
void CTestTimeSource::StartWorker() {
  if (HANDLE stop = StopEvent()) ResetEvent(stop);
  auto* param = new std::shared_ptr<CTestRun>(run_);
  worker_ = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, TestWorker, param, 0, nullptr));
  if (worker_) return;
  run_->FailToStart(GetLastError());
  delete param;
}

INT_PTR CTestTimeSource::OnTimer(UINT_PTR timerId, LPARAM) {
  if (timerId != kPollTimer) return 0;
  ShowTitle();
  if (worker_ && WaitForSingleObject(worker_, 0) == WAIT_TIMEOUT) {
    SendDlgItemMessageA(window_, IDC_TEST_PROGRESS, PBM_STEPIT, 0, 0);
    return 1;
  }
  if (worker_) CloseHandle(worker_);
  worker_ = nullptr;
  KillTimer(window_, timer_);
  EnableItem(window_, IDOK, true);
  ShowWindow(GetDlgItem(window_, IDC_TEST_PROGRESS), SW_HIDE);
  if (caretHidden_) showCaret_(GetDlgItem(window_, IDC_TEST_REPORT));
  caretHidden_ = false;
  EndWaitCursor();
  ShowReport();
  if (pendingEnd_) End(pendingEnd_);
  return 1;
}

void CTestTimeSource::ShowTitle() {
  if (titleShown_) return;
  std::string title = run_->Title();
  if (title.empty()) return;
  SetWindowTextA(window_, title.c_str());
  titleShown_ = true;
}

void CTestTimeSource::ShowReport() {
  ShowTitle();
  SampleReport report = run_->Report();
  SetDlgItemTextA(window_, IDC_TEST_GROUP, "Test Results");
  SetDlgItemTextA(window_, IDC_TEST_STATUS, SampleReportStatus(report));
  SetDlgItemTextA(window_, IDC_TEST_REPORT, report.text.c_str());
}

INT_PTR CTestTimeSource::OnCommand(UINT id, UINT notifyCode, HWND) {
  if (id == IDC_TEST_REPORT) return ReportFocus(notifyCode);
  if (id != IDOK && id != IDCANCEL) return 0;
  if (!worker_) {
    End(id);
    return 1;
  }
  pendingEnd_ = id;
  if (HANDLE stop = StopEvent()) SetEvent(stop);
  SetDlgItemTextA(window_, IDC_TEST_STATUS, "Stopping...");
  return 1;
}

// The report has a caret only while it has the focus: it is hidden from the moment the report
// takes the focus during a run until the run ends (the report makes a new one on each focus).
INT_PTR CTestTimeSource::ReportFocus(UINT notifyCode) {
  if (notifyCode == EN_SETFOCUS && worker_) caretHidden_ = hideCaret_(GetDlgItem(window_, IDC_TEST_REPORT)) != FALSE;
  if (notifyCode == EN_KILLFOCUS) caretHidden_ = false;
  return 0;
}

INT_PTR CTestTimeSource::OnDestroy(WPARAM wParam, LPARAM lParam) {
  WaitForWorker();
  return CBasicDialog::OnDestroy(wParam, lParam);
}

// The worker never waits on this thread, so waiting for it here cannot deadlock; the stop
// event ends its run at the next pause, one exchange's timeout at most.
void CTestTimeSource::WaitForWorker() {
  if (!worker_) return;
  if (HANDLE stop = StopEvent()) SetEvent(stop);
  WaitForSingleObject(worker_, INFINITE);
  CloseHandle(worker_);
  worker_ = nullptr;
  EndWaitCursor();
}

CTestTimeSource& TimeSourceTestDialog() {
  static CTestTimeSource dialog;
  return dialog;
}

INT_PTR RunTimeSourceTest(HWND owner, const std::string& line) {
  CTestTimeSource& dialog = TimeSourceTestDialog();
  dialog.SetInitParam(reinterpret_cast<LPARAM>(&line));
  return dialog.RunModal(AppletModule(), IDD_TEST_RESULTS, owner);
}
