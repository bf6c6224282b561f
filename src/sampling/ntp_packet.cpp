// Building NTP requests and validating their replies.
#include "sampling/ntp_packet.h"

#include <cctype>
#include <cstring>
#include <string>

#include "sampling/digest.h"
#include "sampling/keyring.h"
#include "sampling/netlogon.h"
#include "sampling/ntp_time.h"

namespace {

constexpr uint8_t kModeClient = 3;
constexpr uint8_t kModeServer = 4;
constexpr uint8_t kLeapAlarm = 3;
constexpr size_t kKeyIdOnlyLength = 52;
constexpr size_t kWindowsAuthLength = 68;

uint8_t LeapOf(const uint8_t* packet) { return packet[0] >> 6; }
uint8_t VersionOf(const uint8_t* packet) { return (packet[0] >> 3) & 7; }
uint8_t ModeOf(const uint8_t* packet) { return packet[0] & 7; }

uint32_t LoadBe32(const uint8_t* p) { return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

uint32_t WindowsRequest(uint32_t machineRid, NtpRequest* request) {
  request->digestType = kDigestMd5;
  if (!Netlogon().DigestFunctionsAvailable()) return kNetlogonUnavailable;
  std::memset(request->packet + kNtpHeaderLength, 0, kWindowsAuthLength - kNtpHeaderLength);
  for (int i = 0; i < 4; ++i) request->packet[kNtpHeaderLength + i] = uint8_t(machineRid >> (8 * i));
  request->length = kWindowsAuthLength;
  request->role = machineRid;
  request->auth = kAuthWindows;
  return 0;
}

// The header rules: alarm, mode, zero timestamps, stratum, kiss codes, the echoed originate.
uint32_t CheckHeader(const uint8_t* reply, const NtpRequest& request, uint8_t maxStratum) {
  uint32_t code = 0;
  if (LeapOf(reply) == kLeapAlarm || ModeOf(reply) != kModeServer || LoadNtpTimestamp(reply + 40) == 0 ||
      LoadNtpTimestamp(reply + 16) == 0)
    code = kNtpServerUnusable;
  uint8_t stratum = reply[1];
  if (code == 0 && stratum > maxStratum) code = kNtpServerUnusable;
  if (stratum == 0) return KissCodeResult(reply + 12);
  if (code == 0 && LoadNtpTimestamp(reply + 24) != request.transmit) code = kNtpBadReply;
  return code;
}

uint32_t CheckWindowsDigest(const uint8_t* reply, uint8_t* replyAuth) {
  *replyAuth = kAuthWindows;
  return WindowsDigestCheck(reply, kNtpHeaderLength, reply + kKeyIdOnlyLength);
}

// The authentication rules, by reply length.
uint32_t CheckAuthentication(const uint8_t* reply, size_t length, const NtpRequest& request, uint8_t* replyAuth,
                             uint32_t* digestType) {
  bool requested = IsAuthenticated(request);
  bool windows = request.auth == kAuthWindows;
  switch (length) {
    case kNtpHeaderLength:
      return requested ? kDigestMismatch : 0;
    case kKeyIdOnlyLength:
      if (!requested) return 0;
      *replyAuth = windows ? kAuthWindows : kAuthKey;
      return kAuthenticationMissing;
    case kWindowsAuthLength:
    case kNtpReplyCapacity:
      if (!requested) return 0;
      if (windows) return CheckWindowsDigest(reply, replyAuth);
      *replyAuth = kAuthKey;
      if (LoadBe32(reply + 48) == 0) return WindowsDigestCheck(reply, kNtpHeaderLength, reply + kKeyIdOnlyLength);
      return VerifyNtp(reply, length, digestType);
    default:
      return kNtpBadReply;
  }
}

}  // namespace

void BuildNtpRequest(uint8_t version, uint64_t transmit, NtpRequest* request) {
  *request = NtpRequest();
  request->packet[0] = uint8_t((version & 7) << 3 | kModeClient);
  StoreNtpTimestamp(transmit, request->packet + 24);
  StoreNtpTimestamp(transmit, request->packet + 40);
  request->transmit = transmit;
}

uint32_t AuthenticateNtpRequest(uint32_t authType, uint32_t keyId, uint32_t machineRid, NtpRequest* request) {
  if (authType != kAuthKey && authType != kAuthWindows) return 0;
  if (keyId == 0) return WindowsRequest(machineRid, request);
  request->role = keyId;
  uint32_t code = SignNtp(keyId, request->packet, &request->length, &request->digestType);
  if (code == 0 && request->length > kNtpHeaderLength) request->auth = kAuthKey;
  return code;
}

bool IsAuthenticated(const NtpRequest& request) { return request.auth != kAuthNone; }

uint32_t KissCodeResult(const uint8_t* referenceId) {
  std::string code;
  for (int i = 0; i < 4; ++i)
    if (referenceId[i] != 0) code += char(std::toupper(referenceId[i]));
  return code == "DENY" || code == "RSTR" || code == "RATE" ? kNtpKissDenied : kNtpServerUnusable;
}

uint32_t ValidateNtpReply(const uint8_t* reply, size_t length, const NtpRequest& request, uint8_t maxStratum,
                          uint8_t* replyAuth, uint32_t* digestType) {
  *replyAuth = 0;
  if (length < kNtpHeaderLength) return kNtpBadReply;
  uint32_t code = CheckHeader(reply, request, maxStratum);
  if (code != 0) return code;
  return CheckAuthentication(reply, length, request, replyAuth, digestType);
}

void StoreNtpReplyFields(const uint8_t* reply, TimeSample* sample) {
  sample->leap = LeapOf(reply);
  sample->version = VersionOf(reply);
  sample->mode = ModeOf(reply);
  sample->stratum = reply[1];
  sample->poll = reply[2];
  sample->precision = int8_t(reply[3]);
  std::memcpy(&sample->rootDelay, reply + 4, 4);
  std::memcpy(&sample->rootDispersion, reply + 8, 4);
  std::memcpy(&sample->referenceId, reply + 12, 4);
  sample->referenceTs = NtpTimestampToWire(LoadNtpTimestamp(reply + 16));
}
