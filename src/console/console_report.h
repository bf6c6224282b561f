// What ovmonctl prints: strip-chart lines and JSON of samples, the service's state and its
// checks in words and in JSON, the monitoring plug-in's verdict, and the settings listing.
// Records and samples in, text out.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "console/json_writer.h"
#include "monitor/settings.h"
#include "monitor/summary_record.h"
#include "platform/iso_time.h"
#include "sampling/time_sample.h"

// One strip-chart line: when the reply came, delta and latency in seconds, what the server said.
std::string StripChartLine(const TimeSample& sample);
// The strip-chart line of an attempt that brought no sample.
std::string FailedStripChartLine(uint64_t now, uint32_t code, const std::string& description);
// Every field of a sample (but its raw reply) as members of the open JSON object; returns json.
CJsonWriter& WriteSampleJson(CJsonWriter& json, const TimeSample& sample);

// The word for a check state: "alert" (1), "in progress" (2), "passed" (3), else "unknown".
const char* CheckStateName(uint32_t status);
// "running", "checking" or "not running".
const char* ServiceStateName(bool running, bool checking);
// The lines of one stored check under a label ("Last check"); "none" for a zero record.
std::string SummaryText(const std::string& label, const SummaryRecord& record);
// One stored check as members of the open JSON object (only an empty "time" for a zero record); returns json.
CJsonWriter& WriteSummaryJson(CJsonWriter& json, const SummaryRecord& record);
// One line of the history listing.
std::string HistoryLine(const SummaryRecord& record);
// A CSV field as RFC 4180 writes it: quoted, its quotes doubled, when it holds a comma, quote or line end.
std::string CsvField(const std::string& text);
// The stored checks as RFC 4180 CSV: a header row, then one row per record, CR LF line ends.
std::string HistoryCsv(const std::vector<SummaryRecord>& records);
// The largest magnitude among the worst variances of the four kinds of machines, in ms.
uint64_t WorstVariance(const SummaryRecord& record);

// The monitoring plug-in's answer: its exit code and its one status line with performance data.
struct PluginAnswer {
  int exitCode = 3;
  std::string line;
};
constexpr int kPluginOk = 0;
constexpr int kPluginWarning = 1;
constexpr int kPluginCritical = 2;
constexpr int kPluginUnknown = 3;
// What the plug-in judges a check by, besides the check itself.
struct PluginLimits {
  std::optional<uint32_t> warnMs, critMs;  // thresholds on the worst machine variance
  uint32_t now = 0;                        // seconds since 1970
  uint32_t maxAgeSeconds = 0xFFFFFFFF;     // an older check is UNKNOWN
};
// Judges a check: with thresholds by its worst variance (above critMs CRITICAL, above warnMs
// WARNING), else by its own state; a check in which no machine answered is CRITICAL, one that left
// machines or the reference unmeasured at least WARNING. A missing record (nullptr), a stopped
// service or a check older than maxAgeSeconds is UNKNOWN.
PluginAnswer JudgeCheck(const SummaryRecord* record, bool serviceRunning, const PluginLimits& limits);

// Every setting of the record, one "Name = value" line each, grouped by the key that holds it;
// the mail password only as set or unset.
std::string SettingsListing(const CMonitorSettings& settings);
