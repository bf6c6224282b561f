// The History page's reading of one check summary: the three test verdicts with their limits.
#pragma once
#include <cstdint>
#include <string>

#include "monitor/summary_record.h"

// Verdict states, as the state icons show them.
constexpr uint32_t kVerdictDisabled = 0;
constexpr uint32_t kVerdictFailed = 1;
constexpr uint32_t kVerdictPassed = 3;

struct CheckVerdict {
  std::string text;
  uint32_t state = kVerdictDisabled;
};

// "<value> <unit word>" as the page shows a limit ("500 ms     ", "1 second ", "2 hours  ").
std::string FormatLimit(uint32_t value, uint32_t unit);
// The limit in milliseconds (any unit other than 1 to 3 counts as milliseconds).
uint64_t LimitThreshold(uint32_t value, uint32_t unit);
// Whether the slaves' average variance stayed below the master-slave limit.
CheckVerdict MasterSlaveVerdict(const SummaryRecord& record);
// Whether every category's worst variance stayed below the single-machine limit.
CheckVerdict SingleMachineVerdict(const SummaryRecord& record);
// Whether the total average variance stayed within the total limit.
CheckVerdict TotalVarianceVerdict(const SummaryRecord& record);
