// Our digests against OpenSSL's on random inputs of every length from 0 to 300 bytes, and the
// keyed digest of an OV2 request (native build only: the product itself has no OpenSSL
// dependency).
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <random>
#include <string>

#include "sampling/digest.h"
#include "sampling/keyring.h"
#include "sampling/ov2_packet.h"

namespace {

TEST(DigestAgainstOpenSsl, RandomInputsOfEveryLength) {
  struct {
    uint32_t type;
    const EVP_MD* md;
  } const algorithms[] = {
      {kDigestMd5, EVP_md5()}, {kDigestSha1, EVP_sha1()}, {kDigestSha256, EVP_sha256()}, {kDigestSha512, EVP_sha512()}};
  std::mt19937 random(20240601);
  for (size_t length = 0; length <= 300; ++length) {
    for (int round = 0; round < 3; ++round) {
      std::string data(length, '\0');
      for (char& c : data) c = char(random());
      for (const auto& a : algorithms) {
        uint8_t ours[kMaxDigestLength], theirs[EVP_MAX_MD_SIZE];
        unsigned theirLength = 0;
        size_t ourLength = ComputeDigest(a.type, data.data(), data.size(), ours);
        ASSERT_EQ(EVP_Digest(data.data(), data.size(), theirs, &theirLength, a.md, nullptr), 1);
        ASSERT_EQ(ourLength, theirLength);
        ASSERT_EQ(std::string(reinterpret_cast<char*>(ours), ourLength),
                  std::string(reinterpret_cast<char*>(theirs), theirLength))
            << DigestTypeName(a.type) << " of " << length << " random bytes";
      }
    }
  }
}

TEST(DigestAgainstOpenSsl, Ov2RequestSignedOverKeyAndItsFirstEightBytes) {
  const std::string sha1 = "00112233445566778899AABBCCDDEEFF01234567", sha256(64, 'c'), sha512(128, '7');
  KeyringSource source;
  source.keyValues = {{"1", "testMD5key"}, {"2", sha1}, {"3", sha256}, {"4", sha512}};
  source.trustedKeys = "1 2 3 4";
  InstallKeyring(BuildKeyring(source));
  auto hex = [](const std::string& text) {
    std::string bytes;
    for (size_t i = 0; i < text.size(); i += 2) bytes += char(std::stoi(text.substr(i, 2), nullptr, 16));
    return bytes;
  };
  struct Case {
    uint32_t key;
    std::string keyBytes;
    const EVP_MD* md;
    size_t length;
  } const cases[] = {{1, "testMD5key", EVP_md5(), 32},
                     {2, hex(sha1), EVP_sha1(), 36},
                     {3, hex(sha256), EVP_sha256(), 36},
                     {4, hex(sha512), EVP_sha512(), 36}};
  for (const Case& c : cases) {
    Ov2Request request;
    ASSERT_EQ(BuildOv2Request(0x0BADF00D, kAuthKey, c.key, 7, &request), 0u);
    ASSERT_EQ(request.length, c.length);
    std::string message = c.keyBytes + std::string(reinterpret_cast<const char*>(request.bytes), 8);
    uint8_t theirs[EVP_MAX_MD_SIZE];
    unsigned theirLength = 0;
    ASSERT_EQ(EVP_Digest(message.data(), message.size(), theirs, &theirLength, c.md, nullptr), 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(request.bytes + 16), c.length - 16),
              std::string(reinterpret_cast<const char*>(theirs), c.length - 16))
        << "key " << c.key;
  }
  InstallKeyring(Keyring());
}

}  // namespace
