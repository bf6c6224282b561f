// CMonitorStore: writing, listing, reading and deleting the stored checks and their copies.
#include "monitor/data_store.h"

#include <windows.h>

#include <algorithm>
#include <set>

#include "monitor/summary_list.h"
#include "platform/folder_files.h"
#include "platform/guarded_files.h"
#include "platform/registry.h"
#include "sampling/system_clock.h"

namespace {

const uint64_t kUnixEpochIn100ns = 116444736000000000ull;

// Reads a whole summary file: true only when it holds exactly 328 bytes.
bool ReadWholeSummary(const std::string& path, SummaryBytes* bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  uint8_t buffer[kSummarySize + 1];
  DWORD read = 0;
  bool ok = ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read == kSummarySize;
  CloseHandle(file);
  if (ok) std::copy_n(buffer, kSummarySize, bytes->begin());
  return ok;
}

const char* CheckCopyName(CheckCopy copy) {
  return copy == CheckCopy::kLastAlert ? "Check Results (alert)" : "Check Results";
}

}  // namespace

uint32_t CurrentUnixSeconds() {
  uint64_t ticks = SystemClock().Now();
  uint64_t seconds = ticks > kUnixEpochIn100ns ? (ticks - kUnixEpochIn100ns) / 10000000 : 0;
  return seconds > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(seconds);
}

SummaryRecord ReadCheckCopy(CheckCopy copy, bool* oldLayout) {
  std::string value;  // stays empty when the value is missing, unreadable or longer than either layout
  ReadRegistryBinary("", CheckCopyName(copy), &value, nullptr, kOldSummarySize);
  if (oldLayout) *oldLayout = value.size() == kOldSummarySize;
  return SummaryFromValue(value);
}

bool WriteCheckCopy(CheckCopy copy, const SummaryRecord& record) {
  SummaryBytes bytes = EncodeSummary(record);
  return WriteRegistryValue("", CheckCopyName(copy), REG_BINARY, bytes.data(), DWORD(bytes.size()));
}

std::string CMonitorStore::SummaryPath(uint32_t time) const { return dataFolder_ + SummaryFileName(time); }

std::string CMonitorStore::DetailPath(uint32_t time) const { return dataFolder_ + DetailFileName(time); }

bool CMonitorStore::DetailExists(uint32_t time) const {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(DetailPath(time).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

bool CMonitorStore::WriteSummary(SummaryRecord* record) const {
  if (record->time < kEarliestSummaryTime) record->time = CurrentUnixSeconds();
  HANDLE file = CreateFileA(SummaryPath(record->time).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  SummaryBytes bytes = EncodeSummary(*record);
  DWORD written = 0;
  bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size() && SetEndOfFile(file);
  CloseHandle(file);
  return ok;
}

bool CMonitorStore::ReadSummary(uint32_t time, SummaryRecord* record) const {
  SummaryBytes bytes;
  if (!ReadWholeSummary(SummaryPath(time), &bytes)) return false;
  SummaryRecord read = DecodeSummary(bytes.data());
  if (read.time <= kEarliestSummaryTime) return false;
  *record = read;
  return true;
}

void CMonitorStore::DeleteSummary(uint32_t time) const { DeleteFolderFile(dataFolder_, SummaryFileName(time)); }

void CMonitorStore::DeleteDetail(uint32_t time) const { DeleteFolderFile(dataFolder_, DetailFileName(time)); }

size_t CMonitorStore::ListSummaries(uint32_t filter, std::vector<SummaryRecord>* records) const {
  records->clear();
  for (const SummaryFile& file : ScanSummaryFiles()) {
    SummaryRecord record;
    if (ReadSummaryFile(file.name, &record) && KeepSummary(record, filter)) records->push_back(record);
  }
  SortSummaries(records);
  return records->size();
}

std::vector<SummaryFile> CMonitorStore::ScanSummaryFiles() const {
  std::vector<SummaryFile> files;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((dataFolder_ + "*.bin").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return files;
  do {
    uint32_t time = SummaryTimeFromFileName(found.cFileName);
    if (time == 0 || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    files.push_back({found.cFileName, time, (uint64_t(found.nFileSizeHigh) << 32) | found.nFileSizeLow,
                     (uint64_t(found.ftLastWriteTime.dwHighDateTime) << 32) | found.ftLastWriteTime.dwLowDateTime});
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return files;
}

bool CMonitorStore::ReadSummaryFile(const std::string& name, SummaryRecord* record) const {
  SummaryBytes bytes;
  if (!ReadWholeSummary(dataFolder_ + name, &bytes)) return false;
  *record = DecodeSummary(bytes.data());
  return true;
}

void CMonitorStore::DeleteSummaryFile(const std::string& name) const { DeleteFolderFile(dataFolder_, name); }

std::vector<uint32_t> CMonitorStore::DetailTimes() const {
  std::vector<uint32_t> times;
  for (const std::string& name : FilesMatching(dataFolder_, "*.dat"))
    if (uint32_t time = CheckTimeFromFileName(name, ".dat")) times.push_back(time);
  return times;
}

size_t CMonitorStore::DeleteLoneDetails() const {
  std::vector<SummaryFile> summaries = ScanSummaryFiles();
  std::set<uint32_t> kept;
  for (const SummaryFile& file : summaries) kept.insert(file.time);
  size_t removed = 0;
  for (uint32_t time : DetailTimes())
    if (!kept.count(time) && DeleteFolderFile(dataFolder_, DetailFileName(time))) ++removed;
  return removed;
}

// A detail file is removed again only when this store wrote it: a name already taken belongs to
// a stored check, whose detail must not go with a summary that could not be written beside it.
bool CMonitorStore::StoreCheck(const SummaryRecord& record, const std::string& detail, bool alert) const {
  bool detailWritten =
      !detail.empty() && WriteWholeFile(dataFolder_, DetailFileName(record.time), detail.data(), detail.size(), false);
  SummaryBytes bytes = EncodeSummary(record);
  if (!WriteWholeFile(dataFolder_, SummaryFileName(record.time), bytes.data(), bytes.size(), false)) {
    if (detailWritten) DeleteDetail(record.time);  // no detail without its summary: retention goes by summaries
    return false;
  }
  WriteCheckCopy(CheckCopy::kLastCheck, record);
  if (alert) WriteCheckCopy(CheckCopy::kLastAlert, record);
  return true;
}

void CMonitorStore::RemovePartialFiles() const {
  for (const char* stored : {"*.bin", "*.dat"})
    for (const std::string& name : FilesMatching(dataFolder_, stored + std::string(kPartialFileSuffix)))
      DeleteFolderFile(dataFolder_, name);
}

void CMonitorStore::DeleteAll() const {
  if (!FolderRefusal(dataFolder_).empty()) return;
  for (const SummaryFile& file : ScanSummaryFiles()) {
    DeleteSummaryFile(file.name);
    DeleteDetail(file.time);
  }
  DeleteLoneDetails();
  RemovePartialFiles();
  RemoveDirectoryA(dataFolder_.c_str());
}
