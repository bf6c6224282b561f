// The History page's records by file, the refresh plan and the filtered views.
#include "pages/history_records.h"

#include <algorithm>
#include <unordered_set>

HistoryRefreshPlan PlanHistoryRefresh(const KnownSummaryFiles& known, const std::vector<SummaryFile>& scanned) {
  HistoryRefreshPlan plan;
  std::unordered_set<std::string> present;
  for (const SummaryFile& file : scanned) {
    present.insert(file.name);
    auto old = known.find(file.name);
    if (old == known.end() || !(old->second == file)) plan.read.push_back(file);
  }
  for (const auto& [name, file] : known)
    if (!present.count(name)) plan.drop.push_back(name);
  return plan;
}

KnownSummaryFiles CHistoryRecords::Known() const {
  KnownSummaryFiles known;
  for (const auto& [name, entry] : entries_) known.emplace_hint(known.end(), name, entry.file);
  return known;
}

void CHistoryRecords::Put(HistoryEntry entry) {
  std::string name = entry.file.name;
  entries_[name] = std::move(entry);
}

void CHistoryRecords::Drop(const std::string& name) { entries_.erase(name); }

std::vector<const HistoryEntry*> CHistoryRecords::Filtered(uint32_t filter) const {
  std::vector<const HistoryEntry*> kept;
  for (const auto& [name, entry] : entries_)
    if (KeepSummary(entry.record, filter)) kept.push_back(&entry);
  std::stable_sort(kept.begin(), kept.end(),
                   [](const HistoryEntry* a, const HistoryEntry* b) { return a->file.time < b->file.time; });
  return kept;
}

std::vector<SummaryRecord> CHistoryRecords::AllRecords() const {
  std::vector<SummaryRecord> records;
  records.reserve(entries_.size());
  for (const auto& [name, entry] : entries_) records.push_back(entry.record);
  SortSummaries(&records);
  return records;
}
