// MD5, SHA-1, SHA-256 and SHA-512, and the keyed digests built on them.
#include "sampling/digest.h"

#include <cstring>

namespace {

inline uint32_t Rotl32(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }
inline uint32_t Rotr32(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }
inline uint64_t Rotr64(uint64_t x, int n) { return (x >> n) | (x << (64 - n)); }

inline uint32_t LoadLe32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint32_t LoadBe32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}
inline uint64_t LoadBe64(const uint8_t* p) {
  return uint64_t(LoadBe32(p)) << 32 | LoadBe32(p + 4);
}
inline void StoreLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
inline void StoreBe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (24 - 8 * i));
}
inline void StoreBe64(uint8_t* p, uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = uint8_t(v >> (56 - 8 * i));
}

// MD5 per-step shift amounts and sines (RFC 1321).
const int kMd5Shift[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                           5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                           4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                           6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};
const uint32_t kMd5Sine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613,
    0xfd469501, 0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193,
    0xa679438e, 0x49b40821, 0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d,
    0x02441453, 0xd8a1e681, 0xe7d3fbc8, 0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed,
    0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a, 0xfffa3942, 0x8771f681, 0x6d9d6122,
    0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70, 0x289b7ec6, 0xeaa127fa,
    0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665, 0xf4292244,
    0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb,
    0xeb86d391};

const uint32_t kSha256K[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4,
    0xab1c5ed5, 0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe,
    0x9bdc06a7, 0xc19bf174, 0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f,
    0x4a7484aa, 0x5cb0a9dc, 0x76f988da, 0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7,
    0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967, 0x27b70a85, 0x2e1b2138, 0x4d2c6dfc,
    0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85, 0xa2bfe8a1, 0xa81a664b,
    0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070, 0x19a4c116,
    0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7,
    0xc67178f2};

const uint64_t kSha512K[80] = {
    0x428a2f98d728ae22ULL, 0x7137449123ef65cdULL, 0xb5c0fbcfec4d3b2fULL, 0xe9b5dba58189dbbcULL,
    0x3956c25bf348b538ULL, 0x59f111f1b605d019ULL, 0x923f82a4af194f9bULL, 0xab1c5ed5da6d8118ULL,
    0xd807aa98a3030242ULL, 0x12835b0145706fbeULL, 0x243185be4ee4b28cULL, 0x550c7dc3d5ffb4e2ULL,
    0x72be5d74f27b896fULL, 0x80deb1fe3b1696b1ULL, 0x9bdc06a725c71235ULL, 0xc19bf174cf692694ULL,
    0xe49b69c19ef14ad2ULL, 0xefbe4786384f25e3ULL, 0x0fc19dc68b8cd5b5ULL, 0x240ca1cc77ac9c65ULL,
    0x2de92c6f592b0275ULL, 0x4a7484aa6ea6e483ULL, 0x5cb0a9dcbd41fbd4ULL, 0x76f988da831153b5ULL,
    0x983e5152ee66dfabULL, 0xa831c66d2db43210ULL, 0xb00327c898fb213fULL, 0xbf597fc7beef0ee4ULL,
    0xc6e00bf33da88fc2ULL, 0xd5a79147930aa725ULL, 0x06ca6351e003826fULL, 0x142929670a0e6e70ULL,
    0x27b70a8546d22ffcULL, 0x2e1b21385c26c926ULL, 0x4d2c6dfc5ac42aedULL, 0x53380d139d95b3dfULL,
    0x650a73548baf63deULL, 0x766a0abb3c77b2a8ULL, 0x81c2c92e47edaee6ULL, 0x92722c851482353bULL,
    0xa2bfe8a14cf10364ULL, 0xa81a664bbc423001ULL, 0xc24b8b70d0f89791ULL, 0xc76c51a30654be30ULL,
    0xd192e819d6ef5218ULL, 0xd69906245565a910ULL, 0xf40e35855771202aULL, 0x106aa07032bbd1b8ULL,
    0x19a4c116b8d2d0c8ULL, 0x1e376c085141ab53ULL, 0x2748774cdf8eeb99ULL, 0x34b0bcb5e19b48a8ULL,
    0x391c0cb3c5c95a63ULL, 0x4ed8aa4ae3418acbULL, 0x5b9cca4f7763e373ULL, 0x682e6ff3d6b2b8a3ULL,
    0x748f82ee5defb2fcULL, 0x78a5636f43172f60ULL, 0x84c87814a1f0ab72ULL, 0x8cc702081a6439ecULL,
    0x90befffa23631e28ULL, 0xa4506cebde82bde9ULL, 0xbef9a3f7b2c67915ULL, 0xc67178f2e372532bULL,
    0xca273eceea26619cULL, 0xd186b8c721c0c207ULL, 0xeada7dd6cde0eb1eULL, 0xf57d4f7fee6ed178ULL,
    0x06f067aa72176fbaULL, 0x0a637dc5a2c898a6ULL, 0x113f9804bef90daeULL, 0x1b710b35131c471bULL,
    0x28db77f523047d84ULL, 0x32caab7b40c72493ULL, 0x3c9ebe0a15c9bebcULL, 0x431d67c49c100d4cULL,
    0x4cc5d4becb3e42b6ULL, 0x597f299cfc657e2aULL, 0x5fcb6fab3ad6faecULL, 0x6c44198c4a475817ULL};

}  // namespace

