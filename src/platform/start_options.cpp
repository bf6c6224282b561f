// Reading the boot options the timing code cares about.
#include "platform/start_options.h"

#include <algorithm>
#include <cctype>

namespace {

bool ContainsNoCase(const std::string& text, const std::string& word) {
  auto it = std::search(text.begin(), text.end(), word.begin(), word.end(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  });
  return it != text.end();
}

}  // namespace

StartOptions ParseStartOptions(const std::string& text) {
  StartOptions options;
  options.disableDynamicTick = ContainsNoCase(text, "DisableDynamicTick");
  options.usePlatformClock = ContainsNoCase(text, "UsePlatformClock");
  options.hypervisorLaunchType = ContainsNoCase(text, "HypervisorLaunchType");
  return options;
}
