// Choosing and ordering stored check summaries: the names the store gives a check's files and
// the times they stand for, filters and the sort.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "monitor/summary_record.h"

// A summary file found in the data folder, before it is read: its name as found, the time the
// name stands for, and what tells a changed file from an unchanged one.
struct SummaryFile {
  std::string name;
  uint32_t time = 0;
  uint64_t size = 0;
  uint64_t writeTime = 0;  // 100-nanosecond units

  bool operator==(const SummaryFile&) const = default;
};

// Listing filters.
constexpr uint32_t kSummariesAlertsOnly = 0;
constexpr uint32_t kSummariesWithoutOldFlag = 1;
constexpr uint32_t kSummariesAll = 2;

// The name of a check's summary file in the data folder: "<time>.bin".
std::string SummaryFileName(uint32_t time);
// The name of a check's detail file in the data folder: "<time>.dat".
std::string DetailFileName(uint32_t time);
// The time a stored check's file name stands for: the number written as the store writes it (no
// leading zero, so "01700000000.bin" is nobody's name) and the lower-case extension wanted
// (".bin" or ".dat", in any case); 0 when the name is not one or its number is not above 2000-01-01.
uint32_t CheckTimeFromFileName(const std::string& name, const char* extension);
// CheckTimeFromFileName of a summary file (".bin").
uint32_t SummaryTimeFromFileName(const std::string& name);
// Whether a record passes a listing filter (any other filter value keeps none).
bool KeepSummary(const SummaryRecord& record, uint32_t filter);
// Orders records by time, oldest first.
void SortSummaries(std::vector<SummaryRecord>* records);
