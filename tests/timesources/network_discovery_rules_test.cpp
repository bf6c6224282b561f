// The network discovery dialog's rules without a window.
#include "timesources/network_discovery_rules.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

TEST(NetworkDiscoveryRules, PresetsInListOrder) {
  EXPECT_STREQ(kDiscoveryPresets[0].name, "Fast LAN");
  EXPECT_STREQ(kDiscoveryPresets[4].name, "Dial-up");
  EXPECT_EQ(kDiscoveryPresets[4].send, 500u);
  EXPECT_EQ(kDiscoveryPresets[4].receive, 3000u);
  EXPECT_EQ(kDiscoveryPresets[5].receive, 15000u);
}

TEST(NetworkDiscoveryRules, CustomListTextAndBack) {
  EXPECT_EQ(CustomListText({"10.0.0.255", "192.168.1.255"}), "10.0.0.255\r\n192.168.1.255");
  EXPECT_EQ(CustomListText({" 10.0.0.255", "", "192.168.1.255\t"}), "10.0.0.255\r\n\r\n192.168.1.255");
  EXPECT_EQ(CustomListFromText("\r\n  10.0.0.255 \r\n\r\n\t192.168.1.255\n\r172.16.0.255  "),
            (std::vector<std::string>{"10.0.0.255", "192.168.1.255", "172.16.0.255"}));
  EXPECT_TRUE(CustomListFromText(" \r\n\t").empty());
  // A list longer than a 4096-byte buffer comes back whole.
  std::vector<std::string> many;
  for (int i = 0; i < 400; ++i) many.push_back("10." + std::to_string(i / 250) + "." + std::to_string(i % 250) + ".255");
  EXPECT_GT(CustomListText(many).size(), 4096u);
  EXPECT_EQ(CustomListFromText(CustomListText(many)), many);
}

TEST(NetworkDiscoveryRules, Ipv6AddressesAreCheckedOnOk) {
  const struct {
    const char* typed;
    const char* stored;
  } cases[] = {
      {"FF05::9909", "FF05::9909"}, {"ff02::101", "ff02::101"},     {"[FF05::1]", "FF05::101"},
      {"FF05::1]", "FF05::101"},    {"239.192.99.9", "FF05::101"}, {"", "FF05::101"},
      {"FF05::1%3", "FF05::1%3"},   {"not an address", "FF05::101"},
  };
  for (const auto& c : cases) EXPECT_EQ(CheckedIpv6Address(c.typed, "FF05::101"), c.stored) << c.typed;
}

struct StoreCase {
  const char* what;
  FamilyAvailability available;
  void (*change)(DiscoveryControls*);
  void (*check)(const NetworkDiscoverySettings&);
};

