// The network discovery values' table of registry values.
#include "sampling/network_discovery_settings.h"

const char kMonitorParametersKey[] = "\\\\Software\\Tallowin\\Orvane Monitor\\Parameters";
const char kManagerParametersKey[] = "\\\\Software\\Tallowin\\Orvane Manager\\Parameters";
const char kUseManagerSettings[] = "Use Manager Settings";

std::vector<RegistryValue> DiscoverySchema(NetworkDiscoverySettings& s) {
  const char* key = kMonitorParametersKey;
  return {
      {key, "Send Port OV2", &s.sendPortOV2},
      {key, "Send Port NTP", &s.sendPortNTP},
      {key, "Send Port TIME", &s.sendPortTIME},
      {key, "UDP Send Timeout (milliseconds)", &s.udpSendTimeout, {1, 5000}},
      {key, "UDP Recv Timeout (milliseconds)", &s.udpRecvTimeout, {2, 15000}},
      {key, "ICMP TTL (hop limit)", &s.icmpTtl},
      {key, "IPv4 Broadcast Enabled", &s.ipv4BroadcastEnabled},
      {key, "IPv4 Broadcast Use All Subnets", &s.ipv4BroadcastUseAllSubnets},
      {key, "IPv4 Broadcast Use Custom List", &s.ipv4BroadcastUseCustomList},
      {key, "IPv4 Multicast Use All Subnets", &s.ipv4MulticastUseAllSubnets},
      {key, "IPv6 Multicast Use All Subnets", &s.ipv6MulticastUseAllSubnets},
      {key, "IPv4 Multicast Enabled", &s.ipv4MulticastEnabled},
      {key, "IPv6 Multicast Enabled", &s.ipv6MulticastEnabled},
      {key, "IPv4 Multicast TTL", &s.ipv4MulticastTtl},
      {key, "IPv6 Multicast Hops", &s.ipv6MulticastHops},
      {key, "IPv4 Broadcast Address", &s.ipv4BroadcastAddress},
      {key, "IPv4 Multicast Address OV2", &s.ipv4MulticastAddressOV2},
      {key, "IPv6 Multicast Address OV2", &s.ipv6MulticastAddressOV2},
      {key, "IPv4 Multicast Address NTP", &s.ipv4MulticastAddressNTP},
      {key, "IPv6 Multicast Address NTP", &s.ipv6MulticastAddressNTP},
      {key, "IPv4 Broadcast Custom List", &s.ipv4BroadcastCustomList},
  };
}
