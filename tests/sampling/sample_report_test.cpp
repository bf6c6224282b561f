// The test report's exact lines for the sample sets a test can end with.
#include "sampling/sample_report.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TimeSourceSpec Parsed(const char* line) {
  TimeSourceSpec spec;
  ParseTimeSource(spec, line, true);
  return spec;
}

TimeSample Ntp(int64_t delta, uint8_t stratum, const char reference[4]) {
  TimeSample sample;
  sample.protocol = kProtocolNtp;
  ParseIpLiteral("192.0.2.7:123", &sample.address);
  sample.delta = delta;
  sample.latency = 2000;
  sample.version = 3;
  sample.stratum = stratum;
  std::memcpy(&sample.referenceId, reference, 4);
  return sample;
}

TimeSample Ov2(uint32_t serial, uint32_t role) {
  TimeSample sample;
  sample.protocol = kProtocolOv2Tcp;
  ParseIpLiteral("[fe80::1%4]:9909", &sample.address);
  sample.delta = -15000;
  sample.latency = 1;
  sample.serial = serial;
  sample.role = role;
  return sample;
}

TimeSample Failed(uint32_t code) {
  TimeSample sample;
  sample.errorCode = code;
  return sample;
}

const char kNtpLine[] = "Server 192.0.2.7 protocol NTP\r\n";
const char kGps[4] = {'G', 'P', 'S', 0};
const char kDotted[4] = {10, 1, 2, 3};

TEST(SampleReport, LinesForEachKindOfOutcome) {
  struct Case {
    const char* name;
    TimeSourceSpec spec;
    bool parsed;
    uint32_t code;
    SampleSet samples;
    std::string text;
    bool failed;
  } cases[] = {
      {"parse failure", Parsed("server 192.0.2.7 protocol bogus"), false, 0, {},
       "Server 192.0.2.7 protocol any\r\nTest failed; error 87: Unknown protocol \"bogus\" specified.", true},
      {"no samples", Parsed("server 192.0.2.7 protocol ntp"), true, 0, {},
       std::string(kNtpLine) + "Test failed; error 0: No samples were returned.", true},
      {"timed out", Parsed("server 192.0.2.7 protocol ntp samples 3"), true, 10060, {},
       "Server 192.0.2.7 protocol NTP samples 3 delay 256\r\nTest failed; error 10060: Timed out.", true},
      {"a failure code above 2^31 prints signed", Parsed("server 192.0.2.7 protocol ntp"), true, 0x80096010, {},
       std::string(kNtpLine) + "Test failed; error -2146869232: ", true},
      {"stopped after a sample", Parsed("server 192.0.2.7 protocol ntp"), true, 1115, {Ntp(0, 1, kGps)},
       std::string(kNtpLine) + "Test failed; error 1115: ", true},
      {"one NTP sample, stratum 1 GPS, -1.5 ms", Parsed("server 192.0.2.7 protocol ntp"), true, 0,
       {Ntp(-15000, 1, kGps)},
       std::string(kNtpLine) +
           "Test Successful. 1 time sample obtained\r\n\r\n"
           "Test 1 of 1\r\n  Delta -0.0015000, latency +0.0002000, protocol NTP\r\n  Address 192.0.2.7\r\n"
           "  NTP version 3, stratum 1, leap 0, ref GPS\r\n",
       false},
      {"stratum 3 dotted reference, stratum 16 characters", Parsed("server 192.0.2.7 protocol ntp"), true, 0,
       {Ntp(12345678, 3, kDotted), Ntp(0, 16, "A\nB")},
       std::string(kNtpLine) +
           "Test Successful. 2 time samples obtained\r\n\r\n"
           "Test 1 of 2\r\n  Delta +1.2345678, latency +0.0002000, protocol NTP\r\n  Address 192.0.2.7\r\n"
           "  NTP version 3, stratum 3, leap 0, ref 10.1.2.3\r\n"
           "Test 2 of 2\r\n  Delta +0.0000000, latency +0.0002000, protocol NTP\r\n  Address 192.0.2.7\r\n"
           "  NTP version 3, stratum 16, leap 0, ref A?B\r\n",
       false},
      {"OV2 serial 0 and role 0, then a serial and a role", Parsed("server [fe80::1%4] protocol ov2-tcp"), true, 0,
       {Ov2(0, 0), Ov2(0x00A1BEEF, 1)},
       "Server fe80::1%4 protocol OV2-TCP\r\n"
       "Test Successful. 2 time samples obtained\r\n\r\n"
       "Test 1 of 2\r\n  Delta -0.0015000, latency +0.0000001, protocol OV2-TCP\r\n  Address fe80::1%4\r\n"
       "  Serial not provided, role 4.x server\r\n"
       "Test 2 of 2\r\n  Delta -0.0015000, latency +0.0000001, protocol OV2-TCP\r\n  Address fe80::1%4\r\n"
       "  Serial 00A1-BEEF, role Master Server\r\n",
       false},
      {"an errored sample among good ones", Parsed("server 192.0.2.7 protocol ntp"), true, 0,
       {Ntp(0, 1, kGps), Failed(10060)},
       std::string(kNtpLine) +
           "Test Successful. 2 time samples obtained\r\n\r\n"
           "Test 1 of 2\r\n  Delta +0.0000000, latency +0.0002000, protocol NTP\r\n  Address 192.0.2.7\r\n"
           "  NTP version 3, stratum 1, leap 0, ref GPS\r\n"
           "Sample error 10060; Timed out\r\n",
       true},
  };
  for (const Case& c : cases) {
    SampleReport report = BuildSampleReport(c.spec, c.parsed, c.code, c.samples);
    // The description of a code without a built-in text differs between platforms: compare up to it.
    if (c.text.back() == ' ')
      EXPECT_EQ(report.text.substr(0, c.text.size()), c.text) << c.name;
    else
      EXPECT_EQ(report.text, c.text) << c.name;
    EXPECT_EQ(report.failed, c.failed) << c.name;
    EXPECT_STREQ(SampleReportStatus(report), c.failed ? "Error" : "Success") << c.name;
  }
}

TEST(SampleReport, TitleNamesServerAndPort) {
  struct Case {
    const char* line;
    std::string title;
  } cases[] = {
      {"server ntp.example.com protocol ntp", "ntp.example.com, port 123"},
      {"server 10.0.0.1:4000 protocol ov2", "10.0.0.1, port 4000"},
      {"protocol ntp", "Missing server name, port 123"},
  };
  for (const Case& c : cases) EXPECT_EQ(SampleTestTitle(Parsed(c.line)), c.title) << c.line;
}

}  // namespace
