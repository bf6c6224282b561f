// A realistic service log for the log viewer's benchmarks: prefixed lines of every level in
// the proportions a busy monitor writes them, with the odd path, rule and brace.
#pragma once
#include <cstddef>
#include <cstdio>
#include <string>

inline std::string SampleServiceLog(size_t size) {
  static const char* const kMessages[] = {
      "Info:    Checked 48 clocks, largest variance 12.407 ms on dc01.office.example",
      "Debug:   Sent NTP request to 192.168.10.21:123, waiting 2000 ms",
      "Debug:   Reply from 192.168.10.21: stratum 2, delay 0.412 ms, offset -0.117 ms",
      "Trace:   Sampler state {idle -> sending} for ov2://host-17.office.example:4323",
      "Info:     Local clock offset -0.052 ms against the reference",
      "WARNING: host-42.office.example did not answer within 2000 ms",
      "Debug:   Summary written to C:\\ProgramData\\Orvane\\Monitor\\1700000000.dat",
      "Status:  Service running, next check in 720 minutes",
      "ERROR:   Cannot reach the reference clock ntp.example.org (10060)",
      "Spew:    00 1b 00 00 00 00 00 00 00 00 00 00 00 00 00 00",
  };
  std::string log;
  log.reserve(size + 128);
  char line[256];
  for (unsigned n = 0; log.size() < size; ++n) {
    if (n % 500 == 0) log += "==================== Service started ====================\r\n";
    std::snprintf(line, sizeof line, "Mon Jan 01 2024 %02u:%02u:%02u %s\r\n", n / 3600 % 24, n / 60 % 60, n % 60,
                  kMessages[(n * 7) % 10]);
    log += line;
  }
  log.resize(size);
  return log;
}
