#include "service/check_store.h"

#include <windows.h>

#include <vector>

#include "monitor/data_store.h"
#include "platform/registry.h"
#include "service/folder_files.h"
#include "service/check_detail_text.h"
#include "service/check_summary.h"
#include "service/retention.h"

namespace {

const char kPartialSuffix[] = ".partial";

// Writes bytes to path + ".partial", flushes it and renames it over path.
bool WriteWhole(const std::string& path, const void* bytes, size_t size) {
  std::string partial = path + kPartialSuffix;
  HANDLE file = CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool complete = WriteFile(file, bytes, DWORD(size), &written, nullptr) && written == size && FlushFileBuffers(file);
  CloseHandle(file);
  if (complete) complete = MoveFileExA(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!complete) DeleteFileA(partial.c_str());
  return complete;
}

}  // namespace

bool StoreCheck(const std::string& dataFolder, const SummaryRecord& record, const std::string& detail) {
  CMonitorStore store(dataFolder);
  if (!detail.empty()) WriteWhole(store.DetailPath(record.time), detail.data(), detail.size());
  SummaryBytes bytes = EncodeSummary(record);
  if (!WriteWhole(store.SummaryPath(record.time), bytes.data(), bytes.size())) {
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
  return doomed.size();
}

void RemovePartialFiles(const std::string& dataFolder) {
  for (const char* stored : {"*.bin", "*.dat"}) DeleteFilesMatching(dataFolder, stored + std::string(kPartialSuffix));
}
