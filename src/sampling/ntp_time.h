// NTP timestamps (32.32 fixed point, seconds since 1900, wrapping every 2^32 seconds) and
// the delta and latency of one exchange from its four timestamps. No platform calls.
#pragma once
#include <cstdint>

// A 100 ns time since 1601 as an NTP timestamp value (seconds << 32 | fraction), the
// seconds taken modulo 2^32 and the fraction truncated.
uint64_t FileTimeToNtp(uint64_t fileTime);
// Reads the 8 bytes of a timestamp as sent on the wire.
uint64_t LoadNtpTimestamp(const uint8_t* bytes);
// Writes a timestamp value as 8 wire bytes.
void StoreNtpTimestamp(uint64_t value, uint8_t* bytes);
// A timestamp value in the network byte order a TimeSample keeps, and back.
uint64_t NtpTimestampToWire(uint64_t value);
uint64_t NtpTimestampValue(uint64_t wire);

// later - earlier in 32.32 fixed point, taken modulo the 2^32-second era so that the two
// stamps may lie on either side of an era rollover (exact while under 2^31 seconds apart).
int64_t NtpDifference(uint64_t later, uint64_t earlier);

// How long a server held a request, T3 - T2 in 100 ns; 0 when T3 is not after T2.
uint64_t ServerHold(uint64_t t2, uint64_t t3);

// Delta ((T2 - T1) + (T3 - T4)) / 2 and latency |(T4 - T1) - (T3 - T2)| in 100 ns, truncated
// toward zero. T1 local send, T2 server receive, T3 server transmit, T4 local receive.
struct DeltaLatency {
  int64_t delta = 0;
  int64_t latency = 0;
};
DeltaLatency ComputeDeltaLatency(uint64_t t1, uint64_t t2, uint64_t t3, uint64_t t4);
