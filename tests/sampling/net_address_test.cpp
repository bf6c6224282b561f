// Own addresses, address literals for sockets, host-name text, the name cache, and receive
// timestamps found among control messages.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "sampling/ip_literal.h"
#include "sampling/local_addresses.h"
#include "sampling/receive_timestamp.h"

namespace {

IpLiteral Literal(const char* text) { return ParseAddressLiteral(text); }

TEST(AddressLiteral, ForSockets) {
  struct Case {
    const char* text;
    int family;
    const char* canonical;
  } cases[] = {
      {"192.0.2.1", 4, "192.0.2.1"},
      {"10.1", 0, ""},         // a two-part dotted number is a name, not a literal
      {"010.0.0.1", 0, ""},    // would not write back the same
      {"1.2.3.4:123", 0, ""},  // neither writes back the same
      {"256.1.1.1", 0, ""},
      {"::1", 6, "::1"},
      {"[fe80::1%4]:123", 6, "fe80::1%4"},
      {"FE80::A", 6, "fe80::a"},
      {"", 0, ""},
      {"host.example", 0, ""},
  };
  for (const Case& c : cases) {
    IpLiteral address = Literal(c.text);
    EXPECT_EQ(address.family, c.family) << c.text;
    EXPECT_EQ(address.port, 0) << c.text;
    EXPECT_EQ(FormatIpAddress(address), c.canonical) << c.text;
  }
}

TEST(LocalAddress, LoopbackLinkLocalAndTheLists) {
  LocalAddresses lists;
  for (const char* own : {"192.0.2.2", "fd00::2", "0.0.0.0", "127.0.0.1", "::", "::1", "192.0.2.2"})
    AddLocalAddress(&lists, Literal(own));
  EXPECT_EQ(lists.ipv4.size(), 1u);  // unspecified, loopback and the repeat left out
  EXPECT_EQ(lists.ipv6.size(), 1u);
  struct Case {
    const char* text;
    bool local;
  } cases[] = {
      {"127.0.0.1", true}, {"169.254.1.1", true}, {"169.254.255.255", true}, {"::1", true},
      {"192.0.2.2", true}, {"fd00::2", true},     {"127.0.0.2", false},      {"169.253.1.1", false},
      {"192.0.2.3", false}, {"fd00::3", false},   {"::ffff:192.0.2.2", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsLocalIp(Literal(c.text), lists), c.local) << c.text;
  EXPECT_FALSE(IsLocalIp(IpLiteral(), lists));
}

TEST(HostNameText, Characters) {
  for (const char* good : {"host", "a-b.c_d", "fe80::1%4", "X9"}) EXPECT_TRUE(IsHostNameText(good)) << good;
  for (const char* bad : {"", "a b", "host/", "h\xE9", "[::1]", "a,b"}) EXPECT_FALSE(IsHostNameText(bad)) << bad;
}

TEST(NameCache, LifetimeAndExpiry) {
  CNameCache cache;
  IpLiteral found;
  cache.Store("Time.Example", Literal("192.0.2.9"), 1000);
  cache.Store("old.example", Literal("192.0.2.8"), 100);
  EXPECT_FALSE(cache.Lookup("time.example", 1000, 0, &found));  // lifetime 0: off
  EXPECT_EQ(cache.Size(), 2u);
  ASSERT_TRUE(cache.Lookup("TIME.example", 1059, 1, &found));  // any case
  EXPECT_EQ(FormatIpAddress(found), "192.0.2.9");
  EXPECT_EQ(cache.Size(), 1u);  // the expired one went on that lookup
  EXPECT_FALSE(cache.Lookup("time.example", 1060, 1, &found));  // stored + 60 s is not later
  EXPECT_EQ(cache.Size(), 0u);
}

// Control messages laid out as the Windows stack writes them.
class ControlBuffer {
 public:
  void Add(int32_t level, int32_t type, const void* data, size_t size) {
    size_t at = bytes_.size();
    uint64_t length = 16 + size;
    bytes_.resize(at + ((length + 7) & ~size_t(7)), 0);
    std::memcpy(&bytes_[at], &length, 8);
    std::memcpy(&bytes_[at + 8], &level, 4);
    std::memcpy(&bytes_[at + 12], &type, 4);
    std::memcpy(&bytes_[at + 16], data, size);
  }
  std::vector<uint8_t> bytes_;
};

TEST(ReceiveTimestamp, ArrivalCounterAmongControlMessages) {
  const int64_t arrival = 123456789;
  const uint8_t pktinfo[20] = {1};
  ControlBuffer control;
  control.Add(0, 19, pktinfo, sizeof pktinfo);  // IP_PKTINFO first, 36 bytes padded to 40
  control.Add(0xFFFF, 0x300A, &arrival, 8);
  int64_t found = 0;
  ASSERT_TRUE(FindArrivalCounter(control.bytes_.data(), control.bytes_.size(), &found));
  EXPECT_EQ(found, arrival);

  ControlBuffer shortData;  // 4 bytes of data are not a counter
  shortData.Add(0xFFFF, 0x300A, &arrival, 4);
  EXPECT_FALSE(FindArrivalCounter(shortData.bytes_.data(), shortData.bytes_.size(), &found));
  ControlBuffer otherType;
  otherType.Add(0xFFFF, 0x300B, &arrival, 8);
  EXPECT_FALSE(FindArrivalCounter(otherType.bytes_.data(), otherType.bytes_.size(), &found));
  EXPECT_FALSE(FindArrivalCounter(nullptr, 0, &found));
}

TEST(ReceiveTimestamp, MalformedLengthsEndTheWalk) {
  const int64_t arrival = 5;
  for (uint64_t length : {uint64_t(0), uint64_t(8), uint64_t(200), UINT64_MAX, uint64_t(21)}) {
    ControlBuffer control;
    control.Add(0xFFFF, 0x300A, &arrival, 8);
    std::memcpy(control.bytes_.data(), &length, 8);
    int64_t found = 0;
    // 21 is a valid length for 5 bytes of data, too short for a counter; the rest never read past the end.
    EXPECT_FALSE(FindArrivalCounter(control.bytes_.data(), control.bytes_.size(), &found)) << length;
  }
  std::vector<uint8_t> truncated(10, 0xFF);
  int64_t found = 0;
  EXPECT_FALSE(FindArrivalCounter(truncated.data(), truncated.size(), &found));
}

TEST(ReceiveTimestamp, CorrectionForAnAgedReply) {
  // 3 ms old at 10 MHz with a 2-tick read cost: 30000 + 2 units of 100 ns.
  EXPECT_EQ(ArrivalCorrection(1000000, 1030000, 10000000, 2, true), 30002u);
  EXPECT_EQ(ArrivalCorrection(1000000, 1000000 + 3 * 3579545 / 1000, 3579545, 1, true), 29998u + 2u);
  EXPECT_EQ(ArrivalCorrection(0, 1030000, 10000000, 2, true), 0u);        // no arrival counter
  EXPECT_EQ(ArrivalCorrection(1030001, 1030000, 10000000, 2, true), 0u);  // later than now
  EXPECT_EQ(ArrivalCorrection(1000000, 1030000, 10000000, 2, false), 0u);
}

TEST(ReceiveTimestamp, ArrivalNeverBeforeTheSend) {
  struct Limit {
    uint64_t send, receive, correction, receiveAfter, correctionAfter;
  } const limits[] = {
      {1000, 1500, 300, 1500, 300},  // after T1: kept
      {1000, 900, 300, 1000, 200},   // T4 fell 100 below T1: that much taken back
      {1000, 500, 300, 800, 0},      // more than the correction: all of it, and no more
  };
  for (const Limit& c : limits) {
    uint64_t receive = c.receive, correction = c.correction;
    KeepArrivalAfterSend(c.send, &receive, &correction);
    EXPECT_EQ(receive, c.receiveAfter) << c.receive;
    EXPECT_EQ(correction, c.correctionAfter) << c.receive;
  }
}

// Without the stack's timestamps: a request leaves at a share of its send call, a reply arrived
// at the start of the read that found it, or between that and the empty read before.
TEST(ReceiveTimestamp, WhatTheCallsBracket) {
  EXPECT_EQ(DepartureTime(5000, 300, 0.5), 5150u);
  EXPECT_EQ(DepartureTime(5000, 300, 2.0 / 3.0), 5200u);
  EXPECT_EQ(DepartureTime(5000, 300, 1.0), 5300u);
  EXPECT_EQ(DepartureTime(5000, 300, 0.0), 5000u);
  EXPECT_EQ(DepartureTime(5000, 0, 0.5), 5000u) << "no counter: the time before the call";
  struct Case {
    uint64_t found, empty, arrival;
  } const cases[] = {{9000, 0, 9000}, {9000, 8400, 8700}, {9000, 8999, 8999}, {9000, 9000, 9000}, {9000, 9500, 9000}};
  for (const Case& c : cases) EXPECT_EQ(BracketedArrival(c.found, c.empty), c.arrival) << c.empty;
  // A reply the first read found can have waited there since the request left and the server
  // held it: the middle of that span.
  struct Waiting {
    uint64_t hold, arrival;
  } const waiting[] = {{300, 1650}, {0, 1500}, {1000, 2000}, {1500, 2000}};
  for (const Waiting& c : waiting) EXPECT_EQ(WaitingReplyArrival(1000, c.hold, 2000), c.arrival) << c.hold;
}

TEST(ReceiveTimestamp, OnlyTheRequestsAddressAndPortAnswer) {
  IpLiteral server;
  ASSERT_TRUE(ParseIpLiteral("192.0.2.7:123", &server));
  IpLiteral server6;
  ASSERT_TRUE(ParseIpLiteral("[fe80::7]:123", &server6));
  struct Case {
    const char* source;
    bool fromServer;
  } const cases[] = {
      {"192.0.2.7:123", true}, {"192.0.2.7:124", false}, {"192.0.2.8:123", false}, {"[::ffff:192.0.2.7]:123", false},
  };
  for (const Case& c : cases) {
    IpLiteral source;
    ASSERT_TRUE(ParseIpLiteral(c.source, &source)) << c.source;
    EXPECT_EQ(SameEndpoint(source, server), c.fromServer) << c.source;
  }
  IpLiteral scoped;
  ASSERT_TRUE(ParseIpLiteral("[fe80::7%4]:123", &scoped));
  EXPECT_TRUE(SameEndpoint(scoped, server6)) << "the scope a reply comes with is not compared";
  EXPECT_FALSE(SameEndpoint(IpLiteral(), IpLiteral())) << "no address answers for nobody";
}

}  // namespace
