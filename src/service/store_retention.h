// Retention over the stored checks: the keys of the checks the data folder holds, as a new
// check's key and retention judge them, and the removal of what "Retention (days)" and
// "Retention (records)" let go. Where and how a check is stored is the store's (CMonitorStore).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "service/retention.h"

// The keys of the checks stored in the data folder, each with whether it was stored after a clock jump.
std::vector<StoredCheckKey> StoredCheckKeys(const std::string& dataFolder);
// Removes the records (and their detail files) that retention lets go at now, and detail files
// left without their record; returns how many records.
size_t ApplyRetention(const std::string& dataFolder, const RetentionRules& rules, uint32_t now);
