// Storing a check where the applet reads it: "<time>.bin" and "<time>.dat" in the data folder,
// each written under a temporary name and renamed so that no reader ever sees half a file,
// then the registry copies "Check Results" and, on alert, "Check Results (alert)"; and the
// retention of "Retention (days)" and "Retention (records)".
#pragma once
#include <cstdint>
#include <string>

#include "monitor/settings.h"
#include "monitor/summary_record.h"

// Writes the summary and its detail text, then the registry copies; false when the summary
// file could not be written (nothing of the check is then visible).
bool StoreCheck(const std::string& dataFolder, const SummaryRecord& record, const std::string& detail);
// The first time from time on that names no stored check, so that a new check never replaces
// one stored before (by an earlier run of the service in the same second, say).
uint32_t UnusedCheckTime(const std::string& dataFolder, uint32_t time);
// Removes the records (and their detail files) that retention lets go at now; returns how many.
size_t ApplyRetention(const CMonitorSettings& settings, uint32_t now);
// Removes temporary files a stopped or failed write left in the data folder.
void RemovePartialFiles(const std::string& dataFolder);
