// The stored form of the mail password: 136 bytes of seed, length word and
// keystream-scrambled bytes. Pure functions; the registry side is in settings.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Size of the stored value.
constexpr size_t kScrambledPasswordSize = 136;
// The longest password that is stored; longer ones are cut so that what is saved always reads back.
constexpr size_t kMaxPasswordBytes = 127;

// Next keystream byte; advances *state.
uint8_t NextKeystreamByte(uint32_t* state);
// True for seeds the scrambler never uses (0, 0xFFFFFFFF, 0x77777777).
bool IsUnusableSeed(uint32_t seed);
// The 136 stored bytes for a password (cut to kMaxPasswordBytes), a seed and a filler word.
std::string ScramblePassword(const std::string& password, uint32_t seed, uint32_t filler);
// The password from a stored value; empty unless the value is 136 bytes with a length below 128.
std::string UnscramblePassword(const unsigned char* data, size_t size);