TEST(NetworkDiscoveryRules, OkClampsAndFollowsAvailability) {
  const StoreCase cases[] = {
      {"numbers clamped", {true, true},
       [](DiscoveryControls* c) {
         c->send = "0";
         c->receive = "1";
         c->v4Ttl = "256";
         c->v6Hops = "0";
       },
       [](const NetworkDiscoverySettings& s) {
         EXPECT_EQ(s.udpSendTimeout, 1u);
         EXPECT_EQ(s.udpRecvTimeout, 2u);
         EXPECT_EQ(s.ipv4MulticastTtl, 255u);
         EXPECT_EQ(s.ipv6MulticastHops, 1u);
       }},
      {"upper bounds", {true, true},
       [](DiscoveryControls* c) {
         c->send = "5001";
         c->receive = "99999";
       },
       [](const NetworkDiscoverySettings& s) {
         EXPECT_EQ(s.udpSendTimeout, 5000u);
         EXPECT_EQ(s.udpRecvTimeout, 15000u);
       }},
      {"no IPv6", {true, false}, [](DiscoveryControls* c) { c->v6Multicast = true; },
       [](const NetworkDiscoverySettings& s) { EXPECT_FALSE(s.ipv6MulticastEnabled); }},
      {"no IPv4", {false, true},
       [](DiscoveryControls* c) {
         c->v4Multicast = true;
         c->broadcast = true;
       },
       [](const NetworkDiscoverySettings& s) {
         EXPECT_FALSE(s.ipv4MulticastEnabled);
         EXPECT_FALSE(s.ipv4BroadcastEnabled);
       }},
      {"custom list wins over all subnets", {true, true},
       [](DiscoveryControls* c) {
         c->broadcastCustom = true;
         c->broadcastAll = true;
         c->customList = " 10.1.255.255 \r\n\r\n";
       },
       [](const NetworkDiscoverySettings& s) {
         EXPECT_TRUE(s.ipv4BroadcastUseCustomList);
         EXPECT_FALSE(s.ipv4BroadcastUseAllSubnets);
         EXPECT_EQ(s.ipv4BroadcastCustomList, std::vector<std::string>{"10.1.255.255"});
       }},
      {"bracketed IPv6 replaced", {true, true},
       [](DiscoveryControls* c) {
         c->v6MulticastOV2 = "[FF05::42]";
         c->v6MulticastNTP = "FF05::43";
       },
       [](const NetworkDiscoverySettings& s) {
         EXPECT_EQ(s.ipv6MulticastAddressOV2, "FF05::9909");
         EXPECT_EQ(s.ipv6MulticastAddressNTP, "FF05::43");
       }},
  };
  for (const StoreCase& c : cases) {
    SCOPED_TRACE(c.what);
    NetworkDiscoverySettings settings;
    settings.ipv6MulticastEnabled = true;
    settings.sendPortNTP = 1123;
    DiscoveryControls controls = DiscoveryControlsFor(settings, {true, true});
    c.change(&controls);
    StoreDiscoveryControls(controls, c.available, &settings);
    c.check(settings);
    EXPECT_EQ(settings.sendPortNTP, 1123u);  // no control: kept
  }
}

TEST(NetworkDiscoveryRules, ControlsRoundTripAndFamiliesShowUncheckedWhenMissing) {
  NetworkDiscoverySettings settings;
  settings.ipv6MulticastEnabled = true;
  settings.ipv4BroadcastUseAllSubnets = false;
  settings.ipv4BroadcastCustomList = {"10.0.0.255", "10.1.0.255"};
  settings.udpRecvTimeout = 250;
  DiscoveryControls shown = DiscoveryControlsFor(settings, {true, true});
  EXPECT_TRUE(shown.broadcastPrimary);
  EXPECT_FALSE(shown.broadcastAll);
  NetworkDiscoverySettings stored;
  StoreDiscoveryControls(shown, {true, true}, &stored);
  EXPECT_EQ(stored, settings);

  shown = DiscoveryControlsFor(settings, {false, false});
  EXPECT_FALSE(shown.v4Multicast);
  EXPECT_FALSE(shown.v6Multicast);
  EXPECT_FALSE(shown.broadcast);
}

TEST(NetworkDiscoveryRules, ResetGivesTheDialogsDefaultsAndKeepsTheCustomList) {
  DiscoveryControls current;
  current.customList = "10.9.9.255";
  current.send = "77";
  DiscoveryControls reset = DiscoveryDefaults(current, {true, true});
  EXPECT_TRUE(reset.v4Multicast);
  EXPECT_FALSE(reset.v4MulticastAll);
  EXPECT_EQ(reset.v4Ttl, "8");
  EXPECT_FALSE(reset.v6Multicast);
  EXPECT_EQ(reset.v6Hops, "8");
  EXPECT_TRUE(reset.broadcast && reset.broadcastAll && !reset.broadcastCustom && !reset.broadcastPrimary);
  EXPECT_EQ(reset.send, "3");
  EXPECT_EQ(reset.receive, "1000");
  EXPECT_EQ(reset.customList, "10.9.9.255");
  // Without IPv4 the multicast box shows unchecked; the broadcast box is checked on every
  // machine, and OK stores it off there.
  reset = DiscoveryDefaults(current, {false, true});
  EXPECT_FALSE(reset.v4Multicast);
  EXPECT_TRUE(reset.broadcast);
  NetworkDiscoverySettings stored;
  StoreDiscoveryControls(reset, {false, true}, &stored);
  EXPECT_FALSE(stored.ipv4BroadcastEnabled);
}

