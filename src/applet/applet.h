// The Control Panel entry point and the applet's process-wide launch state.
#pragma once
#include <windows.h>

#include <string>

// Message by which a caller embeds the applet, passing its own window.
constexpr UINT kCallerWindowMessage = 0x11223348;

struct LaunchState {
  bool startedWithParameters = false;
  std::string computerName;        // up to 80 bytes
  std::string systemDirectory;     // with one trailing backslash
  std::string serviceLogFileName;  // up to 260 characters
};

// The launch state of this process.
LaunchState& AppletLaunchState();

extern "C" __declspec(dllexport) LONG APIENTRY CPlApplet(HWND caller, UINT message, LPARAM param1, LPARAM param2);
