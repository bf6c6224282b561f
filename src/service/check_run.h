// One check: the reference time by "Reference Clock Type", then every monitored machine
// sampled with its time-source line and compared with the reference.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "monitor/settings.h"
#include "service/check_summary.h"
#include "service/service_log.h"

struct CheckOutcome {
  std::vector<MachineResult> machines;  // in list order, those that failed included
  std::string reference;                // what the reference was, for the detail file
  int64_t referenceTime = 0;            // 100 ns since 1601 when the check began
  bool referenceAnswered = true;        // false when the configured reference clock gave no time
  std::string referenceFailures;        // each reference source that gave no time and why ("a: reason; b: ...")
  bool stopped = false;                 // the stop event ended the check
};

// Samples the reference and the machines of the list lines ("<role> <time-source line>").
CheckOutcome RunCheck(const CMonitorSettings& settings, const std::vector<std::string>& machineLines, CServiceLog* log);
