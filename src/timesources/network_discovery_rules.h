// The rules of the network discovery dialog without its window: the speed presets, the
// dialog's own defaults, the custom broadcast list as edit text and back, and what OK stores
// (clamps, availability of each address family, the IPv6 address check).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "sampling/network_discovery_settings.h"

// One network speed preset: send and receive timeouts in milliseconds.
struct DiscoveryPreset {
  const char* name;
  uint32_t send;
  uint32_t receive;
};
// The presets after "[Choose]", in list order.
extern const DiscoveryPreset kDiscoveryPresets[6];

// Which address families can be used on this machine.
struct FamilyAvailability {
  bool ipv4 = true;
  bool ipv6 = true;
};

// The stored IPv4 addresses that the three address controls stand for while they show them
// unchanged: a stored text the control can show only in part ("224.0.1.1:123") or not at all
// stays as stored until the user changes what the control shows. The defaults after Reset.
struct KeptIpv4Addresses {
  std::string multicastOV2, multicastNTP, broadcast;

  bool operator==(const KeptIpv4Addresses&) const = default;
};

// The state of the dialog's controls: boxes, radio buttons and texts as shown (a blank
// address control as "").
struct DiscoveryControls {
  bool v4Multicast = false;
  bool v4MulticastAll = false;  // else "Primary subnet only"
  std::string v4MulticastOV2, v4MulticastNTP, v4Ttl;
  bool v6Multicast = false;
  bool v6MulticastAll = false;
  std::string v6MulticastOV2, v6MulticastNTP, v6Hops;
  bool broadcast = false;
  bool broadcastCustom = false;
  bool broadcastAll = false;
  bool broadcastPrimary = false;
  std::string broadcastAddress, customList;
  std::string send, receive;
  KeptIpv4Addresses kept;

  bool operator==(const DiscoveryControls&) const = default;
};

// Which controls the dialog enables.
struct DiscoveryEnablement {
  bool v4Multicast = false;        // its radio buttons, addresses, TTL
  bool v6Multicast = false;        // its radio buttons, addresses, hops
  bool broadcastChoices = false;   // the three broadcast radio buttons
  bool broadcastAddress = false;   // the primary subnet's address
  bool customList = false;

  bool operator==(const DiscoveryEnablement&) const = default;
};

// The controls for the settings; a family that is not available shows unchecked.
DiscoveryControls DiscoveryControlsFor(const NetworkDiscoverySettings& settings, FamilyAvailability available);
// "Reset to Defaults": the dialog's own defaults over the controls, the custom list kept; the
// broadcast box is checked on every machine (OK stores it off where IPv4 is missing).
DiscoveryControls DiscoveryDefaults(const DiscoveryControls& current, FamilyAvailability available);
// What OK stores: numbers clamped, a family that is not available disabled, a bad IPv6
// address replaced by its default; the ports and the ICMP TTL kept.
void StoreDiscoveryControls(const DiscoveryControls& controls, FamilyAvailability available,
                            NetworkDiscoverySettings* settings);
// The enablement for the controls' boxes and radio buttons.
DiscoveryEnablement DiscoveryEnablementFor(const DiscoveryControls& controls);

// The custom list as edit text: entries joined by CR LF, blanks trimmed from both ends.
std::string CustomListText(const std::vector<std::string>& entries);
// The custom list from edit text, however long: one entry per line, each trimmed, empty lines
// left out.
std::vector<std::string> CustomListFromText(const std::string& text);
// What an IPv4 address control can show of a stored address: the dotted quad of an IPv4
// literal, with or without a port; "" (blank) for anything else.
std::string ShownIpv4Address(const std::string& stored);
// What OK stores for an address control showing shown (blank: ""): the kept text while the
// control still shows what it showed of it, else the shown address ("0.0.0.0" when blank).
std::string StoredIpv4Address(const std::string& shown, const std::string& kept);
// text when it is an IPv6 address without brackets, else fallback.
std::string CheckedIpv6Address(const std::string& text, const char* fallback);
