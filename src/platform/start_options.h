// The boot options that the timing code takes into account, read from "SystemStartOptions".
#pragma once
#include <string>

struct StartOptions {
  bool disableDynamicTick = false;
  bool usePlatformClock = false;
  bool hypervisorLaunchType = false;
};

// Which of the options the text names, without regard to case.
StartOptions ParseStartOptions(const std::string& text);
