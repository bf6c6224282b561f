// The NTP request as built and signed, and every rule a reply must pass, with its code.
#include "sampling/ntp_packet.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "sampling/digest.h"
#include "sampling/fake_domain.h"
#include "sampling/keyring.h"
#include "sampling/ntp_time.h"

namespace {

const uint64_t kT1 = 0xEC0A1B2C80000000ull;
const uint32_t kRid = 1104;

class NtpPacketTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KeyringSource source;
    source.keyValues = {{"1", "testMD5key"},
                        {"2", "00112233445566778899AABBCCDDEEFF01234567"},
                        {"5", "untrustedkey"},
                        {"6", ""}};
    source.trustedKeys = "1 2 6";
    InstallKeyring(BuildKeyring(source));
  }
  void TearDown() override { InstallKeyring(Keyring()); }

  NtpRequest Request(uint32_t authType, uint32_t keyId) {
    NtpRequest request;
    BuildNtpRequest(kNtpVersion, kT1, &request);
    EXPECT_EQ(AuthenticateNtpRequest(authType, keyId, kRid, &request), 0u);
    return request;
  }

  // A good 48-byte reply to request from a stratum 2 server, in a 72-byte buffer.
  static std::vector<uint8_t> Reply(const NtpRequest& request) {
    std::vector<uint8_t> reply(kNtpReplyCapacity, 0);
    reply[0] = 0x1C;  // leap 0, version 3, mode 4
    reply[1] = 2;
    reply[2] = 6;
    reply[3] = uint8_t(-20);
    const uint8_t rest[] = {0, 0, 0x12, 0x34, 0, 0, 0x56, 0x78, 127, 0, 0, 1};
    std::memcpy(reply.data() + 4, rest, sizeof rest);
    StoreNtpTimestamp(kT1 - (100ull << 32), reply.data() + 16);
    StoreNtpTimestamp(request.transmit, reply.data() + 24);
    StoreNtpTimestamp(kT1 + 0x01000000, reply.data() + 32);
    StoreNtpTimestamp(kT1 + 0x01100000, reply.data() + 40);
    return reply;
  }

  // Signs reply bytes 0 to 47 with a key, as a server does; returns the length.
  static size_t SignReply(uint32_t key, std::vector<uint8_t>* reply) {
    size_t length = 0;
    uint32_t type = 0;
    EXPECT_EQ(SignNtp(key, reply->data(), &length, &type), 0u);
    return length;
  }

  // The Windows server digest with a machine password at 52; returns 68.
  static size_t WindowsReply(const std::string& password, std::vector<uint8_t>* reply) {
    CFakeNetlogon::Digest(password, reply->data(), 48, reply->data() + 52);
    return 68;
  }

  uint32_t Validate(const std::vector<uint8_t>& reply, size_t length, const NtpRequest& request,
                    uint8_t* replyAuth = nullptr, uint32_t* digestType = nullptr) {
    uint8_t auth = 0xEE;
    uint32_t type = 0;
    uint32_t code = ValidateNtpReply(reply.data(), length, request, kNtpMaxStratum, &auth, &type);
    if (replyAuth) *replyAuth = auth;
    if (digestType) *digestType = type;
    return code;
  }

  CFakeNetlogon netlogon_;
};

TEST_F(NtpPacketTest, PlainRequest) {
  NtpRequest request;
  BuildNtpRequest(kNtpVersion, kT1, &request);
  EXPECT_EQ(AuthenticateNtpRequest(kAuthNone, 0, kRid, &request), 0u);
  EXPECT_EQ(AuthenticateNtpRequest(kAuthBroadcast, 7, kRid, &request), 0u);
  ASSERT_EQ(request.length, 48u);
  EXPECT_FALSE(IsAuthenticated(request));
  EXPECT_EQ(request.packet[0], 0x1B);
  for (size_t i = 1; i < 24; ++i) EXPECT_EQ(request.packet[i], 0) << i;
  EXPECT_EQ(LoadNtpTimestamp(request.packet + 24), kT1);
  EXPECT_EQ(LoadNtpTimestamp(request.packet + 32), 0u);
  EXPECT_EQ(LoadNtpTimestamp(request.packet + 40), kT1);
  EXPECT_EQ(request.transmit, kT1);
}

