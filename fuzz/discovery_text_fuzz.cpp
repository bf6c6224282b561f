// The custom broadcast list comes from typed text and from the registry: whatever it holds,
// reading it back gives trimmed one-line entries that survive showing and reading again, and
// an IPv6 address text is kept only when it parses and has no bracket.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "timesources/network_discovery_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> entries = CustomListFromText(text);
  for (const std::string& entry : entries) {
    if (entry.empty() || entry.find_first_of("\r\n") != std::string::npos) std::abort();
    if (entry.front() == ' ' || entry.front() == '\t' || entry.back() == ' ' || entry.back() == '\t') std::abort();
  }
  if (CustomListFromText(CustomListText(entries)) != entries) std::abort();
  std::string address = CheckedIpv6Address(text, "FF05::101");
  if (address != text && address != "FF05::101") std::abort();
  if (address.find(']') != std::string::npos) std::abort();
  return 0;
}
