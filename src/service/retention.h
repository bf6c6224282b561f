// Which stored checks the service removes after writing a new one: those older than
// "Retention (days)", then the oldest beyond "Retention (records)".
#pragma once
#include <cstdint>
#include <vector>

// The times among stored (any order) to remove at now (seconds since 1970), oldest first.
std::vector<uint32_t> RecordsToRemove(std::vector<uint32_t> stored, uint32_t now, uint32_t retentionDays,
                                      uint32_t retentionRecords);
