// Storing a check where the applet reads it: "<time>.bin" and "<time>.dat" in the data folder,
// each written under a temporary name and renamed so that no reader ever sees half a file,
// then the registry copies "Check Results" and, on alert, "Check Results (alert)"; and the
// retention of "Retention (days)" and "Retention (records)".
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "monitor/settings.h"
#include "monitor/summary_record.h"
#include "service/retention.h"

// Writes the summary and its detail text, then the registry copies; false when the summary
// file could not be written (nothing of the check is then visible).
bool StoreCheck(const std::string& dataFolder, const SummaryRecord& record, const std::string& detail);
// The keys of the checks stored in the data folder, each with whether it was stored after a clock jump.
std::vector<StoredCheckKey> StoredCheckKeys(const std::string& dataFolder);
// Removes the records (and their detail files) that retention lets go at now, and detail files
// left without their record; returns how many records.
size_t ApplyRetention(const std::string& dataFolder, const RetentionRules& rules, uint32_t now);
// Removes temporary files a stopped or failed write left in the data folder.
void RemovePartialFiles(const std::string& dataFolder);
