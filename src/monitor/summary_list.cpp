// The stored checks' file names, filters and sort.
#include "monitor/summary_list.h"

#include <algorithm>

std::string SummaryFileName(uint32_t time) { return std::to_string(time) + ".bin"; }

std::string DetailFileName(uint32_t time) { return std::to_string(time) + ".dat"; }

uint32_t CheckTimeFromFileName(const std::string& name, const char* wanted) {
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0 || name.size() - dot != 4 || name[0] == '0') return 0;
  std::string extension = name.substr(dot);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
  if (extension != wanted) return 0;
  uint64_t time = 0;
  for (size_t i = 0; i < dot; ++i) {
    if (name[i] < '0' || name[i] > '9') return 0;
    time = time * 10 + static_cast<uint64_t>(name[i] - '0');
    if (time > 0xFFFFFFFFull) return 0;
  }
  return time > kEarliestSummaryTime ? static_cast<uint32_t>(time) : 0;
}

uint32_t SummaryTimeFromFileName(const std::string& name) { return CheckTimeFromFileName(name, ".bin"); }

bool KeepSummary(const SummaryRecord& record, uint32_t filter) {
  switch (filter) {
    case kSummariesAlertsOnly:
      return record.status != 3;
    case kSummariesWithoutOldFlag:
      return record.oldLayoutFlag == 0;
    case kSummariesAll:
      return true;
    default:
      return false;
  }
}

void SortSummaries(std::vector<SummaryRecord>* records) {
  std::stable_sort(records->begin(), records->end(),
                   [](const SummaryRecord& a, const SummaryRecord& b) { return a.time < b.time; });
}
