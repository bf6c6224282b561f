// The text report of a time-source test.
#include "sampling/sample_report.h"

#include "platform/describe_error.h"
#include "platform/string_printf.h"

namespace {

constexpr size_t kDescriptionSize = 128;
std::string Description(uint32_t code) {
  char text[kDescriptionSize];
  return DescribeError(code, text, sizeof text);
}

std::string SampleDetails(const TimeSample& sample) {
  if (sample.protocol == kProtocolNtp)
    return StringPrintf("  NTP version %d, stratum %d, leap %d, ref ", sample.version, sample.stratum, sample.leap) +
           ReferenceIdText(sample, false) + "\r\n";
  if (!IsOv2Protocol(sample.protocol)) return std::string();
  return "  Serial " + SerialText(sample.serial) + ", role " + ServerRoleText(sample.role) + "\r\n";
}

std::string SampleLines(const TimeSample& sample, size_t number, size_t count) {
  return StringPrintf("Test %d of %d\r\n  Delta %+1.7f, latency %+1.7f, protocol %s\r\n", int(number), int(count),
                TicksToSeconds(sample.delta), TicksToSeconds(sample.latency),
                ProtocolName(sample.protocol)) +
         "  Address " + FormatIpAddress(sample.address) + "\r\n" + SampleDetails(sample);
}

std::string NormalisedLine(const TimeSourceSpec& spec) {
  std::string line = FormatTimeSource(spec);
  if (!line.empty() && line[0] >= 'a' && line[0] <= 'z') line[0] = char(line[0] - 'a' + 'A');
  return line + "\r\n";
}

}  // namespace

bool IsOv2Protocol(TimeProtocol protocol) {
  return protocol == kProtocolOv2Udp || protocol == kProtocolOv2Http || protocol == kProtocolOv2Tcp;
}

double TicksToSeconds(int64_t ticks) { return double(ticks) / 10000000.0; }

std::string SerialText(uint32_t serial) {
  return serial ? StringPrintf("%04X-%04X", serial >> 16, serial & 0xFFFF) : std::string("not provided");
}

std::string ServerRoleText(uint32_t role) { return role ? RoleName(role) : "4.x server"; }

std::string ReferenceIdText(const TimeSample& sample, bool printableOnly) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&sample.referenceId);
  if (sample.stratum >= 2 && sample.stratum <= 15)
    return StringPrintf("%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
  std::string text;
  for (int i = 0; i < 4; ++i) {
    if (printableOnly) {
      if (bytes[i] > 32) text += char(bytes[i]);
    } else {
      if (bytes[i] == 0) break;
      text += bytes[i] < 32 || bytes[i] == 127 ? '?' : char(bytes[i]);
    }
  }
  return text;
}

std::string SampleTestTitle(const TimeSourceSpec& spec) {
  return (spec.server.empty() ? std::string("Missing server name") : spec.server) + StringPrintf(", port %hu", spec.port);
}

SampleReport BuildSampleReport(const TimeSourceSpec& spec, bool parsed, uint32_t code, const SampleSet& samples) {
  SampleReport report;
  report.text = NormalisedLine(spec);
  if (!parsed) code = spec.errorCode;
  if (!parsed || code != 0 || samples.empty()) {
    std::string why = !parsed ? spec.errorText : code ? Description(code) : "No samples were returned";
    report.text += StringPrintf("Test failed; error %d: ", int32_t(code)) + why + ".";
    report.failed = true;
    return report;
  }
  report.text += StringPrintf("Test Successful. %d time sample%s obtained\r\n\r\n", int(samples.size()),
                        samples.size() == 1 ? "" : "s");
  for (size_t i = 0; i < samples.size(); ++i) {
    const TimeSample& sample = samples[i];
    if (sample.errorCode != 0) {
      report.failed = true;
      report.text += StringPrintf("Sample error %d; ", int32_t(sample.errorCode)) + Description(sample.errorCode) + "\r\n";
      continue;
    }
    report.text += SampleLines(sample, i + 1, samples.size());
  }
  return report;
}

const char* SampleReportStatus(const SampleReport& report) { return report.failed ? "Error" : "Success"; }
