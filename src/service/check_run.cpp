// Running one check: the reference, then every monitored machine, within the time budget.
#include "service/check_run.h"

#include "platform/describe_error.h"
#include "platform/stop_event.h"
#include "sampling/system_clock.h"
#include "sampling/time_sampler.h"
#include "service/check_detail_text.h"
#include "service/check_reference.h"
#include "service/monitored_machines.h"

namespace {

std::string Describe(uint32_t code) {
  char text[256];
  return DescribeError(code, text, sizeof text);
}

// The sampler settings of this check, each attempt's trace line going to the log at its trace level.
SamplerSettings TracedSamplerSettings(CServiceLog* log) {
  SamplerSettings sampler = LoadSamplerSettings();
  sampler.trace = [log](const std::string& line) { log->Write(kLogTrace, line); };
  return sampler;
}

// Samples one parsed source: its mean delta and the address that answered; the failure code otherwise.
uint32_t SampleSource(const TimeSourceSpec& spec, const SamplerSettings& sampler, int64_t* delta,
                      IpLiteral* address) {
  SampleSet samples;
  uint32_t code = RunTimeSource(spec, sampler, &samples);
  if (!MeanDelta(samples, delta)) return code ? code : ERROR_NO_DATA;
  for (const TimeSample& sample : samples)
    if (!sample.errorCode) *address = sample.address;
  return 0;
}

// The reference's delta against this clock, with its description, whether it answered (not when
// the settings name enabled reference sources and none of them gave a time; with none named, this
// machine's clock is the reference) and why each source that did not answer gave no time.
int64_t SampleReference(const CMonitorSettings& settings, const SamplerSettings& sampler, CheckOutcome* outcome,
                        CServiceLog* log) {
  outcome->reference = "this machine's clock";
  outcome->referenceAnswered = true;
  std::string& failures = outcome->referenceFailures;
  if (!ReferenceUsesSources(settings.referenceClockType)) return 0;
  std::vector<int64_t> deltas;
  std::string names;
  size_t asked = 0;
  for (const std::string& line : settings.referenceClocks) {
    TimeSourceSpec spec;
    if (StopRequested()) break;
    bool parsed = ParseTimeSource(spec, line, false);
    if (parsed && !spec.enabled) continue;
    ++asked;  // a line that does not parse names a reference all the same: it did not answer
    if (!parsed) {
      log->Write(kLogWarning, "Reference line not understood: " + line.substr(0, 200));
      failures += (failures.empty() ? "" : "; ") + line.substr(0, 60) + ": not understood";
      continue;
    }
    int64_t delta = 0;
    IpLiteral address;
    if (uint32_t code = SampleSource(spec, sampler, &delta, &address)) {
      log->Write(kLogWarning, "Reference " + spec.server + " gave no time: " + Describe(code));
      failures += (failures.empty() ? "" : "; ") + spec.server + ": " + Describe(code);
      continue;
    }
    deltas.push_back(delta);
    names += (names.empty() ? "" : ", ") + spec.server;
  }
  if (asked == 0) return 0;
  if (deltas.empty()) {
    outcome->reference = "none answered (variances against this machine's clock)";
    outcome->referenceAnswered = false;
    return 0;
  }
  if (!settings.referenceClockAnalyze) names = names.substr(0, names.find(','));
  outcome->reference = (settings.referenceClockAnalyze && deltas.size() > 1 ? "mean of " : "") + names;
  return ReferenceDelta(deltas, settings.referenceClockAnalyze);
}

MachineResult CheckMachine(const MachineLine& line, const SamplerSettings& sampler, int64_t referenceDelta) {
  MachineResult machine;
  machine.role = line.role;
  TimeSourceSpec spec;
  if (!ParseTimeSource(spec, line.source, false)) {
    machine.name = line.source.substr(0, 64);
    machine.errorCode = spec.errorCode ? spec.errorCode : ERROR_INVALID_PARAMETER;
    machine.errorText = spec.errorText;
    return machine;
  }
  machine.name = spec.comment.empty() ? spec.server : spec.comment;
  int64_t delta = 0;
  machine.errorCode = SampleSource(spec, sampler, &delta, &machine.address);
  if (machine.errorCode) machine.errorText = Describe(machine.errorCode);
  machine.variance = delta - referenceDelta;
  return machine;
}

}  // namespace

CheckOutcome RunCheck(const CMonitorSettings& settings, const std::vector<std::string>& machineLines, CServiceLog* log) {
  CheckOutcome outcome;
  SamplerSettings sampler = TracedSamplerSettings(log);
  outcome.referenceTime = int64_t(SystemClock().Now());
  int64_t referenceDelta = SampleReference(settings, sampler, &outcome, log);
  outcome.referenceTime += referenceDelta;
  for (const std::string& text : machineLines) {
    MachineLine line;
    if (StopRequested()) break;
    if (!ParseMachineLine(text, &line)) {
      log->Write(kLogWarning, "Not a monitored machine line: " + text.substr(0, 200));
      continue;
    }
    outcome.machines.push_back(CheckMachine(line, sampler, referenceDelta));
    const MachineResult& machine = outcome.machines.back();
    log->Write(machine.errorCode ? kLogWarning : kLogTrace,
               machine.name + ": " + (machine.errorCode ? machine.errorText : FormatVariance(machine.variance)));
  }
  outcome.stopped = StopRequested();
  return outcome;
}
