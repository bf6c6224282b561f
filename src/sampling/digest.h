// The system's own MD5 (RFC 1321), SHA-1, SHA-256 and SHA-512 (FIPS 180-4), and the
// keyed digest H(key bytes followed by message bytes) that every authenticated time
// exchange uses. No platform calls and no outside library.
#pragma once
#include <cstddef>
#include <cstdint>

// Digest types as recorded in the keyring.
constexpr uint32_t kDigestNone = 0;
constexpr uint32_t kDigestMd5 = 1;
constexpr uint32_t kDigestSha1 = 2;
constexpr uint32_t kDigestSha256 = 3;
constexpr uint32_t kDigestSha512 = 4;

// Largest digest any type produces (SHA-512).
constexpr size_t kMaxDigestLength = 64;

// Full hash length of a digest type: 16, 20, 32 or 64; 0 for any other type.
size_t DigestLength(uint32_t digestType);
// Bytes of a keyed digest that go on the wire: 16 for MD5, 20 for the SHA types, 0 otherwise.
size_t WireDigestLength(uint32_t digestType);
// "MD5", "SHA1", "SHA256", "SHA512"; "unknown" for any other type.
const char* DigestTypeName(uint32_t digestType);

// Incremental hashing for one digest type. A context of an unknown type hashes nothing
// and finishes with length 0.
class CDigest {
 public:
  explicit CDigest(uint32_t digestType);
  void Update(const void* data, size_t length);
  // Writes the hash into out (room for kMaxDigestLength bytes) and returns its length.
  // The context must not be used afterwards.
  size_t Final(uint8_t* out);

 private:
  void Compress(const uint8_t* block);
  void Compress32(const uint8_t* block);
  void Compress64(const uint8_t* block);

  uint32_t type_;
  size_t blockSize_;
  uint64_t totalBytes_ = 0;
  uint8_t block_[128] = {};
  size_t fill_ = 0;
  uint32_t h32_[8] = {};
  uint64_t h64_[8] = {};
};

// One-shot hash of data; returns the hash length (0 for an unknown type).
size_t ComputeDigest(uint32_t digestType, const void* data, size_t length, uint8_t* out);
// H(key followed by message); returns the full hash length (0 for an unknown type).
size_t KeyedDigest(uint32_t digestType, const uint8_t* key, size_t keyLength,
                   const void* message, size_t messageLength, uint8_t* out);
