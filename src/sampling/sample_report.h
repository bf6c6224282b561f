// The text report of one time-source test: the normalised time-source line, a success or
// failure line and one block per sample (delta, latency, address, and the NTP or OV2 details).
// Samples in, text out: the test dialog and the command-line tool show the same report.
#pragma once
#include <cstdint>
#include <string>

#include "sampling/time_sample.h"
#include "sampling/time_source.h"

// What a finished test shows.
struct SampleReport {
  std::string text;    // the report's lines, each ended by CR LF
  bool failed = false; // the status word: "Error" when set, else "Success"
};

// Whether protocol is one of the OV2 family: datagram, stream or HTTP.
bool IsOv2Protocol(TimeProtocol protocol);
// A delta or latency in 100 ns ticks, in seconds.
double TicksToSeconds(int64_t ticks);
// An OV2 server's serial as the reports show it ("0012-3456"), "not provided" for 0.
std::string SerialText(uint32_t serial);
// An OV2 server's role as the reports show it; 0 is a server of the 4.x family.
std::string ServerRoleText(uint32_t role);
// A sample's reference identifier: a dotted address for strata 2 to 15, else its characters up
// to the first zero byte, a control character from the wire shown as '?' so that it cannot break
// or forge a line; printableOnly keeps every one of the four characters above code 32 instead.
std::string ReferenceIdText(const TimeSample& sample, bool printableOnly);
// The window title of a test: "<server>, port <n>", or "Missing server name, port <n>".
std::string SampleTestTitle(const TimeSourceSpec& spec);
// The report of a test of spec: parsed false shows the parser's errorCode and errorText;
// otherwise code is the run's result and samples what it obtained.
SampleReport BuildSampleReport(const TimeSourceSpec& spec, bool parsed, uint32_t code, const SampleSet& samples);
// "Success" or "Error".
const char* SampleReportStatus(const SampleReport& report);