// A trusted key without text yields no digest: its request goes out as a plain 48-byte one,
// and a plain reply answers it.
TEST_F(NtpPacketTest, KeyedRequests) {
  const struct {
    uint32_t key;
    size_t length;
    uint32_t auth, type;
    std::string bytes;
    uint32_t plainReply;  // what a 48-byte reply to the request gives
  } cases[] = {{1, 68, kAuthKey, kDigestMd5, "testMD5key", kDigestMismatch},
               {2, 72, kAuthKey, kDigestSha1,
                std::string("\x00\x11\x22\x33\x44\x55\x66\x77\x88\x99\xAA\xBB\xCC\xDD\xEE\xFF\x01\x23\x45\x67", 20),
                kDigestMismatch},
               {6, 48, kAuthNone, 0, "", 0}};
  for (const auto& c : cases) {
    NtpRequest request = Request(kAuthKey, c.key);
    ASSERT_EQ(request.length, c.length) << c.key;
    EXPECT_EQ(request.auth, c.auth) << c.key;
    EXPECT_EQ(IsAuthenticated(request), c.auth != kAuthNone) << c.key;
    EXPECT_EQ(request.digestType, c.type);
    EXPECT_EQ(request.role, c.key);
    EXPECT_EQ(Validate(Reply(request), kNtpHeaderLength, request), c.plainReply) << c.key;
    if (c.length == kNtpHeaderLength) continue;
    const uint8_t number[4] = {0, 0, 0, uint8_t(c.key)};
    EXPECT_EQ(std::memcmp(request.packet + 48, number, 4), 0);
    uint8_t digest[kMaxDigestLength];
    KeyedDigest(c.type, reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size(), request.packet, 48,
                digest);
    EXPECT_EQ(std::memcmp(request.packet + 52, digest, c.length - 52), 0) << c.key;
  }
}

TEST_F(NtpPacketTest, WindowsRequest) {
  for (uint32_t authType : {kAuthWindows, kAuthKey}) {  // key number 0 means Windows either way
    NtpRequest request = Request(authType, 0);
    ASSERT_EQ(request.length, 68u);
    EXPECT_EQ(request.auth, kAuthWindows);
    EXPECT_EQ(request.digestType, kDigestMd5);
    EXPECT_EQ(request.role, kRid);
    const uint8_t rid[4] = {0x50, 0x04, 0, 0};  // little-endian
    EXPECT_EQ(std::memcmp(request.packet + 48, rid, 4), 0);
    for (size_t i = 52; i < 68; ++i) EXPECT_EQ(request.packet[i], 0) << i;
  }
}

TEST_F(NtpPacketTest, RequestAuthenticationFailures) {
  const struct {
    uint32_t authType, keyId;
    bool netlogon;
    uint32_t code;
  } cases[] = {
      {kAuthKey, 9, true, kKeyNotInKeyring},
      {kAuthKey, 5, true, kKeyNotTrusted},
      {kAuthWindows, 0, false, kNetlogonUnavailable},
  };
  for (const auto& c : cases) {
    netlogon_.available = c.netlogon;
    NtpRequest request;
    BuildNtpRequest(kNtpVersion, kT1, &request);
    EXPECT_EQ(AuthenticateNtpRequest(c.authType, c.keyId, kRid, &request), c.code) << c.keyId;
  }
}

