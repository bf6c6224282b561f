// CPlApplet: the messages Control Panel sends the applet, answered from its one launch state.
#include "applet/applet.h"

#include <cpl.h>

#include "applet/applet_resource.h"
#include "applet/launch.h"
#include "applet/launch_state.h"
#include "applet/system_access.h"
#include "platform/os_info.h"
#include "platform/registry.h"
#include "ui/page_contract.h"
#include "ui/ui_resource.h"

namespace {

// CPL_INIT: refresh the system facts and offer the applet only when the service is installed.
LONG Initialise() {
  RefreshOsInfo();
  char name[81] = "";
  DWORD size = sizeof name;
  if (GetComputerNameA(name, &size)) AppletLaunchState().computerName = name;
  return ReadRegistryFlag("", "Service Installed", false) ? 1 : 0;
}

LONG Inquire(LPARAM info) {
  CPLINFO* cpl = reinterpret_cast<CPLINFO*>(info);
  cpl->idIcon = IDI_APPLET;
  cpl->idName = IDS_APPLET_NAME;
  cpl->idInfo = IDS_APPLET_INFO;
  cpl->lData = 0;
  return 0;
}

}  // namespace

LONG APIENTRY CPlApplet(HWND caller, UINT message, LPARAM, LPARAM param2) {
  if (message > kCallerWindowMessage) return 0;
  if (message == kCallerWindowMessage) {
    CallerWindowRecorded = true;
    CallerWindow = caller;
    return LaunchApplet(RealSystemAccess());
  }
  switch (message) {
    case CPL_INIT:
      return Initialise();
    case CPL_GETCOUNT:
      return 1;
    case CPL_INQUIRE:
      return Inquire(param2);
    case CPL_DBLCLK:
      return LaunchApplet(RealSystemAccess());
    case CPL_STARTWPARMSA:
      AppletLaunchState().startedWithParameters = true;
      return 0;
    default:
      return 0;
  }
}
