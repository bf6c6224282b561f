#include "monitor/installed_product.h"

#include <windows.h>

namespace {

bool ServiceInstalled(const char* service) {
  std::string path = std::string("System\\CurrentControlSet\\Services\\") + service;
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

}  // namespace

std::string GetInstalledProductKey() {
  if (ServiceInstalled("Orvane Client")) return "\\\\Software\\Tallowin\\Orvane Client";
  if (ServiceInstalled("Orvane Server")) return "\\\\Software\\Tallowin\\Orvane Server";
  return std::string();
}
