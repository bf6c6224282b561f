// Our digests against OpenSSL's on random inputs of every length from 0 to 300 bytes
// (native build only: the product itself has no OpenSSL dependency).
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <random>
#include <string>

#include "sampling/digest.h"

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

}  // namespace
