// The monitor's metrics in the Prometheus text exposition format, as the service writes them to
// "Metrics File" after every check (for windows_exporter's textfile collector) and ovmonctl
// prints them: the last check, the limits it was judged by, and what the service counted since it started.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "monitor/summary_record.h"

// What the service counts while it runs, beside the stored checks.
struct ServiceRunState {
  uint32_t started = 0;                  // seconds since 1970; 0 when the service never ran
  uint32_t checks = 0;                   // checks stored since then
  uint32_t alerts = 0;                   // of them, those that raised the alert actions
  uint32_t lastCheck = 0;                // the key of the last of them
  uint32_t lastCheckMs = 0;              // how long it took
  std::array<uint32_t, 4> unanswered{};  // its machines that gave no time: masters, slaves, independents, clients

  bool operator==(const ServiceRunState&) const = default;
};

// The metrics of the last stored check (none when its time is 0) and of the service's run, every
// family with its HELP and TYPE lines, lines ending in "\n". The last check's duration and its
// unanswered machines per role are given only when the run state is of that check.
std::string FormatMetrics(const SummaryRecord& last, const ServiceRunState& state);
