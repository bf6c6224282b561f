// The NTP client exchange as data: the request packet with its optional symmetric-key or
// Windows authentication, and the checks a reply must pass before it becomes a sample.
// No platform calls (keys come from the keyring, Windows digests through its Netlogon layer).
#pragma once
#include <cstddef>
#include <cstdint>

#include "sampling/time_sample.h"

constexpr size_t kNtpHeaderLength = 48;
constexpr size_t kNtpReplyCapacity = 72;  // the longest reply read: header, key id, 20-byte digest

// Result codes of the exchange.
constexpr uint32_t kNtpServerUnusable = 1901;  // alarm, wrong mode, unsynchronised, stratum, kiss code
constexpr uint32_t kNtpKissDenied = 5;         // kiss codes DENY, RSTR, RATE
constexpr uint32_t kNtpBadReply = 13;          // originate not echoed, bad length

constexpr uint8_t kNtpVersion = 3;     // version the requests carry
constexpr uint8_t kNtpMaxStratum = 15;

// A request: 48 bytes, or 68/72 with authentication.
struct NtpRequest {
  uint8_t packet[kNtpReplyCapacity] = {};
  size_t length = kNtpHeaderLength;
  uint64_t transmit = 0;   // T1 as sent in the originate and transmit fields
  uint32_t role = 0;       // key number or machine RID sent
  uint32_t digestType = 0;
  uint32_t auth = 0;       // as sent: 0 none (a key without digest sends none), 2 key, 3 Windows
};

// The unauthenticated client request: leap 0, version, mode 3, T1 in originate and transmit.
void BuildNtpRequest(uint8_t version, uint64_t transmit, NtpRequest* request);
// Adds authentication for authType 2 or 3: key number 0 is Windows authentication (the
// machine RID little-endian at 48, 16 zero bytes), else the keyring signs with keyId.
// 0, 127 without the Netlogon functions, or the keyring's code.
uint32_t AuthenticateNtpRequest(uint32_t authType, uint32_t keyId, uint32_t machineRid, NtpRequest* request);
// Whether the request goes out with authentication.
bool IsAuthenticated(const NtpRequest& request);

// Checks a reply of length bytes against its request; sets replyAuth (2 key, 3 Windows) and,
// for a keyed reply, digestType. 0 or the failure's code.
uint32_t ValidateNtpReply(const uint8_t* reply, size_t length, const NtpRequest& request, uint8_t maxStratum,
                          uint8_t* replyAuth, uint32_t* digestType);
// The kiss code of a stratum 0 reply: 5 for DENY, RSTR and RATE (any case), else 1901.
uint32_t KissCodeResult(const uint8_t* referenceId);

// Copies the header fields of a validated reply (version, stratum, leap, mode, precision,
// poll, root delay and dispersion, reference id and timestamp) into sample.
void StoreNtpReplyFields(const uint8_t* reply, TimeSample* sample);
