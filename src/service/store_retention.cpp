// The keys of the stored checks and the removal that retention decides.
#include "service/store_retention.h"

#include "monitor/data_store.h"

std::vector<StoredCheckKey> StoredCheckKeys(const std::string& dataFolder) {
  CMonitorStore store(dataFolder);
  std::vector<StoredCheckKey> keys;
  for (const SummaryFile& file : store.ScanSummaryFiles()) {
    SummaryRecord record;
    bool read = store.ReadSummaryFile(file.name, &record);
    keys.push_back({file.time, read && (record.checkFlags & kCheckAfterClockJump)});
  }
  return keys;
}

size_t ApplyRetention(const std::string& dataFolder, const RetentionRules& rules, uint32_t now) {
  CMonitorStore store(dataFolder);
  std::vector<uint32_t> doomed = RecordsToRemove(StoredCheckKeys(dataFolder), now, rules);
  for (uint32_t time : doomed) {
    store.DeleteSummary(time);
    store.DeleteDetail(time);
  }
  store.DeleteLoneDetails();
  return doomed.size();
}
