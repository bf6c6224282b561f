// The OV2 exchange as data: request layouts, the reply rules in their order, the sample
// fields a reply gives, and delta and latency.
#include "sampling/ov2_packet.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "sampling/digest.h"
#include "sampling/fake_domain.h"
#include "sampling/keyring.h"

namespace {

const uint32_t kNumber = 0x12345678;
const uint64_t kServerTime = 0x01D9A0B0C0D0E0F0ull;  // some day in 2023, 100 ns since 1601

std::string Bytes(const uint8_t* data, size_t length) { return std::string(reinterpret_cast<const char*>(data), length); }

// 1 MD5, 2 SHA1, 3 SHA256, 4 SHA512, 5 MD5 not trusted.
void InstallTestKeys() {
  KeyringSource source;
  source.keyValues = {{"1", "testMD5key"},
                      {"2", "00112233445566778899AABBCCDDEEFF01234567"},
                      {"3", std::string(64, 'a')},
                      {"4", std::string(128, 'F')},
                      {"5", "untrustedkey"}};
  source.trustedKeys = "1 2 3 4";
  InstallKeyring(BuildKeyring(source));
}

std::string Digest(uint32_t keyNumber, const uint8_t* message, size_t length) {
  KeyEntry key;
  EXPECT_EQ(FetchKey(keyNumber, &key), 0u);
  uint8_t digest[kMaxDigestLength];
  KeyedDigest(key.digestType, reinterpret_cast<const uint8_t*>(key.bytes.data()), key.bytes.size(), message, length,
              digest);
  return Bytes(digest, WireDigestLength(key.digestType));
}

void PutLe(std::vector<uint8_t>* bytes, size_t at, uint64_t value, int size) {
  for (int i = 0; i < size; ++i) (*bytes)[at + size_t(i)] = uint8_t(value >> (8 * i));
}

// A server's reply to request number kNumber: 115 bytes, S1 and S2, signed by type and key.
std::vector<uint8_t> Reply(uint8_t authType = 0, uint32_t keyNumber = 0) {
  std::vector<uint8_t> reply(115, 0);
  PutLe(&reply, 0, kNumber, 4);
  reply[4] = 1;
  reply[5] = authType;
  PutLe(&reply, 6, 115, 2);
  PutLe(&reply, 8, kServerTime, 8);
  PutLe(&reply, 16, 0xC0FFEE, 4);
  for (size_t i = 20; i < 48; ++i) reply[i] = uint8_t(i);
  PutLe(&reply, 48, kServerTime - 20, 8);
  reply[59] = uint8_t(keyNumber);
  reply[76] = 2;
  PutLe(&reply, 77, 0x01020304, 4);
  PutLe(&reply, 81, kOv2LeapStatusVersion, 8);
  reply[89] = 1;
  std::memcpy(reply.data() + 90, "GPS\0", 4);
  reply[94] = 1;
  if (authType == kAuthWindows) CFakeNetlogon::Digest("current", reply.data(), 8, reply.data() + 60);
  if ((authType == kAuthKey || authType == kAuthBroadcast) && keyNumber != 0 && keyNumber != 5 && keyNumber < 9) {
    std::string digest = Digest(keyNumber, reply.data(), 8);
    std::memcpy(reply.data() + (digest.size() == 16 ? 60 : 95), digest.data(), digest.size());
  }
  return reply;
}

class Ov2PacketTest : public ::testing::Test {
 protected:
  void SetUp() override { InstallTestKeys(); }
  void TearDown() override { InstallKeyring(Keyring()); }
  CFakeNetlogon netlogon_;  // RID 1104, machine passwords "current" and "previous"
};

TEST_F(Ov2PacketTest, RequestLayoutForEachAuthenticationType) {
  struct Case {
    uint32_t authType, keyId;
    size_t length;
    uint32_t digestType;
    std::string part;  // bytes 12 on, up to the digest
  } const cases[] = {
      {kAuthNone, 0, 12, 0, ""},
      {kAuthBroadcast, 0, 16, kDigestMd5, std::string(4, '\0')},
      {kAuthWindows, 0, 16, kDigestMd5, std::string("\x50\x04\0\0", 4)},  // RID 1104, little-endian
      {kAuthKey, 1, 32, kDigestMd5, std::string("\0\0\0\x01", 4)},         // key numbers are big-endian
      {kAuthKey, 2, 36, kDigestSha1, std::string("\0\0\0\x02", 4)},
      {kAuthKey, 3, 36, kDigestSha256, std::string("\0\0\0\x03", 4)},
      {kAuthKey, 4, 36, kDigestSha512, std::string("\0\0\0\x04", 4)},
  };
  for (const Case& c : cases) {
    Ov2Request request;
    ASSERT_EQ(BuildOv2Request(kNumber, c.authType, c.keyId, 0xA1B2C3D4, &request), 0u) << c.authType << c.keyId;
    ASSERT_EQ(request.length, c.length);
    EXPECT_EQ(request.digestType, c.digestType);
    std::string head = std::string("\x78\x56\x34\x12\x01", 5) + char(c.authType) + char(c.length) + '\0' +
                       "\xD4\xC3\xB2\xA1";
    EXPECT_EQ(Bytes(request.bytes, 12), head) << "the length is part of what is signed";
    EXPECT_EQ(Bytes(request.bytes + 12, c.part.size()), c.part);
    if (c.length > 16) {
      EXPECT_EQ(Bytes(request.bytes + 16, c.length - 16), Digest(c.keyId, request.bytes, 8));
    }
    EXPECT_EQ(Bytes(request.bytes + c.length, kOv2RequestCapacity - c.length),
              std::string(kOv2RequestCapacity - c.length, '\0'));
  }
}

TEST_F(Ov2PacketTest, RequestRefusedBeforeSending) {
  struct Case {
    uint32_t authType, keyId, code;
  } const cases[] = {{kAuthKey, 5, kKeyNotTrusted}, {kAuthKey, 77, kKeyNotInKeyring}, {kAuthWindows, 0, 127}};
  netlogon_.ridAvailable = false;
  for (const Case& c : cases) {
    Ov2Request request;
    EXPECT_EQ(BuildOv2Request(kNumber, c.authType, c.keyId, 0, &request), c.code) << c.keyId;
  }
}

TEST(Ov2RequestNumber, NeverZeroNorRepeatedBackToBack) {
  uint32_t previous = NextOv2RequestNumber();
  for (int i = 0; i < 100000; ++i) {
    uint32_t number = NextOv2RequestNumber();
    ASSERT_NE(number, 0u);
    ASSERT_NE(number, previous);
    previous = number;
  }
}

TEST_F(Ov2PacketTest, ReplyRulesInTheirOrder) {
  struct Case {
    const char* name;
    uint32_t requestAuth, keyId;
    std::function<std::vector<uint8_t>()> reply;
    size_t length;  // 0: the whole reply
    uint32_t code;
    uint8_t replyAuth;
    uint32_t digestType;
  } const cases[] = {
      {"good, unauthenticated", 0, 0, [] { return Reply(); }, 0, 0, 0, 0},
      {"12 bytes are enough to judge", 0, 0, [] { return Reply(); }, 12, 0, 0, 0},
      {"11 bytes", 0, 0, [] { return Reply(); }, 11, kOv2ReplyTooShort, 0, 0},
      {"echo before time", 0, 0, [] { auto r = Reply(); r[0] ^= 1; PutLe(&r, 8, 0, 8); return r; }, 0,
       kOv2NotEchoed, 0, 0},
      {"server clock not set", 0, 0, [] { auto r = Reply(); PutLe(&r, 8, 0, 8); return r; }, 0, kOv2ClockNotSet, 0, 0},
      {"unsigned reply to a keyed request", kAuthKey, 1, [] { return Reply(); }, 0, 86, 0, 1},
      {"MD5 key", kAuthKey, 1, [] { return Reply(kAuthKey, 1); }, 0, 0, 2, kDigestMd5},
      {"SHA1 key", kAuthKey, 2, [] { return Reply(kAuthKey, 2); }, 0, 0, 2, kDigestSha1},
      {"SHA256 key", kAuthKey, 3, [] { return Reply(kAuthKey, 3); }, 0, 0, 2, kDigestSha256},
      {"SHA512 key", kAuthKey, 4, [] { return Reply(kAuthKey, 4); }, 0, 0, 2, kDigestSha512},
      {"another key than asked", kAuthKey, 1, [] { return Reply(kAuthKey, 2); }, 0, 86, 2, 1},
      {"keyed reply to a plain request", 0, 0, [] { return Reply(kAuthKey, 2); }, 0, 0, 2, kDigestSha1},
      {"MD5 digest changed", kAuthKey, 1, [] { auto r = Reply(kAuthKey, 1); r[75] ^= 1; return r; }, 0,
       kDigestMismatch, 2, kDigestMd5},
      {"SHA digest changed", kAuthKey, 4, [] { auto r = Reply(kAuthKey, 4); r[95] ^= 1; return r; }, 0,
       kDigestMismatch, 2, kDigestSha512},
      {"signed bytes changed", kAuthKey, 2, [] { auto r = Reply(kAuthKey, 2); r[6] ^= 1; return r; }, 0,
       kDigestMismatch, 2, kDigestSha1},
      {"digest cut off", kAuthKey, 2, [] { return Reply(kAuthKey, 2); }, 100, kDigestMismatch, 2, kDigestSha1},
      {"untrusted key", 0, 0, [] { return Reply(kAuthKey, 5); }, 0, kKeyNotTrusted, 2, 0},
      {"key not in the keyring", 0, 0, [] { return Reply(kAuthKey, 9); }, 0, kKeyNotInKeyring, 2, 0},
      {"broadcast reply to a keyed request", kAuthKey, 1, [] { return Reply(kAuthBroadcast, 1); }, 0, 86, 1,
       kDigestMd5},
      {"broadcast reply to a broadcast request", kAuthBroadcast, 0, [] { return Reply(kAuthBroadcast, 1); }, 0, 0,
       1, kDigestMd5},
      {"Windows digest", kAuthWindows, 0, [] { return Reply(kAuthWindows); }, 0, 0, 3, kDigestMd5},
      {"Windows digest of a stranger", kAuthWindows, 0,
       [] { auto r = Reply(kAuthWindows); r[60] ^= 1; return r; }, 0, kDigestMismatch, 3, kDigestMd5},
      {"unknown type, plain request", 0, 0, [] { return Reply(9); }, 0, 0, 9, 0},
      {"unknown type, keyed request", kAuthKey, 1, [] { return Reply(9); }, 0, 86, 9, 1},
  };
  for (const Case& c : cases) {
    Ov2Request request;
    ASSERT_EQ(BuildOv2Request(kNumber, c.requestAuth, c.keyId, 0, &request), 0u) << c.name;
    std::vector<uint8_t> reply = c.reply();
    size_t length = c.length ? c.length : reply.size();
    uint8_t replyAuth = 0xEE;
    uint32_t digestType = request.digestType;
    EXPECT_EQ(ValidateOv2Reply(reply.data(), length, request, &replyAuth, &digestType), c.code) << c.name;
    EXPECT_EQ(replyAuth, c.replyAuth) << c.name;
    EXPECT_EQ(digestType, c.digestType) << c.name;
  }
}

// T1 1000 before the server's S1, T4 1000 after it; the server received 20 before S1, so the
// network took the round trip less that hold (a sample with T1 and T4 swapped would show the
// round trip plus the hold, with the same delta).
TEST_F(Ov2PacketTest, SampleFieldsOfAReply) {
  struct Case {
    const char* name;
    std::function<void(std::vector<uint8_t>*)> change;
    uint8_t leap;
    std::string reference;
    int64_t delta, latency;
  } const cases[] = {
      {"leap status from version 5220110501 on", [](std::vector<uint8_t>*) {}, 1, std::string("GPS\0", 4), -10,
       1980},
      {"older servers give no leap status", [](auto* r) { PutLe(r, 81, kOv2LeapStatusVersion - 1, 8); }, 4,
       std::string("GPS\0", 4), -10, 1980},
      {"reference 0", [](auto* r) { PutLe(r, 90, 0, 4); }, 1, "OV2 ", -10, 1980},
      {"reference 0xFFFF", [](auto* r) { PutLe(r, 90, 0xFFFF, 4); }, 1, "OV2 ", -10, 1980},
      {"reference 0xFFFF0000 is kept", [](auto* r) { PutLe(r, 90, 0xFFFF0000, 4); }, 1,
       std::string("\0\0\xFF\xFF", 4), -10, 1980},
      {"no receive time: no hold", [](auto* r) { PutLe(r, 48, 0, 8); }, 1, std::string("GPS\0", 4), 0, 2000},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> reply = Reply();
    c.change(&reply);
    TimeSample sample;
    StoreOv2Reply(reply.data(), reply.size(), kServerTime - 1000, kServerTime + 1000, &sample);
    EXPECT_EQ(sample.leap, c.leap) << c.name;
    EXPECT_EQ(Bytes(reinterpret_cast<const uint8_t*>(&sample.referenceId), 4), c.reference) << c.name;
    EXPECT_EQ(sample.delta, c.delta) << c.name;
    EXPECT_EQ(sample.latency, c.latency) << c.name;
    EXPECT_EQ(NtpTimestampValue(sample.originateTs), FileTimeToNtp(kServerTime - 1000)) << c.name;
    EXPECT_EQ(NtpTimestampValue(sample.localReceiveTs), FileTimeToNtp(kServerTime + 1000)) << c.name;
  }
  std::vector<uint8_t> reply = Reply();
  TimeSample sample;
  StoreOv2Reply(reply.data(), reply.size(), kServerTime - 1000, kServerTime + 1000, &sample);
  EXPECT_EQ(sample.serial, 0xC0FFEEu);
  EXPECT_EQ(Bytes(sample.serverSourceAddress, 28), Bytes(reply.data() + 20, 28));
  EXPECT_EQ(sample.role, 2u);
  EXPECT_EQ(sample.serverExtra, 0x01020304u);
  EXPECT_EQ(sample.stratum, 1);
  EXPECT_EQ(sample.version, 4);
  EXPECT_EQ(sample.mode, 4);
  EXPECT_EQ(sample.precision, -23);
  EXPECT_EQ(sample.replyLength, 115u);
  EXPECT_EQ(Bytes(sample.reply, 115), Bytes(reply.data(), 115));
  EXPECT_EQ(NtpTimestampValue(sample.serverTransmitTs), FileTimeToNtp(kServerTime));
  EXPECT_EQ(NtpTimestampValue(sample.serverReceiveTs), FileTimeToNtp(kServerTime - 20));
  // A reply cut short reads as zero past its end: no leap status, reference "OV2 ".
  TimeSample shortSample;
  StoreOv2Reply(reply.data(), 48, kServerTime, kServerTime, &shortSample);
  EXPECT_EQ(shortSample.leap, 4);
  EXPECT_EQ(shortSample.replyLength, 48u);
  EXPECT_EQ(Bytes(reinterpret_cast<const uint8_t*>(&shortSample.referenceId), 4), "OV2 ");
}

TEST(ServerTimeDeltaLatency, WithAndWithoutServerReceiveTime) {
  const int64_t kMax = INT64_MAX;
  struct Case {
    const char* name;
    uint64_t t1, t4, s1, s2;
    int64_t delta, latency;
  } const cases[] = {
      {"symmetric, server 500 ahead, held 10", 1000, 1100, 1555, 1545, 500, 90},
      {"no S2: S1 stands for both", 1000, 1100, 1550, 0, 500, 100},
      {"server behind, odd sum truncated toward zero", 1000, 1101, 600, 0, -450, 101},
      {"server receive after transmit", 1000, 1100, 1550, 1560, 505, 110},
      {"far-future server time saturates", 1000, 1100, UINT64_MAX, UINT64_MAX, kMax, 100},
      {"reply before request", 2000, 1000, 1500, 0, 0, 1000},
  };
  for (const Case& c : cases) {
    DeltaLatency result = ServerTimeDeltaLatency(c.t1, c.t4, c.s1, c.s2);
    EXPECT_EQ(result.delta, c.delta) << c.name;
    EXPECT_EQ(result.latency, c.latency) << c.name;
  }
  // How long the server held the request: only when it reports S2, and S1 is after it.
  EXPECT_EQ(ServerHoldTime(1555, 1545), 10u);
  EXPECT_EQ(ServerHoldTime(1550, 0), 0u);
  EXPECT_EQ(ServerHoldTime(1550, 1560), 0u);
  std::vector<uint8_t> reply = Reply();
  EXPECT_EQ(Ov2ReplyHold(reply.data(), reply.size()), 20u);
  EXPECT_EQ(Ov2ReplyHold(reply.data(), 48), 0u) << "cut before S2";
}

}  // namespace
