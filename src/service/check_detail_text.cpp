// Writing the readable detail file of a check.
#include "service/check_detail_text.h"

#include <cinttypes>
#include <cstdio>

#include "monitor/check_verdicts.h"
#include "service/monitored_machines.h"

namespace {

std::string AddressText(const IpLiteral& address) {
  if (!address.family) return "-";
  std::string text = FormatIpAddress(address);
  if (address.family == 6) text = "[" + text + "]";
  return address.port ? text + ":" + std::to_string(address.port) : text;
}

std::string Row(const std::string& name, const std::string& role, const std::string& address,
                const std::string& result) {
  char row[512];
  std::snprintf(row, sizeof row, "%-32.200s %-20s %-24.60s %s", name.c_str(), role.c_str(), address.c_str(),
                result.c_str());
  return std::string(row) + "\r\n";
}

}  // namespace

std::string CheckHeadline(const SummaryRecord& record) {
  std::string unmeasured = UnmeasuredText(record);
  if (record.status == kCheckAlert) return "ALERT: a variance test failed" + (unmeasured.empty() ? "" : "; " + unmeasured);
  if (record.status == kCheckQuiet) return "All enabled variance tests passed";
  return "UNKNOWN: " + (unmeasured.empty() ? std::string("the check could not be judged") : unmeasured);
}

bool CheckRaisesAlert(const SummaryRecord& record) { return record.status != kCheckQuiet; }

std::string UnansweredReasons(const std::vector<MachineResult>& machines) {
  const size_t kNamed = 5;
  std::string reasons;
  size_t unanswered = 0;
  for (const MachineResult& machine : machines) {
    if (!machine.errorCode) continue;
    if (++unanswered <= kNamed) reasons += (reasons.empty() ? "" : "; ") + machine.name + ": " + machine.errorText;
  }
  if (unanswered > kNamed) reasons += "; and " + std::to_string(unanswered - kNamed) + " more";
  return reasons;
}

std::string FormatVariance(int64_t hundredNanoseconds) {
  uint64_t magnitude = hundredNanoseconds < 0 ? 0 - uint64_t(hundredNanoseconds) : uint64_t(hundredNanoseconds);
  char text[48];
  std::snprintf(text, sizeof text, "%c%" PRIu64 ".%03" PRIu64 " ms", hundredNanoseconds < 0 ? '-' : '+',
                magnitude / 10000, (magnitude % 10000) / 10);
  return text;
}

std::string FormatCheckDetail(const std::string& when, const std::string& reference,
                              const std::vector<MachineResult>& machines, const SummaryRecord& record) {
  std::string text = "Orvane Monitor check of " + when + "\r\nReference: " + reference + "\r\n" + CheckHeadline(record) +
                     "\r\n\r\n" + Row("Machine", "Role", "Address", "Variance");
  for (const MachineResult& machine : machines) {
    std::string result = machine.errorCode ? "No answer: " + machine.errorText : FormatVariance(machine.variance);
    text += Row(machine.name, MachineClassName(machine.role), AddressText(machine.address), result);
  }
  return text;
}

std::string EscapeHtml(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    if (c == '&') escaped += "&amp;";
    else if (c == '<') escaped += "&lt;";
    else if (c == '>') escaped += "&gt;";
    else escaped += c;
  }
  return escaped;
}
