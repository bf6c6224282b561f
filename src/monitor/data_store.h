// The check summaries stored in the data folder, one "<time>.bin" file each.
#pragma once
#include <cstdint>
#include <string>

#include "monitor/summary_record.h"

class CMonitorStore {
 public:
  // A store on a data folder whose text ends with a backslash.
  explicit CMonitorStore(std::string dataFolder) : dataFolder_(std::move(dataFolder)) {}

  // "<folder><time>.bin".
  std::string SummaryPath(uint32_t time) const;
  // Writes the 328 bytes; a time before 2000-01-01 is first set to the current time.
  bool WriteSummary(SummaryRecord* record) const;

 private:
  std::string dataFolder_;
};

// The current time in seconds since 1970, capped at 0xFFFFFFFF.
uint32_t CurrentUnixSeconds();
