#include "applet/process_environment.h"

#include <windows.h>

#include <string>

#include "monitor/registry.h"
#include "sampling/critical_timing.h"
#include "sampling/system_clock.h"

namespace {

StartOptions g_startOptions;

}  // namespace

// Order of start: drift file, local machine role, logon functions, activity section,
// critical timing, boot options, system clock. Each part joins here as it is built.
void StartProcessEnvironment() {
  CriticalTiming().Prepare();
  g_startOptions = ParseStartOptions(
      ReadRegistryString("\\\\System\\CurrentControlSet\\Control", "SystemStartOptions", "", 4096));
  SystemClock().SetBootOptions(g_startOptions);
  SystemClock().Prepare();  // without the time service's counters the clock uses the platform's time
}

// Order of stop: activity section, drift file, system clock.
void StopProcessEnvironment() { SystemClock().Close(); }

const StartOptions& BootStartOptions() { return g_startOptions; }

bool SetServiceEvent(const char* name) {
  std::string global = std::string("Global\\") + name;
  HANDLE event = OpenEventA(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, global.c_str());
  if (!event) return false;
  SetEvent(event);
  CloseHandle(event);
  return true;
}
