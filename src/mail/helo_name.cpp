// Choosing the EHLO/HELO name from "FQDN" or the machine's own names.
#include "mail/helo_name.h"

#include "mail/smtp_command.h"

namespace {

bool HasDot(const std::string& name) { return name.find('.') != std::string::npos; }

bool UsableAddress(const std::string& dotted) {
  return !dotted.empty() && dotted != "0.0.0.0" && dotted != "255.255.255.255";
}

}  // namespace

std::string ChooseHeloName(const HostNameLookup& lookup, const std::string& computerName) {
  std::string name = lookup.hostName;
  if (lookup.found) {
    if (!lookup.officialName.empty()) name = lookup.officialName;
    if (!HasDot(name) && UsableAddress(lookup.firstIpv4)) name = "[" + lookup.firstIpv4 + "]";
  }
  if (!name.empty()) return name;
  return HasDot(computerName) ? computerName : computerName + ".smtp.local";
}

std::string HeloNameFault(const std::string& name) {
  if (HasLineBreak(name)) return "holds a line break";
  if (name.size() > kHeloNameLimit) return "is longer than " + std::to_string(kHeloNameLimit) + " characters";
  return std::string();
}
