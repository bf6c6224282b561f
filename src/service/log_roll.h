// When the service's text log is rolled over, what its archive is called, and which archives
// go: "Roll Type" holds the period (bit 0 daily, bit 1 weekly on Sunday, bit 2 monthly) and
// bit 28 "delete old logs"; otherwise "Max Archives" of them are kept.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "service/log_line.h"

constexpr uint32_t kRollDaily = 1;
constexpr uint32_t kRollWeekly = 2;
constexpr uint32_t kRollMonthly = 4;
constexpr uint32_t kRollDeleteOld = 1u << 28;

// Whether the period of rollType ended between the log's last write and now (the first period
// bit set wins, as the Logging page shows it).
bool PeriodRollDue(uint32_t rollType, const LogStamp& lastWrite, const LogStamp& now);
// Whether adding a line of lineBytes would take a non-empty log past maxSizeKb (0: no limit).
bool SizeRollDue(uint32_t maxSizeKb, uint64_t logBytes, uint64_t lineBytes);
// The archive's file name for the log file name (no folder): "orvanem.log" on 2026-12-10 gives
// "orvanem.2026-12-10.log", and with sequence n above 1 "orvanem.2026-12-10.n.log".
std::string ArchiveName(const std::string& logName, const LogStamp& date, uint32_t sequence);
// The archives among names (files of the log's folder) that go after a roll: all of them when
// bit 28 of rollType is set, else the oldest beyond maxArchives (at least 1 is kept).
std::vector<std::string> ArchivesToDelete(const std::string& logName, const std::vector<std::string>& names,
                                          uint32_t rollType, uint32_t maxArchives);
// Days since 1970-01-01 of a stamp's date.
int64_t DayNumber(const LogStamp& stamp);
