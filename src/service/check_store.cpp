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

namespace {

const char kPartialSuffix[] = ".partial";

// Writes bytes into a new "<name>.partial" of the folder, flushes it and renames that very file to
// name; never replaces a file, and never writes through a link left in the folder.
bool WriteWhole(const std::string& folder, const std::string& name, const void* bytes, size_t size) {
  std::string partial = name + kPartialSuffix;
  HANDLE file = OpenGuardedFile(folder, partial, GENERIC_WRITE | DELETE, CREATE_NEW);
  if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS && DeleteFolderFile(folder, partial))
    file = OpenGuardedFile(folder, partial, GENERIC_WRITE | DELETE, CREATE_NEW);  // left by a stopped write
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool complete = WriteFile(file, bytes, DWORD(size), &written, nullptr) && written == size && FlushFileBuffers(file) &&
                  RenameOpenFile(file, folder, name);
  if (!complete) {
    FILE_DISPOSITION_INFO disposition{TRUE};
    SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
  }
  CloseHandle(file);
  return complete;
}

}  // namespace

bool StoreCheck(const std::string& dataFolder, const SummaryRecord& record, const std::string& detail) {
  CMonitorStore store(dataFolder);
  std::string base = std::to_string(record.time);
  if (!detail.empty()) WriteWhole(dataFolder, base + ".dat", detail.data(), detail.size());
  SummaryBytes bytes = EncodeSummary(record);
  if (!WriteWhole(dataFolder, base + ".bin", bytes.data(), bytes.size())) {
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
    for (const std::string& name : FilesMatching(dataFolder, stored + std::string(kPartialSuffix)))
      DeleteFolderFile(dataFolder, name);
}
