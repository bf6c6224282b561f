// The administrator gate's judgement, the UAC state and the elevated start of a program.
#include "applet/elevation.h"

#include "applet/launch_state.h"
#include "platform/module.h"
#include "platform/os_info.h"

namespace {

const char kPolicyKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";

LONG ReadDword(HKEY key, const char* name, DWORD* value) {
  DWORD size = sizeof *value;
  return RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
}

std::string ModulePath() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(AppletModule(), path, sizeof path);
  return path;
}

HWND RelaunchOwner() {
  HWND foreground = GetForegroundWindow();
  return IsWindow(foreground) ? foreground : GetDesktopWindow();
}

}  // namespace

UacState QueryUacState() {
  UacState uac;
  bool vistaOrLater = CurrentOsInfo().majorVersion >= 6;
  uac.elevationPossible = uac.elevationPossibleOrUnreadable = vistaOrLater;
  uac.policyValue = vistaOrLater ? 1 : 0;
  HKEY key = nullptr;
  uac.lastResult = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPolicyKey, 0, KEY_QUERY_VALUE, &key);
  if (uac.lastResult != ERROR_SUCCESS) return uac;
  uac.lastResult = ReadDword(key, "EnableLUA", &uac.policyValue);
  if (uac.lastResult == ERROR_SUCCESS) {
    uac.elevationPossible = uac.elevationPossibleOrUnreadable = true;
    ReadDword(key, "ConsentPromptBehaviorAdmin", &uac.consentAdmin);
    uac.lastResult = ReadDword(key, "ConsentPromptBehaviorUser", &uac.consentUser);
  } else if (uac.lastResult == ERROR_ACCESS_DENIED) {
    uac.elevationPossibleOrUnreadable = true;
  } else {
    uac.elevationPossible = uac.elevationPossibleOrUnreadable = false;
  }
  RegCloseKey(key);
  return uac;
}

bool AdministratorGatePasses(CSystemAccess& system) {
  if (RefreshOsInfo().platformId != VER_PLATFORM_WIN32_NT) return true;
  return system.LinkedTokenIsAdministrator() && system.CurrentTokenIsAdministrator() &&
         system.CanOpenServiceManager();
}

DWORD LaunchElevationAware(CSystemAccess& system, const UacState& uac, HWND owner, const std::string& file,
                           const std::string& parameters, int show) {
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof info;
  info.hwnd = owner;
  info.lpVerb = (uac.elevationPossible && uac.elevationPossibleOrUnreadable) ? "runas" : "open";
  info.lpFile = file.c_str();
  info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
  info.nShow = show;
  return system.ShellExecute(&info);
}

DWORD RelaunchThroughControlPanel(CSystemAccess& system) {
  std::string file = AppletLaunchState().systemDirectory + "control.exe";
  return LaunchElevationAware(system, QueryUacState(), RelaunchOwner(), file, ModulePath() + ",@1,monitor", SW_SHOW);
}
