// CAlerts: the Alerts page's controls, the tray question and the e-mail setup it opens.
#include "pages/alerts_page.h"

#include <cstring>

#include "mailsetup/smtp_setup.h"
#include "monitor/service_signals.h"
#include "monitor/settings.h"
#include "pages/pages_resource.h"
#include "platform/registry_encoding.h"
#include "platform/text_numbers.h"
#include "ui/control_binding.h"
#include "ui/control_utils.h"
#include "ui/msg_box.h"
#include "ui/page_colors.h"
#include "ui/page_contract.h"

namespace {

const char kTrayQuestion[] =
    "In order to play sounds or display the control panel applet, the Orvane system tray icon must be installed "
    "and running. The service was unable to verify the system tray icon.\r\n\r\nDo you still want to enable this "
    "feature?";

// The Media folder of the Windows directory, with a final backslash.
std::string MediaFolder() {
  char windows[MAX_PATH] = "";
  GetWindowsDirectoryA(windows, MAX_PATH);
  return WithTrailingBackslash(windows) + "Media\\";
}

// Each control of the page and the field of AlertsControls it shows, in the order they are shown.
std::vector<ControlBinding> Bindings(AlertsControls& c) {
  return {
      {IDC_ALERTS_SLAVE_TEST, &c.slaveTest},        {IDC_ALERTS_SINGLE_TEST, &c.singleTest},
      {IDC_ALERTS_TOTAL_TEST, &c.totalTest},        {IDC_ALERTS_SLAVE_LIMIT, &c.slaveLimit},
      {IDC_ALERTS_SINGLE_LIMIT, &c.singleLimit},    {IDC_ALERTS_TOTAL_LIMIT, &c.totalLimit},
      {IDC_ALERTS_EVENT_LOG, &c.eventLog},          {IDC_ALERTS_EVENT_SUMMARY, &c.eventSummaryOnly},
      {IDC_ALERTS_MAIL, &c.mail},                   {IDC_ALERTS_MAIL_PRIORITY, &c.mailHighPriority},
      {IDC_ALERTS_AUDIO_FILE, &c.audioFile},        {IDC_ALERTS_AUDIO, &c.audio},
      {IDC_ALERTS_REPEAT, &c.repeat},               {IDC_ALERTS_REPEAT_SECONDS, &c.repeatSeconds},
      {IDC_ALERTS_POPUP, &c.appletPopup},
  };
}

}  // namespace

INT_PTR CAlerts::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  return PageCtlColor(this, msg, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
}

INT_PTR CAlerts::OnInitDialog(HWND, LPARAM) {
  CountPageOpened();
  return 1;
}

bool CAlerts::MailConfigured() const { return IsMailConfigured(Settings()); }

void CAlerts::ShowControls(const AlertsControls& c) {
  showing_ = true;
  AlertsControls shown = c;
  ShowBoundControls(window_, Bindings(shown));
  showing_ = false;
}

AlertsControls CAlerts::ReadControls() const {
  AlertsControls c;
  ReadBoundControls(window_, Bindings(c));
  return c;
}

void CAlerts::Refresh() {
  AlertsEnablement e = AlertsEnablementFor(IsButtonChecked(window_, IDC_ALERTS_MAIL),
                                           IsButtonChecked(window_, IDC_ALERTS_EVENT_LOG),
                                           IsButtonChecked(window_, IDC_ALERTS_AUDIO));
  EnableItem(window_, IDC_ALERTS_MAIL_PRIORITY, e.mailHighPriority);
  EnableItem(window_, IDC_ALERTS_EVENT_SUMMARY, e.eventSummaryOnly);
  for (int id : {IDC_ALERTS_AUDIO_FILE, IDC_ALERTS_BROWSE, IDC_ALERTS_REPEAT, IDC_ALERTS_REPEAT_SECONDS,
                 IDC_ALERTS_REPEAT_UNIT})
    EnableItem(window_, id, e.audioOptions);
}

// An edit marks the page changed only when its value differs from the record's.
void CAlerts::Typed(int id, UINT code) {
  if (code != EN_UPDATE || showing_) return;
  const CMonitorSettings& s = Settings();
  std::string text = GetItemString(window_, id);
  uint64_t number = StrToUl32(text, 10);
  bool differs = false;
  if (id == IDC_ALERTS_SLAVE_LIMIT) differs = number != s.slaveLimit;
  if (id == IDC_ALERTS_SINGLE_LIMIT) differs = number != s.singleLimit;
  if (id == IDC_ALERTS_TOTAL_LIMIT) differs = number != s.totalLimit;
  if (id == IDC_ALERTS_REPEAT_SECONDS) differs = number * 1000 != s.audioRepeatInterval;
  if (id == IDC_ALERTS_AUDIO_FILE) differs = text != s.audioFileName;
  if (differs) MarkChanged();
}

