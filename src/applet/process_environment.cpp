// Setting up and tearing down what the sheet needs while it runs: shared objects and timing.
#include "applet/process_environment.h"

#include <windows.h>

#include "monitor/service_signals.h"
#include "platform/activity_section.h"
#include "platform/registry.h"
#include "sampling/critical_timing.h"
#include "sampling/machine_role.h"
#include "sampling/netlogon.h"
#include "sampling/system_clock.h"

namespace {

StartOptions g_startOptions;

}  // namespace

void StartProcessEnvironment() {
  OpenDriftFile();
  DetectLocalMachineRole();
  Netlogon().DigestFunctionsAvailable();  // binds the logon libraries' digest functions
  OpenActivitySection();
  CriticalTiming().Prepare();
  g_startOptions = ParseStartOptions(
      ReadRegistryString("\\\\System\\CurrentControlSet\\Control", "SystemStartOptions", "", 4096));
  SystemClock().SetBootOptions(g_startOptions);
  SystemClock().Prepare();  // without the time service's counters the clock uses the platform's time
}

void StopProcessEnvironment() {
  CloseActivitySection();
  CloseDriftFile();
  SystemClock().Close();
}

const StartOptions& BootStartOptions() { return g_startOptions; }
