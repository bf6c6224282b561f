// CLogging: the Logging page's lists, number fields, enabling and the Event Viewer link.
#include "pages/logging_page.h"

#include <commctrl.h>
#include <uxtheme.h>

#include "logview/log_viewer.h"
#include "monitor/settings.h"
#include "pages/pages_resource.h"
#include "platform/module.h"
#include "platform/text_numbers.h"
#include "ui/control_utils.h"
#include "ui/page_colors.h"
#include "ui/page_contract.h"

namespace {

const int kMaxSizeDigits = 5;

}  // namespace

INT_PTR CLogging::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  bool released = msg == WM_VSCROLL && LOWORD(wParam) == SB_ENDSCROLL &&
                  reinterpret_cast<HWND>(lParam) == GetDlgItem(window_, IDC_LOGGING_ARCHIVES_SPIN);
  if (released) MarkChanged();  // even when the count stayed where it was
  return PageCtlColor(this, msg, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
}

INT_PTR CLogging::OnInitDialog(HWND, LPARAM) {
  CountPageOpened();
  FillList(IDC_LOGGING_TEXT_LEVEL, kLogLevelNames, 6);
  FillList(IDC_LOGGING_EVENT_LEVEL, kLogLevelNames, 6);
  FillList(IDC_LOGGING_ROLL, kRollPeriodNames, 4);
  SendDlgItemMessageA(window_, IDC_LOGGING_MAX_SIZE, EM_LIMITTEXT, kMaxSizeDigits, 0);
  SendDlgItemMessageA(window_, IDC_LOGGING_ARCHIVES_SPIN, UDM_SETRANGE32, kMinLogArchives, kMaxLogArchives);
  return 1;
}

void CLogging::FillList(int id, const char* const* names, int count) {
  for (int i = 0; i < count; ++i) AddComboItem(window_, id, names[i], i);
}

int CLogging::Selection(int id) const {
  return static_cast<int>(SendDlgItemMessageA(window_, id, CB_GETCURSEL, 0, 0));
}

void CLogging::ShowSettings() {
  LoggingControls controls = ShowLogging(Settings().logging);
  SendDlgItemMessageA(window_, IDC_LOGGING_TEXT_LEVEL, CB_SETCURSEL, controls.textLevel, 0);
  SendDlgItemMessageA(window_, IDC_LOGGING_EVENT_LEVEL, CB_SETCURSEL, controls.eventLevel, 0);
  CheckRadioButton(window_, IDC_LOGGING_DELETE_OLD, IDC_LOGGING_KEEP,
                   controls.deleteOld ? IDC_LOGGING_DELETE_OLD : IDC_LOGGING_KEEP);
  SetDlgItemInt(window_, IDC_LOGGING_ARCHIVES, controls.archives, FALSE);
  SendDlgItemMessageA(window_, IDC_LOGGING_ARCHIVES_SPIN, UDM_SETPOS32, 0, controls.archives);
  SetDlgItemInt(window_, IDC_LOGGING_MAX_SIZE, controls.maxSize, FALSE);
  SendDlgItemMessageA(window_, IDC_LOGGING_ROLL, CB_SETCURSEL, controls.rollPeriod, 0);
  RefreshEnabled();
}

void CLogging::StoreSettings() {
  LoggingControls controls;
  controls.maxSize = TypedNumber(IDC_LOGGING_MAX_SIZE);
  controls.archives = TypedNumber(IDC_LOGGING_ARCHIVES);
  controls.textLevel = Selection(IDC_LOGGING_TEXT_LEVEL);
  controls.eventLevel = Selection(IDC_LOGGING_EVENT_LEVEL);
  controls.rollPeriod = Selection(IDC_LOGGING_ROLL);
  controls.deleteOld = IsButtonChecked(window_, IDC_LOGGING_DELETE_OLD);
  StoreLogging(controls, &Settings().logging);
}

void CLogging::RefreshEnabled() {
  LoggingEnablement enabled = EnabledLoggingControls(Selection(IDC_LOGGING_ROLL), IsButtonChecked(window_, IDC_LOGGING_KEEP));
  for (int id : {IDC_LOGGING_DELETE_OLD, IDC_LOGGING_KEEP})
    EnableItem(window_, id, enabled.retentionChoice);
  for (int id : {IDC_LOGGING_ARCHIVES, IDC_LOGGING_ARCHIVES_SPIN})
    EnableItem(window_, id, enabled.archiveCount);
}

// A number too large for 32 bits reads as the largest one, so that the clamp applies (the
// platform's reading gives 0 for it).
uint32_t CLogging::TypedNumber(int id) const { return StrToUl32(GetItemString(window_, id), 10); }

void CLogging::NumberEdited(int id, uint32_t stored) {
  if (TypedNumber(id) != stored) MarkChanged();
}

void CLogging::StartEventViewer() {
  if (launcher_) launcher_(window_, "eventvwr.exe");
}

INT_PTR CLogging::OnCommand(UINT id, UINT notifyCode, HWND) {
  switch (id) {
    case IDC_LOGGING_TEXT_LEVEL:
      if (notifyCode == CBN_SELCHANGE) MarkChanged();
      break;
    case IDC_LOGGING_EVENT_LEVEL:
    case IDC_LOGGING_ROLL:
      if (notifyCode != CBN_SELCHANGE) break;
      [[fallthrough]];
    case IDC_LOGGING_DELETE_OLD:
    case IDC_LOGGING_KEEP:
      RefreshEnabled();
      MarkChanged();
      break;
    case IDC_LOGGING_MAX_SIZE:
      if (notifyCode == EN_UPDATE) NumberEdited(id, Settings().logging.textMaxSize);
      break;
    case IDC_LOGGING_ARCHIVES:
      if (notifyCode == EN_UPDATE) NumberEdited(id, Settings().logging.textMaxArchives);
      break;
    case IDC_LOGGING_VIEW_LOG:
      if (viewer_) viewer_->Open(AppletModule());
      break;
    case IDC_LOGGING_EVENT_VIEWER:
      StartEventViewer();
      break;
  }
  return 1;
}

INT_PTR CLogging::OnPageNotify(HWND, HWND, UINT code, int, PSHNOTIFY* notify) {
  switch (code) {
    case PSN_SETACTIVE:
      // The sheet gives each page the tab's texture once the page exists; this page paints
      // on the pages' own brush instead, so its labels show no box of another colour.
      EnableThemeDialogTexture(window_, ETDT_DISABLE);
      ShowSettings();
      return 0;
    case PSN_KILLACTIVE:
      StoreSettings();
      return 0;
    default:
      return ContractNotify(code, notify, "logs");
  }
}
