// What the Logging page shows of the logging settings and how its controls store them back:
// the level and roll lists, the "Roll Type" bits, the clamps, and which controls are enabled.
#pragma once
#include <cstdint>

#include "monitor/settings.h"

// Both level lists in order: a position is also the level stored.
extern const char* const kLogLevelNames[6];
// The roll list in order: "Never", daily, weekly, monthly.
extern const char* const kRollPeriodNames[4];

constexpr uint32_t kRollDeleteOldLogs = 1u << 28;  // "Roll Type": old logs are deleted, not kept
constexpr uint32_t kMaxLogSizeKb = 65535;          // "Max Size"; 0 means unlimited
constexpr uint32_t kMinLogArchives = 1;            // "Max Archives"
constexpr uint32_t kMaxLogArchives = 366;

// The page's controls as plain values.
struct LoggingControls {
  int textLevel = 0;       // position in the text log's level list
  int eventLevel = 0;      // position in the Event Viewer's level list
  int rollPeriod = 0;      // position in the roll list
  bool deleteOld = false;  // "Delete old logs" rather than "Keep up to"
  uint32_t maxSize = 0;    // "Max Size" as typed, KB
  uint32_t archives = 0;   // the archive count as typed
};

// Which controls the roll period and the retention choice leave enabled.
struct LoggingEnablement {
  bool retentionChoice = false;  // the two radio buttons
  bool archiveCount = false;     // the count and its up-down
};

// The controls for stored values: a text level of 6 or more shows "Information", an Event
// Viewer level of 6 or more "Disabled"; the lowest roll bit set picks the period.
LoggingControls ShowLogging(const LoggingSettings& settings);
// The values for the controls, each clamped to its range; a list without a selection keeps
// its stored level.
void StoreLogging(const LoggingControls& controls, LoggingSettings* settings);
// Radio buttons only while the log rolls; the count only while it rolls and "Keep up to" is checked.
LoggingEnablement EnabledLoggingControls(int rollPeriod, bool keepUpTo);
