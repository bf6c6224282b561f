// NTP timestamp arithmetic and its conversion to and from the system clock.
#include "sampling/ntp_time.h"

#include <cstring>

namespace {

constexpr uint64_t kUnitsPerSecond = 10000000;
// Seconds from 1601-01-01 to 1900-01-01.
constexpr uint64_t kSeconds1601To1900 = 11644473600ull - 2208988800ull;

// A 32.32 quantity (or, with shift 33, half of it) in 100 ns, truncated toward zero.
int64_t FixedTo100ns(__int128 value, int shift) {
  bool negative = value < 0;
  unsigned __int128 magnitude = negative ? (unsigned __int128)(-value) : (unsigned __int128)value;
  int64_t units = int64_t((magnitude * kUnitsPerSecond) >> shift);
  return negative ? -units : units;
}

}  // namespace

uint64_t FileTimeToNtp(uint64_t fileTime) {
  uint32_t seconds = uint32_t(fileTime / kUnitsPerSecond - kSeconds1601To1900);
  uint64_t fraction = ((fileTime % kUnitsPerSecond) << 32) / kUnitsPerSecond;
  return uint64_t(seconds) << 32 | fraction;
}

uint64_t LoadNtpTimestamp(const uint8_t* bytes) {
  uint64_t value = 0;
  for (int i = 0; i < 8; ++i) value = value << 8 | bytes[i];
  return value;
}

void StoreNtpTimestamp(uint64_t value, uint8_t* bytes) {
  for (int i = 7; i >= 0; --i, value >>= 8) bytes[i] = uint8_t(value);
}

uint64_t NtpTimestampToWire(uint64_t value) {
  uint8_t bytes[8];
  StoreNtpTimestamp(value, bytes);
  uint64_t wire;
  std::memcpy(&wire, bytes, 8);
  return wire;
}

uint64_t NtpTimestampValue(uint64_t wire) {
  uint8_t bytes[8];
  std::memcpy(bytes, &wire, 8);
  return LoadNtpTimestamp(bytes);
}

int64_t NtpDifference(uint64_t later, uint64_t earlier) { return int64_t(later - earlier); }

uint64_t ServerHold(uint64_t t2, uint64_t t3) {
  int64_t hold = NtpDifference(t3, t2);
  return hold > 0 ? uint64_t(FixedTo100ns(hold, 32)) : 0;
}

DeltaLatency ComputeDeltaLatency(uint64_t t1, uint64_t t2, uint64_t t3, uint64_t t4) {
  __int128 outward = NtpDifference(t2, t1), back = NtpDifference(t3, t4);
  __int128 roundTrip = NtpDifference(t4, t1), hold = NtpDifference(t3, t2);
  __int128 latency = roundTrip - hold;
  DeltaLatency result;
  result.delta = FixedTo100ns(outward + back, 33);
  result.latency = FixedTo100ns(latency < 0 ? -latency : latency, 32);
  return result;
}
