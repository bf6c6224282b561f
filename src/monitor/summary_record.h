// The 328-byte summary of one check, its byte layout, and the conversion of the
// older 432-byte layout.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

constexpr size_t kSummarySize = 328;
constexpr size_t kOldSummarySize = 432;
// Tag of records converted from the older layout.
constexpr uint32_t kConvertedSummaryTag = 1281;
// A record's time is valid only above this (2000-01-01 00:00 UTC).
constexpr uint32_t kEarliestSummaryTime = 946684800;

// Status values of a stored check.
constexpr uint32_t kCheckUnknown = 0;     // nothing failed, but not every machine or the reference was measured
constexpr uint32_t kCheckAlert = 1;       // an enabled variance test failed
constexpr uint32_t kCheckInProgress = 2;  // never stored by the service
constexpr uint32_t kCheckQuiet = 3;       // every machine and the reference measured, every test passed

// Bits of checkFlags (offset 35, a byte the applet's older records leave 0).
constexpr uint8_t kCheckReferenceUnanswered = 1;  // the configured reference clock gave no time
constexpr uint8_t kCheckAfterClockJump = 2;       // stored when the clock was far ahead of every stored check

// One socket-address slot (28 bytes, the size of an IPv6 socket address).
struct SummaryAddress {
  uint16_t family = 0;  // 2 for IPv4
  uint16_t port = 0;
  uint32_t ipv4 = 0;    // as stored (network byte order bytes read little-endian)
  std::array<uint8_t, 20> rest{};

  // Slots are equal when every stored byte is.
  bool operator==(const SummaryAddress&) const = default;
};

struct SummaryRecord {
  uint32_t tag = 0;
  uint32_t status = 0;  // kCheckQuiet, kCheckAlert, kCheckUnknown or kCheckInProgress
  uint32_t time = 0;    // seconds since 1970, the record's key
  uint32_t limitUnit = 0;  // 0 ms, 1 s, 2 min, 3 h
  uint32_t reserved16 = 0;
  int64_t referenceTime = 0;  // 100-nanosecond units
  uint8_t oldLayoutFlag = 0;
  std::array<uint8_t, 3> reserved29{};
  uint8_t singleTest = 0;
  uint8_t totalTest = 0;
  uint8_t slaveTest = 0;
  uint8_t checkFlags = 0;  // the service's: kCheckReferenceUnanswered, kCheckAfterClockJump
  uint32_t singleLimit = 0;
  uint32_t totalLimit = 0;
  uint32_t slaveLimit = 0;
  uint32_t unansweredMachines = 0;  // the service's: monitored machines that gave no sample
  std::array<uint32_t, 5> counts{};        // total, masters, slaves, independent servers, clients
  std::array<int64_t, 5> averages{};       // masters, slaves, independent servers, clients, total (ms)
  int64_t slowestClock = 0;
  int64_t fastestClock = 0;
  std::array<int64_t, 4> worst{};          // masters, slaves, independent servers, clients (ms)
  std::array<SummaryAddress, 6> addresses{};

  // Records are equal when every stored field is (a newer copy of "Check Results" differs).
  bool operator==(const SummaryRecord&) const = default;
};

using SummaryBytes = std::array<uint8_t, kSummarySize>;

// The record's 328 stored bytes.
SummaryBytes EncodeSummary(const SummaryRecord& record);
// The record from its 328 stored bytes.
SummaryRecord DecodeSummary(const uint8_t* bytes);
// The one reading of a registry copy of a check ("Check Results", "Check Results (alert)"):
// 328 bytes as stored, 432 bytes of the older layout converted, anything else (missing, short,
// long) a zero record, which reads as no check.
SummaryRecord SummaryFromValue(const std::string& value);
// The 328-byte record converted from a 432-byte record of the older layout.
SummaryRecord ConvertOldSummary(const uint8_t* old);
