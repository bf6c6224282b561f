#include "pages/status_page.h"

#include <cstdio>

#include "applet/applet_resources.h"
#include "applet/dialog_fonts.h"
#include "applet/launch.h"
#include "applet/msg_box.h"
#include "applet/online_help.h"
#include "applet/page_colors.h"
#include "applet/page_contract.h"
#include "applet/resource.h"
#include "monitor/registry.h"
#include "monitor/registry_encoding.h"
#include "monitor/service_signals.h"
#include "monitor/settings.h"

namespace {

const char kNotice[] = "Copyright (c) Tallowin. All rights reserved.";

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
  SettingsChanged = 0;
  HICON unknown = AppletResources().StateIcon(0);
  SendDlgItemMessageA(window_, IDC_STATUS_CHECK_ICON, STM_SETICON, reinterpret_cast<WPARAM>(unknown), 0);
  SendDlgItemMessageA(window_, IDC_STATUS_ALERT_ICON, STM_SETICON, reinterpret_cast<WPARAM>(unknown), 0);
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
  ShowWindow(GetDlgItem(window_, IDC_STATUS_ACKNOWLEDGE), SW_HIDE);
}

void CStatus::ShowProductLine() {
  char line[256];
  snprintf(line, sizeof line, "%s %s %s\r\n%s", kProductTitle, kVersionString, "(x64)", kNotice);
  SetDlgItemTextA(window_, IDC_STATUS_PRODUCT, line);
}

INT_PTR CStatus::OnCommand(UINT id, UINT notifyCode, HWND) {
  if (id == IDC_STATUS_RESCAN && notifyCode == BN_CLICKED) Rescan();
  if (id == IDC_STATUS_HELP_LINK) OpenHelpHome(window_);
  return 1;
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
  SaveSettings(AppletSettings());
  SignalService(true);
  SetDlgItemTextA(Sheet(), IDCANCEL, "&Close");
  SettingsChanged = 0;
}

INT_PTR CStatus::OnPageNotify(HWND, HWND, UINT code, int, PSHNOTIFY* notify) {
  if (code == PSN_APPLY) {
    Apply(notify);
    return 0;
  }
  return ContractNotify(code, notify, "status");
}
