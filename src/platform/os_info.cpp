// Reading the operating system's version, platform and product type.
#include "platform/os_info.h"

#include <windows.h>

namespace {

OsInfo g_osInfo;

// The version as the system really is, whatever compatibility shims tell GetVersionEx.
bool ReadTrueVersion(OSVERSIONINFOEXW* info) {
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOEXW*);
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  auto getVersion =
      ntdll ? reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
            : nullptr;
  return getVersion && getVersion(info) == 0;
}

}  // namespace

const OsInfo& RefreshOsInfo() {
  OSVERSIONINFOEXW info = {};
  info.dwOSVersionInfoSize = sizeof info;
  if (ReadTrueVersion(&info)) {
    g_osInfo.majorVersion = info.dwMajorVersion;
    g_osInfo.minorVersion = info.dwMinorVersion;
    g_osInfo.buildNumber = info.dwBuildNumber;
    g_osInfo.platformId = info.dwPlatformId;
    g_osInfo.productType = info.wProductType;
  }
  return g_osInfo;
}

const OsInfo& CurrentOsInfo() { return g_osInfo; }
