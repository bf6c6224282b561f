#include "monitor/data_store.h"

#include <windows.h>

namespace {
const uint64_t kUnixEpochIn100ns = 116444736000000000ull;
}

uint32_t CurrentUnixSeconds() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  uint64_t ticks = (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  uint64_t seconds = ticks > kUnixEpochIn100ns ? (ticks - kUnixEpochIn100ns) / 10000000 : 0;
  return seconds > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(seconds);
}

std::string CMonitorStore::SummaryPath(uint32_t time) const {
  return dataFolder_ + std::to_string(time) + ".bin";
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
