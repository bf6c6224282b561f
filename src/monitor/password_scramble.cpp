// Scrambling and unscrambling the stored mail password.
#include "monitor/password_scramble.h"

#include <cstring>

namespace {

uint32_t ReadLittleEndian32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void WriteLittleEndian32(uint32_t value, std::string* out) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

uint8_t NextKeystreamByte(uint32_t* state) {
  *state = ((*state * 214013u + 2531011u) >> 16) & 0x7FFF;
  return static_cast<uint8_t>(*state & 0xFF);
}

bool IsUnusableSeed(uint32_t seed) { return seed == 0 || seed == 0xFFFFFFFFu || seed == 0x77777777u; }

std::string ScramblePassword(const std::string& password, uint32_t seed, uint32_t filler) {
  size_t length = password.size() < kMaxPasswordBytes ? password.size() : kMaxPasswordBytes;
  std::string stored;
  stored.reserve(kScrambledPasswordSize);
  WriteLittleEndian32(seed, &stored);
  WriteLittleEndian32(static_cast<uint32_t>(length) | (filler & 0xFFFFFF00u), &stored);
  uint32_t state = seed;
  for (size_t i = 0; i < 128; ++i) {
    uint8_t key = NextKeystreamByte(&state);
    stored.push_back(static_cast<char>(i < length ? static_cast<uint8_t>(password[i]) ^ key : key));
  }
  return stored;
}

std::string UnscramblePassword(const unsigned char* data, size_t size) {
  if (size != kScrambledPasswordSize) return std::string();
  size_t length = data[4];
  if (length >= 128) return std::string();
  uint32_t state = ReadLittleEndian32(data);
  std::string password(length, '\0');
  for (size_t i = 0; i < length; ++i) password[i] = static_cast<char>(data[8 + i] ^ NextKeystreamByte(&state));
  return password;
}
