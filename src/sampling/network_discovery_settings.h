// Network discovery settings: ports, UDP timeouts, broadcast and multicast choices,
// loaded from the Monitor's key or, when "Use Manager Settings" is on, from the Manager's key.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/registry_schema.h"

struct NetworkDiscoverySettings {
  bool useManagerSettings = false;
  uint32_t sendPortOV2 = 0;
  uint32_t sendPortNTP = 0;
  uint32_t sendPortTIME = 0;
  uint32_t udpSendTimeout = 3;    // milliseconds, 1..5000
  uint32_t udpRecvTimeout = 55;   // milliseconds, 2..15000
  uint8_t icmpTtl = 32;
  bool ipv4BroadcastEnabled = true;
  bool ipv4BroadcastUseAllSubnets = true;
  bool ipv4BroadcastUseCustomList = false;
  bool ipv4MulticastUseAllSubnets = true;
  bool ipv6MulticastUseAllSubnets = true;
  bool ipv4MulticastEnabled = true;
  bool ipv6MulticastEnabled = false;
  uint32_t ipv4MulticastTtl = 4;
  uint32_t ipv6MulticastHops = 4;
  std::string ipv4BroadcastAddress = "255.255.255.255";
  std::string ipv4MulticastAddressOV2 = "239.192.99.9";
  std::string ipv6MulticastAddressOV2 = "FF05::9909";
  std::string ipv4MulticastAddressNTP = "224.0.1.1";
  std::string ipv6MulticastAddressNTP = "FF05::101";
  std::vector<std::string> ipv4BroadcastCustomList{"255.255.255.255"};

  bool operator==(const NetworkDiscoverySettings&) const = default;
};

// The Monitor's Parameters key and the Manager's, as registry subkey arguments.
extern const char kMonitorParametersKey[];
extern const char kManagerParametersKey[];

// "Use Manager Settings", always kept in the Monitor's key.
extern const char kUseManagerSettings[];
// The values that "Use Manager Settings" takes from the Manager's key, in save order, over the
// fields of settings; their subkey is the Monitor's key.
std::vector<RegistryValue> DiscoverySchema(NetworkDiscoverySettings& settings);

// Reads every value with its default and load rule.
void LoadNetworkDiscoverySettings(NetworkDiscoverySettings* settings);
// Writes "Use Manager Settings"; then either deletes the Monitor's own copies (Manager's
// settings in use) or writes every value to the Monitor's key.
void SaveNetworkDiscoverySettings(const NetworkDiscoverySettings& settings);
