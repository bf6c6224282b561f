// CStatus: the Status page's poll, links, "Rescan Now", the audible alert and Apply.
#include "pages/status_page.h"

#include <cstdio>
#include <string>

#include "logview/check_detail.h"
#include "logview/log_viewer.h"
#include "monitor/data_store.h"
#include "monitor/service_signals.h"
#include "monitor/settings.h"
#include "pages/pages_resource.h"
#include "platform/module.h"
#include "platform/named_objects.h"
#include "platform/registry.h"
#include "platform/registry_encoding.h"
#include "ui/applet_resources.h"
#include "ui/control_utils.h"
#include "ui/dialog_fonts.h"
#include "ui/msg_box.h"
#include "ui/online_help.h"
#include "ui/page_colors.h"
#include "ui/page_contract.h"

namespace {

const char kNotice[] = "Copyright (c) Tallowin. All rights reserved.";
const UINT_PTR kPollTimer = 1;
const UINT kPollMilliseconds = 250;

ServiceState CurrentServiceState() {
  if (IsScanInProgress()) return ServiceState::kScanning;
  return IsServiceRunning() ? ServiceState::kIdle : ServiceState::kStopped;
}

bool IsAlertRinging() {
  HANDLE ringing = OpenGlobalEvent(kRingingEventName, SYNCHRONIZE);
  if (!ringing) return false;
  bool signalled = WaitForSingleObject(ringing, 0) == WAIT_OBJECT_0;
  CloseHandle(ringing);
  return signalled;
}

void SetNotifyStyle(HWND control, bool on) {
  LONG_PTR style = GetWindowLongPtrA(control, GWL_STYLE);
  SetWindowLongPtrA(control, GWL_STYLE, on ? style | SS_NOTIFY : style & ~static_cast<LONG_PTR>(SS_NOTIFY));
}

}  // namespace

INT_PTR CStatus::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  return PageCtlColor(this, msg, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
}

INT_PTR CStatus::OnInitDialog(HWND, LPARAM) {
  CountPageOpened();
  DisableCallerWindow();
  CreateDialogFonts(window_);
  PrepareSheet();
  SetDlgItemTextA(window_, IDC_STATUS_HELP_LINK, kHelpHostName);
  // Statics without the notify style let the mouse through, so only the links show the hand.
  SetClassLongPtrA(GetDlgItem(window_, IDC_STATUS_HELP_LINK), GCLP_HCURSOR,
                   reinterpret_cast<LONG_PTR>(LoadCursorA(nullptr, MAKEINTRESOURCEA(32649))));
  display_.Reset();
  SettingsChanged = 0;
  Render(true);
  ShowProductLine();
  return 1;
}

