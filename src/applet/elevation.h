// The administrator gate, the UAC state, and starting programs elevated where the system allows.
#pragma once
#include <windows.h>

#include <string>

#include "applet/system_access.h"

struct UacState {
  bool elevationPossible = false;
  bool elevationPossibleOrUnreadable = false;  // also true when the policy could not be read
  DWORD policyValue = 0;                       // "EnableLUA"
  LONG lastResult = 0;                         // result of the last registry call
  DWORD consentAdmin = 0;                      // "ConsentPromptBehaviorAdmin"
  DWORD consentUser = 3;                       // "ConsentPromptBehaviorUser"
};

// Reads the UAC policy of the machine.
UacState QueryUacState();
// Whether the user is an elevated administrator who may configure the service.
bool AdministratorGatePasses(CSystemAccess& system);
// Starts file with parameters through the shell, "runas" when elevation is possible, else "open";
// 0 on success, else the error.
DWORD LaunchElevationAware(CSystemAccess& system, const UacState& uac, HWND owner, const std::string& file,
                           const std::string& parameters, int show);
// Reopens this applet through the system's control.exe, elevated where possible; 0 or the error.
DWORD RelaunchThroughControlPanel(CSystemAccess& system);
