// NTP timestamps from the local clock, their wire form, and delta and latency from the four
// timestamps of an exchange, across the 2036 era rollover and with negative offsets.
#include "sampling/ntp_time.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr uint64_t kUnix1970 = 116444736000000000ull;     // 1970-01-01 in 100 ns since 1601
constexpr uint64_t kEra1Start = 137304520960000000ull;    // 2036-02-07 06:28:16 UTC

constexpr uint64_t Stamp(uint64_t seconds, uint32_t fraction) { return seconds << 32 | fraction; }
constexpr uint32_t kQuarter = 0x40000000, kHalf = 0x80000000, kThreeQuarters = 0xC0000000;

TEST(NtpTime, FromFileTime) {
  const struct {
    uint64_t fileTime;
    uint64_t ntp;
  } cases[] = {
      {kUnix1970, Stamp(2208988800u, 0)},
      {kUnix1970 + 5000000, Stamp(2208988800u, kHalf)},
      {kUnix1970 + 1, Stamp(2208988800u, 429)},           // 100 ns is 429.49 units, truncated
      {0, Stamp(0xCD99ED80u, 0)},                         // 1601, taken modulo 2^32 seconds
      {kEra1Start, Stamp(0, 0)},                          // the rollover starts era 1 at 0
      {kEra1Start - 1, Stamp(0xFFFFFFFFu, 0xFFFFFE52u)},  // the last 100 ns of era 0
      {kEra1Start + 10000000, Stamp(1, 0)},
  };
  for (const auto& c : cases) EXPECT_EQ(FileTimeToNtp(c.fileTime), c.ntp) << c.fileTime;
}

TEST(NtpTime, WireForm) {
  const uint8_t bytes[8] = {0x83, 0xAA, 0x7E, 0x80, 0x12, 0x34, 0x56, 0x78};
  uint64_t value = LoadNtpTimestamp(bytes);
  EXPECT_EQ(value, 0x83AA7E8012345678ull);
  uint8_t back[8];
  StoreNtpTimestamp(value, back);
  EXPECT_EQ(std::memcmp(back, bytes, 8), 0);
  uint64_t wire = NtpTimestampToWire(value);
  EXPECT_EQ(std::memcmp(&wire, bytes, 8), 0) << "kept in memory as on the wire";
  EXPECT_EQ(NtpTimestampValue(wire), value);
}

TEST(NtpTime, DeltaAndLatency) {
  const uint64_t base = 0xE0000000u;
  const struct {
    const char* name;
    uint64_t t1, t2, t3, t4;
    int64_t delta, latency;
  } cases[] = {
      {"equal clocks, symmetric path", Stamp(base, 0), Stamp(base, kQuarter), Stamp(base, kHalf),
       Stamp(base, kThreeQuarters), 0, 5000000},
      {"server 2 s ahead", Stamp(base, 0), Stamp(base + 2, kQuarter), Stamp(base + 2, kQuarter), Stamp(base, kHalf),
       20000000, 5000000},
      {"server 3 s behind", Stamp(base, 0), Stamp(base - 3, kQuarter), Stamp(base - 3, kQuarter),
       Stamp(base, kHalf), -30000000, 5000000},
      {"era rollover between send and receive", Stamp(0xFFFFFFFFu, kHalf), Stamp(0, kThreeQuarters),
       Stamp(0, kThreeQuarters), Stamp(0, 0), 10000000, 5000000},
      {"server still in era 0, client in era 1", Stamp(0, 0), Stamp(0xFFFFFFFFu, kQuarter),
       Stamp(0xFFFFFFFFu, kQuarter), Stamp(0, kHalf), -10000000, 5000000},
      {"negative fraction of 100 ns truncates toward zero", Stamp(base, 0), Stamp(base - 1, 0xFFFFFFFFu),
       Stamp(base - 1, 0xFFFFFFFFu), Stamp(base, 0), 0, 0},
      {"-2.38 units of 100 ns truncate to -2", Stamp(base, 0), Stamp(base - 1, 0xFFFFFC00u),
       Stamp(base - 1, 0xFFFFFC00u), Stamp(base, 0), -2, 0},
      {"hold time longer than the round trip", Stamp(base, 0), Stamp(base, 0), Stamp(base + 1, 0),
       Stamp(base, kHalf), 2500000, 5000000},
      {"60 years ahead", Stamp(0x10000000u, 0), Stamp(0x10000000u + 1893456000u, 0),
       Stamp(0x10000000u + 1893456000u, 0), Stamp(0x10000000u, 0), 18934560000000000, 0},
  };
  for (const auto& c : cases) {
    DeltaLatency result = ComputeDeltaLatency(c.t1, c.t2, c.t3, c.t4);
    EXPECT_EQ(result.delta, c.delta) << c.name;
    EXPECT_EQ(result.latency, c.latency) << c.name;
  }
  EXPECT_EQ(ServerHold(Stamp(base, kQuarter), Stamp(base, kHalf)), 2500000u);
  EXPECT_EQ(ServerHold(Stamp(0xFFFFFFFFu, kHalf), Stamp(0, 0)), 5000000u) << "across the era rollover";
  EXPECT_EQ(ServerHold(Stamp(base, kHalf), Stamp(base, kQuarter)), 0u) << "transmitted before received";
}

}  // namespace