void CStatus::PrepareSheet() {
  HWND sheet = Sheet();
  WriteRegistryDword("", "hwnd", static_cast<uint32_t>(reinterpret_cast<uintptr_t>(sheet)));
  CenterOnScreen(sheet);
  SetWindowPos(sheet, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetDlgItemTextA(sheet, IDOK, "&OK");
  SetDlgItemTextA(sheet, IDCANCEL, "&Cancel");
  MarkAppletSheet(sheet, true);
}

INT_PTR CStatus::OnDestroy(WPARAM wParam, LPARAM lParam) {
  MarkAppletSheet(Sheet(), false);
  return CSettingsPage::OnDestroy(wParam, lParam);
}

void CStatus::ShowProductLine() {
  char line[256];
  snprintf(line, sizeof line, "%s %s %s\r\n%s", kProductTitle, kVersionString, "(x64)", kNotice);
  SetDlgItemTextA(window_, IDC_STATUS_PRODUCT, line);
}

void CStatus::Activate() {
  display_.Show(ReadCheckCopy(CheckCopy::kLastCheck), ReadCheckCopy(CheckCopy::kLastAlert));
  Render(false);
  SetTimer(window_, kPollTimer, kPollMilliseconds, nullptr);
}

// The page keeps the focus while a check runs.
INT_PTR CStatus::Deactivate() {
  if (IsServiceRunning() && IsScanInProgress()) {
    MsgBox(window_, "Please wait for the current scan to finish.", kProductTitle, MB_ICONINFORMATION,
           "Scan Still Active");
    SetWindowLongPtrA(window_, DWLP_MSGRESULT, 1);
    return 1;
  }
  KillTimer(window_, kPollTimer);
  return 0;
}

INT_PTR CStatus::OnTimer(UINT_PTR timerId, LPARAM) {
  if (timerId == kPollTimer) Poll();
  return 0;
}

void CStatus::Poll() {
  display_.Poll(CurrentServiceState(), IsAlertRinging(), ReadCheckCopy(CheckCopy::kLastCheck),
                ReadCheckCopy(CheckCopy::kLastAlert));
  Render(false);
}

// Brings the controls to the display's view; all redraws every control.
void CStatus::Render(bool all) {
  const StatusView& view = display_.View();
  if (all || view.check != shown_.check)
    RenderLine(IDC_STATUS_CHECK_TIME, IDC_STATUS_CHECK_ICON, IDC_STATUS_CHECK_NOTE, view.check);
  if (all || view.alert != shown_.alert)
    RenderLine(IDC_STATUS_ALERT_TIME, IDC_STATUS_ALERT_ICON, IDC_STATUS_ALERT_NOTE, view.alert);
  if (all || view.linksClickable != shown_.linksClickable) SetLinksClickable(view.linksClickable);
  if (all || view.rescanEnabled != shown_.rescanEnabled)
    EnableWindow(GetDlgItem(window_, IDC_STATUS_RESCAN), view.rescanEnabled);
  if (all || view.acknowledgeVisible != shown_.acknowledgeVisible)
    ShowWindow(GetDlgItem(window_, IDC_STATUS_ACKNOWLEDGE), view.acknowledgeVisible ? SW_SHOW : SW_HIDE);
  shown_ = view;
}

void CStatus::RenderLine(int textId, int iconId, int noteId, const StatusLine& line) {
  SetUtf8Text(GetDlgItem(window_, textId), line.text);
  SetUtf8Text(GetDlgItem(window_, noteId), line.note);
  SendDlgItemMessageA(window_, iconId, STM_SETICON,
                      reinterpret_cast<WPARAM>(AppletResources().StateIcon(line.iconState)), 0);
}

void CStatus::SetLinksClickable(bool clickable) {
  for (int id : {IDC_STATUS_CHECK_TIME, IDC_STATUS_ALERT_TIME, IDC_STATUS_CHECK_ICON, IDC_STATUS_ALERT_ICON})
    SetNotifyStyle(GetDlgItem(window_, id), clickable);
}

INT_PTR CStatus::OnCommand(UINT id, UINT notifyCode, HWND) {
  if (id == IDC_STATUS_HELP_LINK) OpenHelpHome(window_);
  if (id == IDC_STATUS_RESCAN && notifyCode == BN_CLICKED) Rescan();
  if (notifyCode != STN_CLICKED) return 1;
  if (id == IDC_STATUS_CHECK_TIME || id == IDC_STATUS_CHECK_ICON) ShowDetail(display_.ShownCheckTime());
  if (id == IDC_STATUS_ALERT_TIME || id == IDC_STATUS_ALERT_ICON) ShowDetail(display_.ShownAlertTime());
  if (id == IDC_STATUS_LOG_FILE) OpenLogViewer();
  if (id == IDC_STATUS_ACKNOWLEDGE) Acknowledge();
  return 1;
}

void CStatus::ShowDetail(uint32_t time) { ShowCheckDetail(CMonitorStore(Settings().dataFolder), time, notepad_.get()); }

// The one place that opens the log viewer window on the service log.
void CStatus::OpenLogViewer() {
  if (logViewer_) logViewer_->Open(AppletModule());
}

void CStatus::Acknowledge() {
  AcknowledgeAudioAlert();
  display_.Acknowledge();
  Render(false);
}

void CStatus::Rescan() {
  if (SettingsChanged) {
    int answer = MsgBox(window_, "Do you want to save your changes first?", kProductTitle,
                        MB_YESNOCANCEL | MB_ICONQUESTION, "Settings Changed");
    if (answer == IDCANCEL) return;
    if (answer == IDYES) {
      SendMessageA(Sheet(), PSM_APPLY, 0, 0);
      SettingsChanged = 0;
    }
  }
  if (!SignalService(false))
    MsgBox(window_, "Could not signal service.", kProductTitle, MB_ICONEXCLAMATION, "Communications Failure");
}

void CStatus::Apply(const PSHNOTIFY* notify) {
  if (notify && notify->lParam) ReenableCallerWindow();
  if (!SettingsChanged) return;
  SaveSettings(Settings());
  SignalService(true);
  SetDlgItemTextA(Sheet(), IDCANCEL, "&Close");
  SettingsChanged = 0;
}

INT_PTR CStatus::OnPageNotify(HWND, HWND, UINT code, int, PSHNOTIFY* notify) {
  switch (code) {
    case PSN_SETACTIVE:
      Activate();
      return 0;
    case PSN_KILLACTIVE:
      return Deactivate();
    case PSN_APPLY:
      Apply(notify);
      return 0;
    default:
      return ContractNotify(code, notify, "status");
  }
}
