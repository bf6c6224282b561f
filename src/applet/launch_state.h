// The applet's process-wide launch state: what Control Panel told the entry point and what the
// launch found out about this machine, read by the launch, the elevated relaunch and the sheet.
#pragma once
#include <string>

struct LaunchState {
  bool startedWithParameters = false;
  std::string computerName;        // up to 80 bytes
  std::string systemDirectory;     // with one trailing backslash
  std::string serviceLogFileName;  // up to 260 characters
};

// The launch state of this process.
LaunchState& AppletLaunchState();
