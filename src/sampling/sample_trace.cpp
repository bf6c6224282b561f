// The trace line of each sampling attempt.
#include "sampling/sample_trace.h"

#include "platform/string_printf.h"
#include "sampling/sample_report.h"

namespace {

bool IsPtp(TimeProtocol protocol) { return protocol == kProtocolPtp || protocol == kProtocolPtpGeneral; }

// What the server said of itself: the NTP header, an OV2 or PTP stratum, an OV2 serial.
std::string ServerDetail(const TimeSample& sample) {
  std::string detail;
  if (sample.protocol == kProtocolNtp)
    detail = StringPrintf(", NTPv%u stratum %u, ref ", unsigned(sample.version), unsigned(sample.stratum)) +
             ReferenceIdText(sample, true);
  else if ((IsOv2Protocol(sample.protocol) && sample.stratum != 0) || IsPtp(sample.protocol))
    detail = StringPrintf(", stratum %u", unsigned(sample.stratum));
  if (sample.serial) detail += ", serial " + SerialText(sample.serial);
  return detail;
}

}  // namespace

std::string SampleTraceLine(const TimeSample& sample, const std::string& auth, uint8_t ntpVersion) {
  std::string version = sample.protocol == kProtocolNtp ? StringPrintf("v%u", unsigned(ntpVersion)) : std::string();
  return "Time sample from " + sample.server + " (" + FormatIpAddress(sample.address) + ") using " +
         ProtocolName(sample.protocol) + version + " (" + auth + ")" +
         StringPrintf(": delta %+1.7f seconds, latency %1.7f, leap ", TicksToSeconds(sample.delta),
                TicksToSeconds(sample.latency)) +
         LeapName(sample.leap) + ServerDetail(sample);
}

std::string FailedSampleTraceLine(const TimeSourceSpec& spec, const TimeSample& sample, const std::string& auth) {
  if (!sample.errorText.empty()) {
    const std::string& server = sample.server.empty() ? spec.server : sample.server;
    return "Could not obtain time sample from " + server + ": " + sample.errorText;
  }
  return "Could not obtain time sample from " + spec.server + " (" + FormatIpAddress(sample.address) + ") using " +
         ProtocolName(spec.protocol) + " (" + auth + ")";
}
