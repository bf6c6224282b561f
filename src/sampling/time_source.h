// The time-source line: one line of keywords and values that names a reference
// clock ("server ntp.example.com protocol ntp samples 4 delay 500 key 7 comment \"lab\""),
// its parsed record TimeSourceSpec, the protocol vocabulary and the small display tables.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// One-byte protocol codes.
typedef uint8_t TimeProtocol;
enum : TimeProtocol {
  kProtocolOv2Udp = 0,
  kProtocolNtp = 1,
  kProtocolOv1 = 2,
  kProtocolLanman = 3,
  kProtocolTimeUdp = 4,
  kProtocolTimeTcp = 5,
  kProtocolOv2Http = 6,
  kProtocolOv2Tcp = 7,
  kProtocolDaytimeUdp = 8,
  kProtocolDaytimeTcp = 9,
  kProtocolOv2ClientUdp = 10,
  kProtocolOv2ClientTcp = 11,
  kProtocolIcmp = 12,
  kProtocolOv2StatusUdp = 13,
  kProtocolOv2StatusTcp = 14,
  kProtocolOv2AuditUdp = 15,
  kProtocolOv2AuditTcp = 16,
  kProtocolPtp = 17,
  kProtocolPtpGeneral = 18,
  kProtocolPtpManagement = 19,
  kProtocolHyperV = 20,
  kProtocolMixed = 253,
  kProtocolUnknown = 254,
  kProtocolAny = 255,
};

struct TimeSourceSpec {
  std::string server;      // host name, canonical IP literal, or a domain's PDC
  std::string comment;
  std::string errorText;   // empty after a successful parse
  std::string domain;      // upper-cased domain name of a domain source
  uint8_t sampleTag = 0;   // the owner's; never set by the grammar
  bool enabled = true;
  bool fromRedirect = false;
  bool isDomain = false;
  bool allowRedirect = true;
  bool redirected = false;
  uint16_t port = 0;
  TimeProtocol protocol = kProtocolAny;
  uint8_t samples = 1;     // 1 to 32
  uint32_t authType = 0;   // 0 none, 1 broadcast key, 2 keyring key, 3 Windows
  uint32_t digestType = 0; // the key's digest type, filled by the keyring check
  uint32_t machineRid = 0; // filled for Windows authentication
  uint32_t keyId = 0;      // 1 to 65535
  uint32_t delayMs = 256;  // 16 to 1024
  uint32_t errorCode = 0;  // code of the last parse failure
};

// Parses text into spec (every field reset first except sampleTag and fromRedirect); true
// when errorText stays empty. skipKeyringCheck leaves out the keyring lookup of a key.
bool ParseTimeSource(TimeSourceSpec& spec, const std::string& text, bool skipKeyringCheck);
// The time-source line of a record (at most 1023 characters).
std::string FormatTimeSource(const TimeSourceSpec& spec);

// Keyword (any case) to protocol code: 254 for an unknown word, 255 for "any".
TimeProtocol ProtocolFromKeyword(const std::string& word);
// Display name of a protocol code ("" for codes without one).
const char* ProtocolName(uint32_t protocol);
// Default port of a protocol code (0 for codes without one).
uint16_t DefaultPort(uint32_t protocol);
// Whether the sampler framework uses a stream (TCP) connection for the protocol.
bool IsStreamProtocol(uint32_t protocol);
// Name of an OV2 server role code; "Unknown" for others.
const char* RoleName(uint32_t role);
// Name of a leap indicator code; "Unknown" for others.
const char* LeapName(uint32_t leap);
