// The network discovery values: defaults, limits and their registry form.
#include "sampling/network_discovery_settings.h"

#include <algorithm>

#include "platform/registry.h"

const char kMonitorParametersKey[] = "\\\\Software\\Tallowin\\Orvane Monitor\\Parameters";
const char kManagerParametersKey[] = "\\\\Software\\Tallowin\\Orvane Manager\\Parameters";

namespace {

const char kUseManager[] = "Use Manager Settings";
const char kCustomList[] = "IPv4 Broadcast Custom List";
const char* const kOwnValues[] = {
    "Send Port OV2", "Send Port NTP", "Send Port TIME", "UDP Send Timeout (milliseconds)",
    "UDP Recv Timeout (milliseconds)", "ICMP TTL (hop limit)", "IPv4 Broadcast Enabled",
    "IPv4 Broadcast Use All Subnets", "IPv4 Broadcast Use Custom List", "IPv4 Multicast Use All Subnets",
    "IPv6 Multicast Use All Subnets", "IPv4 Multicast Enabled", "IPv6 Multicast Enabled",
    "IPv4 Multicast TTL", "IPv6 Multicast Hops", "IPv4 Broadcast Address", "IPv4 Multicast Address OV2",
    "IPv6 Multicast Address OV2", "IPv4 Multicast Address NTP", "IPv6 Multicast Address NTP", kCustomList,
};

// A timeout with its read-failure default and its clamp.
uint32_t ReadTimeout(const char* key, const char* name, uint32_t fallback, uint32_t low, uint32_t high) {
  uint32_t value = ReadRegistryDword(key, name, fallback);
  return std::min(std::max(value, low), high);
}

}  // namespace

void LoadNetworkDiscoverySettings(NetworkDiscoverySettings* s) {
  const NetworkDiscoverySettings defaults;
  s->useManagerSettings = ReadRegistryBool(kMonitorParametersKey, kUseManager, defaults.useManagerSettings);
  const char* key = s->useManagerSettings ? kManagerParametersKey : kMonitorParametersKey;
  s->sendPortOV2 = ReadRegistryDword(key, "Send Port OV2", defaults.sendPortOV2);
  s->sendPortNTP = ReadRegistryDword(key, "Send Port NTP", defaults.sendPortNTP);
  s->sendPortTIME = ReadRegistryDword(key, "Send Port TIME", defaults.sendPortTIME);
  s->udpSendTimeout = ReadTimeout(key, "UDP Send Timeout (milliseconds)", 3, 1, 5000);
  s->udpRecvTimeout = ReadTimeout(key, "UDP Recv Timeout (milliseconds)", 55, 2, 15000);
  s->icmpTtl = static_cast<uint8_t>(ReadRegistryDword(key, "ICMP TTL (hop limit)", defaults.icmpTtl));
  s->ipv4BroadcastEnabled = ReadRegistryBool(key, "IPv4 Broadcast Enabled", defaults.ipv4BroadcastEnabled);
  s->ipv4BroadcastUseAllSubnets =
      ReadRegistryBool(key, "IPv4 Broadcast Use All Subnets", defaults.ipv4BroadcastUseAllSubnets);
  s->ipv4BroadcastUseCustomList =
      ReadRegistryBool(key, "IPv4 Broadcast Use Custom List", defaults.ipv4BroadcastUseCustomList);
  s->ipv4MulticastUseAllSubnets =
      ReadRegistryBool(key, "IPv4 Multicast Use All Subnets", defaults.ipv4MulticastUseAllSubnets);
  s->ipv6MulticastUseAllSubnets =
      ReadRegistryBool(key, "IPv6 Multicast Use All Subnets", defaults.ipv6MulticastUseAllSubnets);
  s->ipv4MulticastEnabled = ReadRegistryBool(key, "IPv4 Multicast Enabled", defaults.ipv4MulticastEnabled);
  s->ipv6MulticastEnabled = ReadRegistryBool(key, "IPv6 Multicast Enabled", defaults.ipv6MulticastEnabled);
  s->ipv4MulticastTtl = ReadRegistryDword(key, "IPv4 Multicast TTL", defaults.ipv4MulticastTtl);
  s->ipv6MulticastHops = ReadRegistryDword(key, "IPv6 Multicast Hops", defaults.ipv6MulticastHops);
  s->ipv4BroadcastAddress = ReadRegistryString(key, "IPv4 Broadcast Address", defaults.ipv4BroadcastAddress);
  s->ipv4MulticastAddressOV2 =
      ReadRegistryString(key, "IPv4 Multicast Address OV2", defaults.ipv4MulticastAddressOV2);
  s->ipv6MulticastAddressOV2 =
      ReadRegistryString(key, "IPv6 Multicast Address OV2", defaults.ipv6MulticastAddressOV2);
  s->ipv4MulticastAddressNTP =
      ReadRegistryString(key, "IPv4 Multicast Address NTP", defaults.ipv4MulticastAddressNTP);
  s->ipv6MulticastAddressNTP =
      ReadRegistryString(key, "IPv6 Multicast Address NTP", defaults.ipv6MulticastAddressNTP);
  ReadRegistryList(key, kCustomList, &s->ipv4BroadcastCustomList);
  if (s->ipv4BroadcastCustomList.empty()) s->ipv4BroadcastCustomList = defaults.ipv4BroadcastCustomList;
}

