#include "service/check_store.h"

#include <windows.h>

#include <vector>

#include "monitor/data_store.h"
#include "platform/guarded_files.h"
#include "platform/registry.h"
#include "service/folder_files.h"
#include "service/check_detail_text.h"
#include "service/check_summary.h"
#include "service/retention.h"

bool StoreCheck(const std::string& dataFolder, const SummaryRecord& record, const std::string& detail) {
  CMonitorStore store(dataFolder);
  std::string base = std::to_string(record.time);
  if (!detail.empty()) WriteWholeFile(dataFolder, base + ".dat", detail.data(), detail.size(), false);
  SummaryBytes bytes = EncodeSummary(record);
  if (!WriteWholeFile(dataFolder, base + ".bin", bytes.data(), bytes.size(), false)) {
    store.DeleteDetail(record.time);  // no detail without its summary: retention goes by summaries
    return false;
  }
  WriteRegistryValue("", "Check Results", REG_BINARY, bytes.data(), DWORD(bytes.size()));
  if (CheckRaisesAlert(record))
    WriteRegistryValue("", "Check Results (alert)", REG_BINARY, bytes.data(), DWORD(bytes.size()));
  return true;
}

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

void RemovePartialFiles(const std::string& dataFolder) {
  for (const char* stored : {"*.bin", "*.dat"})
    for (const std::string& name : FilesMatching(dataFolder, stored + std::string(kPartialFileSuffix)))
      DeleteFolderFile(dataFolder, name);
}
