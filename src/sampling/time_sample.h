// The record of one time exchange and the ordered list a sampling run produces.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "sampling/ip_literal.h"
#include "sampling/time_source.h"

// One exchange's result. Times in 100 ns are counts since 1601-01-01 UTC; NTP timestamps
// (32 bits of seconds since 1900, 32 bits of fraction) are kept in network byte order, as
// on the wire (NtpTimestampValue gives their value).
struct TimeSample {
  std::string server;      // the time source's server; for an HTTP redirect its target host
  std::string errorText;   // protocol-level failure text; empty otherwise
  IpLiteral address;       // the peer's address and port
  TimeProtocol protocol = 0;
  uint8_t requestAuth = 0;  // authentication type sent
  uint8_t replyAuth = 0;    // found in the reply: 0 none, 2 key, 3 Windows
  uint32_t digestType = 0;
  uint32_t errorCode = 0;   // 0 for a good sample
  int64_t delta = 0;        // 100 ns, server clock minus local clock
  int64_t latency = 0;      // 100 ns, round-trip network delay, never negative
  uint64_t receiveTime = 0;        // local time the reply arrived
  uint64_t receiveCorrection = 0;  // time the reply waited in the stack (already taken off)
  uint8_t version = 0;
  uint8_t stratum = 0;
  uint8_t leap = 0;         // leap indicator code; 4 = not provided
  uint8_t mode = 0;
  int8_t precision = 0;
  uint32_t referenceId = 0;  // the wire's four bytes, network order
  uint8_t poll = 0;
  uint32_t rootDelay = 0;       // as received
  uint32_t rootDispersion = 0;  // as received
  uint64_t originateTs = 0;       // T1
  uint64_t localReceiveTs = 0;    // T4
  uint64_t serverReceiveTs = 0;   // T2
  uint64_t serverTransmitTs = 0;  // T3
  uint64_t referenceTs = 0;
  uint32_t serial = 0;
  uint32_t role = 0;         // OV2 role, HTTP status of a redirect, NTP key number or RID sent
  uint32_t serverExtra = 0;
  uint8_t serverSourceAddress[28] = {};
  uint32_t replyLength = 0;
  uint8_t reply[1024] = {};
  uint8_t sampleTag = 0;
};

// The samples of one run, in the order the exchanges were made.
typedef std::vector<TimeSample> SampleSet;
