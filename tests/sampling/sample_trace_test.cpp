// The trace line of each attempt of a sampling run.
#include "sampling/sample_trace.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TimeSample Good(TimeProtocol protocol) {
  TimeSample sample;
  sample.server = "ntp.example.com";
  sample.address.family = 4;
  const uint8_t address[4] = {192, 0, 2, 7};
  std::memcpy(sample.address.bytes, address, 4);
  sample.protocol = protocol;
  sample.delta = -15000;     // -1.5 ms
  sample.latency = 2500000;  // 0.25 s
  sample.leap = 0;
  sample.version = 4;
  return sample;
}

TEST(SampleTrace, GoodSamples) {
  TimeSample ntp = Good(kProtocolNtp);
  ntp.stratum = 3;
  ntp.referenceId = 0x0100000A;  // 10.0.0.1 as sent
  TimeSample gps = Good(kProtocolNtp);
  gps.stratum = 1;
  std::memcpy(&gps.referenceId, "G\x01S ", 4);  // control bytes and blanks are not printed
  TimeSample zeroInside = Good(kProtocolNtp);
  zeroInside.stratum = 1;
  std::memcpy(&zeroInside.referenceId, "\0G\x7F\xC4", 4);  // every character above 32 is kept
  TimeSample ov2 = Good(kProtocolOv2Udp);
  ov2.stratum = 2;
  ov2.serial = 0x00C0FFEE;
  ov2.leap = 4;
  TimeSample unstratified = Good(kProtocolOv2Http);
  const struct {
    TimeSample sample;
    const char* auth;
    const char* line;
  } cases[] = {
      {ntp, "MD5 key 1",
       "Time sample from ntp.example.com (192.0.2.7) using NTPv3 (MD5 key 1): delta -0.0015000 seconds, "
       "latency 0.2500000, leap None, NTPv4 stratum 3, ref 10.0.0.1"},
      {gps, "unauthenticated",
       "Time sample from ntp.example.com (192.0.2.7) using NTPv3 (unauthenticated): delta -0.0015000 seconds, "
       "latency 0.2500000, leap None, NTPv4 stratum 1, ref GS"},
      {zeroInside, "unauthenticated",
       "Time sample from ntp.example.com (192.0.2.7) using NTPv3 (unauthenticated): delta -0.0015000 seconds, "
       "latency 0.2500000, leap None, NTPv4 stratum 1, ref G\x7F\xC4"},
      {ov2, "Windows auth",
       "Time sample from ntp.example.com (192.0.2.7) using OV2-UDP (Windows auth): delta -0.0015000 seconds, "
       "latency 0.2500000, leap Not provided, stratum 2, serial 00C0-FFEE"},
      {unstratified, "unauthenticated",
       "Time sample from ntp.example.com (192.0.2.7) using OV2-HTTP (unauthenticated): delta -0.0015000 seconds, "
       "latency 0.2500000, leap None"},
  };
  for (const auto& c : cases) EXPECT_EQ(SampleTraceLine(c.sample, c.auth, 3), c.line);
}

TEST(SampleTrace, FailedAttempts) {
  TimeSourceSpec spec;
  spec.server = "ntp.example.com";
  spec.protocol = kProtocolNtp;
  TimeSample unanswered;
  EXPECT_EQ(FailedSampleTraceLine(spec, unanswered, "unauthenticated"),
            "Could not obtain time sample from ntp.example.com () using NTP (unauthenticated)");
  TimeSample redirected;
  redirected.server = "other.example.com";
  redirected.errorText = "Redirect disabled by admin";
  spec.protocol = kProtocolOv2Http;
  EXPECT_EQ(FailedSampleTraceLine(spec, redirected, "unauthenticated"),
            "Could not obtain time sample from other.example.com: Redirect disabled by admin");
  // A redirect that was followed and failed, or that named another target again: the line pairs
  // the server asked with the address that answered it, not with the target's name.
  TimeSample followed = Good(kProtocolOv2Http);
  followed.server = "other.example.com";
  EXPECT_EQ(FailedSampleTraceLine(spec, followed, "unauthenticated"),
            "Could not obtain time sample from ntp.example.com (192.0.2.7) using OV2-HTTP (unauthenticated)");
}

}  // namespace
