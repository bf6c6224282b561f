// Recognising and splitting IPv4 and IPv6 address literals.
#include "sampling/ip_literal.h"

#include <gtest/gtest.h>

namespace {

struct LiteralCase {
  const char* text;
  int family;
  const char* canonical;
  unsigned port;
};

TEST(IpLiteral, RecognisedAndCanonical) {
  const LiteralCase cases[] = {
      {"10.0.0.1", 4, "10.0.0.1", 0},
      {"10.0.0.1:1234", 4, "10.0.0.1", 1234},
      {"255.255.255.255:65535", 4, "255.255.255.255", 65535},
      {"0.0.0.0", 4, "0.0.0.0", 0},
      {"::", 6, "::", 0},
      {"::1", 6, "::1", 0},
      {"[::1]", 6, "::1", 0},
      {"[::1]:123", 6, "::1", 123},
      {"fe80::1", 6, "fe80::1", 0},
      {"FE80:0000:0000:0000:0000:0000:0000:0001", 6, "fe80::1", 0},
      {"fe80::1%12", 6, "fe80::1%12", 0},
      {"[fe80::1%12]:9", 6, "fe80::1%12", 9},
      {"2001:db8:0:0:1:0:0:1", 6, "2001:db8::1:0:0:1", 0},  // the first of two equal runs
      {"2001:db8:0:1:1:1:1:1", 6, "2001:db8:0:1:1:1:1:1", 0},  // a single zero group stays
      {"1:2:3:4:5:6:7::", 6, "1:2:3:4:5:6:7:0", 0},
      {"::ffff:1.2.3.4", 6, "::ffff:1.2.3.4", 0},
      {"::ffff:0102:0304", 6, "::ffff:1.2.3.4", 0},
      {"64:ff9b::1.2.3.4", 6, "64:ff9b::102:304", 0},
  };
  for (const LiteralCase& c : cases) {
    IpLiteral literal;
    ASSERT_TRUE(ParseIpLiteral(c.text, &literal)) << c.text;
    EXPECT_EQ(literal.family, c.family) << c.text;
    EXPECT_EQ(FormatIpAddress(literal), c.canonical) << c.text;
    EXPECT_EQ(literal.port, c.port) << c.text;
  }
}

TEST(IpLiteral, Rejected) {
  for (const char* text : {"", "10.1", "10.0.1", "010.0.0.1", "10.0.0.256", "10.0.0.1:", "10.0.0.1:65536",
                           "10.0.0.1:x", "1.2.3.4.5", "host", "1::2::3", "1:2:3:4:5:6:7:8:9", "1:2:3:4:5:6:7",
                           ":1::", "1:", "[::1", "[::1]x", "[::1]:", "12345::", "fe80::1%", "fe80::1%x",
                           "::ffff:1.2.3", "a:b:c", " 1.2.3.4"}) {
    IpLiteral literal;
    EXPECT_FALSE(ParseIpLiteral(text, &literal)) << text;
    EXPECT_EQ(literal.family, 0) << text;
  }
}

}  // namespace
