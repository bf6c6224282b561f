// The OV2 time exchange as data: the request number shared by every OV2 exchange of the
// process, the binary request with its authentication part, the checks a reply must pass,
// and the sample fields and delta and latency a good reply gives. No platform calls (keys
// come from the keyring, Windows digests through its Netlogon layer).
#pragma once
#include <cstddef>
#include <cstdint>

#include "sampling/ntp_time.h"
#include "sampling/time_sample.h"

constexpr size_t kOv2RequestHeaderLength = 12;
constexpr size_t kOv2RequestCapacity = 36;  // a SHA key's request: header, key number, 20-byte digest
constexpr size_t kOv2ReplyCapacity = 1024;  // the most of a reply that is read
constexpr size_t kOv2MinimumReply = 12;

// Result codes of the exchange.
constexpr uint32_t kOv2ReplyTooShort = 10060;  // fewer than 12 bytes: as good as no reply
constexpr uint32_t kOv2NotEchoed = 13913;      // the request number is not the one sent
constexpr uint32_t kOv2ClockNotSet = 1901;     // the server's time is 0

// Servers of this version and later report their leap status.
constexpr uint64_t kOv2LeapStatusVersion = 5220110501ull;

// The next request number: the process-wide accumulator advanced by an odd step, never 0 and
// never the value before. The OV2 HTTP client draws from it too.
uint32_t NextOv2RequestNumber();

// A request as sent, and what the reply is checked against.
struct Ov2Request {
  uint8_t bytes[kOv2RequestCapacity] = {};
  size_t length = kOv2RequestHeaderLength;
  uint32_t number = 0;
  uint32_t authType = 0;
  uint32_t keyId = 0;
  uint32_t digestType = 0;  // 1 for broadcast and Windows authentication, else the key's
};

// Builds the request (number, 1, authType, length, localSerial, then the authentication part);
// 0, or the keyring's or the machine RID lookup's code, in which case nothing may be sent.
uint32_t BuildOv2Request(uint32_t number, uint32_t authType, uint32_t keyId, uint32_t localSerial,
                         Ov2Request* request);

// Checks a reply of length bytes against its request: 10060 when shorter than 12 bytes, 13913
// when the number is not echoed, 1901 when the server's time is 0, then the authentication
// rules; sets replyAuth (reply byte 5) and, where a key or digest is involved, digestType.
uint32_t ValidateOv2Reply(const uint8_t* reply, size_t length, const Ov2Request& request, uint8_t* replyAuth,
                          uint32_t* digestType);

// Delta and latency in 100 ns from the local send and receive times and the server's transmit
// time s1 and receive time s2 (0: not reported, s1 stands for both); the server's times may
// be anything, the result saturates instead of overflowing.
DeltaLatency ServerTimeDeltaLatency(uint64_t t1, uint64_t t4, uint64_t s1, uint64_t s2);

// How long a server held a request, S1 - S2 in 100 ns; 0 when it reports no S2 (0) or S1 is
// not after it.
uint64_t ServerHoldTime(uint64_t s1, uint64_t s2);
// The same for a reply of length bytes (S1 at 8, S2 at 48; zero past its end).
uint64_t Ov2ReplyHold(const uint8_t* reply, size_t length);

// Fills sample from a validated reply and the local times: the raw reply, the server's
// times as NTP timestamps, serial, source block, role, extra word, stratum, reference ("OV2 "
// for 0 and 0xFFFF), leap (from version 5220110501 on, else 4), delta and latency.
void StoreOv2Reply(const uint8_t* reply, size_t length, uint64_t t1, uint64_t t4, TimeSample* sample);
