// Operating-system facts read by the applet: version, platform and product type.
#pragma once
#include <cstdint>

struct OsInfo {
  uint32_t majorVersion = 0;
  uint32_t minorVersion = 0;
  uint32_t buildNumber = 0;
  uint32_t platformId = 0;   // 2 for the NT family
  uint8_t productType = 0;   // 1 workstation, 2 domain controller, 3 server
};

// Reads the facts afresh and returns them.
const OsInfo& RefreshOsInfo();
// The facts as last refreshed.
const OsInfo& CurrentOsInfo();