TEST_F(NtpPacketTest, HeaderRules) {
  NtpRequest request = Request(kAuthNone, 0);
  const struct {
    const char* name;
    size_t at;
    std::vector<uint8_t> bytes;
    uint32_t code;
  } cases[] = {
      {"good reply", 0, {0x1C}, 0},
      {"version 4 reply", 0, {0x24}, 0},
      {"leap 61 announced", 0, {0x5C}, 0},
      {"alarm", 0, {0xDC}, kNtpServerUnusable},
      {"client mode", 0, {0x1B}, kNtpServerUnusable},
      {"symmetric passive mode", 0, {0x1A}, kNtpServerUnusable},
      {"zero transmit timestamp", 40, {0, 0, 0, 0, 0, 0, 0, 0}, kNtpServerUnusable},
      {"zero reference timestamp", 16, {0, 0, 0, 0, 0, 0, 0, 0}, kNtpServerUnusable},
      {"stratum 15", 1, {15}, 0},
      {"stratum 16", 1, {16}, kNtpServerUnusable},
      {"stratum 255", 1, {255}, kNtpServerUnusable},
      {"kiss RATE", 1, {0, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'R', 'A', 'T', 'E'}, kNtpKissDenied},
      {"kiss deny in lower case", 1, {0, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'd', 'e', 'n', 'y'}, kNtpKissDenied},
      {"kiss RSTR", 1, {0, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'R', 'S', 'T', 'R'}, kNtpKissDenied},
      {"kiss INIT", 1, {0, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'I', 'N', 'I', 'T'}, kNtpServerUnusable},
      {"kiss RAT", 1, {0, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'R', 'A', 'T', 0}, kNtpServerUnusable},
      {"unsynchronised stratum 0 with a zero reference id", 1, {0, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
       kNtpServerUnusable},
      {"originate not echoed", 31, {0x01}, kNtpBadReply},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> reply = Reply(request);
    std::memcpy(reply.data() + c.at, c.bytes.data(), c.bytes.size());
    EXPECT_EQ(Validate(reply, 48, request), c.code) << c.name;
  }
}

TEST_F(NtpPacketTest, KissCodesWinOverOtherFaults) {
  // A kiss-o'-death reply usually carries the alarm leap, and its originate may not match.
  NtpRequest request = Request(kAuthNone, 0);
  std::vector<uint8_t> reply = Reply(request);
  reply[0] = 0xDC;
  reply[1] = 0;
  std::memcpy(reply.data() + 12, "RATE", 4);
  std::memset(reply.data() + 16, 0, 8);
  std::memset(reply.data() + 24, 0, 8);
  EXPECT_EQ(Validate(reply, 48, request), kNtpKissDenied);
  std::memcpy(reply.data() + 12, "STEP", 4);
  EXPECT_EQ(Validate(reply, 48, request), kNtpServerUnusable);
}

TEST_F(NtpPacketTest, LengthsOfUnauthenticatedReplies) {
  NtpRequest request = Request(kAuthNone, 0);
  std::vector<uint8_t> reply = Reply(request);
  const struct {
    size_t length;
    uint32_t code;
  } cases[] = {{0, kNtpBadReply}, {12, kNtpBadReply}, {47, kNtpBadReply}, {48, 0},  {49, kNtpBadReply},
               {52, 0},           {60, kNtpBadReply}, {68, 0},           {70, kNtpBadReply}, {72, 0}};
  for (const auto& c : cases) {
    uint8_t replyAuth = 0xEE;
    EXPECT_EQ(Validate(reply, c.length, request, &replyAuth), c.code) << c.length;
    EXPECT_EQ(replyAuth, 0) << c.length;
  }
}

TEST_F(NtpPacketTest, KeyedReplies) {
  NtpRequest request = Request(kAuthKey, 1);
  const struct {
    const char* name;
    uint32_t signKey;      // 0: no signature
    size_t length;         // 0: as signed
    int flip;              // byte to change after signing, -1 none
    uint32_t code;
    uint8_t replyAuth;
    uint32_t digestType;
  } cases[] = {
      {"signed with the request's key", 1, 0, -1, 0, kAuthKey, kDigestMd5},
      {"signed with another trusted key", 2, 0, -1, 0, kAuthKey, kDigestSha1},
      {"header changed after signing", 1, 0, 44, kDigestMismatch, kAuthKey, kDigestMd5},
      {"digest changed", 1, 0, 60, kDigestMismatch, kAuthKey, kDigestMd5},
      {"SHA1 digest cut to 16 bytes", 2, 68, -1, kDigestMismatch, kAuthKey, kDigestSha1},
      {"no authentication at all", 0, 48, -1, kDigestMismatch, 0, 0},
      {"key id only: refused", 0, 52, -1, kAuthenticationMissing, kAuthKey, 0},
      {"bad length", 1, 64, -1, kNtpBadReply, 0, 0},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> reply = Reply(request);
    size_t length = c.signKey ? SignReply(c.signKey, &reply) : 0;
    if (c.length) length = c.length;
    if (c.flip >= 0) reply[size_t(c.flip)] ^= 0x01;
    uint8_t replyAuth = 0;
    uint32_t digestType = 0;
    EXPECT_EQ(Validate(reply, length, request, &replyAuth, &digestType), c.code) << c.name;
    EXPECT_EQ(replyAuth, c.replyAuth) << c.name;
    EXPECT_EQ(digestType, c.digestType) << c.name;
  }
}

TEST_F(NtpPacketTest, KeyedReplyNamingAnUnknownKey) {
  NtpRequest request = Request(kAuthKey, 1);
  std::vector<uint8_t> reply = Reply(request);
  size_t length = SignReply(1, &reply);
  reply[51] = 9;
  EXPECT_EQ(Validate(reply, length, request), kKeyNotInKeyring);
  reply[51] = 5;
  EXPECT_EQ(Validate(reply, length, request), kKeyNotTrusted);
}

TEST_F(NtpPacketTest, KeyedReplyWithKeyZeroIsCheckedAsWindows) {
  NtpRequest request = Request(kAuthKey, 1);
  std::vector<uint8_t> reply = Reply(request);
  size_t length = WindowsReply("current", &reply);
  uint8_t replyAuth = 0;
  EXPECT_EQ(Validate(reply, length, request, &replyAuth), 0u);
  EXPECT_EQ(replyAuth, kAuthKey);
  reply[60] ^= 1;
  EXPECT_EQ(Validate(reply, length, request), kDigestMismatch);
}

TEST_F(NtpPacketTest, WindowsReplies) {
  NtpRequest request = Request(kAuthWindows, 0);
  const struct {
    const char* name;
    const char* password;  // nullptr: no digest
    size_t length;
    uint32_t code;
    uint8_t replyAuth;
  } cases[] = {
      {"current machine password", "current", 68, 0, kAuthWindows},
      {"previous machine password", "previous", 68, 0, kAuthWindows},
      {"72-byte reply", "current", 72, 0, kAuthWindows},
      {"unknown password", "guess", 68, kDigestMismatch, kAuthWindows},
      {"refused", nullptr, 52, kAuthenticationMissing, kAuthWindows},
      {"unauthenticated", nullptr, 48, kDigestMismatch, 0},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> reply = Reply(request);
    if (c.password) WindowsReply(c.password, &reply);
    uint8_t replyAuth = 0;
    EXPECT_EQ(Validate(reply, c.length, request, &replyAuth), c.code) << c.name;
    EXPECT_EQ(replyAuth, c.replyAuth) << c.name;
  }
  netlogon_.available = false;
  std::vector<uint8_t> reply = Reply(request);
  EXPECT_EQ(Validate(reply, WindowsReply("current", &reply), request), kNetlogonUnavailable);
}

TEST_F(NtpPacketTest, HeaderRulesComeBeforeAuthentication) {
  NtpRequest request = Request(kAuthKey, 1);
  std::vector<uint8_t> reply = Reply(request);
  reply[0] = 0x1B;
  size_t length = SignReply(1, &reply);
  EXPECT_EQ(Validate(reply, length, request), kNtpServerUnusable);
}

TEST_F(NtpPacketTest, ReplyFields) {
  NtpRequest request = Request(kAuthNone, 0);
  std::vector<uint8_t> reply = Reply(request);
  reply[0] = 0x64;  // leap 1, version 4, mode 4
  TimeSample sample;
  StoreNtpReplyFields(reply.data(), &sample);
  EXPECT_EQ(sample.leap, 1);
  EXPECT_EQ(sample.version, 4);
  EXPECT_EQ(sample.mode, 4);
  EXPECT_EQ(sample.stratum, 2);
  EXPECT_EQ(sample.poll, 6);
  EXPECT_EQ(sample.precision, -20);
  EXPECT_EQ(std::memcmp(&sample.rootDelay, reply.data() + 4, 4), 0);
  EXPECT_EQ(std::memcmp(&sample.rootDispersion, reply.data() + 8, 4), 0);
  EXPECT_EQ(std::memcmp(&sample.referenceId, reply.data() + 12, 4), 0);
  EXPECT_EQ(std::memcmp(&sample.referenceTs, reply.data() + 16, 8), 0);
}

}  // namespace
