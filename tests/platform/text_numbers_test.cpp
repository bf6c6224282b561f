// Numbers read from texts as the C runtime reads them.
#include "platform/text_numbers.h"

#include <gtest/gtest.h>

namespace {

TEST(TextNumbers, UnsignedAsTheRuntimeReadsThem) {
  EXPECT_EQ(StrToUl32("123", 10), 123u);
  EXPECT_EQ(StrToUl32("  \t42abc", 10), 42u);
  EXPECT_EQ(StrToUl32("0x10", 10), 0u);
  EXPECT_EQ(StrToUl32("0x10", 0), 16u);
  EXPECT_EQ(StrToUl32("0X1f", 0), 31u);
  EXPECT_EQ(StrToUl32("0x", 0), 0u);
  EXPECT_EQ(StrToUl32("010", 0), 8u);
  EXPECT_EQ(StrToUl32("09", 0), 0u);  // octal stops at 9
  EXPECT_EQ(StrToUl32("+7", 0), 7u);
  EXPECT_EQ(StrToUl32("-1", 0), 0xFFFFFFFFu);
  EXPECT_EQ(StrToUl32("-2", 10), 0xFFFFFFFEu);
  EXPECT_EQ(StrToUl32("4294967295", 10), 0xFFFFFFFFu);
  EXPECT_EQ(StrToUl32("4294967296", 10), 0xFFFFFFFFu);
  EXPECT_EQ(StrToUl32("-4294967296", 10), 0xFFFFFFFFu);
  EXPECT_EQ(StrToUl32("", 0), 0u);
  EXPECT_EQ(StrToUl32("word", 0), 0u);
}

TEST(TextNumbers, SignedAsTheRuntimeReadsThem) {
  EXPECT_EQ(StrToL32("65535", 0), 65535);
  EXPECT_EQ(StrToL32("-1", 0), -1);
  EXPECT_EQ(StrToL32("0x7fffffff", 0), INT32_MAX);
  EXPECT_EQ(StrToL32("2147483648", 10), INT32_MAX);
  EXPECT_EQ(StrToL32("-2147483648", 10), INT32_MIN);
  EXPECT_EQ(StrToL32("-2147483649", 10), INT32_MIN);
  EXPECT_EQ(StrToL32("4294967297", 10), INT32_MAX);
}

TEST(TextNumbers, HexDigits) {
  EXPECT_EQ(HexDigitValue('0'), 0);
  EXPECT_EQ(HexDigitValue('9'), 9);
  EXPECT_EQ(HexDigitValue('a'), 10);
  EXPECT_EQ(HexDigitValue('F'), 15);
  EXPECT_EQ(HexDigitValue('g'), -1);
  EXPECT_EQ(HexDigitValue(' '), -1);
  EXPECT_EQ(HexDigitValue('\0'), -1);
}

}  // namespace
