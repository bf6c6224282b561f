// Opening the applet: the administrator gate, the elevated relaunch, and the run of the
// property sheet with everything it needs started before and released after.
#pragma once
#include <windows.h>

#include "applet/system_access.h"

struct CMonitorSettings;

// The launch path of CPL_DBLCLK and the caller-window message: 0 when the sheet ran or a
// relaunch was started or declined, else the error code (after telling the user).
LONG LaunchApplet(CSystemAccess& system);
// Runs the property sheet once, unless another instance holds the one-instance rule.
void RunAppletSheet();
// The settings record the pages edit.
CMonitorSettings& AppletSettings();
// Stores the system directory (with a trailing backslash) in the launch state.
void RefreshSystemDirectory();
