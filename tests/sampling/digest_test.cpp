// The digests against published test vectors.
#include "sampling/digest.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Hex(const uint8_t* data, size_t length) {
  static const char kHex[] = "0123456789abcdef";
  std::string text;
  for (size_t i = 0; i < length; ++i) {
    text += kHex[data[i] >> 4];
    text += kHex[data[i] & 15];
  }
  return text;
}

std::string HashHex(uint32_t type, const std::string& message) {
  uint8_t out[kMaxDigestLength];
  size_t n = ComputeDigest(type, message.data(), message.size(), out);
  return Hex(out, n);
}

struct Vector {
  uint32_t type;
  std::string message;
  const char* digest;
};

// RFC 1321 appendix A.5, FIPS 180-4 examples (and the long vectors of the NIST test suite).
TEST(Digest, StandardVectors) {
  const std::string abc = "abc";
  const std::string two56 = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
  const std::string two896 =
      "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu";
  const Vector vectors[] = {
      {kDigestMd5, "", "d41d8cd98f00b204e9800998ecf8427e"},
      {kDigestMd5, "a", "0cc175b9c0f1b6a831c399e269772661"},
      {kDigestMd5, abc, "900150983cd24fb0d6963f7d28e17f72"},
      {kDigestMd5, "message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {kDigestMd5, "abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {kDigestMd5, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {kDigestMd5, "12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
      {kDigestSha1, "", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
      {kDigestSha1, abc, "a9993e364706816aba3e25717850c26c9cd0d89d"},
      {kDigestSha1, two56, "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
      {kDigestSha1, two896, "a49b2446a02c645bf419f995b67091253a04a259"},
      {kDigestSha256, "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {kDigestSha256, abc, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {kDigestSha256, two56, "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {kDigestSha256, two896, "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
      {kDigestSha512, "",
       "cf83e1357eefb8bdf1542850d66d8007d620e4050b5715dc83f4a921d36ce9ce47d0d13c5d85f2b0ff8318d2877eec2f63b931bd47417a"
       "81a538327af927da3e"},
      {kDigestSha512, abc,
       "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a836ba3c23a3feebbd454d4423643ce8"
       "0e2a9ac94fa54ca49f"},
      {kDigestSha512, two56,
       "204a8fc6dda82f0a0ced7beb8e08a41657c16ef468b228a8279be331a703c33596fd15c13b1b07f9aa1d3bea57789ca031ad85c7a71dd7"
       "0354ec631238ca3445"},
      {kDigestSha512, two896,
       "8e959b75dae313da8cf4f72814fc143f8f7779c6eb9f7fa17299aeadb6889018501d289e4900f7e4331b99dec4b5433ac7d329eeb6dd26"
       "545e96e55b874be909"},
  };
  for (const Vector& v : vectors)
    EXPECT_EQ(HashHex(v.type, v.message), v.digest) << DigestTypeName(v.type) << " of \"" << v.message << "\"";
}

TEST(Digest, MillionAs) {
  const std::string million(1000000, 'a');
  EXPECT_EQ(HashHex(kDigestMd5, million), "7707d6ae4e027c70eea2a935c2296f21");
  EXPECT_EQ(HashHex(kDigestSha1, million), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
  EXPECT_EQ(HashHex(kDigestSha256, million), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
  EXPECT_EQ(HashHex(kDigestSha512, million),
            "e718483d0ce769644e2e42c7bc15b4638e1f98b13b2044285632a803afa973ebde0ff244877ea60a4cb0432ce577c31beb009c5c2c4"
            "9aa2e4eadb217ad8cc09b");
}

// Feeding the message in pieces of every size gives the one-shot digest.
TEST(Digest, IncrementalEqualsOneShot) {
  std::string message;
  for (int i = 0; i < 300; ++i) message += char(i * 7 + 3);
  for (uint32_t type : {kDigestMd5, kDigestSha1, kDigestSha256, kDigestSha512}) {
    std::string expected = HashHex(type, message);
    for (size_t piece = 1; piece <= 130; ++piece) {
      CDigest digest(type);
      for (size_t at = 0; at < message.size(); at += piece)
        digest.Update(message.data() + at, std::min(piece, message.size() - at));
      uint8_t out[kMaxDigestLength];
      size_t n = digest.Final(out);
      ASSERT_EQ(Hex(out, n), expected) << DigestTypeName(type) << " in pieces of " << piece;
    }
  }
}

TEST(Digest, KeyedDigestIsHashOfKeyThenMessage) {
  const uint8_t key[] = {'k', 'e', 'y', '!'};
  uint8_t keyed[kMaxDigestLength], plain[kMaxDigestLength];
  ASSERT_EQ(KeyedDigest(kDigestSha1, key, sizeof key, "message", 7, keyed), 20u);
  ComputeDigest(kDigestSha1, "key!message", 11, plain);
  EXPECT_EQ(Hex(keyed, 20), Hex(plain, 20));
}

TEST(Digest, TypesNamesAndLengths) {
  EXPECT_EQ(DigestLength(kDigestMd5), 16u);
  EXPECT_EQ(DigestLength(kDigestSha1), 20u);
  EXPECT_EQ(DigestLength(kDigestSha256), 32u);
  EXPECT_EQ(DigestLength(kDigestSha512), 64u);
  EXPECT_EQ(DigestLength(0), 0u);
  EXPECT_EQ(DigestLength(5), 0u);
  EXPECT_EQ(WireDigestLength(kDigestMd5), 16u);
  EXPECT_EQ(WireDigestLength(kDigestSha256), 20u);
  EXPECT_EQ(WireDigestLength(kDigestSha512), 20u);
  EXPECT_STREQ(DigestTypeName(kDigestMd5), "MD5");
  EXPECT_STREQ(DigestTypeName(kDigestSha1), "SHA1");
  EXPECT_STREQ(DigestTypeName(kDigestSha256), "SHA256");
  EXPECT_STREQ(DigestTypeName(kDigestSha512), "SHA512");
  EXPECT_STREQ(DigestTypeName(9), "unknown");
  uint8_t out[kMaxDigestLength];
  EXPECT_EQ(ComputeDigest(7, "x", 1, out), 0u);
}

}  // namespace
