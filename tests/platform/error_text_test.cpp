// Result codes described as one line of text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/describe_error.h"
#include "platform/error_text.h"

namespace {

std::string Describe(uint32_t code, size_t size = 256) {
  std::string buffer(size, '\x7f');
  DescribeError(code, &buffer[0], size);
  return buffer.c_str();
}

TEST(DescribeError, BuiltInTable) {
  const struct {
    uint32_t code;
    const char* text;
  } cases[] = {
      {10060, "Timed out"},
      {12002, "Timed out"},
      {12030, "Cannot connect"},
      {12043, "Security failure"},
      {12170, "Security failure"},
      {12048, "Redirect failure"},
      {12168, "Cookie failure"},
      {123, "Invalid name"},
      {0xFFFFFFFFu, "Invalid data"},
      {0xFFFFFFF9u, "Unrecognized machine type"},
  };
  for (const auto& c : cases) EXPECT_EQ(Describe(c.code), c.text) << c.code;
  EXPECT_EQ(BuiltInErrorText(12047), nullptr);  // the security range has gaps
  EXPECT_EQ(BuiltInErrorText(0xFFFFFFF8u), nullptr);
}

TEST(DescribeError, ZeroTakesLastErrorAndSetsIt) {
  SetLastErrorCode(0);
  EXPECT_EQ(Describe(0), "No error");
  EXPECT_EQ(LastErrorCode(), 0u);
  SetLastErrorCode(10054);
  EXPECT_EQ(Describe(0), "Connection reset");
  EXPECT_EQ(LastErrorCode(), 10054u);
  Describe(10061);
  EXPECT_EQ(LastErrorCode(), 10061u);
}

TEST(DescribeError, WinsockFallback) {
  EXPECT_EQ(Describe(10999), "Winsock error 10999 (no description available)");
  EXPECT_EQ(Describe(11031), "Winsock error 11031 (no description available)");
  EXPECT_EQ(WinsockFallbackText(11032), "");
}

TEST(DescribeError, Win32FallbackForms) {
  EXPECT_EQ(Win32FallbackText(0x80000001u), "Win32 error 0x80000001 (no description available)");
  EXPECT_EQ(Win32FallbackText(42), "Win32 error 42 (no description available)");
}

TEST(CopyErrorText, TruncationMarksTheCut) {
  const struct {
    const char* text;
    size_t size;
    const char* expected;
  } cases[] = {
      {"abcdefghijklmnopqrstuvwxyz", 20, "abcdefghijklmnop..."},
      {"short", 20, "short"},
      {"abcdefghij", 6, "ab..."},
      {"abcdefghij", 5, "abcd"},  // too small for the mark
      {"abcdefghij", 1, ""},
  };
  for (const auto& c : cases) {
    char buffer[32];
    std::memset(buffer, 'x', sizeof buffer);
    CopyErrorText(c.text, buffer, c.size);
    EXPECT_STREQ(buffer, c.expected) << c.text << " in " << c.size;
  }
}

TEST(CleanSystemMessage, TrimsAndFolds) {
  EXPECT_EQ(CleanSystemMessage("The operation completed.\r\n"), "The operation completed");
  EXPECT_EQ(CleanSystemMessage("Line one.\r\nLine  two   three. . \r\n"), "Line one. Line two three");
  EXPECT_EQ(CleanSystemMessage("...\r\n"), "");
}

#ifdef _WIN32
TEST(DescribeError, SystemMessageTextIsCleaned) {
  std::string text = Describe(2);  // ERROR_FILE_NOT_FOUND has a system text
  EXPECT_FALSE(text.empty());
  EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
  EXPECT_NE(text.back(), '.');
  EXPECT_EQ(text.find("  "), std::string::npos);
}

TEST(DescribeError, LongSystemTextInSmallBuffer) {
  uint32_t code = 1;
  while (code < 2000 && Describe(code).size() < 30) ++code;  // the first long system text
  ASSERT_LT(code, 2000u);
  std::string full = Describe(code);
  EXPECT_EQ(Describe(code, 20), full.substr(0, 16) + "...") << full;
}

TEST(DescribeError, CodeWithoutSystemText) {
  EXPECT_EQ(Describe(0x80000001u), "Win32 error 0x80000001 (no description available)");
}

TEST(DescribeError, ExtendedNetworkErrorWithoutProvider) {
  std::string text = Describe(1208);
  EXPECT_TRUE(text.rfind("WNet error ", 0) == 0 || text == "Extended error (no description available)")
      << text;
}
#endif

}  // namespace
