// The network discovery dialog's presets and checks without its window.
#include "timesources/network_discovery_rules.h"

#include <algorithm>

#include "platform/blank_text.h"
#include "sampling/ip_literal.h"
#include "platform/text_numbers.h"
#include "sampling/time_source.h"

const DiscoveryPreset kDiscoveryPresets[6] = {
    {"Fast LAN", 1, 55},      {"Normal LAN", 1, 250}, {"Slow LAN", 10, 500},
    {"Normal WAN", 125, 1500}, {"Dial-up", 500, 3000}, {"Satellite Link", 5000, 15000},
};

namespace {

const char kDefaultV6OV2[] = "FF05::9909";
const char kDefaultV6NTP[] = "FF05::101";

uint32_t Clamped(const std::string& text, uint32_t low, uint32_t high) {
  return std::clamp(StrToUl32(text, 10), low, high);
}

}  // namespace

DiscoveryControls DiscoveryControlsFor(const NetworkDiscoverySettings& s, FamilyAvailability available) {
  DiscoveryControls c;
  c.v4Multicast = available.ipv4 && s.ipv4MulticastEnabled;
  c.v4MulticastAll = s.ipv4MulticastUseAllSubnets;
  c.v4MulticastOV2 = ShownIpv4Address(s.ipv4MulticastAddressOV2);
  c.v4MulticastNTP = ShownIpv4Address(s.ipv4MulticastAddressNTP);
  c.v4Ttl = std::to_string(s.ipv4MulticastTtl);
  c.v6Multicast = available.ipv6 && s.ipv6MulticastEnabled;
  c.v6MulticastAll = s.ipv6MulticastUseAllSubnets;
  c.v6MulticastOV2 = s.ipv6MulticastAddressOV2;
  c.v6MulticastNTP = s.ipv6MulticastAddressNTP;
  c.v6Hops = std::to_string(s.ipv6MulticastHops);
  c.broadcast = available.ipv4 && s.ipv4BroadcastEnabled;
  c.broadcastCustom = s.ipv4BroadcastUseCustomList;
  c.broadcastAll = s.ipv4BroadcastUseAllSubnets && !s.ipv4BroadcastUseCustomList;
  c.broadcastPrimary = !s.ipv4BroadcastUseAllSubnets && !s.ipv4BroadcastUseCustomList;
  c.broadcastAddress = ShownIpv4Address(s.ipv4BroadcastAddress);
  c.customList = CustomListText(s.ipv4BroadcastCustomList);
  c.send = std::to_string(s.udpSendTimeout);
  c.receive = std::to_string(s.udpRecvTimeout);
  c.kept = {s.ipv4MulticastAddressOV2, s.ipv4MulticastAddressNTP, s.ipv4BroadcastAddress};
  return c;
}

DiscoveryControls DiscoveryDefaults(const DiscoveryControls& current, FamilyAvailability available) {
  DiscoveryControls c;
  c.v4Multicast = available.ipv4;
  c.v4MulticastAll = false;
  c.v4MulticastOV2 = "239.192.99.9";
  c.v4MulticastNTP = "224.0.1.1";
  c.v4Ttl = "8";
  c.v6Multicast = false;
  c.v6MulticastAll = false;
  c.v6MulticastOV2 = kDefaultV6OV2;
  c.v6MulticastNTP = kDefaultV6NTP;
  c.v6Hops = "8";
  c.broadcast = true;
  c.broadcastAll = true;
  c.broadcastAddress = "255.255.255.255";
  c.customList = current.customList;
  c.send = "3";
  c.receive = "1000";
  c.kept = {c.v4MulticastOV2, c.v4MulticastNTP, c.broadcastAddress};
  return c;
}

void StoreDiscoveryControls(const DiscoveryControls& c, FamilyAvailability available, NetworkDiscoverySettings* s) {
  s->udpSendTimeout = Clamped(c.send, 1, 5000);
  s->udpRecvTimeout = Clamped(c.receive, 2, 15000);
  s->ipv4BroadcastEnabled = c.broadcast && available.ipv4;
  s->ipv4BroadcastUseCustomList = c.broadcastCustom;
  s->ipv4BroadcastUseAllSubnets = c.broadcastAll && !c.broadcastCustom;
  s->ipv4BroadcastAddress = StoredIpv4Address(c.broadcastAddress, c.kept.broadcast);
  s->ipv4BroadcastCustomList = CustomListFromText(c.customList);
  s->ipv4MulticastEnabled = c.v4Multicast && available.ipv4;
  s->ipv4MulticastUseAllSubnets = c.v4MulticastAll;
  s->ipv4MulticastAddressOV2 = StoredIpv4Address(c.v4MulticastOV2, c.kept.multicastOV2);
  s->ipv4MulticastAddressNTP = StoredIpv4Address(c.v4MulticastNTP, c.kept.multicastNTP);
  s->ipv4MulticastTtl = Clamped(c.v4Ttl, 1, 255);
  s->ipv6MulticastEnabled = c.v6Multicast && available.ipv6;
  s->ipv6MulticastUseAllSubnets = c.v6MulticastAll;
  s->ipv6MulticastAddressOV2 = CheckedIpv6Address(c.v6MulticastOV2, kDefaultV6OV2);
  s->ipv6MulticastAddressNTP = CheckedIpv6Address(c.v6MulticastNTP, kDefaultV6NTP);
  s->ipv6MulticastHops = Clamped(c.v6Hops, 1, 255);
}

DiscoveryEnablement DiscoveryEnablementFor(const DiscoveryControls& c) {
  DiscoveryEnablement e;
  e.v4Multicast = c.v4Multicast;
  e.v6Multicast = c.v6Multicast;
  e.broadcastChoices = c.broadcast;
  e.broadcastAddress = c.broadcast && c.broadcastPrimary;
  e.customList = c.broadcast && c.broadcastCustom;
  return e;
}

std::string CustomListText(const std::vector<std::string>& entries) {
  std::string text;
  for (size_t i = 0; i < entries.size(); ++i) text += (i ? "\r\n" : "") + entries[i];
  return TrimBlanks(text);
}

std::vector<std::string> CustomListFromText(const std::string& text) {
  std::vector<std::string> entries;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = std::min(text.find_first_of("\r\n", start), text.size());
    std::string entry = TrimBlanks(text.substr(start, end - start));
    if (!entry.empty()) entries.push_back(entry);
    start = end + 1;
  }
  return entries;
}

std::string ShownIpv4Address(const std::string& stored) {
  IpLiteral address;
  return ParseIpv4Literal(stored, &address) ? FormatIpAddress(address) : "";
}

std::string StoredIpv4Address(const std::string& shown, const std::string& kept) {
  if (shown == ShownIpv4Address(kept)) return kept;
  return shown.empty() ? "0.0.0.0" : shown;
}

std::string CheckedIpv6Address(const std::string& text, const char* fallback) {
  IpLiteral address;
  if (text.find(']') != std::string::npos || !ParseIpv6Literal(text, &address)) return fallback;
  return text;
}