void SaveNetworkDiscoverySettings(const NetworkDiscoverySettings& s) {
  const char* key = kMonitorParametersKey;
  WriteRegistryBool(key, kUseManager, s.useManagerSettings);
  if (s.useManagerSettings) {
    for (const char* name : kOwnValues) DeleteRegistryValue(key, name);
    return;
  }
  WriteRegistryDword(key, "Send Port OV2", s.sendPortOV2);
  WriteRegistryDword(key, "Send Port NTP", s.sendPortNTP);
  WriteRegistryDword(key, "Send Port TIME", s.sendPortTIME);
  WriteRegistryDword(key, "UDP Send Timeout (milliseconds)", s.udpSendTimeout);
  WriteRegistryDword(key, "UDP Recv Timeout (milliseconds)", s.udpRecvTimeout);
  WriteRegistryDword(key, "ICMP TTL (hop limit)", s.icmpTtl);
  WriteRegistryBool(key, "IPv4 Broadcast Enabled", s.ipv4BroadcastEnabled);
  WriteRegistryBool(key, "IPv4 Broadcast Use All Subnets", s.ipv4BroadcastUseAllSubnets);
  WriteRegistryBool(key, "IPv4 Broadcast Use Custom List", s.ipv4BroadcastUseCustomList);
  WriteRegistryBool(key, "IPv4 Multicast Use All Subnets", s.ipv4MulticastUseAllSubnets);
  WriteRegistryBool(key, "IPv6 Multicast Use All Subnets", s.ipv6MulticastUseAllSubnets);
  WriteRegistryBool(key, "IPv4 Multicast Enabled", s.ipv4MulticastEnabled);
  WriteRegistryBool(key, "IPv6 Multicast Enabled", s.ipv6MulticastEnabled);
  WriteRegistryDword(key, "IPv4 Multicast TTL", s.ipv4MulticastTtl);
  WriteRegistryDword(key, "IPv6 Multicast Hops", s.ipv6MulticastHops);
  WriteRegistryString(key, "IPv4 Broadcast Address", s.ipv4BroadcastAddress);
  WriteRegistryString(key, "IPv4 Multicast Address OV2", s.ipv4MulticastAddressOV2);
  WriteRegistryString(key, "IPv6 Multicast Address OV2", s.ipv6MulticastAddressOV2);
  WriteRegistryString(key, "IPv4 Multicast Address NTP", s.ipv4MulticastAddressNTP);
  WriteRegistryString(key, "IPv6 Multicast Address NTP", s.ipv6MulticastAddressNTP);
  WriteRegistryList(key, kCustomList, s.ipv4BroadcastCustomList);
}
