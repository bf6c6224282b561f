// Building OV2 requests and validating their replies.
#include "sampling/ov2_packet.h"

#include <atomic>
#include <cstring>
#include <limits>

#include "sampling/keyring.h"

namespace {

constexpr uint32_t kStepBits = 0x269EC3;
constexpr uint8_t kRequestVersion = 1;
constexpr size_t kReplyFieldsEnd = 115;  // the last field, the SHA digest, ends here
constexpr uint32_t kUnsetReference = 0xFFFF;

std::atomic<uint32_t> g_stepCounter{0};
std::atomic<uint32_t> g_requestNumber{0};

uint32_t LoadLe32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint64_t LoadLe64(const uint8_t* p) { return uint64_t(LoadLe32(p)) | uint64_t(LoadLe32(p + 4)) << 32; }

void StoreLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

int64_t Saturate(__int128 value) {
  if (value > std::numeric_limits<int64_t>::max()) return std::numeric_limits<int64_t>::max();
  if (value < std::numeric_limits<int64_t>::min()) return std::numeric_limits<int64_t>::min();
  return int64_t(value);
}

// The reply's first kReplyFieldsEnd bytes, zero past its length, so that every field can be read.
struct PaddedReply {
  PaddedReply(const uint8_t* reply, size_t length) {
    std::memcpy(bytes, reply, length < sizeof bytes ? length : sizeof bytes);
  }
  uint8_t bytes[kReplyFieldsEnd] = {};
};

}  // namespace

uint32_t NextOv2RequestNumber() {
  uint32_t step = (g_stepCounter.fetch_add(1) + 1) | kStepBits;  // never 0, so never the value before
  uint32_t number;
  do {
    number = g_requestNumber.fetch_add(step) + step;
  } while (number == 0);
  return number;
}

uint32_t BuildOv2Request(uint32_t number, uint32_t authType, uint32_t keyId, uint32_t localSerial,
                         Ov2Request* request) {
  *request = Ov2Request();
  request->number = number;
  request->authType = authType;
  request->keyId = keyId;
  StoreLe32(request->bytes, number);
  request->bytes[4] = kRequestVersion;
  request->bytes[5] = uint8_t(authType);
  StoreLe32(request->bytes + 8, localSerial);
  return BuildOv2Auth(authType, keyId, request->bytes, &request->length, &request->digestType);
}

uint32_t ValidateOv2Reply(const uint8_t* reply, size_t length, const Ov2Request& request, uint8_t* replyAuth,
                          uint32_t* digestType) {
  *replyAuth = 0;
  if (length < kOv2MinimumReply) return kOv2ReplyTooShort;
  PaddedReply padded(reply, length);
  if (LoadLe32(padded.bytes) != request.number) return kOv2NotEchoed;
  if (LoadLe64(padded.bytes + 8) == 0) return kOv2ClockNotSet;
  *replyAuth = padded.bytes[5];
  return VerifyOv2Reply(reply, length, request.authType, request.keyId, digestType);
}

DeltaLatency ServerTimeDeltaLatency(uint64_t t1, uint64_t t4, uint64_t s1, uint64_t s2) {
  __int128 serverReceive = s2 != 0 ? s2 : s1;
  __int128 outward = serverReceive - __int128(t1), back = __int128(s1) - __int128(t4);
  __int128 latency = (__int128(t4) - __int128(t1)) - (__int128(s1) - serverReceive);
  DeltaLatency result;
  result.delta = Saturate((outward + back) / 2);
  result.latency = Saturate(latency < 0 ? -latency : latency);
  return result;
}

uint64_t ServerHoldTime(uint64_t s1, uint64_t s2) { return s2 != 0 && s1 > s2 ? s1 - s2 : 0; }

uint64_t Ov2ReplyHold(const uint8_t* reply, size_t length) {
  PaddedReply padded(reply, length);
  return ServerHoldTime(LoadLe64(padded.bytes + 8), LoadLe64(padded.bytes + 48));
}

void StoreOv2Reply(const uint8_t* reply, size_t length, uint64_t t1, uint64_t t4, TimeSample* sample) {
  size_t kept = length < sizeof sample->reply ? length : sizeof sample->reply;
  std::memset(sample->reply, 0, sizeof sample->reply);
  std::memcpy(sample->reply, reply, kept);
  sample->replyLength = uint32_t(kept);
  const uint8_t* r = sample->reply;  // zero past the reply's length
  uint64_t s1 = LoadLe64(r + 8), s2 = LoadLe64(r + 48);
  sample->originateTs = NtpTimestampToWire(FileTimeToNtp(t1));
  sample->localReceiveTs = NtpTimestampToWire(FileTimeToNtp(t4));
  sample->serverReceiveTs = NtpTimestampToWire(FileTimeToNtp(s2 != 0 ? s2 : s1));
  sample->serverTransmitTs = NtpTimestampToWire(FileTimeToNtp(s1));
  sample->serial = LoadLe32(r + 16);
  std::memcpy(sample->serverSourceAddress, r + 20, sizeof sample->serverSourceAddress);
  sample->role = r[76];
  sample->serverExtra = LoadLe32(r + 77);
  sample->version = 4;
  sample->mode = 4;
  sample->precision = -23;
  sample->stratum = r[94];
  uint32_t reference = LoadLe32(r + 90);
  bool unset = reference == 0 || reference == kUnsetReference;
  std::memcpy(&sample->referenceId, unset ? reinterpret_cast<const uint8_t*>("OV2 ") : r + 90, 4);
  sample->leap = LoadLe64(r + 81) >= kOv2LeapStatusVersion ? r[89] : 4;
  DeltaLatency result = ServerTimeDeltaLatency(t1, t4, s1, s2);
  sample->delta = result.delta;
  sample->latency = result.latency;
}
