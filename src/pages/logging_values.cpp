// The Logging page's controls record: filled from the settings and stored back.
#include "pages/logging_values.h"

#include <algorithm>

const char* const kLogLevelNames[6] = {"Disabled", "Errors", "Warnings", "Information", "Trace", "Debug"};
const char* const kRollPeriodNames[4] = {"Never", "Daily at midnight", "Weekly on Sunday", "Monthly on the 1st"};

namespace {

constexpr int kInformation = 3;
constexpr int kLevelCount = 6;
constexpr uint32_t kRollBits[4] = {0, 1, 2, 4};  // "Roll Type" bits of each period

int RollPeriod(uint32_t rollType) {
  for (int period = 1; period < 4; ++period)
    if (rollType & kRollBits[period]) return period;
  return 0;
}

uint32_t StoredLevel(int position, uint32_t stored) {
  return position >= 0 && position < kLevelCount ? static_cast<uint32_t>(position) : stored;
}

}  // namespace

LoggingControls ShowLogging(const LoggingSettings& settings) {
  LoggingControls controls;
  controls.textLevel = settings.textLogLevel < kLevelCount ? static_cast<int>(settings.textLogLevel) : kInformation;
  controls.eventLevel = settings.eventLogLevel < kLevelCount ? static_cast<int>(settings.eventLogLevel) : 0;
  controls.rollPeriod = RollPeriod(settings.textRollType);
  controls.deleteOld = (settings.textRollType & kRollDeleteOldLogs) != 0;
  controls.maxSize = settings.textMaxSize;
  controls.archives = settings.textMaxArchives;
  return controls;
}

void StoreLogging(const LoggingControls& controls, LoggingSettings* settings) {
  settings->textMaxSize = std::min(controls.maxSize, kMaxLogSizeKb);
  settings->textMaxArchives = std::clamp(controls.archives, kMinLogArchives, kMaxLogArchives);
  settings->textLogLevel = StoredLevel(controls.textLevel, settings->textLogLevel);
  settings->eventLogLevel = StoredLevel(controls.eventLevel, settings->eventLogLevel);
  int period = controls.rollPeriod >= 0 && controls.rollPeriod < 4 ? controls.rollPeriod : 0;
  settings->textRollType = kRollBits[period] | (controls.deleteOld ? kRollDeleteOldLogs : 0);
}

LoggingEnablement EnabledLoggingControls(int rollPeriod, bool keepUpTo) {
  LoggingEnablement enabled;
  enabled.retentionChoice = rollPeriod != 0;
  enabled.archiveCount = rollPeriod != 0 && keepUpTo;
  return enabled;
}
