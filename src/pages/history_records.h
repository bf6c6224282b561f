// The History page's copy of the data folder: every summary read so far, keyed by the file it
// came from, so that a new listing reads only what changed and a filter needs no reading.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "monitor/summary_list.h"
#include "monitor/summary_record.h"

// One summary file and what it held when it was read.
struct HistoryEntry {
  SummaryFile file;
  SummaryRecord record;
};

// The files a listing knows, by name, as they were when read.
using KnownSummaryFiles = std::map<std::string, SummaryFile>;

// What a scan of the folder asks of a copy: the files to read, and the names to forget.
struct HistoryRefreshPlan {
  std::vector<SummaryFile> read;   // new, or changed in size or write time
  std::vector<std::string> drop;   // no longer in the folder
};

// Compares a scan of the folder with the files a copy knows.
HistoryRefreshPlan PlanHistoryRefresh(const KnownSummaryFiles& known, const std::vector<SummaryFile>& scanned);

class CHistoryRecords {
 public:
  // The files known now, for a listing to compare its scan with.
  KnownSummaryFiles Known() const;
  // Adds an entry, or replaces the one of the same file.
  void Put(HistoryEntry entry);
  // Forgets a file; nothing when it is unknown.
  void Drop(const std::string& name);
  // Forgets everything.
  void Clear() { entries_.clear(); }
  // The entries a listing filter keeps, by the time their file names stand for, oldest first.
  std::vector<const HistoryEntry*> Filtered(uint32_t filter) const;
  // Every record, ordered by its own time, oldest first, as a listing of all summaries gives them.
  std::vector<SummaryRecord> AllRecords() const;
  // How many files are known.
  size_t Size() const { return entries_.size(); }

 private:
  std::map<std::string, HistoryEntry> entries_;
};