size_t DigestLength(uint32_t digestType) {
  switch (digestType) {
    case kDigestMd5: return 16;
    case kDigestSha1: return 20;
    case kDigestSha256: return 32;
    case kDigestSha512: return 64;
    default: return 0;
  }
}

size_t WireDigestLength(uint32_t digestType) {
  size_t full = DigestLength(digestType);
  return full > 20 ? 20 : full;
}

const char* DigestTypeName(uint32_t digestType) {
  switch (digestType) {
    case kDigestMd5: return "MD5";
    case kDigestSha1: return "SHA1";
    case kDigestSha256: return "SHA256";
    case kDigestSha512: return "SHA512";
    default: return "unknown";
  }
}

CDigest::CDigest(uint32_t digestType) : type_(digestType), blockSize_(64) {
  switch (type_) {
    case kDigestMd5: {
      const uint32_t init[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
      std::memcpy(h32_, init, sizeof init);
      break;
    }
    case kDigestSha1: {
      const uint32_t init[5] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476, 0xc3d2e1f0};
      std::memcpy(h32_, init, sizeof init);
      break;
    }
    case kDigestSha256: {
      const uint32_t init[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
      std::memcpy(h32_, init, sizeof init);
      break;
    }
    case kDigestSha512: {
      const uint64_t init[8] = {0x6a09e667f3bcc908ULL, 0xbb67ae8584caa73bULL,
                                0x3c6ef372fe94f82bULL, 0xa54ff53a5f1d36f1ULL,
                                0x510e527fade682d1ULL, 0x9b05688c2b3e6c1fULL,
                                0x1f83d9abfb41bd6bULL, 0x5be0cd19137e2179ULL};
      std::memcpy(h64_, init, sizeof init);
      blockSize_ = 128;
      break;
    }
    default:
      break;
  }
}

void CDigest::Update(const void* data, size_t length) {
  if (DigestLength(type_) == 0 || length == 0) return;
  const uint8_t* p = static_cast<const uint8_t*>(data);
  totalBytes_ += length;
  if (fill_ > 0) {
    size_t take = blockSize_ - fill_;
    if (take > length) take = length;
    std::memcpy(block_ + fill_, p, take);
    fill_ += take;
    p += take;
    length -= take;
    if (fill_ < blockSize_) return;
    Compress(block_);
    fill_ = 0;
  }
  while (length >= blockSize_) {
    Compress(p);
    p += blockSize_;
    length -= blockSize_;
  }
  if (length > 0) {
    std::memcpy(block_, p, length);
    fill_ = length;
  }
}

size_t CDigest::Final(uint8_t* out) {
  size_t outLength = DigestLength(type_);
  if (outLength == 0) return 0;
  // Padding: 0x80, zeros, then the message length in bits (64 bits, or 128 for SHA-512).
  const size_t lengthBytes = blockSize_ == 128 ? 16 : 8;
  const uint64_t bits = totalBytes_ * 8;
  block_[fill_++] = 0x80;
  if (fill_ > blockSize_ - lengthBytes) {
    std::memset(block_ + fill_, 0, blockSize_ - fill_);
    Compress(block_);
    fill_ = 0;
  }
  std::memset(block_ + fill_, 0, blockSize_ - fill_);
  uint8_t* tail = block_ + blockSize_ - 8;
  if (type_ == kDigestMd5) {
    StoreLe32(tail, uint32_t(bits));
    StoreLe32(tail + 4, uint32_t(bits >> 32));
  } else {
    StoreBe64(tail, bits);  // the upper 64 bits of SHA-512's length stay zero
  }
  Compress(block_);

  switch (type_) {
    case kDigestMd5:
      for (int i = 0; i < 4; ++i) StoreLe32(out + 4 * i, h32_[i]);
      break;
    case kDigestSha512:
      for (int i = 0; i < 8; ++i) StoreBe64(out + 8 * i, h64_[i]);
      break;
    default:
      for (size_t i = 0; i < outLength / 4; ++i) StoreBe32(out + 4 * i, h32_[i]);
      break;
  }
  return outLength;
}

void CDigest::Compress(const uint8_t* block) {
  if (type_ == kDigestSha512)
    Compress64(block);
  else
    Compress32(block);
}

void CDigest::Compress32(const uint8_t* block) {
  uint32_t w[80];
  if (type_ == kDigestMd5) {
    for (int i = 0; i < 16; ++i) w[i] = LoadLe32(block + 4 * i);
    uint32_t a = h32_[0], b = h32_[1], c = h32_[2], d = h32_[3];
    for (int i = 0; i < 64; ++i) {
      uint32_t f;
      int g;
      if (i < 16) {
        f = (b & c) | (~b & d);
        g = i;
      } else if (i < 32) {
        f = (d & b) | (~d & c);
        g = (5 * i + 1) % 16;
      } else if (i < 48) {
        f = b ^ c ^ d;
        g = (3 * i + 5) % 16;
      } else {
        f = c ^ (b | ~d);
        g = (7 * i) % 16;
      }
      uint32_t next = b + Rotl32(a + f + kMd5Sine[i] + w[g], kMd5Shift[i]);
      a = d;
      d = c;
      c = b;
      b = next;
    }
    h32_[0] += a;
    h32_[1] += b;
    h32_[2] += c;
    h32_[3] += d;
    return;
  }

  for (int i = 0; i < 16; ++i) w[i] = LoadBe32(block + 4 * i);
  if (type_ == kDigestSha1) {
    for (int i = 16; i < 80; ++i) w[i] = Rotl32(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
    uint32_t a = h32_[0], b = h32_[1], c = h32_[2], d = h32_[3], e = h32_[4];
    for (int i = 0; i < 80; ++i) {
      uint32_t f, k;
      if (i < 20) {
        f = (b & c) | (~b & d);
        k = 0x5a827999;
      } else if (i < 40) {
        f = b ^ c ^ d;
        k = 0x6ed9eba1;
      } else if (i < 60) {
        f = (b & c) | (b & d) | (c & d);
        k = 0x8f1bbcdc;
      } else {
        f = b ^ c ^ d;
        k = 0xca62c1d6;
      }
      uint32_t t = Rotl32(a, 5) + f + e + k + w[i];
      e = d;
      d = c;
      c = Rotl32(b, 30);
      b = a;
      a = t;
    }
    h32_[0] += a;
    h32_[1] += b;
    h32_[2] += c;
    h32_[3] += d;
    h32_[4] += e;
    return;
  }

  // SHA-256
  for (int i = 16; i < 64; ++i) {
    uint32_t s0 = Rotr32(w[i - 15], 7) ^ Rotr32(w[i - 15], 18) ^ (w[i - 15] >> 3);
    uint32_t s1 = Rotr32(w[i - 2], 17) ^ Rotr32(w[i - 2], 19) ^ (w[i - 2] >> 10);
    w[i] = w[i - 16] + s0 + w[i - 7] + s1;
  }
  uint32_t v[8];
  std::memcpy(v, h32_, sizeof v);
  for (int i = 0; i < 64; ++i) {
    uint32_t s1 = Rotr32(v[4], 6) ^ Rotr32(v[4], 11) ^ Rotr32(v[4], 25);
    uint32_t ch = (v[4] & v[5]) ^ (~v[4] & v[6]);
    uint32_t t1 = v[7] + s1 + ch + kSha256K[i] + w[i];
    uint32_t s0 = Rotr32(v[0], 2) ^ Rotr32(v[0], 13) ^ Rotr32(v[0], 22);
    uint32_t maj = (v[0] & v[1]) ^ (v[0] & v[2]) ^ (v[1] & v[2]);
    uint32_t t2 = s0 + maj;
    v[7] = v[6];
    v[6] = v[5];
    v[5] = v[4];
    v[4] = v[3] + t1;
    v[3] = v[2];
    v[2] = v[1];
    v[1] = v[0];
    v[0] = t1 + t2;
  }
  for (int i = 0; i < 8; ++i) h32_[i] += v[i];
}

void CDigest::Compress64(const uint8_t* block) {
  uint64_t w[80];
  for (int i = 0; i < 16; ++i) w[i] = LoadBe64(block + 8 * i);
  for (int i = 16; i < 80; ++i) {
    uint64_t s0 = Rotr64(w[i - 15], 1) ^ Rotr64(w[i - 15], 8) ^ (w[i - 15] >> 7);
    uint64_t s1 = Rotr64(w[i - 2], 19) ^ Rotr64(w[i - 2], 61) ^ (w[i - 2] >> 6);
    w[i] = w[i - 16] + s0 + w[i - 7] + s1;
  }
  uint64_t v[8];
  std::memcpy(v, h64_, sizeof v);
  for (int i = 0; i < 80; ++i) {
    uint64_t s1 = Rotr64(v[4], 14) ^ Rotr64(v[4], 18) ^ Rotr64(v[4], 41);
    uint64_t ch = (v[4] & v[5]) ^ (~v[4] & v[6]);
    uint64_t t1 = v[7] + s1 + ch + kSha512K[i] + w[i];
    uint64_t s0 = Rotr64(v[0], 28) ^ Rotr64(v[0], 34) ^ Rotr64(v[0], 39);
    uint64_t maj = (v[0] & v[1]) ^ (v[0] & v[2]) ^ (v[1] & v[2]);
    uint64_t t2 = s0 + maj;
    v[7] = v[6];
    v[6] = v[5];
    v[5] = v[4];
    v[4] = v[3] + t1;
    v[3] = v[2];
    v[2] = v[1];
    v[1] = v[0];
    v[0] = t1 + t2;
  }
  for (int i = 0; i < 8; ++i) h64_[i] += v[i];
}

size_t ComputeDigest(uint32_t digestType, const void* data, size_t length, uint8_t* out) {
  CDigest digest(digestType);
  digest.Update(data, length);
  return digest.Final(out);
}

size_t KeyedDigest(uint32_t digestType, const uint8_t* key, size_t keyLength, const void* message,
                   size_t messageLength, uint8_t* out) {
  CDigest digest(digestType);
  digest.Update(key, keyLength);
  digest.Update(message, messageLength);
  return digest.Final(out);
}
