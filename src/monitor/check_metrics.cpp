// Writing the metrics text of the last check and the service's counters.
#include "monitor/check_metrics.h"

#include <cinttypes>
#include <cstdio>

#include "monitor/check_verdicts.h"
#include "monitor/variance.h"

namespace {

const char* const kRoles[4] = {"master", "slave", "independent", "client"};

// One metric family: its name, type and help, and its samples as "{labels} value" or " value".
class CFamily {
 public:
  CFamily(const char* name, const char* type, const char* help) : name_(name) {
    text_ = std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
  }
  CFamily& Add(const std::string& value, const std::string& labels = "") {
    text_ += name_ + labels + " " + value + "\n";
    return *this;
  }
  const std::string& Text() const { return text_; }

 private:
  std::string name_, text_;
};

std::string Whole(uint64_t value) { return std::to_string(value); }

// Milliseconds as seconds with three decimals ("-0.180"), exact for every stored value.
std::string Seconds(int64_t milliseconds) {
  uint64_t size = VarianceMagnitude(milliseconds);
  char text[40];
  std::snprintf(text, sizeof text, "%s%" PRIu64 ".%03" PRIu64, milliseconds < 0 ? "-" : "", size / 1000, size % 1000);
  return text;
}

std::string Label(const char* name, const char* value) { return std::string("{") + name + "=\"" + value + "\"}"; }

// A family with one sample per role.
CFamily PerRole(const char* name, const char* help, const std::array<std::string, 4>& values) {
  CFamily family(name, "gauge", help);
  for (size_t i = 0; i < 4; ++i) family.Add(values[i], Label("role", kRoles[i]));
  return family;
}

std::string RunMetrics(const ServiceRunState& state) {
  if (state.started == 0) return "";
  return CFamily("ovmon_service_start_time_seconds", "gauge", "When the Monitor service started, in seconds since 1970.")
             .Add(Whole(state.started)).Text() +
         CFamily("ovmon_checks_total", "counter", "Checks the service stored since it started.").Add(Whole(state.checks)).Text() +
         CFamily("ovmon_alerts_total", "counter",
                 "Checks since the service started that raised an alert: a variance test failed, or a machine or the "
                 "reference clock gave no time.")
             .Add(Whole(state.alerts)).Text();
}

std::string VerdictMetrics(const SummaryRecord& r) {
  struct Test {
    const char* name;
    bool enabled;
    uint32_t limit;
    CheckVerdict verdict;
  } tests[] = {{"single_machine", r.singleTest != 0, r.singleLimit, SingleMachineVerdict(r)},
               {"total_variance", r.totalTest != 0, r.totalLimit, TotalVarianceVerdict(r)},
               {"master_slave", r.slaveTest != 0, r.slaveLimit, MasterSlaveVerdict(r)}};
  CFamily enabled("ovmon_test_enabled", "gauge", "Whether the variance test was enabled for the last check (1) or not (0).");
  CFamily failed("ovmon_test_failed", "gauge", "Whether the variance test failed in the last check (1) or not (0).");
  CFamily limits("ovmon_limit_seconds", "gauge", "The variance test's limit for the last check, in seconds.");
  for (const Test& test : tests) {
    std::string label = Label("test", test.name);
    enabled.Add(test.enabled ? "1" : "0", label);
    failed.Add(test.verdict.state == kVerdictFailed ? "1" : "0", label);
    limits.Add(Seconds(int64_t(LimitThreshold(test.limit, r.limitUnit))), label);
  }
  return enabled.Text() + failed.Text() + limits.Text();
}

std::string MachineMetrics(const SummaryRecord& r, const ServiceRunState& state) {
  std::array<std::string, 4> answering, unanswered, average, worst;
  for (size_t i = 0; i < 4; ++i) {
    answering[i] = Whole(r.counts[1 + i]);
    unanswered[i] = Whole(state.unanswered[i]);
    average[i] = Seconds(r.averages[i]);
    worst[i] = Seconds(r.worst[i]);
  }
  std::string text = PerRole("ovmon_machines_answering", "Machines of the role that answered in the last check.", answering).Text();
  if (state.lastCheck == r.time)
    text += PerRole("ovmon_machines_unanswered", "Machines of the role that gave no time in the last check.", unanswered).Text();
  text += PerRole("ovmon_variance_average_seconds",
                  "Average variance of the role's machines against the reference in the last check, in seconds.", average)
              .Text();
  text += PerRole("ovmon_variance_worst_seconds",
                  "Variance of the role's machine farthest from the reference in the last check, in seconds.", worst)
              .Text();
  return text + CFamily("ovmon_variance_total_average_seconds", "gauge",
                        "Average variance of all machines that answered in the last check, in seconds.")
                    .Add(Seconds(r.averages[4])).Text();
}

std::string CheckMetrics(const SummaryRecord& r, const ServiceRunState& state) {
  if (r.time == 0) return "";
  std::string text =
      CFamily("ovmon_last_check_timestamp_seconds", "gauge", "When the last check was made, in seconds since 1970.")
          .Add(Whole(r.time)).Text() +
      CFamily("ovmon_last_check_status", "gauge",
              "Status of the last check: 3 passed, 1 alert (a variance test failed), 0 unknown (a machine or the "
              "reference clock gave no time).")
          .Add(Whole(r.status)).Text() +
      CFamily("ovmon_last_check_reference_answered", "gauge",
              "Whether the reference clock answered in the last check (1) or not (0).")
          .Add(r.checkFlags & kCheckReferenceUnanswered ? "0" : "1").Text();
  if (state.lastCheck == r.time)
    text += CFamily("ovmon_last_check_duration_seconds", "gauge", "How long the last check took, in seconds.")
                .Add(Seconds(state.lastCheckMs)).Text();
  return text + MachineMetrics(r, state) + VerdictMetrics(r);
}

}  // namespace

std::string FormatMetrics(const SummaryRecord& last, const ServiceRunState& state) {
  return RunMetrics(state) + CheckMetrics(last, state);
}