// Mail alerts need complete mail settings: the e-mail setup comes first, and the box stays
// unchecked unless it ends with OK.
void CAlerts::MailClicked() {
  if (IsButtonChecked(window_, IDC_ALERTS_MAIL) && !MailConfigured() && RunSmtpSetup(window_, &Settings()) != IDOK) {
    SetButtonChecked(window_, IDC_ALERTS_MAIL, false);
    return;
  }
  MarkChanged();
  Refresh();
}

// The sound and the popup rely on the tray component: without its answer the user decides.
bool CAlerts::TrayFeatureConfirmed() {
  if (PingTrayIcon("noop") == 0) return true;
  return MsgBox(window_, kTrayQuestion, kProductTitle, MB_YESNO | MB_ICONQUESTION, "Confirm Choice") != IDNO;
}

void CAlerts::TrayFeatureClicked(int id) {
  bool checked = IsButtonChecked(window_, id);
  if (checked && !TrayFeatureConfirmed()) {
    SetButtonChecked(window_, id, false);
  } else if (checked && id == IDC_ALERTS_AUDIO && IsItemBlank(window_, IDC_ALERTS_AUDIO_FILE)) {
    PostMessageA(window_, WM_COMMAND, MAKEWPARAM(IDC_ALERTS_BROWSE, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window_, IDC_ALERTS_BROWSE)));
  }
  Refresh();
  MarkChanged();
}

void CAlerts::Browse() {
  char file[MAX_PATH] = "";
  std::string typed = GetItemString(window_, IDC_ALERTS_AUDIO_FILE);
  strncpy(file, typed.c_str(), MAX_PATH - 1);
  std::string folder = MediaFolder();
  OPENFILENAMEA request = {};
  request.lStructSize = sizeof request;
  request.hwndOwner = window_;
  request.lpstrFilter = "Sound Files (*.wav)\0*.wav\0";
  request.nFilterIndex = 1;
  request.lpstrFile = file;
  request.nMaxFile = MAX_PATH;
  request.lpstrInitialDir = folder.c_str();
  request.lpstrTitle = "Select alert sound";
  request.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_NONETWORKBUTTON |
                  OFN_DONTADDTORECENT | OFN_FORCESHOWHIDDEN;
  if (!fileDialog_(&request)) return;
  SetDlgItemTextA(window_, IDC_ALERTS_AUDIO_FILE, file);
  MarkChanged();
}

INT_PTR CAlerts::OnCommand(UINT id, UINT code, HWND) {
  switch (id) {
    case IDC_ALERTS_SLAVE_LIMIT: case IDC_ALERTS_SINGLE_LIMIT: case IDC_ALERTS_TOTAL_LIMIT:
    case IDC_ALERTS_REPEAT_SECONDS: case IDC_ALERTS_AUDIO_FILE:
      Typed(id, code);
      break;
    case IDC_ALERTS_BROWSE:
      Browse();
      break;
    case IDC_ALERTS_MAIL:
      MailClicked();
      break;
    case IDC_ALERTS_EVENT_LOG: case IDC_ALERTS_EVENT_SUMMARY: case IDC_ALERTS_SINGLE_TEST:
    case IDC_ALERTS_TOTAL_TEST: case IDC_ALERTS_SLAVE_TEST: case IDC_ALERTS_MAIL_PRIORITY: case IDC_ALERTS_REPEAT:
      Refresh();
      MarkChanged();
      break;
    case IDC_ALERTS_AUDIO:
    case IDC_ALERTS_POPUP:
      TrayFeatureClicked(id);
      break;
  }
  return 1;
}

INT_PTR CAlerts::OnPageNotify(HWND, HWND, UINT code, int, PSHNOTIFY* notify) {
  switch (code) {
    case PSN_SETACTIVE:
      ShowControls(AlertsControlsFor(Settings(), MailConfigured()));
      Refresh();
      return 0;
    case PSN_KILLACTIVE:
      StoreAlertsControls(ReadControls(), MailConfigured(), &Settings());
      return 0;
    default:
      return ContractNotify(code, notify, "alerts");
  }
}
