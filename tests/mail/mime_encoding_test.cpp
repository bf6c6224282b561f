// Base64 and quoted-printable encodings.
#include <gtest/gtest.h>

#include "mail/base64.h"
#include "mail/quoted_printable.h"

namespace {

struct Case {
  std::string input;
  std::string expected;
};

std::string Repeat(char c, size_t n) { return std::string(n, c); }

TEST(EncodeQuotedPrintable, Table) {
  const Case cases[] = {
      {"", ""},
      {"a=b", "a=3Db"},
      {"caf\xE9", "caf=E9"},
      {"a|b", "a=7Cb"},
      {std::string("\x00\x01\x7F\x80\xFF", 5), "=00=01=7F=80=FF"},
      // the literal set passes unchanged; trailing spaces and TABs stay literal
      {"!\"#$%&'()*+,-./09:;<>?@AZ[\\]^_`az{}~ \t", "!\"#$%&'()*+,-./09:;<>?@AZ[\\]^_`az{}~ \t"},
      {"a \r\nb\t\r\n", "a \r\nb\t\r\n"},
      // a CR or LF outside a CR LF pair is escaped
      {"a\nb", "a=0Ab"},
      {"a\rb", "a=0Db"},
      {"a\r\r\nb\n\r", "a=0D\r\nb=0A=0D"},
      // 74 characters stay on one line, 75 do not
      {Repeat('x', 74) + "\r\n", Repeat('x', 74) + "\r\n"},
      {Repeat('x', 75) + "\r\n", Repeat('x', 73) + "=\r\nxx\r\n"},
      // 200 letters: 73 and '=', 73 and '=', 54
      {Repeat('x', 200) + "\r\n",
       Repeat('x', 73) + "=\r\n" + Repeat('x', 73) + "=\r\n" + Repeat('x', 54) + "\r\n"},
      // the last line without CR LF is broken too
      {Repeat('x', 100), Repeat('x', 73) + "=\r\n" + Repeat('x', 27)},
      // escapes are never split: "=" at the 73rd character moves the break back by one,
      // at the 72nd by two; at the 71st the escape ends the line exactly
      {Repeat('a', 72) + "=bb", Repeat('a', 72) + "=\r\n=3Dbb"},
      {Repeat('a', 71) + "=bb", Repeat('a', 71) + "=\r\n=3Dbb"},
      {Repeat('a', 70) + "=bbbb", Repeat('a', 70) + "=3D=\r\nbbbb"},
      {Repeat('a', 72) + "\xE9\xE9", Repeat('a', 72) + "=\r\n=E9=E9"},
      // dot-stuffing, the first line and the line after a soft break included
      {".a\r\nb\r\n..c\r\n.", "..a\r\nb\r\n...c\r\n.."},
      {Repeat('a', 73) + ".bcd", Repeat('a', 73) + "=\r\n..bcd"},
      {"a.\r\n b.", "a.\r\n b."},
  };
  for (const Case& c : cases) EXPECT_EQ(EncodeQuotedPrintable(c.input), c.expected) << c.input;
}

TEST(EncodeBase64, Rfc4648Vectors) {
  const Case cases[] = {{"", ""},
                        {"f", "Zg=="},
                        {"fo", "Zm8="},
                        {"foo", "Zm9v"},
                        {"foob", "Zm9vYg=="},
                        {"fooba", "Zm9vYmE="},
                        {"foobar", "Zm9vYmFy"},
                        {std::string("\xFF\xFE\x00", 3), "//4A"},
                        {"\xFB\xFF", "+/8="}};
  for (const Case& c : cases) {
    EXPECT_EQ(EncodeBase64(c.input), c.expected) << c.input;
    EXPECT_EQ(EncodeBase64Line(c.input), c.expected) << c.input;
  }
}

TEST(EncodeBase64, BreaksAfterEvery76Characters) {
  std::string a57(57, 'a'), a58(58, 'a'), a114(114, 'a');
  std::string line = "";
  for (int i = 0; i < 19; ++i) line += "YWFh";
  EXPECT_EQ(EncodeBase64(a57), line);
  EXPECT_EQ(EncodeBase64(a58), line + "\r\nYQ==");
  EXPECT_EQ(EncodeBase64(a114), line + "\r\n" + line);  // nothing after the last line
  EXPECT_EQ(EncodeBase64Line(a114), line + line);
}

}  // namespace
