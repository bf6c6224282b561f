// The Date text and Message-ID of composed messages.
#include "mail/mail_stamps.h"

#include <gtest/gtest.h>

#include "text_shape.h"

namespace {

const MailLocalTime kLocal = {2023, 11, 15, 3, 3, 43, 20};

MailTimeZone Zone(int32_t bias, int32_t standardBias, int32_t daylightBias, bool daylight) {
  MailTimeZone zone;
  zone.bias = bias;
  zone.standardBias = standardBias;
  zone.daylightBias = daylightBias;
  zone.daylight = daylight;
  return zone;
}

TEST(FormatMailDateText, ZoneRule) {
  const struct {
    MailTimeZone zone;
    const char* suffix;
  } cases[] = {
      {Zone(-330, 0, 0, false), "+0530"},    // India
      {Zone(300, 0, -60, false), "-0500"},   // US Eastern, standard time
      {Zone(300, 0, -60, true), "-0400"},    // US Eastern, daylight time
      {Zone(0, 0, -60, false), "+0000"},     // UK winter
      {Zone(0, 0, -60, true), "+0100"},      // UK summer
      {Zone(-60, 0, -60, true), "+0200"},    // Central Europe, summer
      {Zone(210, 0, -60, true), "-0230"},    // Newfoundland, summer
      {Zone(-345, 0, 0, false), "+0545"},    // Nepal
      {Zone(300, 15, -60, false), "-0515"},  // a standard bias counts outside daylight time
      {Zone(30, 0, -60, true), "+0030"},     // the sign follows the whole offset, not Bias alone
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatMailDateText(kLocal, c.zone),
              std::string("Wed, 15 Nov 2023 03:43:20 ") + c.suffix);
}

TEST(FormatMailDateText, NamesAndPadding) {
  EXPECT_EQ(FormatMailDateText({2024, 1, 7, 0, 0, 5, 9}, MailTimeZone()),
            "Sun, 07 Jan 2024 00:05:09 +0000");
  EXPECT_EQ(FormatMailDateText({999, 12, 31, 6, 23, 59, 59}, MailTimeZone()),
            "Sat, 31 Dec 0999 23:59:59 +0000");
  // out-of-range fields from a broken clock give a printable date, never a crash
  EXPECT_EQ(FormatMailDateText({2024, 13, 1, 9, 0, 0, 0}, MailTimeZone()),
            "Sat, 01 Dec 2024 00:00:00 +0000");
}

TEST(MakeMessageId, DateNumberAndHost) {
  EXPECT_EQ(MakeMessageId(kLocal, 42, "mailhost.example.net"),
            "<20231115.00000042@TLServiceSMTP.mailhost.example.net>");
  EXPECT_EQ(MakeMessageId({2024, 2, 3, 6, 0, 0, 0}, 4294967295u, "h"),
            "<20240203.4294967295@TLServiceSMTP.h>");
}

TEST(MailerString, NamesVersionAndBuildStamp) {
  EXPECT_TRUE(HasShape(MailerString(), "TLServiceSMTP 0x0501 (built Aaa _# #### ##:##:##)"))
      << MailerString();
}

}  // namespace
