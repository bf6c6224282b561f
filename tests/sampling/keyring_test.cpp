// Key values, the keyring and the keyed digests of the time protocols.
#include "sampling/keyring.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "sampling/digest.h"
#include "sampling/fake_domain.h"

namespace {

const char kSha1Hex[] = "00112233445566778899AABBCCDDEEFF01234567";
const std::string kSha256Hex(64, 'a');
const std::string kSha512Hex = std::string(64, '0') + std::string(64, 'F');

std::string Bytes(const uint8_t* data, size_t length) { return std::string(reinterpret_cast<const char*>(data), length); }

// A keyring of: 1 MD5 "testMD5key", 2 SHA1, 3 SHA256, 4 SHA512, 5 MD5 untrusted,
// 6 without text; all trusted except 5.
Keyring TestKeyring() {
  KeyringSource source;
  source.keyValues = {{"1", std::string("testMD5key\0", 11)},
                      {"2", kSha1Hex},
                      {"3", kSha256Hex},
                      {"4", kSha512Hex},
                      {"5", "untrustedkey"},
                      {"6", ""}};
  source.trustedKeys = "1 2 3 4 6";
  return BuildKeyring(source);
}

class KeyringTest : public ::testing::Test {
 protected:
  void SetUp() override { InstallKeyring(TestKeyring()); }
  void TearDown() override { InstallKeyring(Keyring()); }
};

KeyEntry Parse(const std::string& name, const std::string& data, uint32_t confType = 0) {
  KeyEntry entry;
  EXPECT_TRUE(ParseKeyValue(name, data, confType, &entry)) << name << "=" << data;
  return entry;
}

bool Skipped(const std::string& name, const std::string& data, uint32_t confType = 0) {
  KeyEntry entry;
  return !ParseKeyValue(name, data, confType, &entry);
}

TEST(KeyValue, TypeIsInferredFromTheText) {
  KeyEntry sha1 = Parse("1", kSha1Hex);
  EXPECT_EQ(sha1.digestType, kDigestSha1);
  EXPECT_EQ(sha1.bytes, std::string("\x00\x11\x22\x33\x44\x55\x66\x77\x88\x99\xaa\xbb\xcc\xdd\xee\xff\x01\x23\x45\x67", 20));

  // The same text with one non-hex character is an MD5 key of that text.
  std::string almost = kSha1Hex;
  almost[17] = 'G';
  KeyEntry md5 = Parse("1", almost);
  EXPECT_EQ(md5.digestType, kDigestMd5);
  EXPECT_EQ(md5.bytes, almost);

  EXPECT_EQ(Parse("7", kSha256Hex).digestType, kDigestSha256);
  EXPECT_EQ(Parse("7", kSha256Hex).bytes.size(), 32u);
  EXPECT_EQ(Parse("7", kSha512Hex).digestType, kDigestSha512);
  EXPECT_EQ(Parse("7", kSha512Hex).bytes.size(), 64u);
  EXPECT_EQ(Parse("7", std::string(39, 'a')).digestType, kDigestMd5);  // 39 hex digits: not SHA1
  EXPECT_EQ(Parse("7", std::string(41, 'a')).digestType, kDigestMd5);
}

TEST(KeyValue, NamesOutsideOneTo65535AreSkipped) {
  EXPECT_TRUE(Skipped("0", "secret"));
  EXPECT_TRUE(Skipped("70000", "secret"));
  EXPECT_TRUE(Skipped("65536", "secret"));
  EXPECT_TRUE(Skipped("", "secret"));
  EXPECT_TRUE(Skipped("key", "secret"));
  EXPECT_TRUE(Skipped("-1", "secret"));
  EXPECT_TRUE(Skipped("0x10", "secret"));
  EXPECT_EQ(Parse("65535", "secret").number, 65535u);
  EXPECT_EQ(Parse("1", "secret").number, 1u);
}

TEST(KeyValue, TextIsCutAtBlankOrHashAndTrimmed) {
  EXPECT_EQ(Parse("1", "secret # my comment").text, "secret");
  EXPECT_EQ(Parse("1", "secret#comment").text, "secret");
  EXPECT_EQ(Parse("1", "secret\tcomment").text, "secret");
  EXPECT_EQ(Parse("1", "secret\r\n").text, "secret");
  EXPECT_EQ(Parse("1", std::string("secret\0garbage", 14)).text, "secret");
  EXPECT_EQ(Parse("1", std::string(200, 'k')).text, std::string(128, 'k'));
  // An MD5 key's bytes are its text, at most 64 of them.
  EXPECT_EQ(Parse("1", std::string(100, 'k')).bytes, std::string(64, 'k'));
}

TEST(KeyValue, ShortMd5KeysAreSkippedAndEmptyKeysKept) {
  EXPECT_TRUE(Skipped("1", "abc"));
  EXPECT_EQ(Parse("1", "abcd").digestType, kDigestMd5);
  KeyEntry empty = Parse("1", "");
  EXPECT_EQ(empty.digestType, kDigestNone);
  EXPECT_TRUE(empty.bytes.empty());
  EXPECT_EQ(Parse("1", " leading blank").digestType, kDigestNone);  // cut at the first blank
}

TEST(KeyValue, ConfTypeOverridesInference) {
  KeyEntry shortSha = Parse("1", "00112233445566778899", kDigestSha1);  // 20 hex digits is enough
  EXPECT_EQ(shortSha.digestType, kDigestSha1);
  EXPECT_EQ(shortSha.bytes.size(), 10u);
  EXPECT_EQ(Parse("1", "001122334455667788990", kDigestSha256).bytes.size(), 10u);  // odd digit dropped
  EXPECT_TRUE(Skipped("1", "0011223344556677889", kDigestSha1));                    // 19 digits
  EXPECT_TRUE(Skipped("1", "00112233445566778899zz", kDigestSha512));               // not hex
  EXPECT_EQ(Parse("1", kSha1Hex, kDigestMd5).digestType, kDigestMd5);
  EXPECT_EQ(Parse("1", kSha1Hex, kDigestMd5).bytes, kSha1Hex);
}

TEST(ConfTypes, WellFormedPairsOnly) {
  auto types = ParseConfTypes("1,2 3,4  5,1 0,1 70000,2 6,5 7,0 x,1 8, ,2 9,3");
  EXPECT_EQ(types.size(), 4u);
  EXPECT_EQ(types[1], 2u);
  EXPECT_EQ(types[3], 4u);
  EXPECT_EQ(types[5], 1u);
  EXPECT_EQ(types[9], 3u);
}

// The registry's answers by index ("ok", "long" for a value too long, else a code) and the
// reading that ends: a key deleted during a reload, or one that fails at every index, ends it.
TEST(KeyValues, ReadingEndsAtTheFirstFailureOrTheCount) {
  const uint32_t kNoMoreItems = 259, kKeyDeleted = 1018, kTooLong = 234;
  const struct {
    const char* name;
    uint32_t count;
    std::vector<uint32_t> answers;  // the last one repeats for every later index
    size_t calls;
    std::vector<std::string> names;
  } cases[] = {
      {"every value, then no more", 3, {0, 0, 0, kNoMoreItems}, 3, {"v0", "v1", "v2"}},
      {"fewer values than the count said", 5, {0, 0, kNoMoreItems}, 3, {"v0", "v1"}},
      {"a value too long is skipped", 3, {0, kTooLong, 0}, 3, {"v0", "v2"}},
      {"key deleted during the reload", 0xFFFFFFFF, {0, kKeyDeleted}, 2, {"v0"}},
      {"every index fails", 0xFFFFFFFF, {5}, 1, {}},
      {"every value too long", 4, {kTooLong}, 4, {}},
  };
  for (const auto& c : cases) {
    size_t calls = 0;
    auto values = ReadKeyValues(c.count, [&](uint32_t index, std::string* name, std::string* data) {
      ++calls;
      uint32_t answer = c.answers[std::min<size_t>(index, c.answers.size() - 1)];
      *name = "v" + std::to_string(index);
      *data = "key text";
      return answer;
    });
    EXPECT_EQ(calls, c.calls) << c.name;
    std::vector<std::string> names;
    for (const auto& value : values) names.push_back(value.first);
    EXPECT_EQ(names, c.names) << c.name;
  }
}

TEST(BuildKeyring, TrustBroadcastPtpAndBuiltInKey) {
  KeyringSource source;
  source.keyValues = {{"1", "alpha-key"}, {"2", "beta-key"}, {"3", kSha1Hex}, {"0", "zero"}, {"70000", "big"}};
  source.confTypes = "3,1";
  source.trustedKeys = "2 3 99";
  source.broadcastKey = std::string("2\0", 2);
  source.ptpKeys[0] = "0x3";
  source.ptpKeys[1] = "077";  // octal 63: not in the keyring
  source.ptpKeys[2] = "1";
  Keyring keyring = BuildKeyring(source);
  ASSERT_EQ(keyring.keys.size(), 4u);  // 1, 2, 3 and the built-in key
  EXPECT_FALSE(keyring.keys[1].trusted);
  EXPECT_TRUE(keyring.keys[2].trusted);
  EXPECT_TRUE(keyring.keys[3].trusted);
  EXPECT_EQ(keyring.keys[3].digestType, kDigestMd5);  // fixed by Conf
  EXPECT_EQ(keyring.broadcastKey, 2u);
  EXPECT_EQ(keyring.ptpKeys[0], 3u);
  EXPECT_EQ(keyring.ptpKeys[1], 0u);
  EXPECT_EQ(keyring.ptpKeys[2], 1u);
  const KeyEntry& builtIn = keyring.keys[kBuiltInKeyNumber];
  EXPECT_TRUE(builtIn.trusted);
  EXPECT_EQ(builtIn.digestType, kDigestMd5);
  EXPECT_GE(builtIn.bytes.size(), 4u);
}

TEST_F(KeyringTest, FetchKeyCodes) {
  KeyEntry key;
  EXPECT_EQ(FetchKey(1, &key), 0u);
  EXPECT_EQ(key.bytes, "testMD5key");
  EXPECT_EQ(key.digestType, kDigestMd5);
  EXPECT_EQ(FetchKey(5, &key), kKeyNotTrusted);
  EXPECT_EQ(FetchKey(99, &key), kKeyNotInKeyring);
  EXPECT_EQ(FetchKey(kBuiltInKeyNumber, &key), 0u);
}

TEST_F(KeyringTest, ExistsAndTrustedNeedTheNetlogonFunctions) {
  CFakeNetlogon netlogon;
  netlogon.available = false;
  uint32_t type = 0;
  EXPECT_FALSE(KeyExists(1));
  EXPECT_FALSE(KeyTrusted(1, &type));
  EXPECT_TRUE(KeyExists(kBuiltInKeyNumber));
  EXPECT_TRUE(KeyTrusted(kBuiltInKeyNumber, &type));
  EXPECT_EQ(type, kDigestMd5);

  netlogon.available = true;
  EXPECT_TRUE(KeyExists(1));
  EXPECT_TRUE(KeyTrusted(2, &type));
  EXPECT_EQ(type, kDigestSha1);
  EXPECT_TRUE(KeyExists(5));
  EXPECT_FALSE(KeyTrusted(5, &type));
  EXPECT_EQ(type, kDigestMd5);
  EXPECT_FALSE(KeyExists(99));
}

TEST_F(KeyringTest, NamableKeysAreMd5AndSha1OnesTrustedOrNot) {
  EXPECT_EQ(NamableKeyNumbers(), (std::vector<uint32_t>{1, 2, 5}));
  InstallKeyring(BuildKeyring(KeyringSource()));
  EXPECT_TRUE(NamableKeyNumbers().empty()) << "the built-in key cannot be named";
}

std::vector<uint8_t> NtpRequest() {
  std::vector<uint8_t> packet(72, 0);
  packet[0] = 0x1B;
  for (int i = 40; i < 48; ++i) packet[i] = uint8_t(i * 3);
  return packet;
}

TEST_F(KeyringTest, SignNtpLayout) {
  struct {
    uint32_t key;
    uint32_t type;
    size_t length;
  } const cases[] = {{1, kDigestMd5, 68}, {2, kDigestSha1, 72}, {3, kDigestSha256, 72}, {4, kDigestSha512, 72}};
  for (const auto& c : cases) {
    std::vector<uint8_t> packet = NtpRequest();
    size_t length = 0;
    uint32_t type = 0;
    ASSERT_EQ(SignNtp(c.key, packet.data(), &length, &type), 0u);
    EXPECT_EQ(length, c.length);
    EXPECT_EQ(type, c.type);
    EXPECT_EQ(Bytes(packet.data() + 48, 4), std::string("\0\0\0", 3) + char(c.key));
    KeyEntry key;
    FetchKey(c.key, &key);
    uint8_t expected[kMaxDigestLength];
    KeyedDigest(c.type, reinterpret_cast<const uint8_t*>(key.bytes.data()), key.bytes.size(), packet.data(), 48,
                expected);
    EXPECT_EQ(Bytes(packet.data() + 52, length - 52), Bytes(expected, length - 52)) << "key " << c.key;
    uint32_t verifiedType = 0;
    EXPECT_EQ(VerifyNtp(packet.data(), length, &verifiedType), 0u);
    EXPECT_EQ(verifiedType, c.type);
    for (size_t at : {size_t(0), size_t(47), size_t(50), length - 1}) {
      std::vector<uint8_t> changed = packet;
      changed[at] ^= 0x01;
      uint32_t status = VerifyNtp(changed.data(), length, &verifiedType);
      EXPECT_NE(status, 0u) << "byte " << at << " changed, key " << c.key;
    }
  }
}

TEST_F(KeyringTest, SignNtpFailuresAndUnsignedKey) {
  std::vector<uint8_t> packet = NtpRequest();
  size_t length = 0;
  uint32_t type = 0;
  EXPECT_EQ(SignNtp(5, packet.data(), &length, &type), kKeyNotTrusted);
  EXPECT_EQ(SignNtp(99, packet.data(), &length, &type), kKeyNotInKeyring);
  EXPECT_EQ(Bytes(packet.data() + 48, 24), std::string(24, '\0'));  // nothing written
  EXPECT_EQ(SignNtp(6, packet.data(), &length, &type), 0u);
  EXPECT_EQ(length, 48u);
  EXPECT_EQ(type, kDigestNone);
}

// The built-in key is made from facts anybody may learn: a reply signed with it proves nothing.
TEST_F(KeyringTest, RepliesSignedWithTheBuiltInKeyAreRefused) {
  uint32_t type = 0;
  std::vector<uint8_t> ntp = NtpRequest();
  size_t length = 0;
  ASSERT_EQ(SignNtp(kBuiltInKeyNumber, ntp.data(), &length, &type), 0u);
  EXPECT_EQ(VerifyNtp(ntp.data(), length, &type), kKeyNotInKeyring);

  KeyEntry key;
  ASSERT_EQ(FetchKey(kBuiltInKeyNumber, &key), 0u);
  for (uint32_t authType : {kAuthBroadcast, kAuthKey}) {
    std::vector<uint8_t> reply(128, 0);
    const uint8_t head[8] = {0x78, 0x56, 0x34, 0x12, 1, uint8_t(authType), 0, 0};
    std::memcpy(reply.data(), head, 8);
    reply[57] = 1;  // key 0x10000, big-endian at 56
    KeyedDigest(kDigestMd5, reinterpret_cast<const uint8_t*>(key.bytes.data()), key.bytes.size(), reply.data(), 8,
                reply.data() + 60);
    EXPECT_EQ(VerifyOv2Reply(reply.data(), reply.size(), authType, kBuiltInKeyNumber, &type), kKeyNotInKeyring)
        << authType;
  }

  std::string body = "filetime: 1";
  uint8_t digest[kMaxDigestLength];
  KeyedDigest(kDigestMd5, reinterpret_cast<const uint8_t*>(key.bytes.data()), key.bytes.size(), body.data(),
              body.size(), digest);
  const char kHex[] = "0123456789abcdef";
  std::string hex;
  for (int i = 0; i < 16; ++i) {
    hex += kHex[digest[i] >> 4];
    hex += kHex[digest[i] & 15];
  }
  EXPECT_EQ(VerifyHttpBody(kBuiltInKeyNumber, body, hex, &type), kKeyNotInKeyring);
}

TEST_F(KeyringTest, VerifyNtpRejectsShortAndForeignReplies) {
  std::vector<uint8_t> packet = NtpRequest();
  size_t length = 0;
  uint32_t type = 0;
  ASSERT_EQ(SignNtp(2, packet.data(), &length, &type), 0u);
  EXPECT_EQ(VerifyNtp(packet.data(), 68, &type), kDigestMismatch);  // SHA1 digest needs 72 bytes
  EXPECT_EQ(VerifyNtp(packet.data(), 48, &type), kDigestMismatch);
  packet[51] = 99;  // key 99 is unknown
  EXPECT_EQ(VerifyNtp(packet.data(), 72, &type), kKeyNotInKeyring);
  packet[51] = 5;
  EXPECT_EQ(VerifyNtp(packet.data(), 72, &type), kKeyNotTrusted);
}

std::vector<uint8_t> Ov2Request() {
  std::vector<uint8_t> request(36, 0xEE);
  const uint8_t head[12] = {0x78, 0x56, 0x34, 0x12, 1, 0, 0, 0, 9, 0, 0, 0};
  std::memcpy(request.data(), head, 12);
  return request;
}

TEST_F(KeyringTest, BuildOv2AuthLayouts) {
  struct {
    uint32_t authType;
    uint32_t key;
    size_t length;
    uint32_t digestType;
  } const cases[] = {{kAuthNone, 0, 12, 0}, {kAuthBroadcast, 0, 16, kDigestMd5}, {kAuthKey, 1, 32, kDigestMd5},
                     {kAuthKey, 2, 36, kDigestSha1}, {kAuthKey, 4, 36, kDigestSha512}, {kAuthKey, 6, 16, kDigestNone}};
  for (const auto& c : cases) {
    std::vector<uint8_t> request = Ov2Request();
    request[5] = uint8_t(c.authType);
    size_t length = 0;
    uint32_t type = 99;
    ASSERT_EQ(BuildOv2Auth(c.authType, c.key, request.data(), &length, &type), 0u);
    EXPECT_EQ(length, c.length);
    EXPECT_EQ(request[6] | request[7] << 8, int(c.length));
    if (c.authType != kAuthNone) {
      EXPECT_EQ(type, c.digestType);
    }
    if (c.authType == kAuthKey) {
      EXPECT_EQ(Bytes(request.data() + 12, 4), std::string("\0\0\0", 3) + char(c.key));
      KeyEntry key;
      FetchKey(c.key, &key);
      uint8_t expected[kMaxDigestLength] = {};
      KeyedDigest(key.digestType, reinterpret_cast<const uint8_t*>(key.bytes.data()), key.bytes.size(),
                  request.data(), 8, expected);
      EXPECT_EQ(Bytes(request.data() + 16, length - 16), Bytes(expected, length - 16));
    }
    // Every byte the authentication part does not use is zero.
    EXPECT_EQ(Bytes(request.data() + length, 36 - length), std::string(36 - length, '\0'));
  }
  std::vector<uint8_t> request = Ov2Request();
  size_t length = 0;
  uint32_t type = 0;
  EXPECT_EQ(BuildOv2Auth(kAuthKey, 5, request.data(), &length, &type), kKeyNotTrusted);
  EXPECT_EQ(BuildOv2Auth(kAuthKey, 77, request.data(), &length, &type), kKeyNotInKeyring);
}

TEST_F(KeyringTest, BuildOv2AuthWindowsPutsTheRidLittleEndian) {
  std::vector<uint8_t> request = Ov2Request();
  size_t length = 0;
  uint32_t type = 0;
  {
    CFakeNetlogon netlogon;
    netlogon.rid = 0x01020304;
    ASSERT_EQ(BuildOv2Auth(kAuthWindows, 0, request.data(), &length, &type), 0u);
    EXPECT_EQ(length, 16u);
    EXPECT_EQ(type, kDigestMd5);
    EXPECT_EQ(Bytes(request.data() + 12, 4), "\x04\x03\x02\x01");
  }
  CFakeNetlogon missing;
  missing.available = false;
  EXPECT_EQ(BuildOv2Auth(kAuthWindows, 0, request.data(), &length, &type), kNetlogonUnavailable);
}

// An OV2 reply signed the way a server signs it: key at 56, MD5 digest at 60, others at 95.
std::vector<uint8_t> Ov2Reply(uint32_t authType, uint32_t keyNumber) {
  std::vector<uint8_t> reply(128, 0);
  const uint8_t head[8] = {0x78, 0x56, 0x34, 0x12, 1, uint8_t(authType), 0, 0};
  std::memcpy(reply.data(), head, 8);
  reply[8] = 0x42;  // some server time
  reply[59] = uint8_t(keyNumber);
  KeyEntry key;
  if (keyNumber && FetchKey(keyNumber, &key) == 0) {
    uint8_t digest[kMaxDigestLength];
    KeyedDigest(key.digestType, reinterpret_cast<const uint8_t*>(key.bytes.data()), key.bytes.size(), reply.data(), 8,
                digest);
    if (key.digestType == kDigestMd5)
      std::memcpy(reply.data() + 60, digest, 16);
    else
      std::memcpy(reply.data() + 95, digest, 20);
  }
  return reply;
}

TEST_F(KeyringTest, VerifyOv2ReplyRules) {
  uint32_t type = 0;
  auto verify = [&](const std::vector<uint8_t>& reply, uint32_t requestAuth, uint32_t keyId) {
    type = 0;
    return VerifyOv2Reply(reply.data(), reply.size(), requestAuth, keyId, &type);
  };
  EXPECT_EQ(verify(Ov2Reply(kAuthNone, 0), kAuthNone, 0), 0u);
  EXPECT_EQ(verify(Ov2Reply(kAuthNone, 0), kAuthKey, 1), kAuthenticationMissing);
  EXPECT_EQ(verify(Ov2Reply(kAuthKey, 1), kAuthKey, 1), 0u);
  EXPECT_EQ(type, kDigestMd5);
  EXPECT_EQ(verify(Ov2Reply(kAuthKey, 3), kAuthKey, 3), 0u);
  EXPECT_EQ(type, kDigestSha256);
  EXPECT_EQ(verify(Ov2Reply(kAuthKey, 2), kAuthKey, 1), kAuthenticationMissing);  // another key than asked
  // An unauthenticated request answered with a keyed reply is verified with the reply's key.
  EXPECT_EQ(verify(Ov2Reply(kAuthKey, 2), kAuthNone, 0), 0u);
  EXPECT_EQ(type, kDigestSha1);
  std::vector<uint8_t> bad = Ov2Reply(kAuthKey, 2);
  bad[96] ^= 0xFF;
  EXPECT_EQ(verify(bad, kAuthKey, 2), kDigestMismatch);
  std::vector<uint8_t> changedTime = Ov2Reply(kAuthKey, 1);
  changedTime[3] ^= 0x10;  // covered by the digest
  EXPECT_EQ(verify(changedTime, kAuthKey, 1), kDigestMismatch);
  EXPECT_EQ(verify(Ov2Reply(kAuthKey, 5), kAuthKey, 5), kKeyNotTrusted);
  EXPECT_EQ(verify(Ov2Reply(kAuthKey, 9), kAuthKey, 9), kKeyNotInKeyring);
  // Broadcast replies: only to broadcast requests.
  EXPECT_EQ(verify(Ov2Reply(kAuthBroadcast, 1), kAuthKey, 1), kAuthenticationMissing);
  EXPECT_EQ(type, kDigestMd5);
  EXPECT_EQ(verify(Ov2Reply(kAuthBroadcast, 1), kAuthBroadcast, 0), 0u);
  // An unknown type passes an unauthenticated request only: it proves nothing to a keyed one.
  EXPECT_EQ(verify(Ov2Reply(7, 0), kAuthNone, 0), 0u);
  EXPECT_EQ(verify(Ov2Reply(7, 0), kAuthKey, 1), kAuthenticationMissing);
  // A short reply counts as zero past its end: the digest is missing.
  std::vector<uint8_t> shortReply = Ov2Reply(kAuthKey, 1);
  EXPECT_EQ(VerifyOv2Reply(shortReply.data(), 70, kAuthKey, 1, &type), kDigestMismatch);
}

TEST_F(KeyringTest, VerifyOv2ReplyWindowsAuthentication) {
  CFakeNetlogon netlogon;
  uint32_t type = 0;
  for (const std::string& password : {netlogon.currentPassword, netlogon.previousPassword}) {
    std::vector<uint8_t> reply = Ov2Reply(kAuthWindows, 0);
    CFakeNetlogon::Digest(password, reply.data(), 8, reply.data() + 60);
    EXPECT_EQ(VerifyOv2Reply(reply.data(), reply.size(), kAuthWindows, 0, &type), 0u) << password;
    EXPECT_EQ(type, kDigestMd5);
  }
  std::vector<uint8_t> reply = Ov2Reply(kAuthWindows, 0);
  CFakeNetlogon::Digest("stranger", reply.data(), 8, reply.data() + 60);
  EXPECT_EQ(VerifyOv2Reply(reply.data(), reply.size(), kAuthWindows, 0, &type), kDigestMismatch);
  netlogon.available = false;
  EXPECT_EQ(VerifyOv2Reply(reply.data(), reply.size(), kAuthWindows, 0, &type), kNetlogonUnavailable);
}

std::string HexOf(const uint8_t* data, size_t length, bool upper = false) {
  const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string text;
  for (size_t i = 0; i < length; ++i) {
    text += digits[data[i] >> 4];
    text += digits[data[i] & 15];
  }
  return text;
}

TEST_F(KeyringTest, VerifyHttpBody) {
  const std::string body = "filetime body text\r\n";
  uint32_t type = 0;
  for (uint32_t number : {1u, 2u, 3u, 4u}) {
    KeyEntry key;
    FetchKey(number, &key);
    uint8_t digest[kMaxDigestLength];
    size_t full = KeyedDigest(key.digestType, reinterpret_cast<const uint8_t*>(key.bytes.data()), key.bytes.size(),
                              body.data(), body.size(), digest);
    EXPECT_EQ(VerifyHttpBody(number, body, HexOf(digest, full), &type), 0u) << number;
    EXPECT_EQ(type, key.digestType);
    EXPECT_EQ(VerifyHttpBody(number, body, HexOf(digest, full, true), &type), 0u) << number;
    size_t wire = WireDigestLength(key.digestType);
    EXPECT_EQ(VerifyHttpBody(number, body, HexOf(digest, wire) + "7", &type), 0u) << "wire prefix, odd digit";
    EXPECT_EQ(VerifyHttpBody(number, body, HexOf(digest, wire - 1), &type), kDigestMismatch) << "too short";
    EXPECT_EQ(VerifyHttpBody(number, body + std::string("\0tail", 5), HexOf(digest, full), &type), 0u)
        << "the body ends at its terminating zero";
    std::string wrong = HexOf(digest, full);
    wrong[0] = wrong[0] == '0' ? '1' : '0';
    EXPECT_EQ(VerifyHttpBody(number, body, wrong, &type), kDigestMismatch) << number;
    EXPECT_EQ(VerifyHttpBody(number, body + "x", HexOf(digest, full), &type), kDigestMismatch) << number;
  }
  EXPECT_EQ(VerifyHttpBody(1, body, "a", &type), kDigestMismatch);  // one character decodes to nothing
  EXPECT_EQ(VerifyHttpBody(6, body, "", &type), kDigestMismatch);   // a key without a digest proves nothing
  EXPECT_EQ(VerifyHttpBody(0, body, "zz", &type), 0u);  // key 0 is not checked
  EXPECT_EQ(VerifyHttpBody(1, body, std::string(34, 'a'), &type), kDigestMismatch);  // longer than MD5
  EXPECT_EQ(VerifyHttpBody(5, body, "00", &type), kKeyNotTrusted);
  EXPECT_EQ(VerifyHttpBody(42, body, "00", &type), kKeyNotInKeyring);
}

TEST(WindowsAuthentication, DomainLookupOrder) {
  CFakeDirectory directory;
  uint8_t data[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  uint8_t digest[16];
  {
    CFakeNetlogon netlogon;
    CFakeNetlogon::Digest("current", data, 8, digest);
    EXPECT_EQ(WindowsDigestCheck(data, 8, digest), 0u);
    EXPECT_EQ(netlogon.calls, (std::vector<std::string>{"parent()", "digest(CORP)"}));
  }
  {
    // No parent domain and no local domain known: 1355 is tolerated, the digest asked without one.
    CFakeNetlogon netlogon;
    netlogon.parentStatus = kNoSuchDomain;
    netlogon.parentDomain.clear();
    EXPECT_EQ(WindowsDigestCheck(data, 8, digest), 0u);
    EXPECT_EQ(netlogon.calls, (std::vector<std::string>{"parent()", "digest()"}));
  }
  {
    // Another failure is returned.
    CFakeNetlogon netlogon;
    netlogon.parentStatus = 5;
    EXPECT_EQ(WindowsDigestCheck(data, 8, digest), 5u);
  }
  {
    // A failure or empty answer is asked again against the local domain when one is known.
    directory.self.joined = true;
    directory.self.domainName = "LOCALDOM";
    CFakeNetlogon netlogon;
    netlogon.parentDomain.clear();
    netlogon.parentDomainForLocal = "PARENT";
    EXPECT_EQ(WindowsDigestCheck(data, 8, digest), 0u);
    EXPECT_EQ(netlogon.calls, (std::vector<std::string>{"parent()", "parent(LOCALDOM)", "digest(PARENT)"}));
  }
  {
    CFakeNetlogon netlogon;
    netlogon.digestStatus = 0xC0000022;
    EXPECT_EQ(WindowsDigestCheck(data, 8, digest), 0xC0000022u);
  }
}

TEST(WindowsAuthentication, MachineRid) {
  CFakeDirectory directory;
  uint32_t rid = 0;
  {
    CFakeNetlogon netlogon;
    EXPECT_EQ(FetchMachineRid(&rid), 0u);
    EXPECT_EQ(rid, 1104u);
    EXPECT_EQ(netlogon.calls, (std::vector<std::string>{"parent()", "rid(CORP)"}));
  }
  {
    CFakeNetlogon netlogon;
    netlogon.ridStatus = 1722;
    netlogon.rid = 2001;
    EXPECT_EQ(FetchMachineRid(&rid), 0u);
    EXPECT_EQ(rid, 2001u);
    EXPECT_EQ(netlogon.calls, (std::vector<std::string>{"parent()", "rid(CORP)", "rid()"}));
  }
  {
    CFakeNetlogon netlogon;
    netlogon.parentStatus = kNoSuchDomain;
    netlogon.parentDomain.clear();
    netlogon.ridStatusWithoutDomain = 1789;
    EXPECT_EQ(FetchMachineRid(&rid), 1789u);
    EXPECT_EQ(netlogon.calls, (std::vector<std::string>{"parent()", "rid()"}));
  }
  {
    CFakeNetlogon netlogon;
    netlogon.ridAvailable = false;
    EXPECT_EQ(FetchMachineRid(&rid), kNetlogonUnavailable);
  }
}

TEST(DigestName, EveryType) {
  EXPECT_STREQ(DigestName(kAuthNone, kDigestMd5), "unauthenticated");
  EXPECT_STREQ(DigestName(kAuthBroadcast, kDigestMd5), "bcast/mcast auth");
  EXPECT_STREQ(DigestName(kAuthKey, kDigestNone), "unauthenticated");
  EXPECT_STREQ(DigestName(kAuthKey, kDigestMd5), "MD5");
  EXPECT_STREQ(DigestName(kAuthKey, kDigestSha1), "SHA1");
  EXPECT_STREQ(DigestName(kAuthKey, kDigestSha256), "SHA256");
  EXPECT_STREQ(DigestName(kAuthKey, kDigestSha512), "SHA512");
  EXPECT_STREQ(DigestName(kAuthKey, 9), "unknown");
  EXPECT_STREQ(DigestName(kAuthWindows, 0), "Windows auth");
  EXPECT_STREQ(DigestName(8, 1), "unauthenticated");
}

}  // namespace
