// Judging a stored check: the verdicts of its three tests and what it could not measure.
#include "monitor/check_verdicts.h"

#include <cstdio>

#include "monitor/variance.h"

namespace {

std::string Fill(const char* format, const std::string& text) {
  char line[160];
  snprintf(line, sizeof line, format, text.c_str());
  return line;
}

CheckVerdict Verdict(bool enabled, bool passed, const char* disabled, const char* pass, const char* fail,
                     uint32_t limit, uint32_t unit) {
  if (!enabled) return {disabled, kVerdictDisabled};
  std::string limitText = FormatLimit(limit, unit);
  if (passed) return {Fill(pass, limitText), kVerdictPassed};
  return {Fill(fail, limitText), kVerdictFailed};
}

}  // namespace

std::string FormatLimit(uint32_t value, uint32_t unit) {
  const char* plural = value == 1 ? " " : "s";
  char word[24];
  switch (unit) {
    case 1: snprintf(word, sizeof word, "second%s", plural); break;
    case 2: snprintf(word, sizeof word, "minute%s", plural); break;
    case 3: snprintf(word, sizeof word, "hour%s  ", plural); break;
    default: snprintf(word, sizeof word, "ms     "); break;
  }
  return std::to_string(value) + " " + word;
}

uint64_t LimitThreshold(uint32_t value, uint32_t unit) {
  static const uint64_t kUnitMilliseconds[4] = {1, 1000, 60000, 3600000};
  return uint64_t(value) * (unit < 4 ? kUnitMilliseconds[unit] : 1);
}

// The slaves' average is judged by its size: a slave running far behind the master disagrees
// as much as one running far ahead.
CheckVerdict MasterSlaveVerdict(const SummaryRecord& r) {
  bool passed = VarianceMagnitude(r.averages[1]) < LimitThreshold(r.slaveLimit, r.limitUnit);
  return Verdict(r.slaveTest, passed, "Master-slave test disabled.", "Master and Slaves agree to within %s",
                 "Master and Slaves disagree by more than %s", r.slaveLimit, r.limitUnit);
}

CheckVerdict SingleMachineVerdict(const SummaryRecord& r) {
  uint64_t threshold = LimitThreshold(r.singleLimit, r.limitUnit);
  bool passed = true;
  for (int64_t worst : r.worst) passed = passed && VarianceMagnitude(worst) < threshold;
  return Verdict(r.singleTest, passed, "Any-one-machine test disabled.",
                 "All machines agree with master to within %s", "At least one machine's variance exceeds %s",
                 r.singleLimit, r.limitUnit);
}

CheckVerdict TotalVarianceVerdict(const SummaryRecord& r) {
  bool passed = VarianceMagnitude(r.averages[4]) <= LimitThreshold(r.totalLimit, r.limitUnit);
  return Verdict(r.totalTest, passed, "Total system variance test disabled.", "Total system variance is within %s",
                 "Total system variance exceeds %s", r.totalLimit, r.limitUnit);
}

bool CheckFailsATest(const SummaryRecord& r) {
  for (const CheckVerdict& verdict : {MasterSlaveVerdict(r), SingleMachineVerdict(r), TotalVarianceVerdict(r)})
    if (verdict.state == kVerdictFailed) return true;
  return false;
}

bool CheckMeasuredEverything(const SummaryRecord& r) {
  return r.counts[0] > 0 && r.unansweredMachines == 0 && !(r.checkFlags & kCheckReferenceUnanswered);
}

uint32_t JudgeCheckStatus(const SummaryRecord& r) {
  if (CheckFailsATest(r)) return kCheckAlert;
  return CheckMeasuredEverything(r) ? kCheckQuiet : kCheckUnknown;
}

std::string UnmeasuredText(const SummaryRecord& r) {
  std::string text;
  if (r.status == kCheckQuiet || r.status == kCheckInProgress) return text;
  uint64_t listed = uint64_t(r.counts[0]) + r.unansweredMachines;
  if (listed == 0)
    text = "no machine was checked";
  else if (r.counts[0] == 0)
    text = listed == 1 ? "the machine did not answer" : "none of the " + std::to_string(listed) + " machines answered";
  else if (r.unansweredMachines)
    text = std::to_string(r.unansweredMachines) + " of " + std::to_string(listed) + " machines did not answer";
  if (r.checkFlags & kCheckReferenceUnanswered)
    text += std::string(text.empty() ? "" : "; ") + "the reference clock did not answer";
  return text;
}
