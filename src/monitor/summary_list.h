// Choosing and ordering stored check summaries: file names, filters and the sort.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "monitor/summary_record.h"

// Listing filters.
constexpr uint32_t kSummariesAlertsOnly = 0;
constexpr uint32_t kSummariesWithoutOldFlag = 1;
constexpr uint32_t kSummariesAll = 2;

// The time a summary file name stands for ("<digits>.bin", extension in any case), 0 when the
// name is not one or its number is not above 2000-01-01.
uint32_t SummaryTimeFromFileName(const std::string& name);
// Whether a record passes a listing filter (any other filter value keeps none).
bool KeepSummary(const SummaryRecord& record, uint32_t filter);
// Orders records by time, oldest first.
void SortSummaries(std::vector<SummaryRecord>* records);
