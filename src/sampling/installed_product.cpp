// Finding which product of the family is installed, and its registry key.
#include "sampling/installed_product.h"

#include "platform/registry.h"

std::string GetInstalledProductKey() {
  if (RegistryKeyExists(kClientServiceKey)) return "\\\\Software\\Tallowin\\Orvane Client";
  if (RegistryKeyExists(kServerServiceKey)) return "\\\\Software\\Tallowin\\Orvane Server";
  return std::string();
}