struct Ipv4Case {
  const char* stored;
  const char* shown;  // what the address control shows ("" blank)
  const char* typed;  // what the user leaves in it; null: unchanged
  const char* result;
};

// A stored address the control cannot show in full is kept until the user changes the control.
TEST(NetworkDiscoveryRules, StoredIpv4AddressesSurviveAnUnchangedControl) {
  const Ipv4Case cases[] = {
      {"224.0.1.1", "224.0.1.1", nullptr, "224.0.1.1"},
      {"224.0.1.1:123", "224.0.1.1", nullptr, "224.0.1.1:123"},
      {"224.0.1.1:123", "224.0.1.1", "224.0.1.2", "224.0.1.2"},
      {"ntp-group.example", "", nullptr, "ntp-group.example"},
      {"224.000.001.001", "", nullptr, "224.000.001.001"},
      {"ntp-group.example", "", "239.1.2.3", "239.1.2.3"},
      {"224.0.1.1", "224.0.1.1", "", "0.0.0.0"},
      {"", "", nullptr, ""},
  };
  using Field = std::pair<std::string NetworkDiscoverySettings::*, std::string DiscoveryControls::*>;
  const Field fields[] = {
      {&NetworkDiscoverySettings::ipv4MulticastAddressOV2, &DiscoveryControls::v4MulticastOV2},
      {&NetworkDiscoverySettings::ipv4MulticastAddressNTP, &DiscoveryControls::v4MulticastNTP},
      {&NetworkDiscoverySettings::ipv4BroadcastAddress, &DiscoveryControls::broadcastAddress},
  };
  for (const Ipv4Case& c : cases) {
    for (const Field& field : fields) {
      NetworkDiscoverySettings settings;
      settings.*field.first = c.stored;
      DiscoveryControls controls = DiscoveryControlsFor(settings, {true, true});
      EXPECT_EQ(controls.*field.second, c.shown) << c.stored;
      if (c.typed) controls.*field.second = c.typed;
      StoreDiscoveryControls(controls, {true, true}, &settings);
      EXPECT_EQ(settings.*field.first, c.result) << c.stored << " " << (c.typed ? c.typed : "(unchanged)");
    }
  }
  // After Reset to Defaults the controls stand for the defaults, whatever was stored.
  NetworkDiscoverySettings settings;
  settings.ipv4MulticastAddressNTP = "224.0.1.1:123";
  DiscoveryControls reset = DiscoveryDefaults(DiscoveryControlsFor(settings, {true, true}), {true, true});
  StoreDiscoveryControls(reset, {true, true}, &settings);
  EXPECT_EQ(settings.ipv4MulticastAddressNTP, "224.0.1.1");
}

TEST(NetworkDiscoveryRules, Enablement) {
  DiscoveryControls c;
  c.broadcast = true;
  c.broadcastPrimary = true;
  EXPECT_EQ(DiscoveryEnablementFor(c), (DiscoveryEnablement{false, false, true, true, false}));
  c.broadcastPrimary = false;
  c.broadcastCustom = true;
  c.v6Multicast = true;
  EXPECT_EQ(DiscoveryEnablementFor(c), (DiscoveryEnablement{false, true, true, false, true}));
  c.broadcast = false;
  EXPECT_EQ(DiscoveryEnablementFor(c), (DiscoveryEnablement{false, true, false, false, false}));
}

}  // namespace
