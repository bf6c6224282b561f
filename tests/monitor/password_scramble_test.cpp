// Scrambling and unscrambling the stored mail password.
#include "monitor/password_scramble.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Unscramble(const std::string& stored) {
  return UnscramblePassword(reinterpret_cast<const unsigned char*>(stored.data()), stored.size());
}

TEST(PasswordScramble, KeystreamIsTheLinearCongruentialSequence) {
  uint32_t state = 1;
  // ((1 * 214013 + 2531011) >> 16) & 0x7FFF = 41; then ((41 * 214013 + 2531011) >> 16) & 0x7FFF = 172.
  EXPECT_EQ(NextKeystreamByte(&state), 41);
  EXPECT_EQ(state, 41u);
  EXPECT_EQ(NextKeystreamByte(&state), 172);
}

TEST(PasswordScramble, LayoutOfTheStoredValue) {
  std::string stored = ScramblePassword("abc", 0x12345678, 0xAABBCCDD);
  ASSERT_EQ(stored.size(), kScrambledPasswordSize);
  EXPECT_EQ(stored.substr(0, 4), std::string("\x78\x56\x34\x12", 4));
  EXPECT_EQ(stored.substr(4, 4), std::string("\x03\xCC\xBB\xAA", 4));  // length in the low byte, filler above
  uint32_t state = 0x12345678;
  EXPECT_EQ(static_cast<uint8_t>(stored[8]), 'a' ^ NextKeystreamByte(&state));
  NextKeystreamByte(&state);
  NextKeystreamByte(&state);
  EXPECT_EQ(static_cast<uint8_t>(stored[11]), NextKeystreamByte(&state));  // filler is keystream itself
}

TEST(PasswordScramble, EveryLengthUpTo127RoundTrips) {
  for (size_t length = 0; length <= kMaxPasswordBytes; ++length) {
    std::string password;
    for (size_t i = 0; i < length; ++i) password.push_back(static_cast<char>(1 + (i * 37) % 255));
    EXPECT_EQ(Unscramble(ScramblePassword(password, 0x1000 + static_cast<uint32_t>(length), 0)), password) << length;
  }
}

TEST(PasswordScramble, LongerPasswordsAreCutSoTheyReadBack) {
  std::string password(200, 'p');
  EXPECT_EQ(Unscramble(ScramblePassword(password, 99, 0)), password.substr(0, kMaxPasswordBytes));
}

TEST(PasswordScramble, MalformedValuesReadAsEmpty) {
  std::string stored = ScramblePassword("secret", 7, 0);
  EXPECT_EQ(Unscramble(stored.substr(0, 135)), "");
  EXPECT_EQ(Unscramble(stored + "x"), "");
  stored[4] = static_cast<char>(128);  // length 128 is never accepted
  EXPECT_EQ(Unscramble(stored), "");
}

TEST(PasswordScramble, UnusableSeeds) {
  EXPECT_TRUE(IsUnusableSeed(0));
  EXPECT_TRUE(IsUnusableSeed(0xFFFFFFFFu));
  EXPECT_TRUE(IsUnusableSeed(0x77777777u));
  EXPECT_FALSE(IsUnusableSeed(1));
}

}  // namespace
