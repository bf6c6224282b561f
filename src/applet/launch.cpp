// Opening the applet: the gate, the elevated relaunch, and the sheet's run in this process.
#include "applet/launch.h"

#include <commctrl.h>

#include <cstdio>

#include "applet/elevation.h"
#include "applet/instance_limit.h"
#include "applet/launch_state.h"
#include "applet/process_environment.h"
#include "logview/log_viewer.h"
#include "monitor/service_signals.h"
#include "monitor/settings.h"
#include "pages/applet_pages.h"
#include "platform/describe_error.h"
#include "platform/module.h"
#include "platform/os_info.h"
#include "platform/registry.h"
#include "platform/registry_encoding.h"
#include "ui/activation_context.h"
#include "ui/applet_resources.h"
#include "ui/basic_prop_sheet.h"
#include "ui/dialog_fonts.h"
#include "ui/dpi.h"
#include "ui/msg_box.h"
#include "ui/page_colors.h"
#include "ui/page_contract.h"

namespace {

const DWORD kRelaunchDeclined = ERROR_CANCELLED;  // 1223: the user said no at the consent prompt
const char kServiceLogPattern[] = "orvanem*.log*";   // the service's log and its rolled siblings

void ReadServiceLogFileName() {
  LaunchState& state = AppletLaunchState();
  state.serviceLogFileName = ReadRegistryString("", "Service Log Filename", "", MAX_PATH);
  if (state.serviceLogFileName.empty()) state.serviceLogFileName = state.systemDirectory + "orvanem.log";
}

void InitialiseCommonControls() {
  INITCOMMONCONTROLSEX controls = {sizeof controls, 0x0FFF};
  InitCommonControlsEx(&controls);
}

// The Logging page's Event Viewer, started like the relaunch: elevated where the system allows.
void LaunchSystemProgram(HWND owner, const char* file) {
  LaunchElevationAware(RealSystemAccess(), QueryUacState(), owner, file, "", SW_SHOW);
}

INT_PTR ShowSheet(CLogViewer* viewer) {
  CBasicPropSheet sheet;
  sheet.SetIcons(AppletResources().SmallIcon(), AppletResources().LargeIcon());
  AddAppletPages(&sheet, &AppletSettings(), viewer, LaunchSystemProgram);
  return sheet.Run();
}

void SaveAfterSheet(INT_PTR result) {
  if (result != 1 || !SettingsChanged) return;
  SaveSettings(AppletSettings());
  SignalService(true);
  SettingsChanged = 0;
}

// The log viewer lives from before the sheet until after it: its window is closed and its
// preferences saved before anything else is released. Shutdown returns only once the viewer's
// thread has ended (its open dialogs cancelled), so neither the viewer nor the rich edit
// library released after it is still in use.
void RunSheetWithLogViewer() {
  CLogViewer viewer;
  viewer.LoadPreferences();
  viewer.SetPattern(kServiceLogPattern);
  viewer.SetFile(AppletLaunchState().serviceLogFileName);
  CreatePageBrush();
  SaveAfterSheet(ShowSheet(&viewer));
  viewer.Shutdown();
  viewer.SavePreferences();
}

// Everything the sheet uses, started in order and released in the reverse order.
void RunSheetWithEnvironment() {
  RefreshOsInfo();
  RefreshSystemDirectory();
  ReadServiceLogFileName();
  StartProcessEnvironment();
  LoadSettings(&AppletSettings());
  AppletResources().Load();
  RunSheetWithLogViewer();
  DeleteDialogFonts();
  AppletResources().Release();
  DeletePageBrush();
  StopProcessEnvironment();
}

// Tells the user why the sheet cannot run.
void ReportLaunchFailure(DWORD code, const char* message) {
  char title[129];
  DescribeError(code, title, sizeof title);
  MsgBox(nullptr, message, kProductTitle, MB_ICONEXCLAMATION, title);
}

}  // namespace

CMonitorSettings& AppletSettings() {
  static CMonitorSettings settings;
  return settings;
}

void RefreshSystemDirectory() {
  char directory[MAX_PATH] = "";
  UINT length = GetSystemDirectoryA(directory, MAX_PATH - 1);
  std::string text(directory, length < MAX_PATH ? length : 0);
  if (text.empty() || text.back() != '\\') text += '\\';
  AppletLaunchState().systemDirectory = text;
}

// Another instance's sheet is brought forward silently; any other failure is reported.
void RunAppletSheet() {
  CInstanceLimit limit;
  DWORD refused = limit.Acquire();
  if (refused == ERROR_ALREADY_EXISTS) return;
  if (refused) return ReportLaunchFailure(refused, "Cannot launch Control Panel applet.");
  CActivationScope activation(AppletModule());
  InitialiseCommonControls();
  RunSheetWithEnvironment();
}

LONG LaunchApplet(CSystemAccess& system) {
  EnterSystemDpiAwareness();  // before this thread's first window: the sheet, its dialogs, any message box
  if (AdministratorGatePasses(system)) {
    RunAppletSheet();
    return 0;
  }
  DWORD code = ERROR_ACCESS_DENIED;
  const char* message = "You must be logged on as an administrator in order to run this program.";
  if (!AppletLaunchState().startedWithParameters && !CallerWindowRecorded) {
    RefreshSystemDirectory();
    code = RelaunchThroughControlPanel(system);
    if (code == 0 || code == kRelaunchDeclined) return 0;
    message = "Cannot launch Control Panel applet.";
  }
  ReportLaunchFailure(code, message);
  return static_cast<LONG>(code);
}
