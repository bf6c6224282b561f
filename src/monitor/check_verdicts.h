// How a stored check is judged, by the service when it stores it and by every reader that shows
// it: the three variance tests with their limits, the check's status, and what it could not measure.
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

// "<value> <unit word>" as the History page shows a limit ("500 ms     ", "1 second ", "2 hours  ").
std::string FormatLimit(uint32_t value, uint32_t unit);
// The limit in milliseconds (any unit other than 1 to 3 counts as milliseconds).
uint64_t LimitThreshold(uint32_t value, uint32_t unit);
// Whether the slaves' average variance, by its size, stayed below the master-slave limit.
CheckVerdict MasterSlaveVerdict(const SummaryRecord& record);
// Whether every category's worst variance, by its size, stayed below the single-machine limit.
CheckVerdict SingleMachineVerdict(const SummaryRecord& record);
// Whether the total average variance, by its size, stayed within the total limit.
CheckVerdict TotalVarianceVerdict(const SummaryRecord& record);
// Whether an enabled test of the record fails.
bool CheckFailsATest(const SummaryRecord& record);
// Whether the check measured every listed machine and its reference (and had a machine to measure).
bool CheckMeasuredEverything(const SummaryRecord& record);
// The status the service stores: kCheckAlert when a test fails, else kCheckUnknown when something
// could not be measured, else kCheckQuiet.
uint32_t JudgeCheckStatus(const SummaryRecord& record);
// What a stored alert or unknown check could not measure, in words ("2 of 7 machines did not
// answer; the reference clock did not answer"); empty when it measured everything, and for a
// passed check or one in progress.
std::string UnmeasuredText(const SummaryRecord& record);
