// ISO 8601 UTC times: what a user types for a time, read back, and the day count under both ways.
#include "platform/iso_time.h"

#include <gtest/gtest.h>

namespace {

TEST(IsoTime, TypedTimesReadAsUtcSeconds) {
  const struct {
    const char* text;
    bool read;
    uint32_t seconds;
  } cases[] = {
      {"2023-11-14", true, 1699920000},
      {"2023-11-14T22:13", true, 1700000000 - 20},
      {"2023-11-14T22:13:20", true, 1700000000},
      {"2023-11-14T22:13:20Z", true, 1700000000},
      {"2023-11-14 22:13:20z", true, 1700000000},
      {"1970-01-01", true, 0},
      {"2106-02-07T06:28:15Z", true, 0xFFFFFFFFu},
      {"2024-02-29", true, 1709164800},
      {"2106-02-07T06:28:16Z", false, 0},  // past what seconds since 1970 hold in 32 bits
      {"1969-12-31T23:59:59Z", false, 0},
      {"2023-02-29", false, 0},
      {"2100-02-29", false, 0},
      {"2023-13-01", false, 0},
      {"2023-11-31", false, 0},
      {"2023-11-14T24:00", false, 0},
      {"2023-11-14T22:60", false, 0},
      {"2023-11-14T22:13:60", false, 0},
      {"2023-11-14T22:13+01:00", false, 0},
      {"2023-11-14T22", false, 0},
      {"2023-1-14", false, 0},
      {"23-11-14", false, 0},
      {"2023/11/14", false, 0},
      {"+023-11-14", false, 0},
      {"yesterday", false, 0},
      {"Z", false, 0},
      {"", false, 0},
  };
  for (const auto& c : cases) {
    uint32_t seconds = 7;
    EXPECT_EQ(ParseIsoTime(c.text, &seconds), c.read) << c.text;
    EXPECT_EQ(seconds, c.read ? c.seconds : 7u) << c.text;
  }
}

TEST(IsoTime, WrittenTimesReadBack) {
  for (uint32_t seconds : {0u, 951782400u, 1709164799u, 1700000000u, 0xFFFFFFFFu}) {
    uint32_t read = 0;
    EXPECT_TRUE(ParseIsoTime(IsoTimeFromUnix(seconds), &read)) << IsoTimeFromUnix(seconds);
    EXPECT_EQ(read, seconds);
  }
  EXPECT_EQ(DaysFromCivil(1970, 1, 1), 0);
  EXPECT_EQ(DaysFromCivil(2000, 3, 1), 11017);
  EXPECT_EQ(DaysFromCivil(1969, 12, 31), -1);
}

}  // namespace
