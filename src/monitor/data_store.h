// The stored checks, kept here alone: in the data folder "<time>.bin" holds one 328-byte summary
// and "<time>.dat" the service's detail text; the registry values "Check Results" and "Check
// Results (alert)" hold copies of the newest check and of the newest alert.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "monitor/summary_list.h"
#include "monitor/summary_record.h"

class CMonitorStore {
 public:
  // A store on a data folder whose text ends with a backslash.
  explicit CMonitorStore(std::string dataFolder) : dataFolder_(std::move(dataFolder)) {}

  // "<folder><time>.bin".
  std::string SummaryPath(uint32_t time) const;
  // "<folder><time>.dat".
  std::string DetailPath(uint32_t time) const;
  // Whether the detail file can be found.
  bool DetailExists(uint32_t time) const;
  // Writes the 328 bytes; a time before 2000-01-01 is first set to the current time.
  bool WriteSummary(SummaryRecord* record) const;
  // Reads the summary of a time; false unless exactly 328 bytes with a valid time were read.
  bool ReadSummary(uint32_t time, SummaryRecord* record) const;
  // Deletes the summary file, read-only or not, unless it is a link; errors are ignored.
  void DeleteSummary(uint32_t time) const;
  // Deletes the detail file, read-only or not, unless it is a link; errors are ignored.
  void DeleteDetail(uint32_t time) const;
  // Replaces *records by the stored summaries that pass filter, oldest first; returns their number.
  size_t ListSummaries(uint32_t filter, std::vector<SummaryRecord>* records) const;
  // The summary files of the folder (names that stand for a time), in no order, none of them read.
  std::vector<SummaryFile> ScanSummaryFiles() const;
  // Reads a found summary file by its name; false unless it holds exactly 328 bytes.
  bool ReadSummaryFile(const std::string& name, SummaryRecord* record) const;
  // Deletes a found summary file by its name, read-only or not, unless it is a link; errors are ignored.
  void DeleteSummaryFile(const std::string& name) const;
  // The times of the detail files of the folder (names the store writes), in no order.
  std::vector<uint32_t> DetailTimes() const;
  // Deletes the detail files whose summary is missing (left by a write that stopped); returns how many.
  size_t DeleteLoneDetails() const;
  // The service's store of a check: the detail text (when any), then the summary, each written
  // whole under a ".partial" name and renamed (never through a link, never over a stored check),
  // then "Check Results" and, for an alert, "Check Results (alert)". False when the summary could
  // not be written: nothing of the check is then visible, and no stored check loses a file.
  bool StoreCheck(const SummaryRecord& record, const std::string& detail, bool alert) const;
  // Removes the ".partial" files a stopped or failed write left.
  void RemovePartialFiles() const;
  // Removes the stored checks, their detail files and partial files, then the folder when it is
  // empty; nothing in a folder that FolderRefusal refuses. Other files stay.
  void DeleteAll() const;

 private:
  std::string dataFolder_;
};

// The current time in seconds since 1970, capped at 0xFFFFFFFF.
uint32_t CurrentUnixSeconds();

// The registry copies of stored checks in the Parameters key.
enum class CheckCopy {
  kLastCheck,  // "Check Results": the newest check
  kLastAlert,  // "Check Results (alert)": the newest check that raised an alert
};
// The check a copy holds, read by SummaryFromValue in either layout; a zero record (no check) when
// it is missing or malformed. *oldLayout, when given, tells whether it held the older layout.
SummaryRecord ReadCheckCopy(CheckCopy copy, bool* oldLayout = nullptr);
// Writes the record's 328 bytes as the copy (REG_BINARY).
bool WriteCheckCopy(CheckCopy copy, const SummaryRecord& record);
